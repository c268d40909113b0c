// Position polling, duration and seekability, the error gate, calls and the task switcher.
#include "playbackfixture.h"
#include "testmain.h"

#include <contextprovider.h>
#include <mapplicationwindow.h>

class TestPosition : public QObject, PlaybackFixture
{
    Q_OBJECT

    void startPlaying()
    {
        controls->play(QUrl(QStringLiteral("file:///a.ogg")));
        rendererState(MafwRenderer::Playing);
        log->take();
    }
    QTimer* poll() const { return KelPlaybackTestAccess::positionTimer(controls); }
    static void setCall(const char* value)
    {
        ContextProvider::setValue(QStringLiteral("Phone.Call"), QString::fromLatin1(value));
    }

private Q_SLOTS:
    void cleanup() { tearDownControls(); }

    void durationAndSeekability()
    {
        setUpControls();
        startPlaying();
        controls->position();
        renderer->answerPosition(5);
        Q_EMIT renderer->metadataChanged(QStringLiteral("duration"), {QVariant(180)});
        Q_EMIT renderer->metadataChanged(QStringLiteral("is-seekable"), {QVariant(false)});
        controls->position();
        renderer->answerPosition(6);
        QCOMPARE(log->take(), QStringList({QStringLiteral("positionChanged(5,-2)"),
                                           QStringLiteral("positionChanged(6,180)")}));
        QCOMPARE(controls->isSeekable(), false);
        // Empty value lists are not read from; other keys change nothing here.
        Q_EMIT renderer->metadataChanged(QStringLiteral("duration"), {});
        Q_EMIT renderer->metadataChanged(QStringLiteral("is-seekable"), {});
        Q_EMIT renderer->metadataChanged(QStringLiteral("title"), {QVariant(1)});
        QCOMPARE(KelPlaybackTestAccess::duration(controls), 180);
        QCOMPARE(controls->isSeekable(), false);
        controls->playPlaylist(QUrl(QStringLiteral("http://r/a.pls")),
                               QStringLiteral("audio/x-scpls"));
        QCOMPARE(KelPlaybackTestAccess::duration(controls), -1);
    }

