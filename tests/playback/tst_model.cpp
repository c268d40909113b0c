// Long random interleavings of commands and renderer, call and switcher events, with the
// engine's invariants checked after every step. Options: -steps N, -seed S (the seed of a
// failing run is printed so that it can be replayed).
#include "playbackfixture.h"

#include <contextprovider.h>
#include <mafwplaylist.h>
#include <mafwplugincontrol.h>
#include <mafwregistry.h>
#include <mafwshared.h>
#include <mapplication.h>
#include <mapplicationwindow.h>

#include <QTemporaryDir>
#include <QtTest>

#include <deque>
#include <random>

namespace {
int g_steps = 5000;
quint32 g_seed = 0;
} // namespace

class TestModel : public QObject, PlaybackFixture
{
    Q_OBJECT

    std::mt19937 rng;
    int pick(int n) { return int(rng() % uint(n)); }

    struct Request
    {
        uint value;
        bool overtaken;
    };
    std::deque<Request> requests; // mirrors the renderer's open requests, oldest first
    int clears = 0;               // operations that may each owe one completion
    int completions = 0;
    int reported = 0; // positions checked
    int dropped = 0;  // overtaken replies checked
    MafwRenderer::State lastReported = MafwRenderer::Stopped;
    MApplicationWindow* window = nullptr;
    QString step;

    bool rendererInUse() const
    {
        return renderer && KelPlaybackTestAccess::hasRenderer(controls) &&
               controls->contentType() != KelPlayControls::NoContent;
    }
    static QString name(int i) { return QStringLiteral("list%1").arg(i); }

    // Performs one random action; returns the positionChanged values it must produce.
    void act(int n, QList<uint>& expected)
    {
        MafwShared* shared = MafwShared::instance();
        const int action = pick(30);
        step = QStringLiteral("step %1 action %2").arg(n).arg(action);
        switch (action) {
        case 0: {
            const int i = pick(4); // list3 is never published
            if (i < 3 && !shared->findPlaylist(name(i))) {
                makePlaylist(name(i), 1 + pick(5), pick(4) == 0);
            }
            controls->setPlaylist(name(i), pick(2));
            break;
        }
        case 1:
            controls->play(uint(pick(5)));
            break;
        case 2:
            controls->shufflePlay(pick(6) - 1);
            break;
        case 3:
            controls->stop();
            break;
        case 4:
            controls->pause();
            break;
        case 5:
            controls->pauseAt(uint(pick(100)));
            break;
        case 6:
            controls->resume();
            break;
        case 7:
            controls->next();
            break;
        case 8:
            if (rendererInUse()) {
                expected << 0;
            }
            controls->previous();
            break;
        case 9:
            if (rendererInUse() && controls->state() != MafwRenderer::Stopped) {
                for (Request& r : requests) {
                    r.overtaken = true;
                }
            }
            controls->setPosition(uint(pick(300)));
            break;
        case 10:
            controls->setPlaylistIndex(pick(6) - 1);
            break;
        case 11:
            ++clears;
            controls->play(QUrl(QStringLiteral("file:///t%1.ogg").arg(pick(3))));
            break;
        case 12:
            ++clears;
            controls->playPlaylist(QUrl(QStringLiteral("http://r/%1.pls").arg(pick(2))),
                                   QStringLiteral("audio/x-scpls"));
            break;
        case 13:
            ++clears;
            controls->clearPlaylist();
            break;
        case 14:
            controls->position();
            break;
        case 15:
            pick(2) ? controls->enablePositionUpdates() : controls->disablePositionUpdates();
            break;
        case 16:
            pick(2) ? KelPlaybackTestAccess::firePositionPoll(controls)
                    : KelPlaybackTestAccess::firePositionStop(controls);
            break;
        case 17:
            if (renderer) {
                renderer->setState(MafwRenderer::State(pick(4)));
            }
            break;
        case 18:
            if (renderer) {
                Q_EMIT renderer->mediaChanged(pick(7) - 1, MafwContent());
            }
            break;
        case 19:
        case 20:
            if (renderer && !requests.empty()) {
                const Request r = requests.front();
                requests.pop_front();
                if (!r.overtaken) {
                    expected << r.value;
                } else {
                    ++dropped;
                }
                QVERIFY2(renderer->answerPosition(r.value), qPrintable(step));
            }
            break;
        case 21:
            if (renderer) {
                Q_EMIT renderer->error(MafwError(
                    pick(2) ? MafwError::TransientError : MafwError::CorruptStream, QString()));
            }
            break;
        case 22:
            if (renderer) {
                Q_EMIT renderer->playlistChanged(shared->findPlaylist(name(pick(3))));
            }
            break;
        case 23:
            if (renderer) {
                if (KelPlaybackTestAccess::hasRenderer(controls)) {
                    ++clears;
                }
                Q_EMIT renderer->playbackCompleted();
            }
            break;
        case 24:
            if (!renderer) {
                addRenderer();
            } else if (pick(3) == 0) {
                requests.clear();
                delete renderer.data();
            } else if (MafwRegistry::instance()->findRenderer(renderer->uuid())) {
                requests.clear();
                renderer->dropRequests();
                MafwRegistry::instance()->removeRenderer(renderer->uuid());
            } else {
                MafwRegistry::instance()->addRenderer(renderer);
            }
            break;
        case 25: {
            static const char* const values[] = {"active", "alerting", "inactive", "other"};
            ContextProvider::setValue(QStringLiteral("Phone.Call"),
                                      QString::fromLatin1(values[pick(4)]));
            break;
        }
        case 26:
            pick(2) ? Q_EMIT window->switcherEntered() : Q_EMIT window->switcherExited();
            break;
        case 27:
            if (renderer) {
                QList<QVariant> values;
                if (pick(3)) {
                    values << pick(400);
                }
                Q_EMIT renderer->metadataChanged(
                    pick(2) ? QStringLiteral("duration") : QStringLiteral("is-seekable"), values);
            }
            break;
        case 28:
            if (renderer) {
                Q_EMIT renderer->mafwPropertyChanged(
                    MafwRenderer::MAFW_RENDERER_PROPERTY_POLICY_OVERRIDE, bool(pick(2)));
            }
            break;
        case 29:
            switch (pick(4)) {
            case 0:
                shared->unPublishPlaylist(name(pick(3)));
                break;
            case 1:
                controls->setMetadataHandler(new RecordingHandler,
                                             KelPlayControls::ContentType(pick(3)));
                break;
            case 2:
                KelPlaybackTestAccess::fireAllowErrors(controls);
                break;
            case 3:
                if (renderer) {
                    renderer->acceptPositionRequests = !renderer->acceptPositionRequests;
                }
                break;
            }
            break;
        }
    }

