// The GStreamer renderer end to end, through the play controls, on media made here and played
// to fake sinks.
#include "localhttpserver.h"
#include "mediafactory.h"
#include "playbackfixture.h"

#include <kelvideopolicyhandler.h>
#include <mafwplaylist.h>
#include <mafwregistry.h>
#include <mafwshared.h>
#include <mapplication.h>

#include <QBuffer>
#include <QtTest>

#include <gst/gst.h>

namespace {
const int Timeout = 15000;
}

class TestGstRenderer : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;
    LocalHttpServer server;
    KelVideoPolicyHandler* video = nullptr;
    KelPlayControls* controls = nullptr;
    SignalLog* log = nullptr;
    RecordingHandler* listHandler = nullptr;
    RecordingHandler* uriHandler = nullptr;

    QUrl media(const QString& name) const { return QUrl::fromLocalFile(dir.filePath(name)); }
    static MafwRenderer* renderer(const char* id = "mafw_gst_renderer")
    {
        return MafwRegistry::instance()->findRenderer(QString::fromLatin1(id));
    }
    bool waitFor(const QString& entry, int timeout = Timeout)
    {
        return QTest::qWaitFor([&]() { return log->entries.contains(entry); }, timeout);
    }
    QList<QPair<uint, int>> positions() const
    {
        QList<QPair<uint, int>> result;
        for (const QString& e : log->only(QStringLiteral("positionChanged("))) {
            const QStringList parts = e.mid(16).chopped(1).split(QLatin1Char(','));
            result << qMakePair(parts.at(0).toUInt(), parts.at(1).toInt());
        }
        return result;
    }
    // Items the renderer reported, each once in a row (the engine's own start notice, with no
    // content, left out).
    static QStringList indexesTold(const RecordingHandler* handler)
    {
        QStringList told;
        for (const QString& call : handler->calls) {
            if (call.startsWith(QLatin1String("setDataFromIndex(")) &&
                !call.endsWith(QLatin1String(",)")) && (told.isEmpty() || told.last() != call)) {
                told << call;
            }
        }
        return told;
    }
    MafwPlaylist* sharedPlaylist(const QString& name, const QStringList& files)
    {
        MafwPlaylist* playlist = MafwShared::instance()->createPlaylist(name);
        for (const QString& file : files) {
            playlist->appendItem(media(file));
        }
        return playlist;
    }
    // No start or seek of the renderer is still under way.
    static bool settled()
    {
        return QTest::qWaitFor([]() { return renderer()->property("settled").toBool(); }, Timeout);
    }
    static GstElement* rendererPipeline()
    {
        return reinterpret_cast<GstElement*>(
            quintptr(renderer()->property("gstPipeline").toULongLong()));
    }
    qint64 positionMs() const { return renderer()->property("positionMs").toLongLong(); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        for (int i = 1; i <= 3; ++i) {
            QVERIFY(MediaFactory::writeWav(dir.filePath(QStringLiteral("tone%1.wav").arg(i)), 1000,
                                           220 * i));
            QVERIFY(MediaFactory::writeWav(dir.filePath(QStringLiteral("long%1.wav").arg(i)), 4000,
                                           220 * i));
        }
        QVERIFY(MediaFactory::writeVorbis(dir.filePath(QStringLiteral("tone.ogg")), 4000));
        QVERIFY(MediaFactory::writeTheora(dir.filePath(QStringLiteral("clip.ogv")), 25));
        QFile garbage(dir.filePath(QStringLiteral("garbage.wav")));
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        for (int i = 0; i < 4096; ++i) {
            garbage.putChar(char((i * 7919) % 251));
        }
        garbage.close();
        auto writeText = [this](const QString& name, const QString& text) {
            QFile file(dir.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(text.toUtf8());
        };
        writeText(QStringLiteral("mirrors.pls"),
                  QStringLiteral("[playlist]\nFile1=%1\nFile2=%2\nNumberOfEntries=2\n")
                      .arg(media(QStringLiteral("missing.wav")).toString(),
                           media(QStringLiteral("tone1.wav")).toString()));
        writeText(QStringLiteral("dead.m3u"),
                  QStringLiteral("#EXTM3U\nnothere1.wav\nnothere2.wav\n"));

        QVERIFY(server.listen());
        QFile wav(dir.filePath(QStringLiteral("tone1.wav")));
        QVERIFY(wav.open(QIODevice::ReadOnly));
        server.addRoute(QStringLiteral("/tone.wav"), {wav.readAll(), "audio/x-wav"});
        QFile longWav(dir.filePath(QStringLiteral("long1.wav")));
        QVERIFY(longWav.open(QIODevice::ReadOnly));
        LocalHttpServer::Route cut{longWav.readAll(), "audio/x-wav"};
        cut.cutAfter = cut.body.size() / 3;
        server.addRoute(QStringLiteral("/cut.wav"), cut);
        QFile ogg(dir.filePath(QStringLiteral("tone.ogg")));
        QVERIFY(ogg.open(QIODevice::ReadOnly));
        server.addRoute(QStringLiteral("/live.ogg"), {ogg.readAll(), "audio/ogg", 200, true});
        server.addRoute(QStringLiteral("/radio.pls"),
                        {QStringLiteral("[playlist]\nFile1=/gone.wav\nFile2=/tone.wav\n").toUtf8(),
                         "audio/x-scpls"});

        // Hears the video renderer only if it exists before the plug-in announces it.
        video = new KelVideoPolicyHandler(this);
        KelPlayControls::instance()->init();
        QVERIFY(renderer());
        QVERIFY(renderer("mafw_gst_internal_video_renderer"));
        delete KelPlayControls::instance();
    }

    void init()
    {
        controls = KelPlayControls::instance();
        log = new SignalLog(controls);
        listHandler = new RecordingHandler;
        uriHandler = new RecordingHandler;
        controls->setMetadataHandler(listHandler, KelPlayControls::PlaylistContent);
        controls->setMetadataHandler(uriHandler, KelPlayControls::UriContent);
        controls->init();
        log->take();
    }

    void cleanup()
    {
        renderer()->stop();
        renderer("mafw_gst_internal_video_renderer")->stop();
        delete controls;
        for (const QString& name : MafwShared::instance()->playlistNames()) {
            MafwShared::instance()->unPublishPlaylist(name);
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void playsToCompletion()
    {
        controls->play(media(QStringLiteral("long1.wav")));
        QVERIFY(waitFor(QStringLiteral("playbackCompleted")));
        QVERIFY(waitFor(QStringLiteral("stateChanged(0)")));
        const QStringList entries = log->entries;
        const int playing = entries.indexOf(QStringLiteral("stateChanged(1)"));
        QVERIFY(playing >= 0);
        QCOMPARE(entries.count(QStringLiteral("stateChanged(1)")), 1);
        QVERIFY(entries.lastIndexOf(QStringLiteral("playbackCompleted")) > playing);
        QCOMPARE(entries.last(), QStringLiteral("stateChanged(0)"));
        const auto reported = positions();
        QVERIFY2(reported.size() >= 2, qPrintable(entries.join(QLatin1Char(' '))));
        uint previous = 0;
        for (const auto& p : reported) {
            QVERIFY(p.first >= previous && p.first <= 4);
            QVERIFY(qAbs(p.second - 4) <= 1);
            previous = p.first;
        }
        QVERIFY(controls->isSeekable());
    }

    void seekAndPauseAt()
    {
        controls->play(media(QStringLiteral("long2.wav")));
        QVERIFY(waitFor(QStringLiteral("stateChanged(1)")));
        controls->setPosition(3);
        QVERIFY(QTest::qWaitFor([&]() { return !positions().isEmpty(); }, Timeout));
        QVERIFY(qAbs(int(positions().first().first) - 3) <= 1);
        controls->pauseAt(1);
        QVERIFY(waitFor(QStringLiteral("stateChanged(2)")));
        QVERIFY(settled());
        QVERIFY2(qAbs(positionMs() - 1000) <= 1000, qPrintable(QString::number(positionMs())));
        QCOMPARE(controls->state(), MafwRenderer::Paused);

        // From stopped: paused at the position, not playing.
        controls->stop();
        QVERIFY(waitFor(QStringLiteral("stateChanged(0)")));
        log->take();
        controls->pauseAt(2);
        QVERIFY(waitFor(QStringLiteral("stateChanged(2)")));
        QVERIFY(settled());
        QVERIFY(qAbs(positionMs() - 2000) <= 1000);
        QVERIFY(!log->entries.contains(QStringLiteral("stateChanged(1)")));
    }

    // Accurate seeks on Vorbis, where key-unit seeks land hundreds of milliseconds off.
    void seeksAreAccurate_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::newRow("1 s") << 1;
        QTest::newRow("2 s") << 2;
        QTest::newRow("3 s") << 3;
    }
    void seeksAreAccurate()
    {
        QFETCH(int, seconds);
        controls->pauseAt(0);
        controls->play(media(QStringLiteral("tone.ogg")));
        QVERIFY(waitFor(QStringLiteral("stateChanged(1)")));
        controls->pause();
        QVERIFY(waitFor(QStringLiteral("stateChanged(2)")));
        controls->setPosition(uint(seconds));
        QVERIFY(settled());
        QVERIFY2(qAbs(positionMs() - seconds * 1000) <= 50,
                 qPrintable(QString::number(positionMs())));
    }

    void pauseAndResume()
    {
        controls->play(media(QStringLiteral("long3.wav")));
        QVERIFY(waitFor(QStringLiteral("stateChanged(1)")));
        controls->pause();
        QVERIFY(waitFor(QStringLiteral("stateChanged(2)")));
        log->take();
        controls->resume();
        QVERIFY(waitFor(QStringLiteral("stateChanged(1)")));
        QCOMPARE(controls->state(), MafwRenderer::Playing);
    }

    void tagsReachTheHandler()
    {
        controls->play(media(QStringLiteral("tone.ogg")));
        QVERIFY(QTest::qWaitFor(
            [&]() {
                return uriHandler->calls.contains(QStringLiteral("onMetadataChange(title,1)"));
            },
            Timeout));
        QVERIFY(uriHandler->calls.contains(QStringLiteral("onMetadataChange(artist,1)")));
    }

    // Each item reaches the handler while the state stays Playing across the hand-overs.
    void playlistPlaysInOrder()
    {
        MafwPlaylist* list = sharedPlaylist(QStringLiteral("three"), {QStringLiteral("tone1.wav"),
                                                                      QStringLiteral("tone2.wav"),
                                                                      QStringLiteral("tone3.wav")});
        QStringList expected;
        for (uint i = 0; i < 3; ++i) {
            expected
                << QStringLiteral("setDataFromIndex(%1,%2)").arg(i).arg(list->item(i).toString());
        }
        QVERIFY(controls->setPlaylist(QStringLiteral("three"))); // unpublished at the end
        QVERIFY(waitFor(QStringLiteral("playlistChanged(three)")));
        controls->play(0u);
        QVERIFY(waitFor(QStringLiteral("playbackCompleted"), 3 * Timeout));
        QVERIFY2(indexesTold(listHandler) == expected,
                 qPrintable(listHandler->calls.join(QLatin1Char(' ')) + QLatin1Char('\n') +
                            log->entries.join(QLatin1Char(' '))));

        QStringList states = log->only(QStringLiteral("stateChanged"));
        states.removeAll(QStringLiteral("stateChanged(3)"));
        QCOMPARE(states.mid(0, 1), QStringList{QStringLiteral("stateChanged(1)")});
        QCOMPARE(states.count(QStringLiteral("stateChanged(1)")), 1);
    }

    void playlistNavigation()
    {
        MafwPlaylist* list = sharedPlaylist(QStringLiteral("nav"), {QStringLiteral("long1.wav"),
                                                                    QStringLiteral("long2.wav"),
                                                                    QStringLiteral("long3.wav")});
        QVERIFY(controls->setPlaylist(QStringLiteral("nav")));
        QVERIFY(waitFor(QStringLiteral("playlistChanged(nav)")));
        controls->play(0u);
        QVERIFY(waitFor(QStringLiteral("stateChanged(1)")));
        auto told = [&](int index) {
            const QString call = QStringLiteral("setDataFromIndex(%1,%2)")
                                     .arg(index)
                                     .arg(list->item(uint(index)).toString());
            return QTest::qWaitFor([&]() { return listHandler->calls.contains(call); }, Timeout);
        };
        listHandler->calls.clear();
        controls->next();
        QVERIFY(told(1));
        listHandler->calls.clear();
        controls->previous();
        QVERIFY(told(0));
        listHandler->calls.clear();
        controls->setPlaylistIndex(2);
        QVERIFY(told(2));
        QVERIFY(waitFor(QStringLiteral("stateChanged(1)")));
        QCOMPARE(controls->state(), MafwRenderer::Playing);
    }

    // Shuffled play visits every item once.
    void shufflePlayVisitsAll()
    {
        MafwPlaylist* list = sharedPlaylist(QStringLiteral("mix"), {QStringLiteral("tone1.wav"),
                                                                    QStringLiteral("tone2.wav"),
                                                                    QStringLiteral("tone3.wav")});
        QVERIFY(controls->setPlaylist(QStringLiteral("mix"), false));
        QVERIFY(waitFor(QStringLiteral("playlistChanged(mix)")));
        controls->shufflePlay(1);
        QVERIFY(waitFor(QStringLiteral("playbackCompleted"), 3 * Timeout));
        QVERIFY(list->isShuffled());
        QStringList uris;
        for (const QString& call : indexesTold(listHandler)) {
            const QString uri = call.section(QLatin1Char(','), 1).chopped(1);
            if (uris.isEmpty() || uris.last() != uri) {
                uris << uri;
            }
        }
        QCOMPARE(uris.size(), 3);
        QCOMPARE(uris.first(), media(QStringLiteral("tone2.wav")).toString());
        QCOMPARE(QSet<QString>(uris.begin(), uris.end()).size(), 3);
    }

    void playlistFileSkipsDeadMirror_data()
    {
        QTest::addColumn<QUrl>("url");
        QTest::newRow("local pls") << QUrl();
        QTest::newRow("pls over http") << QUrl(QStringLiteral("/radio.pls"));
    }
    void playlistFileSkipsDeadMirror()
    {
        QFETCH(QUrl, url);
        const QUrl target =
            url.isEmpty() ? media(QStringLiteral("mirrors.pls")) : server.url(url.path());
        controls->playPlaylist(target, QStringLiteral("audio/x-scpls"));
        log->take(); // the completion owed for what played before
        QVERIFY(waitFor(QStringLiteral("playbackCompleted"), 2 * Timeout));
        QVERIFY(log->only(QStringLiteral("error")).isEmpty());
        QVERIFY2(log->entries.contains(QStringLiteral("stateChanged(1)")),
                 qPrintable(log->entries.join(QLatin1Char(' '))));
    }

    // One failure, one error, and never Playing.
    void failures_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<int>("code");
        QTest::newRow("missing file")
            << QStringLiteral("missing.wav") << int(MafwError::ResourceNotFound);
        QTest::newRow("not media")
            << QStringLiteral("garbage.wav") << int(MafwError::NotAMediaFile);
        QTest::newRow("http 404") << QStringLiteral("http:/none.wav")
                                  << int(MafwError::ResourceNotFound);
        QTest::newRow("refused") << QStringLiteral("refused") << int(MafwError::ServerUnreachable);
        QTest::newRow("live stream ends")
            << QStringLiteral("http:/live.ogg") << int(MafwError::StreamEnded);
        QTest::newRow("no mirror plays")
            << QStringLiteral("dead.m3u") << int(MafwError::NoPlayableEntry);
        QTest::newRow("unreadable playlist")
            << QStringLiteral("none.pls") << int(MafwError::PlaylistUnreadable);
    }
    void failures()
    {
        QFETCH(QString, what);
        QFETCH(int, code);
        QUrl url = media(what);
        if (what.startsWith(QLatin1String("http:"))) {
            url = server.url(what.mid(5));
        } else if (what == QLatin1String("refused")) {
            QTcpServer closed;
            QVERIFY(closed.listen(QHostAddress::LocalHost));
            url = QUrl(QStringLiteral("http://127.0.0.1:%1/x.wav").arg(closed.serverPort()));
        }
        if (what.endsWith(QLatin1String(".pls")) || what.endsWith(QLatin1String(".m3u"))) {
            controls->playPlaylist(url, what.endsWith(QLatin1String(".pls"))
                                            ? QStringLiteral("audio/x-scpls")
                                            : QStringLiteral("audio/x-mpegurl"));
        } else {
            controls->play(url);
        }
        QVERIFY(waitFor(QStringLiteral("error(%1)").arg(code), 2 * Timeout));
        QVERIFY(
            QTest::qWaitFor([&]() { return controls->state() == MafwRenderer::Stopped; }, Timeout));
        QTest::qWait(300); // a second error would come within this
        QCOMPARE(log->only(QStringLiteral("error")).size(), 1);
        if (code != MafwError::StreamEnded && code != MafwError::ConnectionLost) {
            QVERIFY(!log->entries.contains(QStringLiteral("stateChanged(1)")));
        }
    }

    void httpFilePlays()
    {
        controls->play(server.url(QStringLiteral("/tone.wav")));
        log->take(); // the completion owed for what played before
        QVERIFY(waitFor(QStringLiteral("playbackCompleted"), 2 * Timeout));
        QVERIFY(log->only(QStringLiteral("error")).isEmpty());
        // A network stream reports how full its buffer is.
        const QStringList buffering = log->only(QStringLiteral("bufferingChanged("));
        QVERIFY2(buffering.contains(QStringLiteral("bufferingChanged(1)")),
                 qPrintable(buffering.join(QLatin1Char(' '))));
    }

    // The sound server corks the stream for a call and releases it afterwards.
    void policyOverride()
    {
        controls->play(media(QStringLiteral("long1.wav")));
        QVERIFY(waitFor(QStringLiteral("stateChanged(1)")));
        GstElement* pipeline = rendererPipeline();
        QSignalSpy policy(renderer(), &MafwRenderer::mafwPropertyChanged);
        gst_element_post_message(
            pipeline, gst_message_new_request_state(GST_OBJECT(pipeline), GST_STATE_PAUSED));
        QVERIFY(waitFor(QStringLiteral("stateChanged(2)")));
        QCOMPARE(policy.size(), 1);
        QCOMPARE(policy.first().at(1).toBool(), true);
        log->take();
        gst_element_post_message(
            pipeline, gst_message_new_request_state(GST_OBJECT(pipeline), GST_STATE_PLAYING));
        QVERIFY(waitFor(QStringLiteral("stateChanged(1)"))); // the engine resumes
        QCOMPARE(policy.size(), 2);
        QCOMPARE(policy.last().at(1).toBool(), false);
    }

    // Embedded cover art becomes a file in the cache, reported by URL.
    void coverArtBecomesUrl()
    {
        controls->play(media(QStringLiteral("long1.wav")));
        QVERIFY(waitFor(QStringLiteral("stateChanged(1)")));
        QImage cover(4, 4, QImage::Format_RGB32);
        cover.fill(Qt::cyan);
        QByteArray png;
        QBuffer out(&png);
        cover.save(&out, "PNG");
        GstBuffer* buffer = gst_buffer_new_memdup(png.constData(), gsize(png.size()));
        GstCaps* caps = gst_caps_new_empty_simple("image/png");
        GstSample* sample = gst_sample_new(buffer, caps, nullptr, nullptr);
        GstTagList* tags = gst_tag_list_new(GST_TAG_IMAGE, sample, nullptr);
        gst_sample_unref(sample);
        gst_caps_unref(caps);
        gst_buffer_unref(buffer);
        QSignalSpy metadata(renderer(), &MafwRenderer::metadataChanged);
        GstElement* pipeline = rendererPipeline();
        gst_element_post_message(pipeline, gst_message_new_tag(GST_OBJECT(pipeline), tags));
        QVERIFY(QTest::qWaitFor(
            [&]() {
                return uriHandler->calls.contains(QStringLiteral("onMetadataChange(image-url,1)"));
            },
            Timeout));
        QUrl url;
        for (const QVariantList& args : qAsConst(metadata)) {
            if (args.at(0).toString() == QLatin1String("image-url")) {
                url = args.at(1).value<QList<QVariant>>().value(0).toUrl();
            }
        }
        QVERIFY(url.isLocalFile());
        QCOMPARE(QImage(url.toLocalFile()).pixel(1, 1), qRgb(0, 255, 255));
    }

    void videoPolicyFollowsVideoRenderer()
    {
        QSignalSpy spy(video, &KelVideoPolicyHandler::videoPlayStateChanged);
        MafwRenderer* internal = renderer("mafw_gst_internal_video_renderer");
        QSignalSpy completed(internal, &MafwRenderer::playbackCompleted);
        QVERIFY(internal->playUri(media(QStringLiteral("clip.ogv"))));
        QVERIFY(completed.wait(Timeout));
        QVERIFY(QTest::qWaitFor([&]() { return !spy.isEmpty() && !spy.last().first().toBool(); },
                                Timeout));
        QVERIFY(spy.first().first().toBool());
        bool sawPlaying = false;
        for (const QVariantList& args : qAsConst(spy)) {
            sawPlaying |= args.first().toBool();
        }
        QVERIFY(sawPlaying);
    }
};

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("KELMORA_MAFW_PLUGIN_PATH", KELMORA_TEST_PLUGIN_DIR);
    qputenv("KELMORA_AUDIO_SINK", "fakesink sync=true");
    qputenv("KELMORA_VIDEO_SINK", "fakesink sync=true");
    QStandardPaths::setTestModeEnabled(true);
    MApplication app(argc, argv);
    TestGstRenderer test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_gstrenderer.moc"
