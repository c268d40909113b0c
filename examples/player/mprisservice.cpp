#include "mprisservice.h"

#include "mprisplayeradaptor.h"
#include "mprisrootadaptor.h"
#include "player.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QTimer>
#include <mafwregistry.h>
#include <mafwrenderer.h>

namespace {
const QString RendererId = QStringLiteral("mafw_gst_renderer");
// Long enough for the tags of a starting item to arrive together.
constexpr int AnnounceDelayMs = 150;
} // namespace

const QString MprisService::ObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString MprisService::ServiceName = QStringLiteral("org.mpris.MediaPlayer2.kelmora");
const QString MprisService::PlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

MprisService::MprisService(Player* player, QObject* parent)
    : QObject(parent), m_player(player), m_connection(QString())
{
    new MprisRootAdaptor(this);
    m_playerAdaptor = new MprisPlayerAdaptor(this);
    // The tags of a new item come one by one: clients hear of them together.
    m_announceTimer = new QTimer(this);
    m_announceTimer->setSingleShot(true);
    m_announceTimer->setInterval(AnnounceDelayMs);
    connect(m_announceTimer, &QTimer::timeout, this, &MprisService::announceChanges);
    auto announce = [this]() { announceSoon(); };
    connect(player, &Player::stateChanged, this, announce);
    connect(player, &Player::itemChanged, this, announce);
    connect(player, &Player::itemsChanged, this, announce);
    connect(player, &Player::finished, this, announce);
    connect(player, &Player::volumeChanged, this, announce);
    connect(player, &Player::loopChanged, this, announce);
}

MprisService::~MprisService()
{
    if (!m_name.isEmpty()) {
        m_connection.unregisterObject(ObjectPath);
        m_connection.unregisterService(m_name);
    }
}

bool MprisService::registerOn(const QDBusConnection& connection, QString* error)
{
    if (!connection.isConnected()) {
        *error = connection.lastError().message();
        if (error->isEmpty()) {
            *error = QStringLiteral("not connected");
        }
        return false;
    }
    if (!m_name.isEmpty()) {
        return true;
    }
    QDBusConnection bus(connection);
    if (!bus.registerObject(ObjectPath, this, QDBusConnection::ExportAdaptors)) {
        *error = QStringLiteral("cannot publish %1").arg(ObjectPath);
        return false;
    }
    QString name = ServiceName;
    if (!bus.registerService(name)) {
        name = ServiceName + QStringLiteral(".instance%1").arg(QCoreApplication::applicationPid());
        if (!bus.registerService(name)) {
            bus.unregisterObject(ObjectPath);
            *error = QStringLiteral("cannot own the name %1: %2")
                         .arg(ServiceName, bus.lastError().message());
            return false;
        }
    }
    m_connection = bus;
    m_name = name;
    m_announced = announcedProperties();
    return true;
}

QString MprisService::trackId() const
{
    const int index = m_player->currentIndex();
    return index == Player::NoIndex ? QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack")
                                    : QStringLiteral("/org/kelmora/player/track/%1").arg(index);
}

QVariantMap MprisService::metadata() const
{
    QVariantMap map;
    map.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(trackId())));
    const PlayerItem item = m_player->currentItem();
    if (item.url.isEmpty()) {
        return map;
    }
    const int length = m_player->duration();
    if (length > 0) {
        map.insert(QStringLiteral("mpris:length"),
                   qlonglong(length) * MprisPlayerAdaptor::MicrosecondsPerSecond);
    }
    map.insert(QStringLiteral("xesam:title"), item.displayTitle());
    if (!item.artist.isEmpty()) {
        map.insert(QStringLiteral("xesam:artist"), QStringList(item.artist));
    }
    if (!item.album.isEmpty()) {
        map.insert(QStringLiteral("xesam:album"), item.album);
    }
    if (!item.imageUrl.isEmpty()) {
        map.insert(QStringLiteral("mpris:artUrl"), item.imageUrl.toString());
    }
    map.insert(QStringLiteral("xesam:url"), item.url.toString());
    return map;
}

QString MprisService::playbackStatus() const
{
    switch (m_player->state()) {
    case MafwRenderer::Playing:
    case MafwRenderer::Transitioning:
        return QStringLiteral("Playing");
    case MafwRenderer::Paused:
        return QStringLiteral("Paused");
    case MafwRenderer::Stopped:
        break;
    }
    return QStringLiteral("Stopped");
}

QVariantMap MprisService::announcedProperties() const
{
    return {{QStringLiteral("PlaybackStatus"), playbackStatus()},
            {QStringLiteral("Metadata"), metadata()},
            {QStringLiteral("Shuffle"), m_playerAdaptor->shuffle()},
            {QStringLiteral("LoopStatus"), m_playerAdaptor->loopStatus()},
            {QStringLiteral("Volume"), m_playerAdaptor->volume()},
            {QStringLiteral("CanGoNext"), m_playerAdaptor->canGoNext()},
            {QStringLiteral("CanGoPrevious"), m_playerAdaptor->canGoPrevious()},
            {QStringLiteral("CanPlay"), m_playerAdaptor->canPlay()},
            {QStringLiteral("CanPause"), m_playerAdaptor->canPause()},
            {QStringLiteral("CanSeek"), m_playerAdaptor->canSeek()}};
}

namespace {
// QVariant cannot compare object paths; their text can.
QVariant comparable(const QVariant& value)
{
    if (value.userType() == QMetaType::QVariantMap) {
        QVariantMap map = value.toMap();
        for (auto it = map.begin(); it != map.end(); ++it) {
            if (it.value().userType() == qMetaTypeId<QDBusObjectPath>()) {
                it.value() = it.value().value<QDBusObjectPath>().path();
            }
        }
        return map;
    }
    return value;
}
} // namespace

void MprisService::announceSoon()
{
    if (!m_announceTimer->isActive()) {
        m_announceTimer->start();
    }
}

QStringList MprisService::supportedMimeTypes() const
{
    if (m_mimeTypes.isEmpty()) {
        const MafwRenderer* renderer =
            MafwRegistry::instance() ? MafwRegistry::instance()->findRenderer(RendererId) : nullptr;
        if (renderer) {
            m_mimeTypes = renderer->supportedMimeTypes();
        }
        m_mimeTypes << QStringLiteral("audio/x-scpls") << QStringLiteral("audio/x-mpegurl");
    }
    return m_mimeTypes;
}

void MprisService::announceChanges()
{
    if (m_name.isEmpty()) {
        return;
    }
    const QVariantMap now = announcedProperties();
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (comparable(m_announced.value(it.key())) != comparable(it.value())) {
            changed.insert(it.key(), it.value());
        }
    }
    m_announced = now;
    if (changed.isEmpty()) {
        return;
    }
    QDBusMessage signal =
        QDBusMessage::createSignal(ObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << PlayerInterface << changed << QStringList();
    m_connection.send(signal);
}
