// The player's window: a tap on a row plays it, the marks follow the state, a web cover comes
// through the art loader (scripted renderer); end to end, kelmora-player --window --screenshot
// plays its sample and writes a picture that shows the playing item and the list.
#include "localhttpserver.h"
#include "playbackfixture.h"
#include "player.h"
#include "playertransport.h"
#include "playerwindow.h"
#include "testfiles.h"
#include "testmain.h"

#include <kelmedialabel.h>
#include <kelmedialabelmodel.h>
#include <keloverlaylabel.h>

#include <QFile>
#include <QGraphicsSceneMouseEvent>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>

class TestPlayerWindow : public QObject, PlaybackFixture
{
    Q_OBJECT

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

    static void tap(KelMediaLabel* label)
    {
        for (QEvent::Type type :
             {QEvent::GraphicsSceneMousePress, QEvent::GraphicsSceneMouseRelease}) {
            QGraphicsSceneMouseEvent event(type);
            event.setButton(Qt::LeftButton);
            event.setButtons(type == QEvent::GraphicsSceneMousePress ? Qt::LeftButton
                                                                     : Qt::NoButton);
            event.setScenePos(label->mapToScene(label->boundingRect().center()));
            QCoreApplication::sendEvent(label->scene(), &event);
        }
    }
    static QList<int> marks(const PlayerWindow& window)
    {
        QList<int> result;
        for (KelMediaLabel* label : window.itemLabels()) {
            result << label->labelModel()->playStatus();
        }
        return result;
    }

private Q_SLOTS:
    void cleanup() { tearDownControls(); }

    void tapPlaysTheRowAndMarksFollow()
    {
        setUpControls();
        QTemporaryDir dir;
        QStringList files;
        for (const char* name : {"a.ogg", "b.ogg", "c.ogg"}) {
            files << dir.filePath(QLatin1String(name));
            QVERIFY(writeFile(files.last(), {}));
        }
        // Tags are read ahead of play (b's cannot be): the list and the header show them.
        renderer->tags.insert(QUrl::fromLocalFile(files.at(0)),
                              {{QStringLiteral("title"), QStringLiteral("Alpha")},
                               {QStringLiteral("artist"), QStringLiteral("Band")}});
        renderer->tags.insert(
            QUrl::fromLocalFile(files.at(2)),
            {{QStringLiteral("title"), QStringLiteral("Gamma")}, {QStringLiteral("duration"), 61}});
        Player player(controls);
        PlayerWindow window(&player);
        QVERIFY(player.start(PlayerArguments::parse(files, QString())));
        QCOMPARE(window.itemLabels().size(), 3);
        QTRY_COMPARE(player.items().at(2).title, QStringLiteral("Gamma"));
        QCOMPARE(player.items().at(2).duration, 61);
        QCOMPARE(renderer->metadataRequests, 2);
        renderer->setState(MafwRenderer::Playing);
        QCOMPARE(window.captionTitle() + QLatin1Char('/') + window.captionArtist(),
                 QStringLiteral("Alpha/Band"));
        const int play = KelMediaLabel::PlayStatusPlay;
        const int none = KelMediaLabel::PlayStatusNone;
        QCOMPARE(marks(window), (QList<int>{play, none, none}));

        takeCommands();
        tap(window.itemLabels().at(2));
        QVERIFY(takeCommands().contains(QStringLiteral("gotoIndex(2)")));
        Q_EMIT renderer->mediaChanged(2, MafwContent(QUrl::fromLocalFile(files.at(2)).toString()));
        renderer->setState(MafwRenderer::Paused);
        QCOMPARE(marks(window), (QList<int>{none, none, int(KelMediaLabel::PlayStatusPause)}));

        // The terminal's keys work in the window too.
        takeCommands();
        QTest::keyClick(&window, Qt::Key_Space);
        QTest::keyClick(&window, Qt::Key_P);
        QCOMPARE(takeCommands(),
                 (QStringList{QStringLiteral("resume"), QStringLiteral("previous")}));
    }

