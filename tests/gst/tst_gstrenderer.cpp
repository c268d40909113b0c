// The GStreamer renderer end to end, through the play controls, on media made here and played
// to fake sinks: what only a real renderer does (the contract suite covers the rest).
#include "localhttpserver.h"
#include "mediafactory.h"
#include "playbackfixture.h"

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

class TestGstRenderer : public QObject, PlaybackFixture
{
    Q_OBJECT

    QTemporaryDir dir;
    LocalHttpServer server;
    RecordingHandler* listHandler = nullptr;
    RecordingHandler* uriHandler = nullptr;

    QUrl media(const QString& name) const { return QUrl::fromLocalFile(dir.filePath(name)); }
    static MafwRenderer* gst(const char* id = "mafw_gst_renderer")
    {
        return MafwRegistry::instance()->findRenderer(QString::fromLatin1(id));
    }
    bool waitFor(const QString& entry, int timeout = Timeout)
    {
        return QTest::qWaitFor([&]() { return journal.contains(entry); }, timeout);
    }
    bool heard(RecordingHandler* handler, const QString& call)
    {
        return QTest::qWaitFor([&]() { return handler->calls.contains(call); }, Timeout);
    }
    QStringList errors() const
    {
        return journal.filter(QRegularExpression(QStringLiteral("^err")));
    }
    static GstElement* pipeline()
    {
        return reinterpret_cast<GstElement*>(
            quintptr(gst()->property("gstPipeline").toULongLong()));
    }
    static qint64 positionMs() { return gst()->property("positionMs").toLongLong(); }
    // GStreamer messages alive now, as the leaks tracer set up in main() counts them.
    static int liveMessages()
    {
        GList* tracers = gst_tracing_get_active_tracers();
        int count = -1;
        for (GList* it = tracers; it; it = it->next) {
            if (qstrcmp(G_OBJECT_TYPE_NAME(it->data), "GstLeaksTracer") == 0) {
                GstStructure* info = nullptr;
                g_signal_emit_by_name(it->data, "get-live-objects", &info);
                count = int(
                    gst_value_list_get_size(gst_structure_get_value(info, "live-objects-list")));
                gst_structure_free(info);
            }
        }
        g_list_free_full(tracers, gst_object_unref);
        return count;
    }
    void writeFile(const QString& name, const QByteArray& data)
    {
        QFile file(dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(data) == data.size());
    }
    QByteArray readFile(const QString& name)
    {
        QFile file(dir.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(dir.isValid());
        for (int i = 1; i <= 3; ++i) {
            QVERIFY(MediaFactory::writeWav(dir.filePath(QStringLiteral("tone%1.wav").arg(i)), 1000,
                                           220 * i));
        }
        QVERIFY(MediaFactory::writeWav(dir.filePath(QStringLiteral("long.wav")), 4000, 330));
        QVERIFY(MediaFactory::writeVorbis(dir.filePath(QStringLiteral("tone.ogg")), 4000));
        QByteArray garbage;
        for (int i = 0; i < 4096; ++i) {
            garbage.append(char((i * 7919) % 251));
        }
        writeFile(QStringLiteral("garbage.wav"), garbage);
        writeFile(QStringLiteral("mirrors.pls"),
                  QStringLiteral("[playlist]\nFile1=%1\nFile2=%2\nNumberOfEntries=2\n")
                      .arg(media(QStringLiteral("missing.wav")).toString(),
                           media(QStringLiteral("tone1.wav")).toString())
                      .toUtf8());
        writeFile(QStringLiteral("dead.m3u"), "#EXTM3U\nnothere1.wav\nnothere2.wav\n");
        writeFile(QStringLiteral("gap.m3u"), "#EXTM3U\nlong.wav\nnothere.wav\ntone2.wav\n");

        QVERIFY(server.listen());
        server.addRoute(QStringLiteral("/tone.wav"),
                        {readFile(QStringLiteral("tone1.wav")), "audio/x-wav"});
        server.addRoute(QStringLiteral("/live.ogg"),
                        {readFile(QStringLiteral("tone.ogg")), "audio/ogg", 200, true});
        server.addRoute(
            QStringLiteral("/local.pls"),
            {"[playlist]\nFile1=" + media(QStringLiteral("tone1.wav")).toEncoded() + "\n",
             "audio/x-scpls"});
        QByteArray dead = "#EXTM3U\n";
        for (int i = 0; i < 50; ++i) {
            dead += "/dead" + QByteArray::number(i) + ".wav\n";
        }
        server.addRoute(QStringLiteral("/dead.m3u"), {dead + "/tone.wav\n", "audio/x-mpegurl"});
        server.addRoute(QStringLiteral("/page.wav"),
                        {"<!DOCTYPE html><html><body>Not here</body></html>", "text/html"});
        server.addRoute(QStringLiteral("/loop.wav"),
                        {{}, "audio/x-wav", 302, false, -1, "Location: /loop.wav\r\n"});
        server.addRoute(QStringLiteral("/cut.wav"),
                        {readFile(QStringLiteral("long.wav")), "audio/x-wav", 200, false, 200000});
        server.addRoute(
            QStringLiteral("/stall.wav"),
            {readFile(QStringLiteral("tone1.wav")), "audio/x-wav", 200, false, -1, {}, true});
        server.addRoute(QStringLiteral("/radio.pls"),
                        {"[playlist]\nFile1=/gone.wav\nFile2=/tone.wav\n", "audio/x-scpls"});

        KelPlayControls::instance()->init();
        QVERIFY(gst());
        QVERIFY(gst("mafw_gst_internal_video_renderer"));
        delete KelPlayControls::instance();
    }

    void init()
    {
        setUpControls(false, false);
        listHandler = handler(KelPlayControls::PlaylistContent);
        uriHandler = handler(KelPlayControls::UriContent);
        controls->init();
        journal.clear();
    }

    void cleanup()
    {
        gst()->stop();
        gst("mafw_gst_internal_video_renderer")->stop();
        tearDownControls();
    }

    // Seeks land where asked, also on Vorbis where key-unit seeks land far off; pauseAt()
    // pauses there, from Stopped without playing first.
    void seeks_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("pauseAt");
        QTest::addColumn<bool>("fromStopped");
        QTest::addColumn<int>("seconds");
        QTest::newRow("vorbis, 1 s") << "tone.ogg" << false << false << 1;
        QTest::newRow("vorbis, 3 s") << "tone.ogg" << false << false << 3;
        QTest::newRow("pause at, playing") << "long.wav" << true << false << 1;
        QTest::newRow("pause at, stopped") << "long.wav" << true << true << 2;
    }
    void seeks()
    {
        QFETCH(QString, file);
        QFETCH(bool, pauseAt);
        QFETCH(bool, fromStopped);
        QFETCH(int, seconds);
        controls->play(media(file));
        if (fromStopped) {
            controls->stop();
            journal.clear();
        } else {
            QVERIFY(waitFor(QStringLiteral("state1")));
        }
        if (pauseAt) {
            controls->pauseAt(uint(seconds));
        } else {
            controls->pause();
            QVERIFY(waitFor(QStringLiteral("state2")));
            controls->setPosition(uint(seconds));
        }
        QVERIFY(waitFor(QStringLiteral("state2")));
        QVERIFY(QTest::qWaitFor([]() { return gst()->property("settled").toBool(); }, Timeout));
        QVERIFY2(qAbs(positionMs() - seconds * 1000) <= 50,
                 qPrintable(QString::number(positionMs())));
        QCOMPARE(journal.contains(QStringLiteral("state1")), !fromStopped);
    }