    void checkInvariants(const QList<uint>& expected, const QStringList& emitted)
    {
        const QByteArray text = step.toLocal8Bit();
        const char* where = text.constData();
        // Positions: one per fresh reply (and one 0 for previous()), none for overtaken ones.
        QStringList positions;
        for (const QString& e : emitted) {
            if (e.startsWith(QLatin1String("positionChanged("))) {
                positions << e.section(QLatin1Char('('), 1).section(QLatin1Char(','), 0, 0);
            }
        }
        QStringList wanted;
        for (uint v : expected) {
            wanted << QString::number(v);
        }
        QVERIFY2(positions == wanted, where);
        reported += positions.size();

        // New requests the engine made during the step are not overtaken (yet).
        const int open = renderer ? renderer->openRequests() : 0;
        while (int(requests.size()) < open) {
            requests.push_back({uint(100000 + rng() % 100000), false});
        }
        QCOMPARE(int(requests.size()), open);
        const int pending = KelPlaybackTestAccess::pendingRequests(controls);
        const int skip = KelPlaybackTestAccess::repliesToSkip(controls);
        QVERIFY2(pending >= 0 && skip >= 0 && skip <= pending, where);
        const bool registered = renderer && KelPlaybackTestAccess::hasRenderer(controls);
        QVERIFY2(pending == (registered ? open : 0), where);

        QVERIFY2(KelPlaybackTestAccess::pendingUri(controls).isEmpty() ||
                     !KelPlaybackTestAccess::pendingPlaylist(controls),
                 where);
        const int shuffle = KelPlaybackTestAccess::shuffleState(controls);
        QVERIFY2(shuffle >= 0 && shuffle <= 2, where);
        QVERIFY2(controls->isGoingToBeShuffled() == (shuffle != 2), where);

        for (const QString& e : emitted) {
            if (e == QLatin1String("playbackCompleted")) {
                ++completions;
            } else if (e.startsWith(QLatin1String("stateChanged("))) {
                lastReported = MafwRenderer::State(e.mid(13, 1).toInt());
            }
        }
        QVERIFY2(completions <= clears, where);
        QVERIFY2(controls->state() == lastReported, where);
        if (MafwPlaylist* p = controls->playlist()) {
            QVERIFY2(MafwShared::instance()->findPlaylist(p->name()) == p, where);
        }
    }

private Q_SLOTS:
    void randomInterleavings()
    {
        if (g_seed == 0) {
            g_seed = quint32(QRandomGenerator::global()->generate() | 1u);
        }
        qInfo("seed %u, %d steps (replay with -seed %u -steps %d)", g_seed, g_steps, g_seed,
              g_steps);
        rng.seed(g_seed);
        window = new MApplicationWindow;
        setUpControls(true, true);
        for (int n = 0; n < g_steps; ++n) {
            QList<uint> expected;
            act(n, expected);
            if (QTest::currentTestFailed()) {
                break;
            }
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            checkInvariants(expected, log->take());
            if (QTest::currentTestFailed()) {
                qWarning("failed with seed %u at %s", g_seed, qPrintable(step));
                break;
            }
        }
        qInfo("%d positions reported, %d overtaken replies dropped, %d completions", reported,
              dropped, completions);
        tearDownControls();
        delete window;
    }
};

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir emptyPluginDir;
    qputenv("KELMORA_MAFW_PLUGIN_PATH", emptyPluginDir.path().toLocal8Bit());
    QVector<char*> args;
    for (int i = 0; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "-steps" && i + 1 < argc) {
            g_steps = QByteArray(argv[++i]).toInt();
        } else if (arg == "-seed" && i + 1 < argc) {
            g_seed = QByteArray(argv[++i]).toUInt();
        } else {
            args << argv[i];
        }
    }
    int count = args.size();
    MApplication app(count, args.data());
    QLoggingCategory::setFilterRules(QStringLiteral("kelmora.*.warning=false"));
    TestModel test;
    return QTest::qExec(&test, count, args.data());
}

#include "tst_model.moc"
