// Long random interleavings of commands and renderer, call and switcher events, with the
// engine's invariants checked after every step. KELMORA_MODEL_SEED and KELMORA_MODEL_STEPS
// change the fixed seed and the 5000 steps; a failure names the seed and step.
#include "playbackfixture.h"
#include "testmain.h"

#include <contextprovider.h>
#include <mafwplaylist.h>
#include <mafwregistry.h>
#include <mafwshared.h>
#include <mapplication.h>
#include <mapplicationwindow.h>

#include <deque>
#include <functional>
#include <random>

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
    int dropped = 0; // overtaken replies checked
    MafwRenderer::State lastReported = MafwRenderer::Stopped;
    MApplicationWindow* window = nullptr;
    QString step;

    // The engine follows the registry.
    bool registered() const
    {
        return renderer && MafwRegistry::instance()->findRenderer(renderer->uuid()) == renderer;
    }
    bool rendererInUse() const
    {
        return registered() && controls->contentType() != KelPlayControls::NoContent;
    }
    static QString name(int i) { return QStringLiteral("list%1").arg(i); }
    void newRenderer()
    {
        addRenderer();
        renderer->journal = nullptr;
        // A completion the engine hears ends what plays, as a clear does.
        connect(renderer, &MafwRenderer::playbackCompleted, this,
                [this]() { clears += registered() ? 1 : 0; });
    }

    // Performs one random action; expected gets the positions it must report.
    void act(int n, QStringList& expected)
    {
        MafwShared* shared = MafwShared::instance();
        MafwRegistry* registry = MafwRegistry::instance();
        ScriptedRenderer* r = renderer;
        const bool inUse = rendererInUse();
        const std::function<void()> actions[] = {
            [&] {
                const int i = pick(4); // list3 is never published
                if (i < 3 && !shared->findPlaylist(name(i))) {
                    makePlaylist(name(i), 1 + pick(5), pick(4) == 0);
                }
                controls->setPlaylist(name(i), pick(2));
            },
            [&] { controls->play(uint(pick(5))); },
            [&] { controls->shufflePlay(pick(6) - 1); },
            [&] { controls->stop(); },
            [&] { controls->pause(); },
            [&] { controls->pauseAt(uint(pick(100))); },
            [&] { controls->resume(); },
            [&] { controls->next(); },
            [&] {
                if (inUse) {
                    expected << QStringLiteral("0");
                }
                controls->previous();
            },
            [&] {
                for (Request& request : requests) {
                    request.overtaken |= inUse && controls->state() != MafwRenderer::Stopped;
                }
                controls->setPosition(uint(pick(300)));
            },
            [&] { controls->setPlaylistIndex(pick(6) - 1); },
            [&] { ++clears, controls->play(QUrl(QStringLiteral("file:///t%1").arg(pick(3)))); },
            [&] {
                ++clears;
                controls->playPlaylist(QUrl(QStringLiteral("http://r/%1.pls").arg(pick(2))),
                                       QStringLiteral("audio/x-scpls"));
            },
            [&] { ++clears, controls->clearPlaylist(); },
            [&] { controls->position(); },
            [&] {
                pick(2) ? controls->enablePositionUpdates() : controls->disablePositionUpdates();
            },
            [&] { fire("positionStop"); },
            [&] {
                r ? (pick(2) ? r->settle() : r->setState(MafwRenderer::State(pick(4)))) : void();
            },
            [&] { r ? Q_EMIT r->mediaChanged(pick(7) - 1, MafwContent()) : void(); },
            [&] {
                if (r && !requests.empty()) {
                    const Request request = requests.front();
                    requests.pop_front();
                    request.overtaken ? void(++dropped)
                                      : void(expected << QString::number(request.value));
                    QVERIFY2(r->answerPosition(request.value), qPrintable(step));
                }
            },
            [&] {
                r ? r->fail(pick(2) ? MafwError::TransientError : MafwError::CorruptStream)
                  : void();
            },
            [&] { r ? Q_EMIT r->playlistChanged(shared->findPlaylist(name(pick(3)))) : void(); },
            [&] { r ? r->endItem() : void(); },
            [&] {
                if (!r) {
                    newRenderer();
                    return;
                }
                requests.clear();
                r->dropRequests();
                if (pick(3) == 0) {
                    delete r;
                } else if (!registry->removeRenderer(r->uuid())) {
                    registry->addRenderer(r);
                }
            },
            [&] {
                static const char* const values[] = {"active", "alerting", "inactive", "other"};
                ContextProvider::setValue(QStringLiteral("Phone.Call"),
                                          QString::fromLatin1(values[pick(4)]));
            },
            [&] { pick(2) ? Q_EMIT window->switcherEntered() : Q_EMIT window->switcherExited(); },
            [&] {
                QList<QVariant> values;
                if (pick(3)) {
                    values << pick(400);
                }
                const auto key =
                    pick(2) ? QStringLiteral("duration") : QStringLiteral("is-seekable");
                r ? Q_EMIT r->metadataChanged(key, values) : void();
            },
            [&] {
                const auto key = MafwRenderer::MAFW_RENDERER_PROPERTY_POLICY_OVERRIDE;
                r ? Q_EMIT r->mafwPropertyChanged(key, bool(pick(2))) : void();
            },
            [&] { shared->unPublishPlaylist(name(pick(3))); },
            [&] {
                controls->setMetadataHandler(new RecordingHandler,
                                             KelPlayControls::ContentType(pick(3)));
            },
            [&] { fire("errorGate"); },
            [&] { r ? void(r->acceptPositionRequests = !r->acceptPositionRequests) : void(); },
        };
        const int action = pick(int(std::size(actions)));
        step = QStringLiteral("step %1 action %2").arg(n).arg(action);
        actions[action]();
    }

    void checkInvariants(const QStringList& expected, const QStringList& emitted)
    {
        const QByteArray text = step.toLocal8Bit();
        const char* where = text.constData();
        // Positions: one per fresh reply (and one 0 for previous()), none for overtaken ones.
        QStringList positions;
        for (const QString& e : emitted) {
            if (e.startsWith(QLatin1String("pos("))) {
                positions << e.mid(4).section(QLatin1Char(','), 0, 0);
            } else if (e == QLatin1String("done")) {
                ++completions;
            } else if (e.startsWith(QLatin1String("state"))) {
                lastReported = MafwRenderer::State(e.mid(5).toInt());
            }
        }
        QVERIFY2(positions == expected, where);

        // New requests the engine made during the step are not overtaken (yet).
        const int open = renderer ? renderer->openRequests() : 0;
        while (int(requests.size()) < open) {
            requests.push_back({uint(100000 + rng() % 100000), false});
        }
        QCOMPARE(int(requests.size()), open);
        QVERIFY2(completions <= clears, where);
        QVERIFY2(controls->state() == lastReported, where);
        if (MafwPlaylist* p = controls->playlist()) {
            QVERIFY2(MafwShared::instance()->findPlaylist(p->name()) == p, where);
        }
    }