    void pollRunsExactlyWhilePlaying_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("polling");
        QTest::newRow("playing") << int(MafwRenderer::Playing) << true;
        QTest::newRow("paused") << int(MafwRenderer::Paused) << false;
        QTest::newRow("stopped") << int(MafwRenderer::Stopped) << false;
        QTest::newRow("transitioning") << int(MafwRenderer::Transitioning) << false;
    }
    void pollRunsExactlyWhilePlaying()
    {
        QFETCH(int, state);
        QFETCH(bool, polling);
        setUpControls();
        startPlaying();
        QVERIFY(poll()->isActive());
        QCOMPARE(poll()->interval(), 1000);
        renderer->setState(MafwRenderer::State(state));
        QCOMPARE(poll()->isActive(), polling);
    }

    // Replies to requests sent before a seek are dropped, every later one is reported, also
    // when previous() and refused requests are mixed in.
    void seekDropsOvertakenReplies_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("reported");
        QTest::newRow("two in flight")
            << QString("req req seek ans:1 ans:2 req ans:3") << QStringList{QStringLiteral("3")};
        QTest::newRow("none in flight asks at once") << QString("seek ans:4") << QStringList{"4"};
        QTest::newRow("previous then seek")
            << QString("req prev seek ans:1 req ans:2") << QStringList({"0", "2"});
        QTest::newRow("seek then previous")
            << QString("req seek prev ans:1 req ans:2") << QStringList({"0", "2"});
        QTest::newRow("refused requests not counted")
            << QString("refuse req req accept seek ans:7") << QStringList{"7"};
        QTest::newRow("seek while stopped keeps replies")
            << QString("stop req seek ans:1") << QStringList{"1"};
        QTest::newRow("two seeks") << QString("req seek req seek ans:1 ans:2 req ans:3")
                                   << QStringList{QStringLiteral("3")};
    }
    void seekDropsOvertakenReplies()
    {
        QFETCH(QString, script);
        QFETCH(QStringList, reported);
        setUpControls();
        startPlaying();
        for (const QString& step : script.split(QLatin1Char(' '))) {
            if (step == QLatin1String("req")) {
                controls->position();
            } else if (step == QLatin1String("seek")) {
                controls->setPosition(10);
            } else if (step == QLatin1String("prev")) {
                controls->previous();
            } else if (step == QLatin1String("refuse")) {
                renderer->acceptPositionRequests = false;
            } else if (step == QLatin1String("accept")) {
                renderer->acceptPositionRequests = true;
            } else if (step == QLatin1String("stop")) {
                renderer->setState(MafwRenderer::Stopped);
            } else {
                QVERIFY(renderer->answerPosition(step.mid(4).toUInt()));
            }
            QVERIFY(KelPlaybackTestAccess::pendingRequests(controls) >= 0);
            QCOMPARE(KelPlaybackTestAccess::pendingRequests(controls), renderer->openRequests());
        }
        QStringList seen;
        for (const QString& entry : log->only(QStringLiteral("positionChanged"))) {
            seen << entry.section(QLatin1Char('('), 1).section(QLatin1Char(','), 0, 0);
        }
        QCOMPARE(seen, reported);
    }

    void disableThenEnable_data()
    {
        QTest::addColumn<bool>("stopFired");
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("requests");
        QTest::addColumn<bool>("polling");
        QTest::newRow("within 500 ms") << false << int(MafwRenderer::Playing) << 0 << true;
        QTest::newRow("after 500 ms, playing") << true << int(MafwRenderer::Playing) << 1 << true;
        QTest::newRow("after 500 ms, paused") << true << int(MafwRenderer::Paused) << 1 << false;
    }
    void disableThenEnable()
    {
        QFETCH(bool, stopFired);
        QFETCH(int, state);
        QFETCH(int, requests);
        QFETCH(bool, polling);
        setUpControls();
        startPlaying();
        renderer->setState(MafwRenderer::State(state));
        if (state == MafwRenderer::Paused) {
            controls->enablePositionUpdates(); // a single report while paused
            QCOMPARE(renderer->openRequests(), 1);
            renderer->answerPosition(3);
            QCOMPARE(log->only(QStringLiteral("positionChanged")).size(), 1);
        }
        controls->disablePositionUpdates();
        QTimer* stopTimer = KelPlaybackTestAccess::positionStopTimer(controls);
        QVERIFY(stopTimer->isActive());
        QCOMPARE(stopTimer->interval(), 500);
        if (stopFired) {
            KelPlaybackTestAccess::firePositionStop(controls);
            QVERIFY(!poll()->isActive());
        }
        controls->enablePositionUpdates();
        QVERIFY(!stopTimer->isActive());
        QCOMPARE(renderer->openRequests(), requests);
        QCOMPARE(poll()->isActive(), polling);
    }

    void switcherSlowsPoll()
    {
        MApplicationWindow window;
        setUpControls();
        Q_EMIT window.switcherEntered();
        QVERIFY(!poll()->isActive());
        QCOMPARE(poll()->interval(), 10000);
        startPlaying();
        QVERIFY(poll()->isActive());
        QCOMPARE(poll()->interval(), 10000);
        Q_EMIT window.switcherExited();
        QVERIFY(poll()->isActive());
        QCOMPARE(poll()->interval(), 1000);
    }

    void noWindowNoSwitcher()
    {
        setUpControls();
        MApplicationWindow late;
        Q_EMIT late.switcherEntered();
        QCOMPARE(poll()->interval(), 1000);
    }

    // Tokens: eNNN a renderer error, "next", "seek", "reopen" (the 3 s timer fires),
    // "resume", "policy" (policy released while paused).
    void errorGate_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("emitted");
        QTest::newRow("first error only") << QString("e305 e306") << QStringList{"305"};
        QTest::newRow("next reopens")
            << QString("e305 e306 next e307") << QStringList({"305", "307"});
        QTest::newRow("resume reopens")
            << QString("e305 resume e307") << QStringList({"305", "307"});
        QTest::newRow("policy release reopens")
            << QString("e305 policy e307") << QStringList({"305", "307"});
        QTest::newRow("326 passes while open")
            << QString("e326 e326 e305 e306") << QStringList({"326", "326", "305"});
        QTest::newRow("326 dropped while closed") << QString("e305 e326") << QStringList{"305"};
        QTest::newRow("seek reopens later, not at once")
            << QString("e305 seek e306 reopen e307") << QStringList({"305", "307"});
    }
    void errorGate()
    {
        QFETCH(QString, script);
        QFETCH(QStringList, emitted);
        setUpControls();
        startPlaying();
        renderer->setState(MafwRenderer::Paused);
        for (const QString& step : script.split(QLatin1Char(' '))) {
            if (step.startsWith(QLatin1Char('e'))) {
                Q_EMIT renderer->error(
                    MafwError(MafwError::Code(step.mid(1).toInt()), QStringLiteral("x")));
            } else if (step == QLatin1String("next")) {
                controls->next();
            } else if (step == QLatin1String("resume")) {
                controls->resume();
            } else if (step == QLatin1String("policy")) {
                Q_EMIT renderer->mafwPropertyChanged(
                    MafwRenderer::MAFW_RENDERER_PROPERTY_POLICY_OVERRIDE, false);
            } else if (step == QLatin1String("seek")) {
                controls->setPosition(20);
                QTimer* timer = KelPlaybackTestAccess::allowErrorsTimer(controls);
                QVERIFY(timer->isActive());
                QCOMPARE(timer->interval(), 3000);
            } else if (step == QLatin1String("reopen")) {
                KelPlaybackTestAccess::fireAllowErrors(controls);
            }
        }
        QStringList seen;
        for (const QString& entry : log->only(QStringLiteral("error"))) {
            seen << entry.mid(6, 3);
        }
        QCOMPARE(seen, emitted);
    }

    void playDuringCallLeavesGateOpen()
    {
        setUpControls();
        startPlaying();
        Q_EMIT renderer->error(MafwError(MafwError::CorruptStream, QString()));
        setCall("active");
        log->take();
        controls->play(0u);
        QCOMPARE(log->only(QStringLiteral("error")), QStringList{QStringLiteral("error(322)")});
        QVERIFY(KelPlaybackTestAccess::errorsAllowed(controls));
    }

    void callStates_data()
    {
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QStringList>("reported");
        QTest::addColumn<bool>("activeAfter");
        QTest::newRow("alerting active inactive")
            << QStringList({"alerting", "active", "inactive"})
            << QStringList({"callActivated(1)", "callActivated(1)", "callActivated(0)"}) << false;
        QTest::newRow("unknown keeps state")
            << QStringList({"active", "Active", ""})
            << QStringList({"callActivated(1)", "callActivated(1)", "callActivated(1)"}) << true;
    }
    void callStates()
    {
        QFETCH(QStringList, values);
        QFETCH(QStringList, reported);
        QFETCH(bool, activeAfter);
        setUpControls();
        startPlaying();
        for (const QString& value : values) {
            ContextProvider::setValue(QStringLiteral("Phone.Call"), value);
        }
        QCOMPARE(log->take(), reported);
        QCOMPARE(controls->isCallActive(), activeAfter);
        QVERIFY(!renderer->takeCommands().contains(QStringLiteral("resume")));
    }

    // A policy release resumes only a paused renderer; during a call it waits for the call's
    // end, then resumes once before callActivated(false).
    void policyRelease_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("call");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QStringList>("atRelease");
        QTest::addColumn<QStringList>("atCallEnd");
        const QStringList resume{QStringLiteral("resume")};
        QTest::newRow("paused, no call")
            << int(MafwRenderer::Paused) << false << QVariant(false) << resume << QStringList();
        QTest::newRow("paused, call")
            << int(MafwRenderer::Paused) << true << QVariant(false) << QStringList() << resume;
        QTest::newRow("playing") << int(MafwRenderer::Playing) << false << QVariant(false)
                                 << QStringList() << QStringList();
        QTest::newRow("stopped") << int(MafwRenderer::Stopped) << true << QVariant(false)
                                 << QStringList() << QStringList();
        QTest::newRow("taken, not released") << int(MafwRenderer::Paused) << true << QVariant(true)
                                             << QStringList() << QStringList();
        QTest::newRow("invalid value")
            << int(MafwRenderer::Paused) << false << QVariant() << QStringList() << QStringList();
    }
    void policyRelease()
    {
        QFETCH(int, state);
        QFETCH(bool, call);
        QFETCH(QVariant, value);
        QFETCH(QStringList, atRelease);
        QFETCH(QStringList, atCallEnd);
        setUpControls();
        startPlaying();
        rendererState(MafwRenderer::State(state));
        if (call) {
            setCall("active");
        }
        Q_EMIT renderer->mafwPropertyChanged(MafwRenderer::MAFW_RENDERER_PROPERTY_POLICY_OVERRIDE,
                                             value);
        QCOMPARE(renderer->takeCommands(), atRelease);
        QStringList order;
        connect(controls, &KelPlayControls::callActivated, this,
                [&]() { order << renderer->commands; });
        setCall("inactive");
        QCOMPARE(order, atCallEnd);
        setCall("alerting");
        setCall("inactive");
        QCOMPARE(renderer->takeCommands(), atCallEnd); // resumed once, not again
    }
};

KELMORA_TEST_MAIN(TestPosition)
#include "tst_position.moc"
