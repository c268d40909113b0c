// What every renderer promises (mafwrenderer.h), and the engine's everyday sequences on top of
// it. The same test functions run on the scripted renderer of the engine tests and on the
// GStreamer renderer (tst_renderer_scripted, tst_renderer_gst).
#include "recordinghandler.h"

#include <kelplaycontrols.h>
#include <mafwplaylist.h>
#include <mafwregistry.h>
#include <mafwshared.h>
#include <mapplication.h>

#include <QFileInfo>
#include <QLoggingCategory>
#include <QtTest>

#include <memory>

namespace {
const int Timeout = 15000;
const QString RendererId = QStringLiteral("mafw_gst_renderer");
} // namespace

// The renderer the tests run against, registered as "mafw_gst_renderer", and the media it
// plays by name: "long0.wav" to "long2.wav" outlast a test, "short0.wav" to "short2.wav" end
// by themselves within a second, "two.m3u" lists short0 and short1, "missing.wav" does not
// exist.
struct RendererFixture
{
    MafwRenderer* renderer = nullptr;
    std::function<QUrl(const QString& name)> item;
    std::function<bool()> waitSettled; // until no start or seek is under way
    // Until the next item is taken for the gapless hand-over, where the renderer has one.
    std::function<bool()> waitHandedOver = [] { return true; };
    QTemporaryDir dir;
    std::unique_ptr<QObject> owned;
    QByteArray twoItems; // the lines of two.m3u
    RendererFixture();
};

#ifdef KELMORA_TEST_PLUGIN_DIR
#include "mediafactory.h"

#include <mafwplugincontrol.h>

// The GStreamer renderer, playing WAV files to fake sinks.
void prepareEnvironment()
{
    qputenv("KELMORA_MAFW_PLUGIN_PATH", KELMORA_TEST_PLUGIN_DIR);
    qputenv("KELMORA_AUDIO_SINK", "fakesink sync=true");
    qputenv("KELMORA_VIDEO_SINK", "fakesink sync=true");
}

RendererFixture::RendererFixture() : twoItems("short0.wav\nshort1.wav\n")
{
    MafwRegistry* registry = MafwRegistry::instance();
    registry->pluginControlInterface(QStringLiteral("libqmafw_gst_renderer_plugin"))->loadPlugin();
    MafwRenderer* gst = renderer = registry->findRenderer(QStringLiteral("mafw_gst_renderer"));
    item = [this](const QString& name) { return QUrl::fromLocalFile(dir.filePath(name)); };
    auto stopped = std::make_shared<bool>(true);
    QObject::connect(gst, &MafwRenderer::stateChanged, gst, [stopped](MafwRenderer::State state) {
        *stopped = state == MafwRenderer::Stopped;
    });
    waitSettled = [gst, stopped]() {
        return QTest::qWaitFor([&]() { return *stopped || gst->property("settled").toBool(); },
                               15000);
    };
    waitHandedOver = [gst]() {
        const bool taken =
            QTest::qWaitFor([&]() { return gst->property("handedOver").toInt() > 0; }, 15000);
        return taken;
    };
    for (int i = 0; i < 6; ++i) {
        MediaFactory::write(
            dir.filePath(
                QStringLiteral("%1%2.wav").arg(QLatin1String(i < 3 ? "short" : "long")).arg(i % 3)),
            i < 3 ? 400 : 8000, "wavenc", 220 * (i % 3 + 1));
    }
}
#else
#include "scriptedrenderer.h"

// The scripted renderer of the engine tests.
void prepareEnvironment()
{
    // The engine's init() finds no renderer plug-in here; the scripted renderer stands in.
    QLoggingCategory::setFilterRules(QStringLiteral("kelmora.mafw.warning=false"));
}

RendererFixture::RendererFixture()
{
    auto* scripted = new ScriptedRenderer;
    scripted->answerWhenSettling = true;
    owned.reset(renderer = scripted);
    MafwRegistry::instance()->addRenderer(scripted);
    item = [this](const QString& name) {
        if (name.endsWith(QLatin1String(".m3u"))) {
            return QUrl::fromLocalFile(dir.filePath(name));
        }
        return QUrl(
            QStringLiteral("file:///media/") + name +
            (name.startsWith(QLatin1String("short")) ? QStringLiteral("?ms=200") : QString()));
    };
    waitSettled = [scripted]() {
        QTest::qWait(0);
        scripted->settle();
        return true;
    };
    twoItems = item(QStringLiteral("short0.wav")).toEncoded() + '\n' +
               item(QStringLiteral("short1.wav")).toEncoded() + '\n';
}
#endif

