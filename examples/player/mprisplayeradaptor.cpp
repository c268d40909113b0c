#include "mprisplayeradaptor.h"

#include "mprisservice.h"
#include "player.h"

#include <limits>

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService* service)
    : QDBusAbstractAdaptor(service), m_service(service)
{
    connect(service->player(), &Player::seeked, this,
            [this](uint seconds) { Q_EMIT Seeked(qlonglong(seconds) * MicrosecondsPerSecond); });
}

QString MprisPlayerAdaptor::playbackStatus() const
{
    return m_service->playbackStatus();
}

bool MprisPlayerAdaptor::shuffle() const
{
    return m_service->player()->isShuffled();
}

void MprisPlayerAdaptor::setShuffle(bool on)
{
    if (m_service->player()->hasPlaylist()) {
        m_service->player()->setShuffle(on);
    }
}

QString MprisPlayerAdaptor::loopStatus() const
{
    switch (m_service->player()->loop()) {
    case Player::LoopTrack:
        return QStringLiteral("Track");
    case Player::LoopPlaylist:
        return QStringLiteral("Playlist");
    case Player::LoopNone:
        break;
    }
    return QStringLiteral("None");
}

void MprisPlayerAdaptor::setLoopStatus(const QString& status)
{
    if (status == QLatin1String("None")) {
        m_service->player()->setLoop(Player::LoopNone);
    } else if (status == QLatin1String("Track")) {
        m_service->player()->setLoop(Player::LoopTrack);
    } else if (status == QLatin1String("Playlist")) {
        m_service->player()->setLoop(Player::LoopPlaylist);
    }
}

double MprisPlayerAdaptor::volume() const
{
    return m_service->player()->volume();
}

void MprisPlayerAdaptor::setVolume(double volume)
{
    // NaN is no volume.
    if (volume == volume) {
        m_service->player()->setVolume(volume);
    }
}

void MprisPlayerAdaptor::OpenUri(const QString& uri)
{
    const QUrl url(uri, QUrl::StrictMode);
    if (!m_service->player()->open(url) && calledFromDBus()) {
        sendErrorReply(QStringLiteral("org.freedesktop.DBus.Error.InvalidArgs"),
                       QStringLiteral("cannot open %1").arg(uri));
    }
}

QVariantMap MprisPlayerAdaptor::metadata() const
{
    return m_service->metadata();
}

qlonglong MprisPlayerAdaptor::position() const
{
    return m_service->player()->positionMicroseconds();
}

bool MprisPlayerAdaptor::canGoNext() const
{
    return m_service->player()->canGoNext();
}

bool MprisPlayerAdaptor::canGoPrevious() const
{
    return m_service->player()->canGoPrevious();
}

bool MprisPlayerAdaptor::canPlay() const
{
    return m_service->player()->count() > 0;
}

bool MprisPlayerAdaptor::canPause() const
{
    return m_service->player()->currentIndex() != Player::NoIndex;
}

bool MprisPlayerAdaptor::canSeek() const
{
    return m_service->player()->canSeek();
}

void MprisPlayerAdaptor::Next()
{
    m_service->player()->next();
}

void MprisPlayerAdaptor::Previous()
{
    m_service->player()->previous();
}

void MprisPlayerAdaptor::Pause()
{
    m_service->player()->pause();
}

void MprisPlayerAdaptor::PlayPause()
{
    m_service->player()->playPause();
}

void MprisPlayerAdaptor::Stop()
{
    m_service->player()->stop();
}

void MprisPlayerAdaptor::Play()
{
    m_service->player()->play();
}

namespace {
// Any client may call: times are kept to what a uint of seconds can hold, without overflow.
constexpr qlonglong MaxMicroseconds =
    qlonglong(std::numeric_limits<int>::max()) * MprisPlayerAdaptor::MicrosecondsPerSecond;

uint toSeconds(qlonglong microseconds)
{
    return uint(qBound<qlonglong>(0, microseconds, MaxMicroseconds) /
                MprisPlayerAdaptor::MicrosecondsPerSecond);
}
} // namespace

void MprisPlayerAdaptor::Seek(qlonglong offset)
{
    Player* player = m_service->player();
    const qlonglong target =
        player->positionMicroseconds() + qBound(-MaxMicroseconds, offset, MaxMicroseconds);
    const int length = player->duration();
    // Past the end means the next item, as the desktop expects.
    if (length > 0 && target >= qlonglong(length) * MicrosecondsPerSecond && player->canGoNext()) {
        player->next();
        return;
    }
    player->seekTo(toSeconds(target));
}

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath& trackId, qlonglong position)
{
    Player* player = m_service->player();
    const int length = player->duration();
    // A request for another track, or outside this one, is ignored.
    if (trackId.path() != m_service->trackId() || position < 0 ||
        (length > 0 && position > qlonglong(length) * MicrosecondsPerSecond)) {
        return;
    }
    player->seekTo(toSeconds(position));
}
