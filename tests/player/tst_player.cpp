// The player's status line and MPRIS service, driven by a scripted renderer; and the real
// program as people run it: in a terminal (a pseudo-terminal), and from playerctl on a
// private bus.
#include "mprisservice.h"
#include "playbackfixture.h"
#include "player.h"
#include "statusline.h"
#include "testfiles.h"
#include "testmain.h"

#include <QBuffer>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <QDeadlineTimer>

#include <csignal>
#include <functional>
#include <limits>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

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
    QString busAddress;

    struct Run
    {
        int status = -1;
        QString output;   // with the terminal's line ends as "\n"
        QString afterAct; // what came after act()
    };

    // A WAV file of silence, of the given length.
    QString wav(const QString& name, int seconds)
    {
        constexpr int Rate = 8000;
        const quint32 bytes = quint32(seconds * Rate * 2);
        QByteArray data("RIFF");
        auto put = [&data](quint32 value, int size) {
            for (int i = 0; i < size; ++i) {
                data.append(char((value >> (8 * i)) & 0xff));
            }
        };
        put(36 + bytes, 4);
        data.append("WAVEfmt ");
        put(16, 4), put(1, 2), put(1, 2), put(Rate, 4), put(Rate * 2, 4), put(2, 2), put(16, 2);
        data.append("data");
        put(bytes, 4);
        data.append(QByteArray(int(bytes), '\0'));
        return writeFile(dir.filePath(name), data) ? dir.filePath(name) : QString();
    }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("KELMORA_MAFW_PLUGIN_PATH"),
                   QStringLiteral(KELMORA_TEST_PLUGIN_DIR));
        env.insert(QStringLiteral("KELMORA_AUDIO_SINK"), QStringLiteral("fakesink sync=true"));
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                   busAddress.isEmpty() ? QStringLiteral("unix:path=/nonexistent") : busAddress);
        env.insert(QStringLiteral("TERM"), QStringLiteral("xterm"));
        env.remove(QStringLiteral("DISPLAY"));
        // Under LeakSanitizer its report on the terminal would follow the last line.
        if (env.contains(QStringLiteral("LSAN_OPTIONS"))) {
            env.insert(QStringLiteral("LSAN_OPTIONS"), env.value(QStringLiteral("LSAN_OPTIONS")) +
                                                           QStringLiteral(":print_suppressions=0"));
        }
        return env;
    }

    // Runs kelmora-player on a pseudo-terminal of 40 columns; once it has shown waitFor,
    // act(terminal, pid) plays the user's part. Bounded in time.
    Run runInTerminal(const QStringList& args, const QString& waitFor,
                      const std::function<void(int, pid_t)>& act)
    {
        QByteArrayList strings{QByteArrayLiteral(KELMORA_PLAYER_BINARY)};
        for (const QString& arg : args) {
            strings << arg.toUtf8();
        }
        QByteArrayList variables;
        for (const QString& variable : environment().toStringList()) {
            variables << variable.toUtf8();
        }
        std::vector<char*> argv;
        std::vector<char*> envp;
        for (QByteArray& string : strings) {
            argv.push_back(string.data());
        }
        for (QByteArray& variable : variables) {
            envp.push_back(variable.data());
        }
        argv.push_back(nullptr);
        envp.push_back(nullptr);
        winsize size{};
        size.ws_col = 40;
        size.ws_row = 24;
        int terminal = -1;
        const pid_t pid = ::forkpty(&terminal, nullptr, nullptr, &size);
        if (pid == 0) {
            ::execve(argv[0], argv.data(), envp.data());
            ::_exit(127);
        }
        Run run;
        if (pid < 0) {
            return run;
        }
        QByteArray written;
        QDeadlineTimer deadline(30000);
        bool acted = false;
        int actedAt = 0;
        for (;;) {
            pollfd ready{terminal, POLLIN, 0};
            if (::poll(&ready, 1, int(deadline.remainingTime())) <= 0) {
                ::kill(pid, SIGKILL);
                break;
            }
            char buffer[4096];
            const ssize_t count = ::read(terminal, buffer, sizeof buffer);
            if (count <= 0) {
                break; // the program has gone
            }
            written.append(buffer, int(count));
            if (!acted && QString::fromUtf8(written).contains(waitFor)) {
                acted = true;
                actedAt = written.size();
                act(terminal, pid);
            }
        }
        int waitStatus = 0;
        ::waitpid(pid, &waitStatus, 0);
        ::close(terminal);
        run.status = WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1;
        run.output =
            QString::fromUtf8(written).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        run.afterAct = QString::fromUtf8(written.mid(actedAt));
        return run;
    }

    // playerctl's answer for the player, as a user types it.
    QString playerctl(const QStringList& args)
    {
        QProcess ctl;
        ctl.setProcessEnvironment(environment());
        ctl.start(QStringLiteral("playerctl"),
                  QStringList{QStringLiteral("-p"), QStringLiteral("kelmora")} + args);
        ctl.waitForFinished(5000);
        return QString::fromUtf8(ctl.readAllStandardOutput()).trimmed();
    }

    QUrl media(const QString& name) const { return QUrl::fromLocalFile(dir.filePath(name)); }

    // The second item's tags can be read ahead when tagged.
    void startPlayer(int items, bool tagged = false)
    {
        setUpControls();
        QStringList args;
        for (int i = 0; i < items; ++i) {
            args << dir.filePath(QStringLiteral("%1.ogg").arg(QChar(QLatin1Char('a' + i))));
            QVERIFY(writeFile(args.last(), {}));
        }
        if (tagged) {
            renderer->tags.insert(QUrl::fromLocalFile(args.value(1)),
                                  {{QStringLiteral("title"), QStringLiteral("Song B")},
                                   {QStringLiteral("duration"), 90}});
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
        startPlayer(2, true);
        mpris = new MprisService(player);
        QString why;
        QVERIFY2(mpris->registerOn(service(), &why), qPrintable(why));
        renderer->setState(MafwRenderer::Playing);
        Q_EMIT renderer->metadataChanged(QStringLiteral("duration"), {125});
        takeCommands();
        changes.clear();
    }

private Q_SLOTS:
    void onPropertiesChanged(const QDBusMessage& message) { changes << message; }

    void initTestCase()
    {
        // A private bus: nothing of the desktop's is reached or started.
        const QString config = dir.filePath(QStringLiteral("bus.conf"));
        QVERIFY(writeFile(
            config, QStringLiteral("<busconfig><type>session</type><listen>unix:dir=%1</listen>"
                                   "<policy context=\"default\"><allow send_destination=\"*\"/>"
                                   "<allow receive_sender=\"*\"/>"
                                   "<allow own=\"*\"/></policy></busconfig>")
                        .arg(dir.path())
                        .toUtf8()));
        bus.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                   QStringLiteral("--print-address=1")});
        if (!bus.waitForStarted() || !bus.waitForReadyRead()) {
            return; // the bus tests skip
        }
        const QString address = QString::fromUtf8(bus.readLine()).trimmed();
        busAddress = address;
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
        controls->position();
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
        // The last line says how it ended, and ends.
        expected += QStringLiteral("\r\x1b[Kerror 301: b.ogg is gone\n"
                                   "Playing  00:00 / --:--  [2/2]  b"
                                   "\rFinished  00:00 / --:--  [2/2]  b\x1b[K\n");
        status->finish();
        QCOMPARE(QString::fromUtf8(output.data()), expected);
        QCOMPARE(finished.size(), 1);
        QCOMPARE(finished.first().first().toInt(), int(Player::SomethingFailed));
        // What was learnt while it played stays with the item.
        QCOMPARE(player->items().first().displayTitle(), QStringLiteral("Song A"));
        QCOMPARE(player->items().first().duration, 125);
    }

    // A track loop takes the renderer back to the item each time it goes on by itself, also
    // after a shuffle moved the item (to the end of the list or not).
    void loopTrackKeepsTheItem()
    {
        startPlayer(3);
        renderer->setState(MafwRenderer::Playing);
        const QUrl a = media(QStringLiteral("a.ogg"));
        player->setLoop(Player::LoopTrack);
        for (int round = 0; round < 2; ++round) {
            renderer->endItem();
            QTRY_COMPARE(player->currentItem().url, a);
        }
        player->setShuffle(true);
        QTRY_COMPARE(player->currentItem().url, a);
        renderer->endItem(); // on to the next item, or the end of the list
        QTRY_COMPARE(player->currentItem().url, a);
        QTRY_COMPARE(renderer->state(), MafwRenderer::Playing);
    }

    void mprisCallsReachTheControls_data()
    {
        QTest::addColumn<QString>("method");
        QTest::addColumn<QVariantList>("args");
        QTest::addColumn<QStringList>("commands");
        const auto row = [](const char* name, const char* method, const QVariantList& args,
                            const char* command) {
            QTest::newRow(name) << QString::fromLatin1(method) << args
                                << (*command ? QStringList{QLatin1String(command)} : QStringList());
        };
        const qlonglong second = 1000000;
        const auto track = [](int n) {
            return QVariant::fromValue(
                QDBusObjectPath(QStringLiteral("/org/kelmora/player/track/%1").arg(n)));
        };
        row("Pause", "Pause", {}, "pause");
        row("PlayPause while playing", "PlayPause", {}, "pause");
        row("Next", "Next", {}, "next");
        row("Previous on the first item", "Previous", {}, "");
        row("Stop", "Stop", {}, "stop");
        row("Seek", "Seek", {70 * second}, "seekTo(70,0)");
        row("Seek by any offset a client sends, past the end: the next item", "Seek",
            {std::numeric_limits<qlonglong>::max()}, "next");
        row("SetPosition", "SetPosition", {track(0), 30 * second}, "seekTo(30,0)");
        row("SetPosition of another track", "SetPosition", {track(1), 30 * second}, "");
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

    // Changes are announced; the tags of an item come together in one Metadata change.
    void mprisAnnouncesChanges()
    {
        startMpris();
        renderer->setState(MafwRenderer::Paused);
        QTRY_COMPARE(announced(QStringLiteral("PlaybackStatus")).toString(),
                     QStringLiteral("Paused"));
        changes.clear();
        Q_EMIT renderer->metadataChanged(QStringLiteral("title"), {QStringLiteral("Song A")});
        Q_EMIT renderer->metadataChanged(QStringLiteral("image-url"),
                                         {QUrl(QStringLiteral("file:///covers/a.png"))});
        QTRY_VERIFY(announced(QStringLiteral("Metadata")).isValid());
        const QVariantMap metadata = qdbus_cast<QVariantMap>(announced(QStringLiteral("Metadata")));
        QCOMPARE(metadata.value(QStringLiteral("xesam:title")).toString(),
                 QStringLiteral("Song A"));
        QCOMPARE(metadata.value(QStringLiteral("mpris:artUrl")).toString(),
                 QStringLiteral("file:///covers/a.png"));
        QCOMPARE(changes.size(), 1);

        // The next item comes with its tags, read ahead: one change, none when they come again.
        changes.clear();
        player->next();
        QTRY_VERIFY(announced(QStringLiteral("Metadata")).isValid());
        const QVariantMap next = qdbus_cast<QVariantMap>(announced(QStringLiteral("Metadata")));
        QCOMPARE(next.value(QStringLiteral("xesam:title")).toString(), QStringLiteral("Song B"));
        QCOMPARE(next.value(QStringLiteral("mpris:length")).toLongLong(), 90000000);
        Q_EMIT renderer->metadataChanged(QStringLiteral("title"), {QStringLiteral("Song B")});
        Q_EMIT renderer->metadataChanged(QStringLiteral("duration"), {90});
        QTest::qWait(400); // past the grouping of changes
        QCOMPARE(changes.size(), 1);
    }

    // In a terminal: the line is live (it has advanced before the end), fits the terminal
    // (also after a resize, with wide characters), and the last line says how it ended.
    void terminalSessionEnds_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("lastLine");
        const QString three = QStringLiteral("three.wav");
        QTest::newRow("q") << QStringList{three} << QStringLiteral("q") << 0
                           << QStringLiteral("Stopped  00:0");
        QTest::newRow("Ctrl-C") << QStringList{three} << QStringLiteral("\x03") << 130
                                << QStringLiteral("Stopped  00:0");
        QTest::newRow("SIGTERM") << QStringList{three} << QStringLiteral("term") << 143
                                 << QStringLiteral("Stopped  00:0");
        QTest::newRow("end, resized")
            << QStringList{QStringLiteral("wide.m3u")} << QStringLiteral("resize") << 0
            << QStringLiteral("Finished  00:03 / 00:03");
        QTest::newRow("a broken file and a picture")
            << QStringList{QStringLiteral("broken.mp3"), three, QStringLiteral("picture.png")}
            << QStringLiteral("none") << 1 << QStringLiteral("Finished  00:03 / 00:03  [2/2]");
    }

    void terminalSessionEnds()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, action);
        QVERIFY(!wav(QStringLiteral("three.wav"), 3).isEmpty());
        QVERIFY(writeFile(dir.filePath(QStringLiteral("wide.m3u")),
                          "#EXTM3U\n#EXTINF:3,\xe6\x9d\xb1\xe4\xba\xac - \xe5\xa4\x9c\xe3\x81\xae"
                          "\xe6\xad\x8c\xe3\x81\xa8\xe6\x9c\x9d\xe3\x81\xae\xe5\x85\x89\xe3\x81\xa8"
                          "\xe9\x95\xb7\xe3\x81\x84\xe6\x97\x85\nthree.wav\n"));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("broken.mp3")), "not audio at all\n"));
        QVERIFY(
            writeFile(dir.filePath(QStringLiteral("picture.png")), encodedImage(4, 4, Qt::gray)));
        QStringList args;
        for (const QString& file : files) {
            args << dir.filePath(file);
        }
        int width = 40;
        const Run run =
            runInTerminal(args, QStringLiteral("00:01 /"), [&](int terminal, pid_t pid) {
                if (action == QLatin1String("term")) {
                    ::kill(pid, SIGTERM);
                } else if (action == QLatin1String("resize")) {
                    width = 30;
                    winsize size{};
                    size.ws_col = ushort(width);
                    size.ws_row = 24;
                    ::ioctl(terminal, TIOCSWINSZ, &size);
                } else if (action != QLatin1String("none")) {
                    QVERIFY(::write(terminal, action.toUtf8().constData(), 1) == 1);
                }
            });
        QTEST(run.status, "status");
        // Status lines are "\r<text>\x1b[K"; the last one is ended by a newline.
        const QStringList lines = run.output.split(QLatin1Char('\n'));
        QVERIFY2(lines.size() >= 2 && lines.last().isEmpty(), qPrintable(run.output));
        QString last = lines.at(lines.size() - 2).section(QLatin1Char('\r'), -1);
        last.remove(QStringLiteral("\x1b[K"));
        QFETCH(QString, lastLine);
        QVERIFY2(last.startsWith(lastLine), qPrintable(last));
        // Every status drawn fits the terminal, the one resized to fewer columns too.
        const QStringList shown = run.afterAct.split(QLatin1Char('\r')).mid(1);
        QVERIFY(!shown.isEmpty());
        for (const QString& segment : shown) {
            const QString text = segment.section(QStringLiteral("\x1b[K"), 0, 0);
            QVERIFY2(StatusLine::columns(text) < width, qPrintable(text));
        }
    }

    // From playerctl, on a single playlist file: titles, next and previous, track ids,
    // volume, loop, position, open, and Quit ends the program; its output, a pipe, has one
    // line per event.
    void playerctlDrivesTheProgram()
    {
        if (busAddress.isEmpty()) {
            QSKIP("no dbus-daemon");
        }
        for (const char* name : {"one.wav", "two.wav", "other.wav"}) {
            QVERIFY(!wav(QLatin1String(name), 6).isEmpty());
        }
        const QString list = dir.filePath(QStringLiteral("list.pls"));
        QVERIFY(writeFile(list, "[playlist]\nFile1=one.wav\nTitle1=Band - First\nFile2=two.wav\n"
                                "Title2=Second\nNumberOfEntries=2\n"));
        QProcess program;
        program.setProcessEnvironment(environment());
        program.start(QStringLiteral(KELMORA_PLAYER_BINARY), {list});
        QTRY_COMPARE_WITH_TIMEOUT(playerctl({QStringLiteral("status")}), QStringLiteral("Playing"),
                                  15000);
        const QString title = QStringLiteral("title");
        QCOMPARE(playerctl({QStringLiteral("metadata"), title}), QStringLiteral("First"));
        QCOMPARE(playerctl({QStringLiteral("metadata"), QStringLiteral("artist")}),
                 QStringLiteral("Band"));
        playerctl({QStringLiteral("next")});
        QTRY_COMPARE(playerctl({QStringLiteral("metadata"), title}), QStringLiteral("Second"));
        const QVariant track = qdbus_cast<QVariantMap>(property(QStringLiteral("Metadata")))
                                   .value(QStringLiteral("mpris:trackid"));
        QCOMPARE(qdbus_cast<QDBusObjectPath>(track).path(),
                 QStringLiteral("/org/kelmora/player/track/1"));
        playerctl({QStringLiteral("previous")});
        QTRY_COMPARE(playerctl({QStringLiteral("metadata"), title}), QStringLiteral("First"));
        playerctl({QStringLiteral("volume"), QStringLiteral("0.25")});
        QTRY_COMPARE(playerctl({QStringLiteral("volume")}).toDouble(), 0.25);
        playerctl({QStringLiteral("loop"), QStringLiteral("Playlist")});
        QCOMPARE(playerctl({QStringLiteral("loop")}), QStringLiteral("Playlist"));
        playerctl({QStringLiteral("position"), QStringLiteral("3.5")});
        QTRY_VERIFY(playerctl({QStringLiteral("position")}).toDouble() >= 3.0);
        const QString other =
            QUrl::fromLocalFile(dir.filePath(QStringLiteral("other.wav"))).toString();
        playerctl({QStringLiteral("open"), other});
        QTRY_COMPARE(playerctl({QStringLiteral("metadata"), QStringLiteral("xesam:url")}), other);

        client().call(QDBusMessage::createMethodCall(
            MprisService::ServiceName, MprisService::ObjectPath,
            QStringLiteral("org.mpris.MediaPlayer2"), QStringLiteral("Quit")));
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitCode(), 0);
        const QString lines = QString::fromUtf8(program.readAllStandardOutput());
        QVERIFY2(!lines.contains(QLatin1Char('\r')) && lines.count(QLatin1Char('\n')) < 25,
                 qPrintable(lines));
        QVERIFY2(lines.contains(QStringLiteral("[1/2]  First - Band")), qPrintable(lines));
    }
};

KELMORA_TEST_MAIN(TestPlayer)
#include "tst_player.moc"
