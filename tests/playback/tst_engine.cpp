// The play controls, their engine and the video policy handler on scripted renderers, driven
// by scripts. A row runs its script on a fresh, initialised facade with the renderer present
// ("noinit" first: not initialised; "gone" first: absent) and compares the journal (see
// PlaybackFixture) from "|" on, or only the entries with the prefixes that the expected text
// names first in brackets. Tokens are "name:argument", the names those of makeSteps(): '@'
// and '~' (what was due later) the renderer's doing, '?' a query whose answer is journalled.
#include "playbackfixture.h"
#include "testmain.h"

#include <contextprovider.h>
#include <kelvideopolicyhandler.h>
#include <mafwplaylist.h>
#include <mafwregistry.h>
#include <mafwshared.h>
#include <mapplication.h>
#include <mapplicationwindow.h>

#include <deque>
#include <random>

class TestEngine : public QObject, PlaybackFixture
{
    Q_OBJECT

    MApplicationWindow* window = nullptr;
    std::unique_ptr<MApplicationWindow> activated;
    std::unique_ptr<KelVideoPolicyHandler> video;
    std::unique_ptr<ScriptedRenderer> videoRenderer;
    ScriptedRenderer* foreign = nullptr;

    using S = const QString&;
    using Step = std::function<void(S arg)>;
    QHash<QString, Step> steps;
    QHash<QString, std::function<QString(const QString& arg)>> queries;

    static QString timer(const QTimer* t)
    {
        return t->isActive() ? QString::number(t->interval()) : QStringLiteral("off");
    }
    static QString number(int value) { return QString::number(value); }
    static QString part(S arg, int i, char by = ':') { return arg.section(QLatin1Char(by), i, i); }
    static QString mime(S arg)
    {
        return part(arg, 1) == "pls" ? QString("audio/x-scpls") : QString("audio/x-mpegurl");
    }
    static void deleteNow() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    static MafwShared* shared() { return MafwShared::instance(); }
    const QString& Policy = MafwRenderer::MAFW_RENDERER_PROPERTY_POLICY_OVERRIDE;
    static QList<QVariant> value(S arg)
    {
        return arg.contains(QLatin1Char('=')) ? QList<QVariant>{part(arg, 1, '=').toInt()}
                                              : QList<QVariant>();
    }
    static void toSwitcher(MApplicationWindow* window, S arg)
    {
        arg == "in" ? Q_EMIT window->switcherEntered() : Q_EMIT window->switcherExited();
    }