// What the renderer reports, e.g. "state(1)", "media(0,long0)", "list(three)", "done",
// "error(301)"; "|" marks where a command returned. Every state change is checked as it comes.
class Reports : public QObject
{
public:
    explicit Reports(MafwRenderer* renderer)
    {
        connect(renderer, &MafwRenderer::stateChanged, this, [this](MafwRenderer::State state) {
            QVERIFY2(MafwRenderer::isLegalStateChange(m_state, state),
                     qPrintable(entries.join(QLatin1Char(' '))));
            m_state = state;
            entries << QStringLiteral("state(%1)").arg(int(state));
        });
        connect(renderer, &MafwRenderer::mediaChanged, this, [this](int index, MafwContent c) {
            entries << QStringLiteral("media(%1,%2)").arg(index).arg(name(QUrl(c.uuid())));
        });
        connect(renderer, &MafwRenderer::playlistChanged, this, [this](MafwPlaylist* list) {
            entries << QStringLiteral("list(%1)").arg(list->name());
        });
        connect(renderer, &MafwRenderer::playbackCompleted, this,
                [this]() { entries << QStringLiteral("done"); });
        connect(renderer, &MafwRenderer::error, this, [this](const MafwError& e) {
            entries << QStringLiteral("error(%1)").arg(int(e.code()));
        });
    }
    static QString name(const QUrl& url) { return QFileInfo(url.path()).completeBaseName(); }
    bool waitFor(const QString& entry)
    {
        return entry.isEmpty() ||
               QTest::qWaitFor([&]() { return entries.contains(entry); }, Timeout);
    }
    QString text() const { return entries.join(QLatin1Char(' ')); }

    QStringList entries;

private:
    MafwRenderer::State m_state = MafwRenderer::Stopped;
};

class TestRenderer : public QObject
{
    Q_OBJECT

    RendererFixture* fixture = nullptr;
    MafwRenderer* renderer = nullptr;
    Reports* reports = nullptr;
    KelPlayControls* controls = nullptr;
    QStringList told;

    MafwPlaylist* playlist(const QString& name, bool shortItems = false, int items = 3)
    {
        MafwPlaylist* list = MafwShared::instance()->createPlaylist(name);
        for (int i = 0; i < items; ++i) {
            list->appendItem(
                fixture->item(QStringLiteral("%1%2.wav")
                                  .arg(shortItems ? QLatin1String("short") : QLatin1String("long"))
                                  .arg(i)));
        }
        return list;
    }
    // The items the handler was told of, by file name, e.g. "h:set(1,long1.wav)".
    QStringList items() const { return told.filter(QStringLiteral("h:set")); }

    // A renderer command of the table below.
    bool issue(const QString& step)
    {
        const QString name = step.section(QLatin1Char(':'), 0, 0);
        const int n = step.section(QLatin1Char(':'), 1).toInt();
        const QHash<QString, std::function<bool()>> commands{
            {"uri", [&] { return renderer->playUri(fixture->item(QString("long%1.wav").arg(n))); }},
            {"missing", [&] { return renderer->playUri(fixture->item("missing.wav")); }},
            {"file",
             [&] {
                 return renderer->playPlaylistUri(fixture->item("two.m3u"), "audio/x-mpegurl");
             }},
            {"nofile",
             [&] {
                 return renderer->playPlaylistUri(QUrl("file:///none/x.m3u"), "audio/x-mpegurl");
             }},
            {"goto", [&] { return renderer->gotoIndex(uint(n)); }},
            {"pauseAt", [&] { return renderer->pauseAt(uint(n)); }},
            {"play", [&] { return renderer->play(); }},
            {"pause", [&] { return renderer->pause(); }},
            {"resume", [&] { return renderer->resume(); }},
            {"stop", [&] { return renderer->stop(); }},
            {"next", [&] { return renderer->next(); }},
            {"prev", [&] { return renderer->previous(); }},
            {"position", [&] { return renderer->requestPosition(this, "1positionReply(uint)"); }}};
        if (name.startsWith(QLatin1String("assign")) || name == QLatin1String("other")) {
            return renderer->assignPlaylist(playlist(name, name.endsWith(QLatin1String("Short")),
                                                     name == QLatin1String("other") ? 3 : 2 + n));
        }
        return commands.value(name)();
    }