private Q_SLOTS:
    void randomInterleavings()
    {
        const quint32 seed = qEnvironmentVariableIsSet("KELMORA_MODEL_SEED")
                                 ? qgetenv("KELMORA_MODEL_SEED").toUInt()
                                 : 20240611u;
        const int steps = qEnvironmentVariableIsSet("KELMORA_MODEL_STEPS")
                              ? qEnvironmentVariableIntValue("KELMORA_MODEL_STEPS")
                              : 5000;
        qInfo("seed %u, %d steps", seed, steps);
        QLoggingCategory::setFilterRules(QStringLiteral("kelmora.*.warning=false"));
        rng.seed(seed);
        window = new MApplicationWindow;
        setUpControls(true, false);
        newRenderer();
        for (int n = 0; n < steps; ++n) {
            QStringList expected;
            act(n, expected);
            if (!QTest::currentTestFailed()) {
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                checkInvariants(expected, takeJournal());
            }
            if (QTest::currentTestFailed()) {
                qWarning("failed with KELMORA_MODEL_SEED=%u at %s", seed, qPrintable(step));
                break;
            }
        }
        qInfo("%d overtaken replies dropped, %d completions", dropped, completions);
        tearDownControls();
        delete window;
    }
};

KELMORA_TEST_MAIN(TestModel)
#include "tst_model.moc"