    void makeSteps()
    {
        using F = KelPlayControls;
        auto* c = &controls;
        MafwRegistry* registry = MafwRegistry::instance();
        auto plain = [this](void (F::*command)()) {
            return [this, command](S) { (controls->*command)(); };
        };
        steps = {
            {"|", [this](S) { journal.clear(); }},
            {"init", plain(&F::init)},
            {"gone", [this, registry](S) { registry->removeRenderer(renderer->uuid()); }},
            {"back",
             [this, registry](S) { renderer ? registry->addRenderer(renderer) : !addRenderer(); }},
            {"kill", [this](S) { delete renderer.data(); }},
            {"video",
             [this](S) {
                 video.reset(new KelVideoPolicyHandler);
                 connect(video.get(), &KelVideoPolicyHandler::videoPlayStateChanged, this,
                         [this](bool playing) { journal << QString("video%1").arg(playing); });
             }},
            {"vr+",
             [this, registry](S) {
                 if (!videoRenderer) {
                     videoRenderer.reset(new ScriptedRenderer("mafw_gst_internal_video_renderer"));
                 }
                 registry->addRenderer(videoRenderer.get());
             }},
            {"vr-", [this, registry](S) { registry->removeRenderer(videoRenderer->uuid()); }},
            {"vagain",
             [this, registry](S) { Q_EMIT registry->rendererAdded(videoRenderer->uuid(), {}); }},
            {"vstate", [this](S a) { videoRenderer->setState(MafwRenderer::State(a.toInt())); }},
            {"activate",
             [this](S) {
                 activated.reset(new MApplicationWindow);
                 QSignalSpy focus(qApp, &QGuiApplication::focusWindowChanged);
                 activated->show();
                 activated->activateWindow();
                 QVERIFY(focus.wait());
                 QCoreApplication::processEvents();
             }},
            {"switch2", [this](S a) { toSwitcher(activated.get(), a); }},
            {"bad",
             [c](S a) {
                 QTest::ignoreMessage(QtWarningMsg, QRegularExpression("invalid or empty!$"));
                 const QUrl url = a == "nourl"     ? QUrl()
                                  : a == "invalid" ? QUrl("http://a b", QUrl::StrictMode)
                                                   : QUrl("http://h/a.pls");
                 (*c)->playPlaylist(url, a == "nomime" ? QString() : QString("a/b"));
             }},
            {"appwire",
             [this](S) {
                 connect(renderer, &MafwRenderer::metadataChanged,
                         controls->metaDataHandler(KelPlayControls::UriContent),
                         [this]() { journal << QString("app"); });
             }},
            {"foreign",
             [this, registry](S) { registry->addRenderer(foreign = new ScriptedRenderer("x")); }},
            {"again",
             [this, registry](S) { Q_EMIT registry->rendererAdded(renderer->uuid(), {}); }},
            {"list", [](S a) { makePlaylist(part(a, 0), part(a, 1).toInt()); }},
            {"perm", [](S a) { makePlaylist(part(a, 0), part(a, 1).toInt(), true); }},
            {"set", [this](S a) { journal << "set=" + number(controls->setPlaylist(a)); }},
            {"keep", [this](S a) { journal << "set=" + number(controls->setPlaylist(a, false)); }},
            {"handler", [this](S a) { handler(F::ContentType(a.toInt())); }},
            {"unpublish", [](S a) { shared()->unPublishPlaylist(a), deleteNow(); }},
            {"add", [](S a) { shared()->findPlaylist(a)->appendItem(QUrl("file:///new")); }},
            {"warn", [](S) { QTest::ignoreMessage(QtWarningMsg, QRegularExpression("ignored$")); }},
            {"play", [c](S a) { (*c)->play(uint(a.toLongLong())); }},
            {"shuffle", [c](S a) { (*c)->shufflePlay(a.toInt()); }},
            {"pauseAt", [c](S a) { (*c)->pauseAt(a.toUInt()); }},
            {"seek", [c](S a) { (*c)->setPosition(a.toUInt()); }},
            {"index", [c](S a) { (*c)->setPlaylistIndex(a.toInt()); }},
            {"uri", [c](S a) { (*c)->play(QUrl(QString("file:///") + a)); }},
            {"url", [c](S a) { (*c)->playPlaylist(QUrl("http://radio/" + part(a, 0)), mime(a)); }},
            {"stop", plain(&F::stop)},
            {"pause", plain(&F::pause)},
            {"resume", plain(&F::resume)},
            {"next", plain(&F::next)},
            {"prev", plain(&F::previous)},
            {"clear", plain(&F::clearPlaylist)},
            {"pos", plain(&F::position)},
            {"enable", plain(&F::enablePositionUpdates)},
            {"disable", plain(&F::disablePositionUpdates)},
            {"~", [this](S) { renderer->settle(); }},
            {"@end", [this](S) { renderer->endItem(); }},
            {"@fail", [this](S a) { renderer->fail(MafwError::Code(a.toInt())); }},
            {"@state", [this](S a) { renderer->setState(MafwRenderer::State(a.toInt())); }},
            {"@media",
             [this](S a) { Q_EMIT renderer->mediaChanged(a.toInt(), MafwContent("r" + a)); }},
            {"@meta", [this](S a) { Q_EMIT renderer->metadataChanged(part(a, 0, '='), value(a)); }},
            {"@policy", [this](S a) { Q_EMIT renderer->mafwPropertyChanged(Policy, a == "1"); }},
            {"@answer", [this](S a) { QVERIFY(renderer->answerPosition(a.toUInt())); }},
            {"@refuse", [this](S) { renderer->acceptPositionRequests = false; }},
            {"@accept", [this](S) { renderer->acceptPositionRequests = true; }},
            {"@buf", [this](S a) { Q_EMIT renderer->bufferingInfo(a.toFloat()); }},
            {"@list", [this](S a) { Q_EMIT renderer->playlistChanged(shared()->findPlaylist(a)); }},
            {"call", [](S a) { ContextProvider::setValue(QString("Phone.Call"), a); }},
            {"switch", [this](S a) { toSwitcher(window, a); }},
            {"fire", [this](S a) { fire(a == "stop" ? "positionStop" : "errorGate"); }},
        };
        queries = {
            {"poll", [this](S) { return timer(engineTimer("positionPoll")); }},
            {"interval", [this](S) { return number(engineTimer("positionPoll")->interval()); }},
            {"stopping", [this](S) { return timer(engineTimer("positionStop")); }},
            {"gate", [this](S) { return timer(engineTimer("errorGate")); }},
            {"shuffle",
             [c](S) {
                 return QString("%1,%2")
                     .arg((*c)->isGoingToBeShuffled())
                     .arg((*c)->playlist() && (*c)->playlist()->isShuffled());
             }},
            {"type", [c](S) { return number((*c)->contentType()); }},
            {"mime",
             [c](S) { return (*c)->mimeType().isNull() ? QString("null") : (*c)->mimeType(); }},
            {"inuse",
             [c](S) { return (*c)->playlist() ? (*c)->playlist()->name() : QString("null"); }},
            {"index", [c](S) { return number((*c)->startingIndexOfPlay()); }},
            {"new", [c](S) { return number((*c)->isPlaylistNew()); }},
            {"call", [c](S) { return number((*c)->isCallActive()); }},
            {"seekable", [c](S) { return number((*c)->isSeekable()); }},
            {"published", [](S a) { return number(bool(shared()->findPlaylist(a))); }},
        };
    }

