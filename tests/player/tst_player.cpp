// The player's status line and MPRIS service, driven by a scripted renderer.
#include "mprisservice.h"
#include "playbackfixture.h"
#include "player.h"
#include "statusline.h"
#include "testmain.h"

#include <QBuffer>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QProcess>
#include <QTemporaryDir>

#include <limits>

class TestPlayer : public QObject, PlaybackFixture
{
    Q_OBJECT

    QTemporaryDir dir;
    QBuffer output;
    Player* player = nullptr;
    StatusLine* status = nullptr;
    MprisService* mpris = nullptr;
    QProcess bus;
    QList<QDBusMessage> changes;

    QUrl media(const QString& name) const { return QUrl::fromLocalFile(dir.filePath(name)); }

    void startPlayer(int items)
    {
        setUpControls();
        QStringList args;
        for (int i = 0; i < items; ++i) {
            const QString name = QStringLiteral("%1.ogg").arg(QChar(QLatin1Char('a' + i)));
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            args << file.fileName();
        }
        player = new Player(controls);
        output.setData(QByteArray());
        output.open(QIODevice::WriteOnly);
        status = new StatusLine(&output, true, StatusLine::DefaultWidth);
        status->follow(player);
        QVERIFY(player->start(PlayerArguments::parse(args, QString())));
        takeCommands();
    }

    QDBusConnection service() { return QDBusConnection(QStringLiteral("mpris-service")); }
    QDBusConnection client() { return QDBusConnection(QStringLiteral("mpris-client")); }

    // A call from another bus client, served by this thread meanwhile.
    QDBusMessage call(const QString& interface, const QString& method, const QVariantList& args)
    {
        QDBusMessage message = QDBusMessage::createMethodCall(
            MprisService::ServiceName, MprisService::ObjectPath, interface, method);
        message.setArguments(args);
        return client().call(message, QDBus::BlockWithGui);
    }
    QVariant property(const QString& name)
    {
        const QDBusMessage reply =
            call(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                 {MprisService::PlayerInterface, name});
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }
    // The last announced value of a property, or an invalid one.
    QVariant announced(const QString& name)
    {
        QVariant value;
        for (const QDBusMessage& message : qAsConst(changes)) {
            const QVariantMap changed = qdbus_cast<QVariantMap>(message.arguments().value(1));
            if (changed.contains(name)) {
                value = changed.value(name);
            }
        }
        return value;
    }

    void startMpris()
    {
        if (bus.state() != QProcess::Running) {
            QSKIP("no dbus-daemon");
        }
        startPlayer(2);
        mpris = new MprisService(player);
        QString why;
        QVERIFY2(mpris->registerOn(service(), &why), qPrintable(why));
        renderer->setState(MafwRenderer::Playing);
        takeCommands();
        changes.clear();
    }

private Q_SLOTS:
    void onPropertiesChanged(const QDBusMessage& message) { changes << message; }