    void startEngine()
    {
        controls = KelPlayControls::instance();
        told.clear();
        controls->setMetadataHandler(new RecordingHandler(&told), KelPlayControls::PlaylistContent);
        controls->init();
    }
    bool waitForState(MafwRenderer::State state)
    {
        return QTest::qWaitFor([&]() { return controls->state() == state; }, Timeout);
    }
    // A shared playlist of three items in use by the engine.
    MafwPlaylist* enginePlaylist(bool shortItems = false)
    {
        MafwPlaylist* list = playlist(QStringLiteral("three"), shortItems);
        QSignalSpy confirmed(controls, &KelPlayControls::playlistChanged);
        controls->setPlaylist(list->name(), false);
        // Confirmed by the renderer when there is one.
        if (MafwRegistry::instance()->findRenderer(RendererId) && !confirmed.wait(Timeout)) {
            qWarning("playlist not confirmed");
        }
        return list;
    }

private Q_SLOTS:
    void initTestCase()
    {
        fixture = new RendererFixture;
        renderer = fixture->renderer;
        QVERIFY(renderer);
        QFile m3u(fixture->dir.filePath(QStringLiteral("two.m3u")));
        QVERIFY(m3u.open(QIODevice::WriteOnly) && m3u.write(fixture->twoItems) > 0);
    }
    void cleanupTestCase() { delete fixture; }

    void init() { reports = new Reports(renderer); }

