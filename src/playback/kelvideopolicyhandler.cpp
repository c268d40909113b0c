#include "kelvideopolicyhandler.h"

#include <mafwregistry.h>

KelVideoPolicyHandler::KelVideoPolicyHandler(QObject* parent)
    : QObject(parent), videoRendererId(QStringLiteral("mafw_gst_internal_video_renderer"))
{
    connect(MafwRegistry::instance(), &MafwRegistry::rendererAdded, this,
            &KelVideoPolicyHandler::connectRendererSignals);
}

KelVideoPolicyHandler::~KelVideoPolicyHandler() = default;

void KelVideoPolicyHandler::connectRendererSignals(const QString& id, const QString& name)
{
    Q_UNUSED(name)
    if (id != videoRendererId) {
        return;
    }
    // A renderer announced again (or a new one under the id) replaces the one heard before,
    // so that each state change is reported once.
    if (videoRenderer) {
        disconnect(videoRenderer, nullptr, this, nullptr);
    }
    videoRenderer = MafwRegistry::instance()->findRenderer(id);
    if (videoRenderer) {
        connect(videoRenderer, &MafwRenderer::stateChanged, this,
                &KelVideoPolicyHandler::handleVideoStateChange);
    }
}

void KelVideoPolicyHandler::handleVideoStateChange(MafwRenderer::State newState)
{
    Q_EMIT videoPlayStateChanged(newState == MafwRenderer::Playing ||
                                 newState == MafwRenderer::Transitioning);
}