    void step(const QString& token)
    {
        const QString name = token.section(QLatin1Char(':'), 0, 0);
        const QString arg = token.section(QLatin1Char(':'), 1);
        if (name.startsWith(QLatin1Char('?'))) {
            QVERIFY2(queries.contains(name.mid(1)), qPrintable(token));
            journal << name.mid(1) + QLatin1Char('=') + queries.value(name.mid(1))(arg);
            return;
        }
        QVERIFY2(steps.contains(name), qPrintable(token));
        steps.value(name)(arg);
    }

private Q_SLOTS:
    void initTestCase()
    {
        window = new MApplicationWindow;
        makeSteps();
    }
    void cleanupTestCase() { delete window; }
    void cleanup()
    {
        activated.reset();
        video.reset();
        videoRenderer.reset();
        tearDownControls();
        QLoggingCategory::setFilterRules(QString());
        delete foreign;
        foreign = nullptr;
    }

    // Commands and what reaches the renderer, the metadata handlers, position polling and
    // replies overtaken by a seek, the error gate, calls, the sound and video policies.
    void scripts_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("expected");
        // One row a line: "name ; script ; expected".
        const QString rows = QString::fromUtf8(R"(
play from index ; list:l:3 set:l ~ | play:2 ~ ; start >assignPlaylist(l) >gotoIndex(2) >play state3 list(l) state1
transport ; list:l:3 set:l ~ play:0 ~ | pause ~ resume ~ next prev index:2 stop ; >pause state2 >resume state3 state1 >next pos(0,-2) >previous >gotoIndex(2) >stop state0
seek, playing ; uri:a ~ | seek:30 pauseAt:4 ; >seekTo(30,0) >pauseAt(4)
seek, stopped ; list:l:3 set:l ~ | seek:30 ~ ; >pauseAt(30) state3 state2
uri ; uri:a ~ | uri:b ~ ?mime ; start >stop state0 done >playUri(file:///b,null) state3 state1 mime=null
same playlist url, then another ; url:a:pls ~ | url:a:pls url:b:m3u ?mime ; start >playPlaylistUri(http://radio/a,audio/x-scpls) state3 start >stop state0 done >playPlaylistUri(http://radio/b,audio/x-mpegurl) state3 mime=audio/x-mpegurl
no renderer ; gone | stop pause pauseAt:1 resume next prev seek:3 index:1 pos clear play:1 ; done start
uri waits for the renderer ; gone | uri:a ?type back ?type ?mime ~ ; start done type=0 type >playUri(file:///a,null) state3 type=1 mime=null state1
playlist url keeps its type ; gone | url:a:m3u back ?mime ; start done type >playPlaylistUri(http://radio/a,audio/x-mpegurl) state3 mime=audio/x-mpegurl
waiting uri played once ; gone uri:a back ~ stop gone | back ;
foreign renderer ignored ; gone | foreign uri:a back ; start done type >playUri(file:///a,null) state3
known renderer announced again ; uri:a ~ | again stop ; >stop state0
pending playlist ; gone list:p:2 | set:p ?inuse back ~ ; set=1 inuse=null >stop type type >assignPlaylist(p) >play state3 list(p) state1
pending playlist, call ; gone list:p:2 call:alerting | set:p back ~ ; set=1 >stop type type >assignPlaylist(p) err322 list(p)
waiting uri replaced by a playlist ; gone list:p:1 uri:u | set:p back ; set=1 >stop type type >assignPlaylist(p) >play state3
pending playlist replaced by a uri ; gone list:p:1 set:p | uri:u back ; start done type >playUri(file:///u,null) state3
set playlist before init ; noinit list:k:2 | set:k ?new ; set=0 new=1
set unknown playlist ; | set:nothing ?new ; set=0 new=1
set playlist ; list:k:2 | set:k ?type ; >stop type type >assignPlaylist(k) set=1 type=0
no content gives 319 while errors pass ; list:t:2 set:t ~ seek:1 ~ clear @fail:305 gone list:n:2 | set:n fire:gate set:n ; set=0 err319 set=0
confirmation of another playlist ignored ; list:l:3 set:l ~ list:o:1 | @list:o ?inuse add:o add:l ; inuse=l contents
playlist unpublished by others ; list:l:3 set:l ~ | unpublish:l ?inuse play:1 ; inuse=null start >assignPlaylist(null) >gotoIndex(1) >play
shuffle waits for a playlist ; | shuffle:3 ?shuffle list:m:6 set:m ~ ?shuffle ; shuffle=1,0 >stop type type >assignPlaylist(m) set=1 list(m) start >assignPlaylist(m) >gotoIndex(3) >play state3 list(m) contents state1 shuffle=0,1
shuffle while playing ; list:l:3 set:l ~ play:0 ~ | shuffle:1 ?shuffle ; start >assignPlaylist(l) >gotoIndex(1) >play contents shuffle=0,1
shuffle refused during a call ; list:l:3 set:l ~ call:active | shuffle:1 ?shuffle ; start err322 shuffle=0,0
shuffle superseded by a uri ; list:l:3 set:l ~ | shuffle:1 uri:a ~ ?shuffle ; [shuffle] shuffle=0,0
negative indexes ; list:l:3 set:l ~ | warn shuffle:-1 warn index:-1 ?shuffle ; shuffle=0,0
during a call ; list:l:3 set:l ~ uri:a ~ pause ~ call:active | play:1 resume pause uri:b ; start type err322 err329 >pause start >stop state0 done type >playUri(file:///b,null) state3
during a call, no renderer ; gone call:active | play:1 resume ; start err322
completion unpublishes ; list:t:3 set:t ~ play:0 ~ | @end @end @end ?published:t ?type ?index @state:3 ; >stop type done state0 published=0 type=2 index=-1
completion keeps a playlist to keep ; list:t:3 keep:t ~ play:0 ~ | @end @end @end ?inuse ?type ; >stop done state0 inuse=t type=0
completion keeps a permanent playlist ; perm:t:3 set:t ~ play:0 ~ | @end @end @end ?inuse ; >stop done state0 inuse=t
content type changes reported once ; | play:0 uri:a uri:b ; start >assignPlaylist(null) >gotoIndex(0) >play start >stop done type >playUri(file:///a,null) state3 start >stop state0 done >playUri(file:///b,null) state3
init twice ; | init ;
renderer lost ; handler:1 appwire uri:a ~ pos | gone ?poll @answer:12 @meta:title=1 pause back pause ; state0 lost poll=off app >pause
renderer destroyed while in use ; uri:a ~ | kill stop pos ; state0 lost
call at init ; noinit call:active | init ?call ; call1 call=1
from a starting index ; handler:0 list:l:8 set:l ~ | play:5 next @end ; [h:set media] h:set(5,l5) media h:set(6,l6) media h:set(7,l7) media
start refused during a call ; handler:0 list:l:8 set:l ~ play:1 ~ call:active | play:5 next ; [h:set] h:set(2,l2)
play from 0 tells first ; handler:0 list:l:3 set:l ~ | play:0 ; [h:set media >goto] h:set(0,) media >gotoIndex(0) h:set(0,l0) media
-1 never told ; handler:0 list:l:3 set:l ~ play:1 ~ | @media:-1 ; [h:set]
paused takes every item ; handler:0 list:l:3 set:l ~ play:0 ~ pause ~ | next prev ; [h:set] h:set(1,l1) h:set(0,l0)
only the type in use hears ; handler:0 handler:1 | uri:a ~ @media:0 @meta:artist=2 ; [h:] h:clear h:set(0,r0) h:meta(artist)
wired at the next switch ; list:l:3 set:l ~ play:1 ~ handler:0 | @meta:title=1 play:1 @meta:title=1 next ; [h:set h:meta] h:set(1,l1) h:meta(title) h:set(2,l2)
no handler for the type ; handler:1 list:l:3 set:l ~ | play:1 ; [h: media]
poll exactly while playing ; uri:a | ?poll ~ ?poll pause ~ ?poll resume ?poll ~ ?poll stop ?poll ; [poll] poll=off poll=1000 poll=off poll=off poll=1000 poll=off
duration ; uri:a ~ | pos @answer:5 @meta:duration=180 @meta:duration @meta:title=1 pos @answer:6 url:x:pls pos @answer:7 ; [pos] pos(5,-2) pos(6,180) pos(7,-1)
seekability ; uri:a ~ | @meta:is-seekable=0 @meta:is-seekable ?seekable ; [seekable] seekable=0
two in flight ; uri:a ~ | pos pos seek:10 @answer:1 @answer:2 pos @answer:3 ; [pos] pos(3,-2)
none in flight asks at once ; uri:a ~ | seek:10 @answer:4 ; [pos] pos(4,-2)
previous, then seek ; uri:a ~ | pos prev seek:10 @answer:1 pos @answer:2 ; [pos] pos(0,-2) pos(2,-2)
seek, then previous ; uri:a ~ | pos seek:10 prev @answer:1 pos @answer:2 ; [pos] pos(0,-2) pos(2,-2)
refused requests not counted ; uri:a ~ | @refuse pos pos @accept seek:10 @answer:7 ; [pos] pos(7,-2)
seek while stopped keeps replies ; uri:a ~ stop | pos seek:10 @answer:1 ; [pos] pos(1,-2)
two seeks ; uri:a ~ | pos seek:1 pos seek:2 @answer:1 @answer:2 pos @answer:3 ; [pos] pos(3,-2)
disable, enable within 500 ms ; uri:a ~ | disable ?stopping enable ?stopping ?poll ; stopping=500 stopping=off poll=1000
disable, enable later ; uri:a ~ | disable fire:stop ?poll enable ?poll @answer:3 ; poll=off poll=1000 pos(3,-2)
enable while paused ; uri:a ~ pause ~ | enable ?poll @answer:3 ; poll=off pos(3,-2)
switcher of the window active now ; activate | switch:in ?interval switch2:in ?interval switch2:out ?interval ; interval=1000 interval=10000 interval=1000
bad playlist url arguments ; | bad:nomime bad:nourl bad:invalid ;
switcher while stopped ; | switch:in ?poll uri:a ~ ?poll switch:out ?poll ; [poll] poll=off poll=10000 poll=1000
first error only ; uri:a ~ | @fail:326 @fail:326 @fail:305 @state:3 @fail:306 ; [err] err326 err326 err305
next reopens ; list:l:3 set:l ~ play:0 ~ | @fail:305 @state:3 @fail:306 next @fail:307 ; [err] err305 err307
resume and policy reopen ; uri:a ~ | @fail:305 @state:2 resume @fail:306 @state:2 @policy:0 @fail:307 ; [err] err305 err306 err307
seek reopens 3 s later ; uri:a ~ | @fail:305 @state:1 seek:20 ?gate @fail:306 fire:gate @fail:307 ; [err gate] err305 gate=3000 err307
play during a call ; uri:a ~ @fail:305 call:active | play:0 @fail:306 ; [err] err322 err306
call states ; uri:a ~ | call:alerting call:active call:inactive ?call call:active call:Active call: ?call ; [call] call1 call1 call0 call=0 call1 call1 call1 call=1
policy release, paused ; uri:a ~ pause ~ | @policy:0 ; [>] >resume
policy release, call ; uri:a ~ pause ~ call:active | @policy:0 call:inactive call:alerting call:inactive ; [> call] >resume call0 call1 call0
policy release, playing ; uri:a ~ | @policy:0 ; [>]
policy taken ; uri:a ~ pause ~ | @policy:1 ; [>]
renderer wiring ; uri:a | ~ @buf:0.5 @meta:duration=99 pos @answer:7 @end @fail:305 ; state1 buf(0.5) pos(7,99) >stop done state0 err305
renderer wiring, added later ; gone | back uri:a ~ @buf:0.5 @fail:305 ; start >stop done type >playUri(file:///a,null) state3 state1 buf(0.5) err305 state0
video renderer heard once announced ; vr+ video vstate:1 vr- vr+ vagain | vstate:2 vstate:3 uri:a ~ vstate:1 vstate:0 ; [video] video0 video1 video1 video0
)");
        for (const QString& line : rows.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            const QStringList parts = line.split(QLatin1Char(';'));
            QTest::newRow(qPrintable(parts.at(0).trimmed()))
                << parts.at(1) << parts.value(2).trimmed();
        }
    }
    void scripts()
    {
        QFETCH(QString, script);
        QFETCH(QString, expected);
        QStringList tokens = script.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const bool init = tokens.first() != QLatin1String("noinit");
        const bool absent = tokens.first() == QLatin1String("gone");
        if (!init || absent) {
            tokens.removeFirst();
        }
        setUpControls(init, !absent);
        for (const QString& token : qAsConst(tokens)) {
            step(token);
            if (QTest::currentTestFailed()) {
                return;
            }
        }
        QStringList seen = takeJournal();
        if (expected.startsWith(QLatin1Char('['))) {
            QStringList prefixes =
                expected.section(QLatin1Char(']'), 0, 0).mid(1).split(QLatin1Char(' '));
            for (QString& prefix : prefixes) {
                prefix = QRegularExpression::escape(prefix);
            }
            seen = seen.filter(
                QRegularExpression(QStringLiteral("^(%1)").arg(prefixes.join(QLatin1Char('|')))));
            expected = expected.section(QLatin1Char(']'), 1);
        }
        QCOMPARE(seen.join(QLatin1Char(' ')), expected.simplified());
    }

    // Long random interleavings of the steps above, the engine's invariants checked after
    // each. KELMORA_MODEL_SEED and KELMORA_MODEL_STEPS change the seed and the 5000 steps.
    void randomInterleavings()
    {
        const uint seed = qEnvironmentVariable("KELMORA_MODEL_SEED", "20240611").toUInt();
        const int count = qEnvironmentVariable("KELMORA_MODEL_STEPS", "5000").toInt();
        QLoggingCategory::setFilterRules(QStringLiteral("kelmora.*.warning=false"));
        std::mt19937 rng(seed);
        auto pick = [&rng](int n) { return int(rng() % uint(n)); };
        // Tokens; "#N" becomes a random number from 0 up to N-1, "#-N" from -1 up to N-2.
        const QStringList actions =
            QString::fromLatin1(
                "set:list#4 keep:list#4 play:#5 shuffle:#-6 stop pause pauseAt:#100 resume next "
                "prev seek:#300 index:#-6 uri:t#3 url:#2 clear pos enable disable fire:stop "
                "fire:gate ~ @state:#4 @media:#-7 @answer @fail:305 @fail:326 @list:list#3 @end "
                "@meta:duration @meta:duration=#400 @meta:is-seekable @meta:is-seekable=#2 "
                "@policy:#2 @refuse @accept renderer call:active call:alerting call:inactive "
                "switch:in switch:out unpublish:list#3 handler:#3")
                .split(QLatin1Char(' '));
        std::deque<std::pair<uint, bool>> requests; // the renderer's open ones: overtaken?
        int clears = 0;                             // operations that may each owe one completion
        int completions = 0;
        MafwRenderer::State reported = MafwRenderer::Stopped;
        MafwRegistry* registry = MafwRegistry::instance();
        auto registered = [&] { return renderer && registry->findRenderer(renderer->uuid()); };
        QObject scope;
        auto cycle = [&] {
            if (!renderer) {
                addRenderer();
                connect(renderer, &MafwRenderer::playbackCompleted, &scope,
                        [&] { clears += registered() ? 1 : 0; });
                return;
            }
            requests.clear();
            renderer->dropRequests();
            if (pick(3) == 0) {
                delete renderer.data();
            } else if (!registry->removeRenderer(renderer->uuid())) {
                registry->addRenderer(renderer);
            }
        };
        setUpControls(true, false);
        cycle();
        for (int n = 0; n < count; ++n) {
            QString token = actions.at(pick(actions.size()));
            if (const int at = token.indexOf(QLatin1Char('#')) + 1) {
                const int range = token.mid(at).toInt();
                token = token.left(at - 1) + number(range > 0 ? pick(range) : pick(-range) - 1);
            }
            const QString name = part(token, 0);
            const QString where = QString("seed %1 step %2 %3").arg(seed).arg(n).arg(token);
            const bool inUse =
                registered() && controls->contentType() != KelPlayControls::NoContent;
            QStringList expected;
            if (!renderer && (name.startsWith(QLatin1Char('@')) || name == "~")) {
                continue;
            } else if (name == "renderer") {
                cycle();
            } else if (name == "@answer") {
                if (requests.empty()) {
                    continue;
                }
                const auto [value, overtaken] = requests.front();
                requests.pop_front();
                overtaken ? void() : void(expected << number(int(value)));
                token += ':' + number(int(value));
            } else if (name == "prev" && inUse) {
                expected << "0";
            } else if (name == "seek") {
                for (auto& request : requests) {
                    request.second |= inUse && controls->state() != MafwRenderer::Stopped;
                }
            } else if (name == "uri" || name == "url" || name == "clear") {
                ++clears;
            } else if ((name == "set" || name == "keep") && !token.endsWith('3') &&
                       !shared()->findPlaylist(part(token, 1))) {
                makePlaylist(part(token, 1), 1 + pick(5), pick(4) == 0);
            }
            if (name != "renderer") {
                step(token);
            }
            deleteNow();
            QStringList positions;
            for (const QString& e : takeJournal()) {
                if (e.startsWith("pos(")) {
                    positions << e.mid(4).section(QLatin1Char(','), 0, 0);
                }
                completions += e == "done";
                reported = e.startsWith("state") ? MafwRenderer::State(e.mid(5).toInt()) : reported;
            }
            QVERIFY2(!QTest::currentTestFailed() && positions == expected, qPrintable(where));
            const int open = renderer ? renderer->openRequests() : 0;
            while (int(requests.size()) < open) {
                requests.push_back({uint(100000 + rng() % 100000), false});
            }
            MafwPlaylist* p = controls->playlist();
            QVERIFY2(int(requests.size()) == open && completions <= clears &&
                         controls->state() == reported &&
                         (!p || shared()->findPlaylist(p->name()) == p),
                     qPrintable(where));
        }
    }

    // The engine owns its handlers and deletes each once; one replaced goes during the call.
    void handlerOwnership()
    {
        setUpControls();
        QPointer<RecordingHandler> first = handler(KelPlayControls::PlaylistContent);
        QPointer<RecordingHandler> second = handler(KelPlayControls::PlaylistContent);
        QVERIFY(first.isNull());
        QCOMPARE(controls->metaDataHandler(KelPlayControls::PlaylistContent), second.data());
        controls->setMetadataHandler(second, KelPlayControls::PlaylistContent); // again
        controls->setMetadataHandler(second, KelPlayControls::UriContent);
        QPointer<RecordingHandler> none = handler(KelPlayControls::NoContent);
        controls->setMetadataHandler(nullptr, KelPlayControls::PlaylistContent);
        QVERIFY(!second.isNull()); // still registered for UriContent
        QPointer<RecordingHandler> gone = handler(KelPlayControls::PlaylistContent);
        controls->play(QUrl(QStringLiteral("file:///a")));
        delete gone.data(); // by the application
        Q_EMIT renderer->mediaChanged(1, MafwContent());
        delete controls;
        controls = nullptr;
        QVERIFY(second.isNull());
        QVERIFY(none.isNull());
    }

    void singletonSurvivesDeletion()
    {
        KelPlayControls* first = KelPlayControls::instance();
        QCOMPARE(KelPlayControls::instance(), first);
        delete first;
        controls = KelPlayControls::instance();
        QCOMPARE(controls->startingIndexOfPlay(), -1); // a new engine, not the deleted one
    }
};

KELMORA_TEST_MAIN(TestEngine)
#include "tst_engine.moc"