    // A playlist file's entries are mirrors: one that fails is skipped. A network stream
    // reports how full its buffer is.
    void playlistFileSkipsDeadMirror_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("local pls") << QString();
        QTest::newRow("pls over http") << QStringLiteral("/radio.pls");
    }
    void playlistFileSkipsDeadMirror()
    {
        QFETCH(QString, path);
        controls->playPlaylist(path.isEmpty() ? media(QStringLiteral("mirrors.pls"))
                                              : server.url(path),
                               QStringLiteral("audio/x-scpls"));
        journal.clear(); // the completion owed for what played before
        QVERIFY(waitFor(QStringLiteral("done"), 2 * Timeout));
        QVERIFY(errors().isEmpty());
        QVERIFY2(journal.contains(QStringLiteral("state1")) &&
                     (path.isEmpty() || journal.contains(QStringLiteral("buf(1)"))),
                 qPrintable(journal.join(QLatin1Char(' '))));
    }

    // One failure, one error with its code, and never Playing.
    void failures_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<int>("code");
        QTest::newRow("not media") << "garbage.wav" << int(MafwError::NotAMediaFile);
        QTest::newRow("http 404") << "http:/none.wav" << int(MafwError::ResourceNotFound);
        QTest::newRow("refused") << "refused" << int(MafwError::ServerUnreachable);
        QTest::newRow("live stream ends") << "http:/live.ogg" << int(MafwError::StreamEnded);
        QTest::newRow("html as audio") << "http:/page.wav" << int(MafwError::NotAMediaFile);
        QTest::newRow("redirect loop") << "http:/loop.wav" << int(MafwError::ServerUnreachable);
        QTest::newRow("cut, no resume") << "http:/cut.wav" << int(MafwError::ConnectionLost);
        QTest::newRow("stall after headers")
            << "http:/stall.wav" << int(MafwError::ServerUnreachable);
        QTest::newRow("no mirror plays") << "dead.m3u" << int(MafwError::NoPlayableEntry);
        QTest::newRow("remote list names local files")
            << "http:/local.pls" << int(MafwError::NoPlayableEntry);
    }
    void failures()
    {
        QFETCH(QString, what);
        QFETCH(int, code);
        QUrl url = media(what);
        const QVariant stallTimeout = gst()->property("stallTimeout");
        gst()->setProperty("stallTimeout", 1); // seconds
        const auto restore =
            qScopeGuard([&]() { gst()->setProperty("stallTimeout", stallTimeout); });
        QTcpServer closed;
        if (what.startsWith(QLatin1String("http:"))) {
            url = server.url(what.mid(5));
        } else if (what == QLatin1String("refused")) {
            QVERIFY(closed.listen(QHostAddress::LocalHost));
            url = QUrl(QStringLiteral("http://127.0.0.1:%1/x.wav").arg(closed.serverPort()));
            closed.close();
        }
        if (what.endsWith(QLatin1String(".pls")) || what.endsWith(QLatin1String(".m3u"))) {
            controls->playPlaylist(url, what.endsWith(QLatin1String(".pls"))
                                            ? QStringLiteral("audio/x-scpls")
                                            : QStringLiteral("audio/x-mpegurl"));
        } else {
            controls->play(url);
        }
        QVERIFY(QTest::qWaitFor([&]() { return !errors().isEmpty(); }, 2 * Timeout));
        QCOMPARE(errors().first(), QStringLiteral("err%1").arg(code));
        QVERIFY(waitFor(QStringLiteral("state0")));
        QTest::qWait(300); // a second error would come within this
        QCOMPARE(errors().size(), 1);
        if (code != MafwError::ConnectionLost) { // a cut body may have begun to play
            QCOMPARE(journal.contains(QStringLiteral("state1")), code == MafwError::StreamEnded);
        }
    }

    // An item that fails when it is handed over at the end of the one playing is skipped: the
    // playing one ends normally and the rest plays.
    void failingNextItemSkipped()
    {
        controls->playPlaylist(media(QStringLiteral("gap.m3u")), QStringLiteral("audio/x-mpegurl"));
        journal.clear(); // the completion owed for what played before
        QSignalSpy media(gst(), &MafwRenderer::mediaChanged);
        QVERIFY2(waitFor(QStringLiteral("done")), qPrintable(journal.join(QLatin1Char(' '))));
        QVERIFY(errors().isEmpty());
        QCOMPARE(media.size(), 2);
        QVERIFY(
            media.last().at(1).value<MafwContent>().uuid().endsWith(QLatin1String("tone2.wav")));
    }

    // A playlist file of dead entries is given up after 20 in a row, with one error.
    void deadEntriesBounded()
    {
        controls->playPlaylist(server.url(QStringLiteral("/dead.m3u")),
                               QStringLiteral("audio/x-mpegurl"));
        QVERIFY(waitFor(QStringLiteral("err%1").arg(int(MafwError::NoPlayableEntry)), Timeout));
        QVERIFY(waitFor(QStringLiteral("state0")));
        QCOMPARE(errors().size(), 1);
        int tried = 0;
        for (int i = 0; i < 50; ++i) {
            tried += server.hits(QStringLiteral("/dead%1.wav").arg(i)) > 0 ? 1 : 0;
        }
        QCOMPARE(tried, 20);
    }

    // Every bus message is freed once handled: nothing is left after playing, renderer stopped.
    void noMessageLeft_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<QString>("end");
        QTest::newRow("file") << "tone1.wav"
                              << "done";
        QTest::newRow("playlist file") << "mirrors.pls"
                                       << "done";
        QTest::newRow("failing playlist")
            << "dead.m3u" << QStringLiteral("err%1").arg(int(MafwError::NoPlayableEntry));
    }
    void noMessageLeft()
    {
        QFETCH(QString, what);
        QFETCH(QString, end);
        if (what.endsWith(QLatin1String(".wav"))) {
            controls->play(media(what));
        } else {
            controls->playPlaylist(media(what), what.endsWith(QLatin1String(".pls"))
                                                    ? QStringLiteral("audio/x-scpls")
                                                    : QStringLiteral("audio/x-mpegurl"));
        }
        journal.clear(); // the completion owed for what played before
        QVERIFY2(waitFor(end), qPrintable(journal.join(QLatin1Char(' '))));
        gst()->stop();
        QCoreApplication::sendPostedEvents();
        // Asked only now that no stream runs: the tracer's answer races with messages freed
        // meanwhile.
        const int live = liveMessages();
        if (live < 0) {
            QSKIP("GStreamer's leaks tracer is not available");
        }
        QCOMPARE(live, 0);
    }

    // The sound server corks the stream for a call and releases it afterwards.
    void policyOverride()
    {
        controls->play(media(QStringLiteral("long.wav")));
        QVERIFY(waitFor(QStringLiteral("state1")));
        QSignalSpy policy(gst(), &MafwRenderer::mafwPropertyChanged);
        gst_element_post_message(
            pipeline(), gst_message_new_request_state(GST_OBJECT(pipeline()), GST_STATE_PAUSED));
        QVERIFY(waitFor(QStringLiteral("state2")));
        journal.clear();
        gst_element_post_message(
            pipeline(), gst_message_new_request_state(GST_OBJECT(pipeline()), GST_STATE_PLAYING));
        QVERIFY(waitFor(QStringLiteral("state1"))); // the engine resumes
        QCOMPARE(policy.size(), 2);
        QCOMPARE(policy.first().at(1).toBool(), true);
        QCOMPARE(policy.last().at(1).toBool(), false);
    }

    // Tags reach the handler; embedded cover art becomes a file in the cache, reported by URL.
    void tagsAndCoverArt()
    {
        controls->play(media(QStringLiteral("tone.ogg")));
        QVERIFY(heard(uriHandler, QStringLiteral("onMetadataChange(title,1)")));
        QVERIFY(uriHandler->calls.contains(QStringLiteral("onMetadataChange(artist,1)")));
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
        QSignalSpy metadata(gst(), &MafwRenderer::metadataChanged);
        gst_element_post_message(pipeline(), gst_message_new_tag(GST_OBJECT(pipeline()), tags));
        QVERIFY(heard(uriHandler, QStringLiteral("onMetadataChange(image-url,1)")));
        QUrl url;
        for (const QVariantList& args : qAsConst(metadata)) {
            if (args.at(0).toString() == QLatin1String("image-url")) {
                url = args.at(1).value<QList<QVariant>>().value(0).toUrl();
            }
        }
        QVERIFY(url.isLocalFile());
        QCOMPARE(QImage(url.toLocalFile()).pixel(1, 1), qRgb(0, 255, 255));
    }
};

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("KELMORA_MAFW_PLUGIN_PATH", KELMORA_TEST_PLUGIN_DIR);
    qputenv("KELMORA_AUDIO_SINK", "fakesink sync=true");
    qputenv("KELMORA_VIDEO_SINK", "fakesink sync=true");
    qputenv("GST_TRACERS", "leaks(filters=GstMessage)");
    QStandardPaths::setTestModeEnabled(true);
    MApplication app(argc, argv);
    TestGstRenderer test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_gstrenderer.moc"
