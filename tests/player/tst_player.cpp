// The player's arguments; its status line, MPRIS service and window, driven by a scripted
// renderer; and the real program as people run it: in a terminal (a pseudo-terminal), from
// playerctl on a private bus, and with --window --screenshot.
#include "localhttpserver.h"
#include "mprisservice.h"
#include "playbackfixture.h"
#include "player.h"
#include "playertransport.h"
#include "playerwindow.h"
#include "statusline.h"
#include "testfiles.h"
#include "testmain.h"

#include <kelmedialabel.h>
#include <kelmedialabelmodel.h>
#include <keloverlaylabel.h>

#include <QBuffer>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDeadlineTimer>
#include <QImage>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

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
    PlayerWindow* window = nullptr;
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
    static QByteArray wav(int seconds)
    {
        const quint32 rate = 8000;
        const quint32 bytes = quint32(seconds) * rate * 2;
        QByteArray data;
        QDataStream out(&data, QIODevice::WriteOnly);
        out.setByteOrder(QDataStream::LittleEndian);
        out.writeRawData("RIFF", 4);
        out << 36 + bytes;
        out.writeRawData("WAVEfmt ", 8);
        out << quint32(16) << quint16(1) << quint16(1) << rate << rate * 2 << quint16(2)
            << quint16(16);
        out.writeRawData("data", 4);
        out << bytes;
        return data + QByteArray(int(bytes), '\0');
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
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("HOME"), dir.path());
        env.insert(QStringLiteral("XDG_CACHE_HOME"), dir.filePath(QStringLiteral("cache")));
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
        for (const QString& string : args + QStringList{QString()} + environment().toStringList()) {
            strings << string.toUtf8();
        }
        std::vector<char*> pointers; // argv, nullptr, the environment, nullptr
        for (QByteArray& string : strings) {
            pointers.push_back(string.isEmpty() ? nullptr : string.data());
        }
        pointers.push_back(nullptr);
        winsize size{24, 40, 0, 0};
        int terminal = -1;
        const pid_t pid = ::forkpty(&terminal, nullptr, nullptr, &size);
        if (pid == 0) {
            ::execve(pointers[0], pointers.data(), pointers.data() + args.size() + 2);
            ::_exit(127);
        }
        if (pid < 0) {
            return {};
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
        return {WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1,
                QString::fromUtf8(written).replace(QStringLiteral("\r\n"), QStringLiteral("\n")),
                QString::fromUtf8(written.mid(actedAt))};
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

    enum Start { Plain = 0, Tagged = 1, WithWindow = 2 };
    // A player with its status line, on files of the test's folder ("a.ogg b.ogg"; made empty
    // when missing). Tagged: a's and c's tags can be read ahead, b's cannot.
    void startPlayer(const char* names, int how = Plain)
    {
        setUpControls();
        QStringList args;
        for (const QString& name : QString::fromLatin1(names).split(QLatin1Char(' '))) {
            args << dir.filePath(name);
            QVERIFY(QFile::exists(args.last()) || writeFile(args.last(), {}));
        }
        if (how & Tagged) {
            renderer->tags.insert(media(QStringLiteral("a.ogg")),
                                  {{QStringLiteral("title"), QStringLiteral("Alpha")},
                                   {QStringLiteral("artist"), QStringLiteral("Band")}});
            renderer->tags.insert(media(QStringLiteral("c.ogg")),
                                  {{QStringLiteral("title"), QStringLiteral("Gamma")},
                                   {QStringLiteral("duration"), 61}});
        }
        player = new Player(controls);
        if (how & WithWindow) {
            window = new PlayerWindow(player);
        }
        output.setData(QByteArray());
        output.open(QIODevice::WriteOnly);
        status = new StatusLine(&output, true, StatusLine::DefaultWidth);
        status->follow(player);
        QVERIFY(player->start(PlayerArguments::parse(args, QString())));
        takeCommands();
    }

    QDBusConnection client() { return QDBusConnection(QStringLiteral("mpris-client")); }

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
        startPlayer("b.ogg c.ogg", Tagged);
        mpris = new MprisService(player);
        QString why;
        QVERIFY2(mpris->registerOn(QDBusConnection(QStringLiteral("mpris-service")), &why),
                 qPrintable(why));
        renderer->setState(MafwRenderer::Playing);
        Q_EMIT renderer->metadataChanged(QStringLiteral("duration"), {125});
        takeCommands();
        changes.clear();
    }

    // Distinct colours in a part of the picture.
    static int colours(const QImage& image, const QRect& area)
    {
        QSet<QRgb> seen;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                seen.insert(image.pixel(x, y));
            }
        }
        return seen.size();
    }

    QList<int> marks() const
    {
        QList<int> result;
        for (KelMediaLabel* label : window->itemLabels()) {
            result << label->labelModel()->playStatus();
        }
        return result;
    }

