#include "kelvideopolicyhandler.h"

#include <mafwregistry.h>

KelVideoPolicyHandler::KelVideoPolicyHandler(QObject* parent)
    : QObject(parent), m_videoRendererId(QStringLiteral("mafw_gst_internal_video_renderer"))
{
    connect(MafwRegistry::instance(), &MafwRegistry::rendererAdded, this,
            &KelVideoPolicyHandler::connectRendererSignals);
}

KelVideoPolicyHandler::~KelVideoPolicyHandler() = default;

void KelVideoPolicyHandler::connectRendererSignals(const QString& id, const QString& name)
{
    Q_UNUSED(name)
    if (id != m_videoRendererId) {
        return;
    }
    // A renderer announced again (or a new one under the id) replaces the one heard before,
    // so that each state change is reported once.
    if (m_videoRenderer) {
        disconnect(m_videoRenderer, nullptr, this, nullptr);
    }
    m_videoRenderer = MafwRegistry::instance()->findRenderer(id);
    if (m_videoRenderer) {
        connect(m_videoRenderer, &MafwRenderer::stateChanged, this,
                &KelVideoPolicyHandler::handleVideoStateChange);
    }
}

void KelVideoPolicyHandler::handleVideoStateChange(MafwRenderer::State newState)
{
    Q_EMIT videoPlayStateChanged(newState == MafwRenderer::Playing ||
                                 newState == MafwRenderer::Transitioning);
}
