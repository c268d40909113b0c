#include "mafwrenderer.h"

#include "mafwlogging_p.h"

#include <QMetaMethod>

const QString MafwRenderer::MAFW_RENDERER_PROPERTY_POLICY_OVERRIDE =
    QStringLiteral("policy-override");
const QString MafwRenderer::MAFW_RENDERER_PROPERTY_VOLUME = QStringLiteral("volume");

MafwRenderer::MafwRenderer(const QString& uuid, const QString& name, QObject* parent)
    : QObject(parent), m_uuid(uuid), m_name(name)
{
#ifndef QT_NO_DEBUG
    // Connected first, so that a renderer breaking its promise is stopped inside its report.
    connect(this, &MafwRenderer::stateChanged, this, [this](State state) {
        if (!isLegalStateChange(m_reportedState, state)) {
            qCCritical(lcMafw).noquote()
                << QStringLiteral("renderer \"%1\" reported state %2 after %3")
                       .arg(m_uuid)
                       .arg(int(state))
                       .arg(int(m_reportedState));
            Q_ASSERT_X(false, "MafwRenderer::stateChanged", "illegal renderer state change");
        }
        m_reportedState = state;
    });
#endif
}

bool MafwRenderer::isLegalStateChange(State from, State to)
{
    return from != to && (from != Stopped || to == Transitioning);
}

MafwRenderer::~MafwRenderer() = default;

bool MafwRenderer::play()
{
    return false;
}
bool MafwRenderer::playUri(const QUrl&, const MafwContent*)
{
    return false;
}
bool MafwRenderer::playPlaylistUri(const QUrl&, const QString&)
{
    return false;
}
bool MafwRenderer::stop()
{
    return false;
}
bool MafwRenderer::pause()
{
    return false;
}
bool MafwRenderer::pauseAt(uint)
{
    return false;
}
bool MafwRenderer::resume()
{
    return false;
}
bool MafwRenderer::next()
{
    return false;
}
bool MafwRenderer::previous()
{
    return false;
}
bool MafwRenderer::gotoIndex(uint)
{
    return false;
}
bool MafwRenderer::seekTo(int, SeekMode)
{
    return false;
}
bool MafwRenderer::assignPlaylist(MafwPlaylist*)
{
    return false;
}
bool MafwRenderer::requestPosition(QObject*, const char*)
{
    return false;
}
double MafwRenderer::volume() const
{
    return FullVolume;
}
bool MafwRenderer::setVolume(double)
{
    return false;
}

QStringList MafwRenderer::supportedMimeTypes() const
{
    return {};
}

bool MafwRenderer::setRepeatCurrent(bool)
{
    return false;
}

bool MafwRenderer::requestMetadata(const QUrl&, QObject*, MetadataAnswer)
{
    return false;
}

bool MafwRenderer::deliverPosition(QObject* receiver, const QByteArray& member, uint seconds)
{
    if (!receiver || member.size() < 2) {
        return false;
    }
    // The first character is the SLOT()/SIGNAL() code digit.
    const QByteArray signature = QMetaObject::normalizedSignature(member.constData() + 1);
    const int index = receiver->metaObject()->indexOfMethod(signature.constData());
    if (index < 0) {
        qCWarning(lcMafw).noquote()
            << QStringLiteral("no member %1 on %2 for a position reply")
                   .arg(QString::fromLatin1(signature),
                        QString::fromLatin1(receiver->metaObject()->className()));
        return false;
    }
    return receiver->metaObject()->method(index).invoke(receiver, Qt::DirectConnection,
                                                        Q_ARG(uint, seconds));
}
