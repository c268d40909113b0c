#ifndef MPRISSERVICE_H
#define MPRISSERVICE_H

#include <QDBusConnection>
#include <QObject>
#include <QVariantMap>

class MprisPlayerAdaptor;
class QTimer;
class Player;

// The player on D-Bus as an MPRIS2 media player ("org.mpris.MediaPlayer2.kelmora"), so that
// media keys and the desktop's media controls reach it. Announces its property changes with
// org.freedesktop.DBus.Properties.PropertiesChanged.
class MprisService : public QObject
{
    Q_OBJECT
public:
    static const QString ObjectPath;
    static const QString ServiceName;
    static const QString PlayerInterface;

    // player is not owned.
    explicit MprisService(Player* player, QObject* parent = nullptr);
    ~MprisService() override;

    // Publishes the service; false with the reason in error when it cannot. When the name is
    // taken, a second instance takes "<name>.instance<pid>".
    bool registerOn(const QDBusConnection& connection, QString* error);
    QString registeredName() const { return m_name; }

    Player* player() const { return m_player; }
    bool canRaise() const { return m_canRaise; }
    void setCanRaise(bool canRaise) { m_canRaise = canRaise; }

    // The MPRIS track id of the current item.
    QString trackId() const;
    // Metadata of the current item in MPRIS terms.
    QVariantMap metadata() const;
    QString playbackStatus() const;
    // What the renderer decodes, and the playlist formats.
    QStringList supportedMimeTypes() const;

Q_SIGNALS:
    void raiseRequested();

private:
    // The properties that clients are told of when they change.
    QVariantMap announcedProperties() const;
    void announceChanges();
    void announceSoon();

    Player* m_player;
    MprisPlayerAdaptor* m_playerAdaptor;
    QDBusConnection m_connection;
    QString m_name;
    QVariantMap m_announced;
    bool m_canRaise = false;
    QTimer* m_announceTimer; // child
    mutable QStringList m_mimeTypes;
};

#endif