    void cleanup()
    {
        delete controls;
        controls = nullptr;
        if (!MafwRegistry::instance()->findRenderer(RendererId)) {
            MafwRegistry::instance()->addRenderer(renderer);
        }
        renderer->stop();
        renderer->assignPlaylist(nullptr);
        QVERIFY(fixture->waitSettled());
        delete reports;
        for (const QString& name : MafwShared::instance()->playlistNames()) {
            MafwShared::instance()->unPublishPlaylist(name);
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // "set-up steps; command; reported before it returned; reported later" ("answer" for a
    // position request answered). A set-up step
    // "x=S" waits for state S; "assign:N" assigns a playlist of 2+N long items, "assignShort"
    // one of two short items; "!" marks a command that is refused.
    void commands_data()
    {
        QTest::addColumn<QString>("row");
        for (const QString& line : QString::fromUtf8(R"(
uri, stopped ; ; uri:0; media(-1,long0) state(3); state(1)
uri, playing ; uri:0=1; uri:1; media(-1,long1);
pause ; uri:0=1; pause; ; state(2)
resume ; uri:0=1 pause=2; resume; state(3); state(1)
stop ; uri:0=1; stop; state(0);
pause at, stopped ; assign:1; pauseAt:1; media(0,long0) state(3); state(2)
next, playing ; assign:1 goto:1 play=1; next; media(2,long2);
previous, paused ; assign:1 goto:1 pauseAt:0=2; prev; media(0,long0);
goto, stopped ; assign:1; goto:2; media(2,long2);
goto the current item, stopped ; assign:1 goto:1; goto:1; media(1,long1);
play after a move, stopped ; assign:1 goto:1; play; state(3); state(1)
assign ; ; assign:1; ; list(assign)
assign another, playing ; assign:1 play=1; other; state(0); list(other)
end of the playlist ; assignShort; play; media(0,short0) state(3); state(1) media(1,short1) done state(0)
playlist file ; ; file; state(3); media(-1,short0) state(1) media(-1,short1) done state(0)
missing item ; ; missing; media(-1,missing) state(3); error(301) state(0)
missing playlist file ; ; nofile; state(3); error(309) state(0)
next at the end ; assign:1 goto:2; !next; ;
pause, stopped ; ; !pause; ;
resume, playing ; uri:0=1; !resume; ;
position answered once, later ; uri:0=1; position; ; answer
)")
                                       .split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            QTest::newRow(qPrintable(line.section(QLatin1Char(';'), 0, 0).trimmed()))
                << line.section(QLatin1Char(';'), 1);
        }
    }
    void commands()
    {
        QFETCH(QString, row);
        const QStringList parts = row.split(QLatin1Char(';'));
        for (const QString& step : parts.at(0).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            reports->entries.clear();
            QVERIFY2(issue(step.section(QLatin1Char('='), 0, 0)), qPrintable(step));
            if (step.startsWith(QLatin1String("assign"))) {
                QVERIFY(reports->waitFor(
                    QStringLiteral("list(%1)").arg(step.section(QLatin1Char(':'), 0, 0))));
            } else if (step.contains(QLatin1Char('='))) {
                QVERIFY(reports->waitFor(
                    QStringLiteral("state(%1)").arg(step.section(QLatin1Char('='), 1))));
            }
            QVERIFY(fixture->waitSettled());
        }
        reports->entries.clear();
        QString command = parts.at(1).trimmed();
        const bool refused = command.startsWith(QLatin1Char('!'));
        QCOMPARE(issue(command.remove(QLatin1Char('!'))), !refused);
        reports->entries << QStringLiteral("|");
        const QString later = parts.at(3).simplified();
        QVERIFY2(reports->waitFor(later.section(QLatin1Char(' '), -1)),
                 qPrintable(reports->text()));
        QVERIFY(fixture->waitSettled());
        QCOMPARE(reports->text(), (parts.at(2) + QStringLiteral(" | ") + later).simplified());
    }

    // A repeated item plays again, reported each time, the next one never (also when it was
    // already handed over); next() still moves, and the repeat once off lets the list end.
    void repeatCurrent()
    {
        QVERIFY(issue(QStringLiteral("assignShort")));
        QVERIFY(reports->waitFor(QStringLiteral("list(assignShort)")));
        const auto restore = qScopeGuard([this]() { renderer->setRepeatCurrent(false); });
        QVERIFY(renderer->play());
        QVERIFY(fixture->waitHandedOver());
        QVERIFY(renderer->setRepeatCurrent(true));
        const auto seen = [this](const QString& entry, int times) {
            return QTest::qWaitFor([&]() { return reports->entries.count(entry) >= times; },
                                   Timeout);
        };
        QVERIFY2(seen(QStringLiteral("media(0,short0)"), 3), qPrintable(reports->text()));
        QVERIFY(renderer->next());
        QVERIFY2(seen(QStringLiteral("media(1,short1)"), 2), qPrintable(reports->text()));
        QVERIFY(renderer->setRepeatCurrent(false));
        QVERIFY2(reports->waitFor(QStringLiteral("state(0)")), qPrintable(reports->text()));
        QStringList runs; // the reports with each repeat counted once
        for (const QString& entry : qAsConst(reports->entries)) {
            if (runs.isEmpty() || runs.last() != entry) {
                runs << entry;
            }
        }
        QCOMPARE(runs.join(QLatin1Char(' ')),
                 QStringLiteral("list(assignShort) media(0,short0) state(3) state(1) "
                                "media(0,short0) media(1,short1) done state(0)"));
    }

    // The engine on this renderer. A shuffled play while the playlist plays shuffles it at
    // once, with the started item first, and not again later: the items are then played in
    // that order, each once.
    void shufflePlayWhilePlaying()
    {
        startEngine();
        MafwPlaylist* list = enginePlaylist(true);
        QSignalSpy completed(controls, &KelPlayControls::playbackCompleted);
        controls->play(0u);
        QVERIFY(waitForState(MafwRenderer::Playing));
        told.clear();
        controls->shufflePlay(1);
        QVERIFY(list->isShuffled());
        QVERIFY(!controls->isGoingToBeShuffled());
        QCOMPARE(list->item(0), fixture->item(QStringLiteral("short1.wav")));
        controls->pause();
        QVERIFY(waitForState(MafwRenderer::Paused));
        controls->resume();
        QVERIFY(completed.wait(Timeout));
        QStringList played;
        QStringList order;
        for (const QString& call : items()) {
            const QString name = call.section(QLatin1Char(','), 1).chopped(1);
            if (played.isEmpty() || played.constLast() != name) {
                played << name;
            }
        }
        for (const QUrl& item : list->items()) {
            order << item.fileName();
        }
        QCOMPARE(played, order);
    }

    // Which items the handler is told of from "|" on, and what the renderer reports from there
    // ("none": nothing, e.g. a URI played while it was away is not played again when it
    // returns). Steps: "list" (a playlist of three long items in use), "away" and "back" (the
    // renderer leaves and returns), "uri" (long0.wav), "m3u" (two.m3u, which keeps its type),
    // "play:N", "pause", "resume", "stop", "next", "prev", "index:N", "=1" (until playing) and
    // "warn" (a start beyond the playlist is refused with a warning).
    void itemChanges_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("reported");
        const char* one = "h:set(1,long1.wav)";
        QTest::newRow("paused") << "list play:0 pause | next resume" << one << "";
        QTest::newRow("stopped") << "list play:0 stop | next" << one << "";
        QTest::newRow("stopped, previous") << "list play:2 stop | prev" << one << "";
        QTest::newRow("pending playlist") << "| away list back"
                                          << "h:set(0,long0.wav)"
                                          << "";
        QTest::newRow("pending playlist URL") << "away m3u | back"
                                              << ""
                                              << "media(-1,short0)";
        QTest::newRow("played URI") << "away uri back =1 stop away | back"
                                    << ""
                                    << "none";
        QTest::newRow("play 0, notice first") << "list | play:0"
                                              << "h:set(0,) h:set(0,long0.wav)"
                                              << "";
        QTest::newRow("play beyond") << "list play:0 | warn play:5 next" << one << "";
        QTest::newRow("jump beyond") << "list play:0 | warn index:5 next" << one << "";
        QTest::newRow("play wrapping negative")
            << "list play:0 | warn play:2147483649 next" << one << "";
    }
    void itemChanges()
    {
        QFETCH(QString, script);
        QFETCH(QString, expected);
        QFETCH(QString, reported);
        startEngine();
        QSignalSpy errors(controls, &KelPlayControls::error);
        MafwRegistry* registry = MafwRegistry::instance();
        uint n = 0;
        const QHash<QString, std::function<void()>> actions{
            {"|", [&] { told.clear(), reports->entries.clear(); }},
            {"list", [&] { enginePlaylist(); }},
            {"away", [&] { registry->removeRenderer(RendererId); }},
            {"back", [&] { registry->addRenderer(renderer); }},
            {"uri", [&] { controls->play(fixture->item("long0.wav")); }},
            {"m3u", [&] { controls->playPlaylist(fixture->item("two.m3u"), "audio/x-mpegurl"); }},
            {"play", [&] { controls->play(n); }},
            {"index", [&] { controls->setPlaylistIndex(int(n)); }},
            {"warn", [&] { QTest::ignoreMessage(QtWarningMsg, QRegularExpression("beyond")); }},
            {"=1", [] {}}};
        const QHash<QString, MafwRenderer::State> waits{{"play:0", MafwRenderer::Playing},
                                                        {"resume", MafwRenderer::Playing},
                                                        {"=1", MafwRenderer::Playing},
                                                        {"pause", MafwRenderer::Paused}};
        for (const QString& step : script.split(QLatin1Char(' '))) {
            const QString name = step.section(QLatin1Char(':'), 0, 0);
            n = step.section(QLatin1Char(':'), 1).toUInt();
            if (actions.contains(name)) {
                actions.value(name)();
            } else {
                QMetaObject::invokeMethod(controls, name == "prev" ? "previous" : qPrintable(name));
            }
            QVERIFY(!waits.contains(step) || waitForState(waits.value(step)));
        }
        QVERIFY2(reported == "none" ? reports->entries.isEmpty() : reports->waitFor(reported),
                 qPrintable(reports->text()));
        QTRY_COMPARE_WITH_TIMEOUT(items().join(QLatin1Char(' ')), expected, Timeout);
        QVERIFY(!script.contains("m3u") || controls->mimeType() == "audio/x-mpegurl");
        QVERIFY(errors.isEmpty());
    }

public Q_SLOTS:
    void positionReply(uint) { reports->entries << QStringLiteral("answer"); }
};

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    prepareEnvironment();
    QStandardPaths::setTestModeEnabled(true);
    MApplication app(argc, argv);
    TestRenderer test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_renderer.moc"