private Q_SLOTS:
    void onPropertiesChanged(const QDBusMessage& message) { changes << message; }

    void initTestCase()
    {
        qputenv("KELMORA_ART_DIR", QFile::encodeName(dir.filePath(QStringLiteral("art"))));
        const QList<QPair<const char*, QByteArray>> files{
            {"three.wav", wav(3)},
            {"one.wav", wav(6)},
            {"two.wav", wav(6)},
            {"other.wav", wav(6)},
            {"a.ogg", "x"},
            {"b.ogg", "x"},
            {"broken.mp3", "not audio at all\n"},
            {"picture.png", encodedImage(4, 4, Qt::gray)},
            {"wide.m3u", "#EXTM3U\n#EXTINF:3,\xe6\x9d\xb1\xe4\xba\xac - \xe5\xa4\x9c\xe3\x81\xae"
                         "\xe6\xad\x8c\xe3\x81\xa8\xe6\x9c\x9d\xe3\x81\xae\xe5\x85\x89\xe3\x81\xa8"
                         "\xe9\x95\xb7\xe3\x81\x84\xe6\x97\x85\nthree.wav\n"},
            {"ctl.pls", "[playlist]\nFile1=one.wav\nTitle1=Band - First\nFile2=two.wav\n"
                        "Title2=Second\nNumberOfEntries=2\n"},
            {"list.m3u",
             "#EXTM3U\n#EXTINF:125,Band - Song A\n#EXTIMG:http://art.example/a.png\na.ogg\n\n"
             "#EXTINF:-1 tvg-logo=\"https://art.example/b.png\",Only Title\r\nb.ogg\n"},
            {"list.pls", "[playlist]\nFile1=a.ogg\nTitle01=Band - Song P\nNumberOfEntries=1\n"},
            {"empty.m3u", "#EXTM3U\n"},
            {"huge.m3u", QByteArray(PlayerArguments::MaxPlaylistBytes + 1, '#')},
            {"bus.conf",
             "<busconfig><type>session</type><listen>unix:dir=" + QFile::encodeName(dir.path()) +
                 "</listen><policy context=\"default\"><allow send_destination=\"*\"/>"
                 "<allow receive_sender=\"*\"/><allow own=\"*\"/></policy></busconfig>"}};
        for (const auto& file : files) {
            QVERIFY(writeFile(dir.filePath(QLatin1String(file.first)), file.second));
        }
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));

        // A private bus (bus.conf): nothing of the desktop's is reached or started.
        bus.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--config-file=") + dir.filePath(QStringLiteral("bus.conf")),
                   QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        if (!bus.waitForStarted() || !bus.waitForReadyRead()) {
            return; // the bus tests skip
        }
        busAddress = QString::fromUtf8(bus.readLine()).trimmed();
        QVERIFY(QDBusConnection::connectToBus(busAddress, QStringLiteral("mpris-service"))
                    .isConnected());
        QVERIFY(QDBusConnection::connectToBus(busAddress, QStringLiteral("mpris-client"))
                    .isConnected());
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
        delete std::exchange(mpris, nullptr);
        delete std::exchange(window, nullptr);
        delete std::exchange(status, nullptr);
        delete std::exchange(player, nullptr);
        output.close();
        tearDownControls();
    }

    // Arguments, in: the mode, the items ("URL", or "URL title|artist|length|image" when
    // named), the MIME type, the problems, a usage error.
    void argumentsParse_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("mime");
        QTest::addColumn<QStringList>("problems");
        QTest::addColumn<bool>("usageError");
        const auto row = [](const char* name, const QStringList& args, int mode,
                            const QStringList& items, const QStringList& problems = {},
                            bool usageError = false, const QString& mime = {}) {
            QTest::newRow(name) << args << mode << items << mime << problems << usageError;
        };
        using A = PlayerArguments;
        const auto p = [this](const char* name) { return dir.filePath(QLatin1String(name)); };
        const QString a = p("a.ogg");
        const QString missing = p("missing.ogg");
        const QString folder = p("folder");
        const QString ua = media(QStringLiteral("a.ogg")).toString();
        const QString ub = media(QStringLiteral("b.ogg")).toString();
        const QString cannot = QStringLiteral("cannot play \"%1\": %2");
        const QString radio = QStringLiteral("http://radio.example/live");
        const QString m3u8 = QStringLiteral("https://radio.example/list.M3U8?x=1");
        const QString pls = QStringLiteral("http://radio.example/a.pls");
        row("one file", {a}, A::PlaySingleUri, {ua});
        row("missing file and folder", {missing, folder}, A::NothingToPlay, {},
            {cannot.arg(missing, QStringLiteral("no such file")),
             cannot.arg(folder, QStringLiteral("is a directory"))});
        row("missing file among others, a file URL", {missing, ua}, A::PlaySharedPlaylist, {ua},
            {cannot.arg(missing, QStringLiteral("no such file"))});
        // An M3U file's #EXTINF lines and a PLS file's TitleN name the entries before they play.
        const QStringList listM3u{ua + QStringLiteral(" Song A|Band|125|http://art.example/a.png"),
                                  ub + QStringLiteral(" Only Title||-1|https://art.example/b.png")};
        const QString listPls = ua + QStringLiteral(" Song P|Band|-1|");
        row("playlist file alone: its entries, as if given one by one", {p("list.pls")},
            A::PlaySharedPlaylist, {listPls});
        row("playlist files among others are read", {p("list.m3u"), p("list.pls")},
            A::PlaySharedPlaylist, listM3u + QStringList{listPls});
        row("empty and oversized playlist files", {p("empty.m3u"), p("huge.m3u")}, A::NothingToPlay,
            {},
            {cannot.arg(p("empty.m3u"), QStringLiteral("no entry in the playlist file")),
             cannot.arg(p("huge.m3u"), QStringLiteral("playlist file larger than %1 bytes")
                                           .arg(PlayerArguments::MaxPlaylistBytes))});
        row("playlist URL alone", {m3u8}, A::PlayPlaylistFile, {m3u8}, {}, false,
            QStringLiteral("application/vnd.apple.mpegurl"));
        row("playlist URL among others, a stream URL", {pls, radio}, A::PlaySharedPlaylist, {radio},
            {cannot.arg(pls, QStringLiteral("a playlist URL plays only on its own"))});
        row("other scheme and broken URL",
            {QStringLiteral("ftp://host/a.ogg"), QStringLiteral("http://")}, A::NothingToPlay, {},
            {cannot.arg(QStringLiteral("ftp://host/a.ogg"),
                        QStringLiteral("unsupported URL scheme")),
             cannot.arg(QStringLiteral("http://"), QStringLiteral("not a valid URL"))});
        row("option after --", {QStringLiteral("--"), QStringLiteral("--window")}, A::NothingToPlay,
            {}, {cannot.arg(QStringLiteral("--window"), QStringLiteral("no such file"))});
        row("unknown option", {QStringLiteral("--loud"), a}, A::NothingToPlay, {},
            {QStringLiteral("unknown option or missing value: --loud")}, true);
        row("screenshot without window", {QStringLiteral("--screenshot"), QStringLiteral("x.png")},
            A::NothingToPlay, {}, {QStringLiteral("--screenshot needs --window")}, true);
        row("no argument: the built-in sample", {}, A::PlaySharedPlaylist, listM3u);
    }

    void argumentsParse()
    {
        QFETCH(QStringList, args);
        const PlayerArguments parsed =
            PlayerArguments::parse(args, dir.filePath(QStringLiteral("list.m3u")));
        QTEST(parsed.problems(), "problems");
        QTEST(parsed.usageError(), "usageError");
        QTEST(int(parsed.mode()), "mode");
        QStringList items;
        for (const PlayerItem& item : parsed.items()) {
            items << item.url.toString() +
                         (item.title.isEmpty()
                              ? QString()
                              : QStringLiteral(" %1|%2|%3|%4")
                                    .arg(item.title, item.artist, QString::number(item.duration),
                                         item.imageUrl.toString()));
        }
        QTEST(items, "items");
        QTEST(parsed.playlistMimeType(), "mime");
    }
    // What a terminal shows: each status rewritten in place, a message above it, the end of
    // the line when all is over.
    void statusLineFollowsTheRenderer()
    {
        startPlayer("a.ogg b.ogg");
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
    void loopTrackKeepsTheItem_data()
    {
        QTest::addColumn<bool>("repeats");
        QTest::newRow("the renderer repeats it") << true;
        QTest::newRow("the renderer moves on, the player takes it back") << false;
    }
    void loopTrackKeepsTheItem()
    {
        startPlayer("a.ogg b.ogg c.ogg");
        QFETCH(bool, repeats);
        renderer->canRepeat = repeats;
        renderer->setState(MafwRenderer::Playing);
        const QUrl a = media(QStringLiteral("a.ogg"));
        player->setLoop(Player::LoopTrack);
        QSignalSpy seeked(player, &Player::seeked);
        for (int round = 0; round < 2; ++round) {
            controls->position();
            QVERIFY(renderer->answerPosition(uint(3 + round))); // the engine passes on changes
            renderer->endItem();
            QTRY_COMPARE(player->currentItem().url, a);
        }
        // Where the renderer repeats, the second round starts the item the first one reported
        // again, from 3 s: a jump to 0 for MPRIS clients.
        QCOMPARE(seeked.size(), repeats ? 1 : 0);
        player->setShuffle(true);
        QTRY_COMPARE(player->currentItem().url, a);
        renderer->endItem(); // on to the next item, or the end of the list
        QTRY_COMPARE(player->currentItem().url, a);
        QTRY_COMPARE(renderer->state(), MafwRenderer::Playing);
    }

    // Next is driven end to end by playerctlDrivesTheProgram.
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
        QDBusMessage message =
            QDBusMessage::createMethodCall(MprisService::ServiceName, MprisService::ObjectPath,
                                           MprisService::PlayerInterface, method);
        message.setArguments(args);
        QCOMPARE(client().call(message, QDBus::BlockWithGui).type(), QDBusMessage::ReplyMessage);
        QTEST(takeCommands(), "commands");
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
        QCOMPARE(next.value(QStringLiteral("xesam:title")).toString(), QStringLiteral("Gamma"));
        QCOMPARE(next.value(QStringLiteral("mpris:length")).toLongLong(), 61000000);
        Q_EMIT renderer->metadataChanged(QStringLiteral("title"), {QStringLiteral("Gamma")});
        Q_EMIT renderer->metadataChanged(QStringLiteral("duration"), {61});
        QTest::qWait(400); // past the grouping of changes
        QCOMPARE(changes.size(), 1);
    }

    // A tap on a row plays it and the marks follow the state; the list and the header show
    // the tags read ahead; the terminal's keys work in the window too.
    void windowFollowsThePlayer()
    {
        startPlayer("a.ogg b.ogg c.ogg", Tagged | WithWindow);
        QTRY_COMPARE(player->items().at(2).title, QStringLiteral("Gamma"));
        QCOMPARE(player->items().at(2).duration, 61);
        QCOMPARE(renderer->metadataRequests, 2);
        renderer->setState(MafwRenderer::Playing);
        QCOMPARE(window->captionTitle() + QLatin1Char('/') + window->captionArtist(),
                 QStringLiteral("Alpha/Band"));
        const int play = KelMediaLabel::PlayStatusPlay;
        const int none = KelMediaLabel::PlayStatusNone;
        QCOMPARE(marks(), (QList<int>{play, none, none}));
        KelMediaLabel* row = window->itemLabels().at(2);
        QTest::mouseClick(window->viewport(), Qt::LeftButton, {},
                          window->mapFromScene(row->mapToScene(row->boundingRect().center())));
        QVERIFY(takeCommands().contains(QStringLiteral("gotoIndex(2)")));
        Q_EMIT renderer->mediaChanged(2, MafwContent(media(QStringLiteral("c.ogg")).toString()));
        renderer->setState(MafwRenderer::Paused);
        QCOMPARE(marks(), (QList<int>{none, none, int(KelMediaLabel::PlayStatusPause)}));
        takeCommands();
        QTest::keyClick(window, Qt::Key_Space);
        QTest::keyClick(window, Qt::Key_P);
        QCOMPARE(takeCommands(),
                 (QStringList{QStringLiteral("resume"), QStringLiteral("previous")}));
    }

    // A picture on the web, named by the playlist file, comes through the art loader once.
    void webCoverComesThroughTheArtLoader()
    {
        LocalHttpServer server;
        QVERIFY(server.listen());
        server.addRoute(QStringLiteral("/cover.png"), {encodedImage(8, 8, Qt::green), "image/png"});
        QVERIFY(
            writeFile(dir.filePath(QStringLiteral("web.m3u")),
                      "#EXTM3U\n#EXTIMG:" + server.url(QStringLiteral("/cover.png")).toEncoded() +
                          "\na.ogg\nb.ogg\n"));
        startPlayer("web.m3u web.m3u", WithWindow);
        renderer->setState(MafwRenderer::Playing);
        QTRY_VERIFY(window->overlayLabel()->image() &&
                    window->overlayLabel()->image()->toImage().pixelColor(240, 130) ==
                        QColor(Qt::green));
        QCOMPARE(server.hits(QStringLiteral("/cover.png")), 1);
    }

    // In a terminal: the line is live (it has advanced before the end), fits the terminal
    // (also after a resize, with wide characters), and the last line says how it ended.
    void terminalSessionEnds_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("lastLine");
        const auto row = [this](const char* name, const char* files, const char* action, int code,
                                const char* lastLine) {
            QStringList args;
            for (const QString& file : QString::fromLatin1(files).split(QLatin1Char(' '))) {
                args << dir.filePath(file);
            }
            QTest::newRow(name) << args << QString::fromLatin1(action) << code
                                << QString::fromLatin1(lastLine);
        };
        row("q", "three.wav", "q", 0, "Stopped  00:0");
        row("Ctrl-C", "three.wav", "\x03", 130, "Stopped  00:0");
        row("SIGTERM", "three.wav", "term", 143, "Stopped  00:0");
        row("end, resized", "wide.m3u", "resize", 0, "Finished  00:03 / 00:03");
        row("a broken file and a picture", "broken.mp3 three.wav picture.png", "none", 1,
            "Finished  00:03 / 00:03  [2/2]");
    }

    void terminalSessionEnds()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, action);
        int width = 40;
        const Run run =
            runInTerminal(args, QStringLiteral("00:01 /"), [&](int terminal, pid_t pid) {
                if (action == QLatin1String("term")) {
                    ::kill(pid, SIGTERM);
                } else if (action == QLatin1String("resize")) {
                    width = 30;
                    winsize size{24, ushort(width), 0, 0};
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

    // From playerctl, on a single playlist file: each step a command (or none), then a query
    // and the pattern of its answer; Quit ends the program; its output, a pipe, has one line
    // per event.
    void playerctlDrivesTheProgram()
    {
        if (busAddress.isEmpty()) {
            QSKIP("no dbus-daemon");
        }
        QProcess program;
        program.setProcessEnvironment(environment());
        program.start(QStringLiteral(KELMORA_PLAYER_BINARY),
                      {dir.filePath(QStringLiteral("ctl.pls"))});
        const QString other = media(QStringLiteral("other.wav")).toString();
        const QList<std::array<QString, 3>> steps{
            {QString(), QStringLiteral("status"), QStringLiteral("Playing")},
            {QString(), QStringLiteral("metadata title"), QStringLiteral("First")},
            {QString(), QStringLiteral("metadata artist"), QStringLiteral("Band")},
            {QStringLiteral("next"), QStringLiteral("metadata title"), QStringLiteral("Second")},
            {QString(), QStringLiteral("metadata mpris:trackid"),
             QStringLiteral("'?/org/kelmora/player/track/1'?")},
            {QStringLiteral("previous"), QStringLiteral("metadata title"), QStringLiteral("First")},
            {QStringLiteral("volume 0.25"), QStringLiteral("volume"), QStringLiteral("0\\.250*")},
            {QStringLiteral("loop Playlist"), QStringLiteral("loop"), QStringLiteral("Playlist")},
            {QStringLiteral("position 3.5"), QStringLiteral("position"),
             QStringLiteral("[3-6]\\.\\d*")},
            {QStringLiteral("open ") + other, QStringLiteral("metadata xesam:url"),
             QRegularExpression::escape(other)}};
        for (const auto& step : steps) {
            if (!step[0].isEmpty()) {
                playerctl(step[0].split(QLatin1Char(' ')));
            }
            const QRegularExpression answer(QRegularExpression::anchoredPattern(step[2]));
            QString said;
            QTRY_VERIFY2_WITH_TIMEOUT(
                answer.match(said = playerctl(step[1].split(QLatin1Char(' ')))).hasMatch(),
                qPrintable(step[1] + QLatin1String(": ") + said), 15000);
        }

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

    // kelmora-player --window --screenshot plays its sample and writes a picture that shows
    // the playing item and the list.
    void screenshotShowsThePlayingItemAndTheList()
    {
        const QString shot = dir.filePath(QStringLiteral("shot.png"));
        QProcess program;
        program.setProcessEnvironment(environment());
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QStringLiteral(KELMORA_PLAYER_BINARY),
                      {QStringLiteral("--window"), QStringLiteral("--screenshot"), shot,
                       QStringLiteral("--screenshot-delay"), QStringLiteral("1500")});
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), 0);
        const QImage image(shot);
        QCOMPARE(image.size(), QSize(PlayerWindow::Width, PlayerWindow::Height));
        // The overlay shows the first track's cover, embedded in the file: a gradient from
        // orange to red with rings, in the sample.
        const QColor corner = image.pixelColor(2, 2);
        QVERIFY2(corner.red() > 180 && corner.red() > corner.green() &&
                     corner.green() > corner.blue(),
                 qPrintable(corner.name()));
        // Nothing is blank: the overlay, the transport, each of the sample's three rows.
        int top = 0;
        for (int height :
             {PlayerWindow::OverlayHeight, PlayerTransport::Height, PlayerWindow::RowHeight,
              PlayerWindow::RowHeight, PlayerWindow::RowHeight}) {
            QVERIFY2(colours(image, QRect(0, top, PlayerWindow::Width, height)) > (top ? 10 : 100),
                     qPrintable(QStringLiteral("blank at %1").arg(top)));
            top += height;
        }
    }
};

KELMORA_TEST_MAIN(TestPlayer)
#include "tst_player.moc"