    void initTestCase()
    {
        // A private bus: nothing of the desktop's is reached or started.
        QFile config(dir.filePath(QStringLiteral("bus.conf")));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write(QStringLiteral("<busconfig><type>session</type><listen>unix:dir=%1</listen>"
                                    "<policy context=\"default\"><allow send_destination=\"*\"/>"
                                    "<allow receive_sender=\"*\"/>"
                                    "<allow own=\"*\"/></policy></busconfig>")
                         .arg(dir.path())
                         .toUtf8());
        config.close();
        bus.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--config-file=") + config.fileName(), QStringLiteral("--nofork"),
                   QStringLiteral("--print-address=1")});
        if (!bus.waitForStarted() || !bus.waitForReadyRead()) {
            return; // the bus tests skip
        }
        const QString address = QString::fromUtf8(bus.readLine()).trimmed();
        QVERIFY(
            QDBusConnection::connectToBus(address, QStringLiteral("mpris-service")).isConnected());
        QVERIFY(
            QDBusConnection::connectToBus(address, QStringLiteral("mpris-client")).isConnected());
        QVERIFY(client().connect(
            QString(), MprisService::ObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("PropertiesChanged"), this, SLOT(onPropertiesChanged(QDBusMessage))));
    }

    void cleanupTestCase()
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("mpris-service"));
        QDBusConnection::disconnectFromBus(QStringLiteral("mpris-client"));
        bus.terminate();
        bus.waitForFinished();
    }

    void cleanup()
    {
        delete mpris;
        mpris = nullptr;
        delete status;
        status = nullptr;
        delete player;
        player = nullptr;
        output.close();
        tearDownControls();
    }

    // What a terminal shows: each status rewritten in place, a message above it, the end of
    // the line when all is over.
    void statusLineFollowsTheRenderer()
    {
        startPlayer(2);
        QSignalSpy finished(player, &Player::finished);
        renderer->setState(MafwRenderer::Transitioning);
        Q_EMIT renderer->metadataChanged(QStringLiteral("title"), {QStringLiteral("Song A")});
        Q_EMIT renderer->metadataChanged(QStringLiteral("artist"), {QStringLiteral("Band")});
        Q_EMIT renderer->metadataChanged(QStringLiteral("duration"), {125});
        renderer->setState(MafwRenderer::Playing);
        KelPlaybackTestAccess::firePositionPoll(controls);
        QVERIFY(renderer->answerPosition(61));
        renderer->endItem();
        Q_EMIT renderer->error(
            MafwError(MafwError::ResourceNotFound, QStringLiteral("b.ogg is gone")));

        QString expected;
        for (const char* line :
             {"Starting  00:00 / --:--  [1/2]  a", "Starting  00:00 / --:--  [1/2]  Song A",
              "Starting  00:00 / --:--  [1/2]  Song A - Band",
              "Starting  00:00 / 02:05  [1/2]  Song A - Band",
              "Playing  00:00 / 02:05  [1/2]  Song A - Band",
              "Playing  01:01 / 02:05  [1/2]  Song A - Band", "Playing  00:00 / --:--  [2/2]  b"}) {
            expected += QStringLiteral("\r%1\x1b[K").arg(QLatin1String(line));
        }
        expected += QStringLiteral("\r\x1b[Kerror 301: b.ogg is gone\n"
                                   "Playing  00:00 / --:--  [2/2]  b\n");
        QCOMPARE(QString::fromUtf8(output.data()), expected);
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toInt(), int(Player::SomethingFailed));
        // What was learnt while it played stays with the item.
        QCOMPARE(player->items().first().displayTitle(), QStringLiteral("Song A"));
        QCOMPARE(player->items().first().duration, 125);
    }

    // An item that fails is skipped; the end then reports the failure.
    void failedItemIsSkipped()
    {
        startPlayer(3);
        QSignalSpy finished(player, &Player::finished);
        renderer->setState(MafwRenderer::Playing);
        Q_EMIT renderer->error(MafwError(MafwError::CorruptStream, QStringLiteral("broken")));
        renderer->setState(MafwRenderer::Stopped);
        QTRY_VERIFY(commands().contains(QStringLiteral("gotoIndex(1)")));
        QVERIFY(finished.isEmpty());
        renderer->setState(MafwRenderer::Playing);
        Q_EMIT renderer->playbackCompleted();
        renderer->setState(MafwRenderer::Stopped);
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toInt(), int(Player::SomethingFailed));
    }

    void mprisCallsReachTheControls_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QVariantList>("args");
        QTest::addColumn<QStringList>("commands");
        const qlonglong second = 1000000;
        QTest::newRow("Pause") << QStringLiteral("Pause") << QVariantList()
                               << QStringList{QStringLiteral("pause")};
        QTest::newRow("PlayPause while playing") << QStringLiteral("PlayPause") << QVariantList()
                                                 << QStringList{QStringLiteral("pause")};
        QTest::newRow("Next") << QStringLiteral("Next") << QVariantList()
                              << QStringList{QStringLiteral("next")};
        QTest::newRow("Previous on the first item")
            << QStringLiteral("Previous") << QVariantList() << QStringList();
        QTest::newRow("Stop") << QStringLiteral("Stop") << QVariantList()
                              << QStringList{QStringLiteral("stop")};
        QTest::newRow("Seek") << QStringLiteral("Seek") << QVariantList{70 * second}
                              << QStringList{QStringLiteral("seekTo(70,0)")};
        QTest::newRow("Seek by any offset a client sends")
            << QStringLiteral("Seek") << QVariantList{std::numeric_limits<qlonglong>::max()}
            << QStringList{QStringLiteral("seekTo(%1,0)").arg(std::numeric_limits<int>::max())};
        QTest::newRow("SetPosition")
            << QStringLiteral("SetPosition")
            << QVariantList{QVariant::fromValue(
                                QDBusObjectPath(QStringLiteral("/org/kelmora/player/track/0"))),
                            30 * second}
            << QStringList{QStringLiteral("seekTo(30,0)")};
        QTest::newRow("SetPosition of another track")
            << QStringLiteral("SetPosition")
            << QVariantList{QVariant::fromValue(
                                QDBusObjectPath(QStringLiteral("/org/kelmora/player/track/1"))),
                            30 * second}
            << QStringList();
    }

    void mprisCallsReachTheControls()
    {
        startMpris();
        QFETCH(QString, method);
        QFETCH(QVariantList, args);
        QFETCH(QStringList, commands);
        const QDBusMessage reply = call(MprisService::PlayerInterface, method, args);
        QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
        QCOMPARE(takeCommands(), commands);
    }

    void mprisPropertiesFollowTheState()
    {
        startMpris();
        QCOMPARE(property(QStringLiteral("PlaybackStatus")).toString(), QStringLiteral("Playing"));
        QCOMPARE(property(QStringLiteral("CanGoNext")).toBool(), true);

        renderer->setState(MafwRenderer::Paused);
        QTRY_COMPARE(announced(QStringLiteral("PlaybackStatus")).toString(),
                     QStringLiteral("Paused"));

        Q_EMIT renderer->metadataChanged(QStringLiteral("title"), {QStringLiteral("Song A")});
        Q_EMIT renderer->metadataChanged(QStringLiteral("duration"), {125});
        Q_EMIT renderer->metadataChanged(QStringLiteral("image-url"),
                                         {QUrl(QStringLiteral("file:///covers/a.png"))});
        QTRY_COMPARE(qdbus_cast<QVariantMap>(announced(QStringLiteral("Metadata")))
                         .value(QStringLiteral("mpris:artUrl"))
                         .toString(),
                     QStringLiteral("file:///covers/a.png"));
        const QVariantMap metadata = qdbus_cast<QVariantMap>(property(QStringLiteral("Metadata")));
        QCOMPARE(metadata.value(QStringLiteral("xesam:title")).toString(),
                 QStringLiteral("Song A"));
        QCOMPARE(metadata.value(QStringLiteral("mpris:length")).toLongLong(), 125 * 1000000LL);
        QCOMPARE(
            qdbus_cast<QDBusObjectPath>(metadata.value(QStringLiteral("mpris:trackid"))).path(),
            QStringLiteral("/org/kelmora/player/track/0"));

        // Unchanged properties are not announced again.
        changes.clear();
        renderer->setState(MafwRenderer::Paused);
        QCoreApplication::processEvents();
        QVERIFY(changes.isEmpty());
    }

    void noBusIsReported()
    {
        startPlayer(1);
        MprisService nowhere(player);
        QString why;
        QVERIFY(!nowhere.registerOn(QDBusConnection(QStringLiteral("no-such-bus")), &why));
        QVERIFY(!why.isEmpty());
    }
};

KELMORA_TEST_MAIN(TestPlayer)
#include "tst_player.moc"
