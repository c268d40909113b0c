// What every renderer promises (mafwrenderer.h), and the engine's everyday sequences on top of
// it. The same test functions run on the scripted renderer of the engine tests and on the
// GStreamer renderer (tst_renderer_scripted, tst_renderer_gst).
#include "recordinghandler.h"
#include "rendererfixture.h"

#include <kelplaycontrols.h>
#include <mafwplaylist.h>
#include <mafwregistry.h>
#include <mafwshared.h>
#include <mapplication.h>

#include <QFileInfo>
#include <QtTest>

#include <climits>

namespace {
const int Timeout = 15000;
const QString RendererId = QStringLiteral("mafw_gst_renderer");
} // namespace

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
    RecordingHandler* handler = nullptr;

    MafwPlaylist* playlist(const QString& name, bool shortItems = false, int items = 3)
    {
        MafwPlaylist* list = MafwShared::instance()->createPlaylist(name);
        for (int i = 0; i < items; ++i) {
            list->appendItem(fixture->item(i, shortItems));
        }
        return list;
    }
    // The items the handler was told about, leaving out the metadata it heard.
    QStringList items() const { return handler->calls.filter(QStringLiteral("setDataFromIndex")); }
    QString told(int index, int item) const
    {
        return QStringLiteral("setDataFromIndex(%1,%2)")
            .arg(index)
            .arg(fixture->item(item).toString());
    }

    // A renderer command of the table below.
    bool issue(const QString& step)
    {
        const QString name = step.section(QLatin1Char(':'), 0, 0);
        const int n = step.section(QLatin1Char(':'), 1).toInt();
        if (name.startsWith(QLatin1String("assign")) || name == QLatin1String("other")) {
            return renderer->assignPlaylist(playlist(name, name.endsWith(QLatin1String("Short")),
                                                     name == QLatin1String("other") ? 3 : 2 + n));
        }
        if (name == QLatin1String("uri")) {
            return renderer->playUri(fixture->item(n));
        }
        if (name == QLatin1String("missing")) {
            return renderer->playUri(fixture->missingItem());
        }
        if (name == QLatin1String("file") || name == QLatin1String("nofile")) {
            const QUrl url = name == QLatin1String("file")
                                 ? fixture->m3uFile()
                                 : QUrl::fromLocalFile(QStringLiteral("/nonexistent/x.m3u"));
            return renderer->playPlaylistUri(url, QStringLiteral("audio/x-mpegurl"));
        }
        if (name == QLatin1String("goto")) {
            return renderer->gotoIndex(uint(n));
        }
        if (name == QLatin1String("pauseAt")) {
            return renderer->pauseAt(uint(n));
        }
        using Command = bool (MafwRenderer::*)();
        static const QHash<QString, Command> plain{
            {QStringLiteral("play"), &MafwRenderer::play},
            {QStringLiteral("pause"), &MafwRenderer::pause},
            {QStringLiteral("resume"), &MafwRenderer::resume},
            {QStringLiteral("stop"), &MafwRenderer::stop},
            {QStringLiteral("next"), &MafwRenderer::next},
            {QStringLiteral("prev"), &MafwRenderer::previous}};
        return (renderer->*plain.value(name))();
    }

    void startEngine()
    {
        controls = KelPlayControls::instance();
        handler = new RecordingHandler;
        controls->setMetadataHandler(handler, KelPlayControls::PlaylistContent);
        controls->init();
    }
    bool waitForState(MafwRenderer::State state)
    {
        return QTest::qWaitFor([&]() { return controls->state() == state; }, Timeout);
    }
    // A shared playlist of three long items in use by the engine.
    MafwPlaylist* enginePlaylist()
    {
        MafwPlaylist* list = playlist(QStringLiteral("three"));
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
        fixture = RendererFixture::create();
        renderer = fixture->renderer();
        QVERIFY(renderer);
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
        fixture->waitSettled();
        delete reports;
        for (const QString& name : MafwShared::instance()->playlistNames()) {
            MafwShared::instance()->unPublishPlaylist(name);
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // "set-up steps; command; reported before it returned; reported later". A set-up step
    // "x=S" waits for state S; "assign:N" assigns a playlist of 2+N long items, "assignShort"
    // one of two short items; "!" marks a command that is refused.
    void commands_data()
    {
        QTest::addColumn<QString>("row");
        QTest::newRow("uri, stopped") << QString("; uri:0; media(-1,long0) state(3); state(1)");
        QTest::newRow("uri, playing") << QString("uri:0=1; uri:1; media(-1,long1);");
        QTest::newRow("pause") << QString("uri:0=1; pause; ; state(2)");
        QTest::newRow("resume") << QString("uri:0=1 pause=2; resume; state(3); state(1)");
        QTest::newRow("stop") << QString("uri:0=1; stop; state(0);");
        QTest::newRow("pause at, stopped")
            << QString("assign:1; pauseAt:1; media(0,long0) state(3); state(2)");
        QTest::newRow("next, playing") << QString("assign:1 goto:1 play=1; next; media(2,long2);");
        QTest::newRow("previous, paused")
            << QString("assign:1 goto:1 pauseAt:0=2; prev; media(0,long0);");
        QTest::newRow("goto, stopped") << QString("assign:1; goto:2; media(2,long2);");
        QTest::newRow("goto the current item, stopped")
            << QString("assign:1 goto:1; goto:1; media(1,long1);");
        QTest::newRow("play after a move, stopped")
            << QString("assign:1 goto:1; play; state(3); state(1)");
        QTest::newRow("assign") << QString("; assign:1; ; list(assign)");
        QTest::newRow("assign another, playing")
            << QString("assign:1 play=1; other; state(0); list(other)");
        QTest::newRow("end of the playlist")
            << QString("assignShort; play; media(0,short0) state(3); "
                       "state(1) media(1,short1) done state(0)");
        QTest::newRow("playlist file") << QString(
            "; file; state(3); media(-1,short0) state(1) media(-1,short1) done state(0)");
        QTest::newRow("missing item")
            << QString("; missing; media(-1,missing) state(3); error(301) state(0)");
        QTest::newRow("missing playlist file")
            << QString("; nofile; state(3); error(309) state(0)");
        QTest::newRow("next at the end") << QString("assign:1 goto:2; !next; ;");
        QTest::newRow("pause, stopped") << QString("; !pause; ;");
        QTest::newRow("resume, playing") << QString("uri:0=1; !resume; ;");
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

    void positionAnsweredOnceLater()
    {
        QVERIFY(renderer->playUri(fixture->item(0)));
        QVERIFY(reports->waitFor(QStringLiteral("state(1)")));
        QVERIFY(renderer->requestPosition(this, "1positionReply(uint)"));
        QVERIFY(renderer->requestPosition(this, "1positionReply(uint)"));
        QCOMPARE(m_answers, 0);
        QTRY_COMPARE_WITH_TIMEOUT(m_answers, 2, Timeout);
        QVERIFY(fixture->waitSettled());
        QCOMPARE(m_answers, 2);
    }

    // The engine on this renderer. A shuffled play while the playlist plays shuffles it at
    // once, with the started item first, and not again later.
    void shufflePlayWhilePlaying()
    {
        startEngine();
        MafwPlaylist* list = enginePlaylist();
        controls->play(0u);
        QVERIFY(waitForState(MafwRenderer::Playing));
        controls->shufflePlay(1);
        QVERIFY(list->isShuffled());
        QVERIFY(!controls->isGoingToBeShuffled());
        QCOMPARE(list->item(0), fixture->item(1));
        const QList<QUrl> order = list->items();
        controls->pause();
        QVERIFY(waitForState(MafwRenderer::Paused));
        controls->resume();
        QVERIFY(waitForState(MafwRenderer::Playing));
        QCOMPARE(list->items(), order);
        QCOMPARE(items().constLast(), told(0, 1));
    }

    // An item change reaches the handler whatever the state: "play:N", "pause", "stop",
    // "next", "prev" and "pending" (the playlist set while the renderer is away).
    void itemChangeReachesHandler_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("index");
        QTest::newRow("paused") << "play:0 pause next" << 1;
        QTest::newRow("stopped") << "play:0 stop next" << 1;
        QTest::newRow("stopped, previous") << "play:2 stop prev" << 1;
        QTest::newRow("pending playlist") << "pending" << 0;
    }
    void itemChangeReachesHandler()
    {
        QFETCH(QString, script);
        QFETCH(int, index);
        startEngine();
        for (const QString& step : script.split(QLatin1Char(' '))) {
            if (step == QLatin1String("pending")) {
                MafwRegistry::instance()->removeRenderer(RendererId);
                enginePlaylist();
                MafwRegistry::instance()->addRenderer(renderer);
            } else if (step.startsWith(QLatin1String("play:"))) {
                enginePlaylist();
                controls->play(step.mid(5).toUInt());
                QVERIFY(waitForState(MafwRenderer::Playing));
            } else if (step == QLatin1String("pause")) {
                controls->pause();
                QVERIFY(waitForState(MafwRenderer::Paused));
            } else if (step == QLatin1String("stop")) {
                controls->stop();
            } else {
                handler->calls.clear();
                step == QLatin1String("next") ? controls->next() : controls->previous();
            }
        }
        QTRY_COMPARE_WITH_TIMEOUT(items().value(0), told(index, index), Timeout);
        if (script.contains(QLatin1String("pause"))) {
            controls->resume();
            QVERIFY(waitForState(MafwRenderer::Playing));
            QCOMPARE(items().constLast(), told(index, index));
        }
    }

    // play(0): the engine's own notice for index 0 first, the renderer's item after it.
    void playFromZero()
    {
        startEngine();
        enginePlaylist();
        int media = 0;
        connect(controls, &KelPlayControls::mediaChanged, this, [&media]() { ++media; });
        controls->play(0u);
        QVERIFY(waitForState(MafwRenderer::Playing));
        QCOMPARE(items(), QStringList({QStringLiteral("setDataFromIndex(0,)"), told(0, 0)}));
        QCOMPARE(media, 2);
    }

    // A start beyond the playlist is refused and leaves the handler listening.
    void startBeyondPlaylist_data()
    {
        QTest::addColumn<int>("command");
        QTest::newRow("play") << 0;
        QTest::newRow("jump") << 1;
        QTest::newRow("play, wrapping to a negative index") << 2;
    }
    void startBeyondPlaylist()
    {
        QFETCH(int, command);
        startEngine();
        enginePlaylist();
        controls->play(0u);
        QVERIFY(waitForState(MafwRenderer::Playing));
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("beyond the playlist")));
        if (command == 1) {
            controls->setPlaylistIndex(5);
        } else {
            controls->play(command == 0 ? 5u : uint(INT_MAX) + 2u);
        }
        QCOMPARE(controls->startingIndexOfPlay(), 0);
        handler->calls.clear();
        controls->next();
        QTRY_COMPARE_WITH_TIMEOUT(items().value(0), told(1, 1), Timeout);
    }

    // A playlist URL asked for while the renderer is away keeps its MIME type.
    void pendingPlaylistUrlKeepsItsType()
    {
        startEngine();
        MafwRegistry::instance()->removeRenderer(RendererId);
        QSignalSpy errors(controls, &KelPlayControls::error);
        controls->playPlaylist(fixture->m3uFile(), QStringLiteral("audio/x-mpegurl"));
        reports->entries.clear();
        MafwRegistry::instance()->addRenderer(renderer);
        QVERIFY2(reports->waitFor(QStringLiteral("media(-1,short0)")), qPrintable(reports->text()));
        QCOMPARE(controls->mimeType(), QStringLiteral("audio/x-mpegurl"));
        QVERIFY(errors.isEmpty());
    }

    // A URI that waited for the renderer is played once, not again when the renderer returns.
    void playedUriNotReplayed()
    {
        startEngine();
        MafwRegistry::instance()->removeRenderer(RendererId);
        controls->play(fixture->item(0));
        MafwRegistry::instance()->addRenderer(renderer);
        QVERIFY(waitForState(MafwRenderer::Playing));
        controls->stop();
        MafwRegistry::instance()->removeRenderer(RendererId);
        reports->entries.clear();
        MafwRegistry::instance()->addRenderer(renderer);
        QVERIFY2(reports->entries.isEmpty(), qPrintable(reports->text()));
    }

public Q_SLOTS:
    void positionReply(uint) { ++m_answers; }

private:
    int m_answers = 0;
};

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    RendererFixture::prepareEnvironment();
    QStandardPaths::setTestModeEnabled(true);
    MApplication app(argc, argv);
    TestRenderer test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_renderer.moc"