    // A picture on the web, named by the playlist file, comes through the art loader.
    void webCoverComesThroughTheArtLoader()
    {
        setUpControls();
        QTemporaryDir dir;
        qputenv("KELMORA_ART_DIR", QFile::encodeName(dir.filePath(QStringLiteral("art"))));
        LocalHttpServer server;
        QVERIFY(server.listen());
        server.addRoute(QStringLiteral("/cover.png"), {encodedImage(8, 8, Qt::green), "image/png"});
        const QString list = dir.filePath(QStringLiteral("list.m3u"));
        QVERIFY(writeFile(
            list, "#EXTM3U\n#EXTIMG:" + server.url(QStringLiteral("/cover.png")).toEncoded() +
                      "\na.ogg\nb.ogg\n"));

        Player player(controls);
        PlayerWindow window(&player);
        QVERIFY(player.start(PlayerArguments::parse({list, list}, {})));
        renderer->setState(MafwRenderer::Playing);
        QTRY_VERIFY(window.overlayLabel()->image() &&
                    window.overlayLabel()->image()->toImage().pixelColor(240, 130) ==
                        QColor(Qt::green));
        QCOMPARE(server.hits(QStringLiteral("/cover.png")), 1);
        qunsetenv("KELMORA_ART_DIR");
    }

    void screenshotShowsThePlayingItemAndTheList()
    {
        QTemporaryDir dir;
        const QString shot = dir.filePath(QStringLiteral("shot.png"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("KELMORA_MAFW_PLUGIN_PATH"),
                   QStringLiteral(KELMORA_TEST_PLUGIN_DIR));
        env.insert(QStringLiteral("KELMORA_AUDIO_SINK"), QStringLiteral("fakesink sync=true"));
        env.insert(QStringLiteral("HOME"), dir.path());
        env.insert(QStringLiteral("XDG_CACHE_HOME"), dir.filePath(QStringLiteral("cache")));
        env.insert(QStringLiteral("KELMORA_ART_DIR"), dir.filePath(QStringLiteral("art")));
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                   QStringLiteral("unix:path=") + dir.filePath(QStringLiteral("no-bus")));
        QProcess player;
        player.setProcessEnvironment(env);
        player.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        player.start(QStringLiteral(KELMORA_PLAYER_BINARY),
                     {QStringLiteral("--window"), QStringLiteral("--screenshot"), shot,
                      QStringLiteral("--screenshot-delay"), QStringLiteral("1500")});
        QVERIFY(player.waitForFinished(60000));
        QCOMPARE(player.exitStatus(), QProcess::NormalExit);
        QCOMPARE(player.exitCode(), 0);

        const QImage image(shot);
        QCOMPARE(image.size(), QSize(PlayerWindow::Width, PlayerWindow::Height));
        // The overlay shows the first track's cover, embedded in the file: a gradient from
        // orange to red with rings, in the sample.
        const QRect overlay(0, 0, PlayerWindow::Width, PlayerWindow::OverlayHeight);
        QVERIFY2(colours(image, overlay) > 100, "the overlay label is blank");
        const QColor corner = image.pixelColor(2, 2);
        QVERIFY2(corner.red() > 180 && corner.red() > corner.green() &&
                     corner.green() > corner.blue(),
                 qPrintable(corner.name()));
        // The transport and each of the sample's three rows have their marks on them.
        const int top = PlayerWindow::OverlayHeight + PlayerTransport::Height;
        QVERIFY(colours(image, QRect(0, PlayerWindow::OverlayHeight, PlayerWindow::Width,
                                     PlayerTransport::Height)) > 10);
        for (int row = 0; row < 3; ++row) {
            const QRect area(0, top + row * PlayerWindow::RowHeight, PlayerWindow::Width,
                             PlayerWindow::RowHeight);
            QVERIFY2(colours(image, area) > 10, qPrintable(QStringLiteral("row %1").arg(row)));
        }
    }
};

KELMORA_TEST_MAIN(TestPlayerWindow)
#include "tst_playerwindow.moc"
