// The facade and the engine core: singleton, defaults, initialisation, renderer discovery,
// loss and the relays.
#include "playbackfixture.h"
#include "testmain.h"

#include <contextprovider.h>
#include <kelinternalplaycontrols.h>
#include <mafwplaylist.h>
#include <mafwregistry.h>
#include <mafwshared.h>

class TestPlayControls : public QObject, PlaybackFixture
{
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { tearDownControls(); }

    void singletonSurvivesDeletion()
    {
        KelPlayControls* first = KelPlayControls::instance();
        QCOMPARE(KelPlayControls::instance(), first);
        QPointer<KelPlayControls> guard(first);
        delete first;
        QVERIFY(guard.isNull());
        controls = KelPlayControls::instance();
        QVERIFY(controls);
        // A usable new facade, not the destroyed one: its engine starts from scratch.
        QCOMPARE(controls->startingIndexOfPlay(), -1);
        QCOMPARE(KelPlayControls::instance(), controls);
    }

    void freshDefaults()
    {
        setUpControls(false, false);
        QCOMPARE(controls->isGoingToBeShuffled(), false);
        QCOMPARE(controls->startingIndexOfPlay(), -1);
        QCOMPARE(controls->isSeekable(), true);
        QCOMPARE(controls->contentType(), KelPlayControls::PlaylistContent);
        QCOMPARE(controls->state(), MafwRenderer::Stopped);
        QVERIFY(controls->mimeType().isNull());
        QCOMPARE(controls->isPlaylistNew(), false);
        QCOMPARE(controls->isCallActive(), false);
        QVERIFY(!controls->playlist());
        QVERIFY(!controls->item());
        for (auto type : {KelPlayControls::PlaylistContent, KelPlayControls::UriContent,
                          KelPlayControls::NoContent}) {
            QVERIFY(!controls->metaDataHandler(type));
        }
        controls->setPlaylistState(true);
        QCOMPARE(controls->isPlaylistNew(), true);
    }

    void initIsIdempotent()
    {
        setUpControls(true, true);
        QCOMPARE(controls->isCallActive(), false);
        controls->init();
        QVERIFY(log->entries.isEmpty()); // no second callActivated
        renderer->setState(MafwRenderer::Playing);
        QCOMPARE(log->take(), QStringList{QStringLiteral("stateChanged(1)")});
    }

    void initReportsCallInProgress()
    {
        ContextProvider::setValue(QStringLiteral("Phone.Call"), QStringLiteral("active"));
        controls = KelPlayControls::instance();
        log = new SignalLog(controls);
        controls->init();
        QCOMPARE(log->take(), QStringList{QStringLiteral("callActivated(1)")});
        QVERIFY(controls->isCallActive());
    }

    // Each of the seven renderer connections, made exactly once however the renderer is found.
    void rendererWiring_data()
    {
        QTest::addColumn<int>("when");
        QTest::newRow("present at init") << 0;
        QTest::newRow("added after init") << 1;
        QTest::newRow("added after init, found again by a command") << 2;
    }
    void rendererWiring()
    {
        QFETCH(int, when);
        setUpControls(true, when == 0);
        if (when > 0) {
            addRenderer();
        }
        if (when == 2) {
            controls->stop(); // looks the renderer up once more
            controls->init();
        }
        renderer->takeCommands();
        log->take();

        renderer->setState(MafwRenderer::Playing);
        Q_EMIT renderer->bufferingInfo(0.5f);
        Q_EMIT renderer->metadataChanged(QStringLiteral("duration"), {QVariant(99)});
        controls->position();
        renderer->answerPosition(7);
        Q_EMIT renderer->error(MafwError(MafwError::CorruptStream, QStringLiteral("bad")));
        QCOMPARE(
            log->take(),
            QStringList({QStringLiteral("stateChanged(1)"), QStringLiteral("bufferingChanged(0.5)"),
                         QStringLiteral("positionChanged(7,99)"), QStringLiteral("error(305)")}));

        renderer->setState(MafwRenderer::Paused);
        Q_EMIT renderer->mafwPropertyChanged(MafwRenderer::MAFW_RENDERER_PROPERTY_POLICY_OVERRIDE,
                                             false);
        QCOMPARE(renderer->takeCommands(), QStringList{QStringLiteral("resume")});

        MafwPlaylist* playlist = makePlaylist(QStringLiteral("wired"), 2);
        QVERIFY(controls->setPlaylist(QStringLiteral("wired")));
        log->take();
        Q_EMIT renderer->playlistChanged(playlist);
        QCOMPARE(log->only(QStringLiteral("playlistChanged")),
                 QStringList{QStringLiteral("playlistChanged(wired)")});

        renderer->takeCommands();
        Q_EMIT renderer->playbackCompleted();
        QCOMPARE(renderer->takeCommands(), QStringList{QStringLiteral("stop")});
    }

    void foreignRenderersIgnored()
    {
        setUpControls(true, false);
        ScriptedRenderer other(QStringLiteral("other_renderer"));
        MafwRegistry::instance()->addRenderer(&other);
        controls->play(QUrl(QStringLiteral("file:///a.ogg")));
        QVERIFY(other.commands.isEmpty());
        QVERIFY(!KelPlaybackTestAccess::hasRenderer(controls));

        addRenderer();
        QCOMPARE(renderer->takeCommands(),
                 QStringList{QStringLiteral("playUri(file:///a.ogg,null)")});
        // A second announcement of the known renderer changes nothing.
        Q_EMIT MafwRegistry::instance()->rendererAdded(QStringLiteral("mafw_gst_renderer"),
                                                       QStringLiteral("again"));
        QVERIFY(renderer->commands.isEmpty());
        // Neither does the removal of another renderer.
        MafwRegistry::instance()->removeRenderer(QStringLiteral("other_renderer"));
        QVERIFY(KelPlaybackTestAccess::hasRenderer(controls));
    }

    void pendingUriFlushedOnArrival_data()
    {
        QTest::addColumn<bool>("isPlaylist");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("mime");
        QTest::newRow("uri") << false << QStringLiteral("playUri(http://radio/x.mp3,null)")
                             << QString();
        QTest::newRow("playlist url")
            << true << QStringLiteral("playPlaylistUri(http://radio/x.mp3,audio/x-scpls)")
            << QStringLiteral("audio/x-scpls");
    }
    void pendingUriFlushedOnArrival()
    {
        QFETCH(bool, isPlaylist);
        QFETCH(QString, expected);
        QFETCH(QString, mime);
        setUpControls(true, false);
        const QUrl url(QStringLiteral("http://radio/x.mp3"));
        if (isPlaylist) {
            controls->playPlaylist(url, QStringLiteral("audio/x-mpegurl"));
        } else {
            controls->play(url);
        }
        addRenderer();
        QCOMPARE(renderer->takeCommands(), QStringList{expected});
        QCOMPARE(controls->contentType(), KelPlayControls::UriContent);
        QCOMPARE(controls->mimeType(), mime);
        QCOMPARE(controls->mimeType().isNull(), mime.isNull());
    }

    void changeContentTypeEmitsOnlyOnChange()
    {
        setUpControls();
        controls->play(0u);
        QVERIFY(log->only(QStringLiteral("contentTypeChanged")).isEmpty());
        controls->play(QUrl(QStringLiteral("file:///a.ogg")));
        QCOMPARE(log->only(QStringLiteral("contentTypeChanged")).size(), 1);
        controls->play(QUrl(QStringLiteral("file:///b.ogg")));
        QCOMPARE(log->only(QStringLiteral("contentTypeChanged")).size(), 1);
    }

    // Completion owed after unpublishing the playlist is delivered by the renderer's Stopped,
    // although in NoContent that renderer is not the one in use.
    void completionAcceptsStoppedOutsideContentType()
    {
        setUpControls();
        installPlaylist(QStringLiteral("temp"), 3, true);
        controls->play(1u);
        rendererState(MafwRenderer::Playing);
        log->take();
        Q_EMIT renderer->playbackCompleted();
        QCOMPARE(controls->contentType(), KelPlayControls::NoContent);
        QVERIFY(!MafwShared::instance()->findPlaylist(QStringLiteral("temp")));
        QCOMPARE(log->take(), QStringList{QStringLiteral("contentTypeChanged")});
        renderer->setState(MafwRenderer::Stopped);
        QCOMPARE(log->take(), QStringList({QStringLiteral("playbackCompleted"),
                                           QStringLiteral("stateChanged(0)")}));
        // With nothing owed, states outside the content type in use are ignored.
        renderer->setState(MafwRenderer::Playing);
        QVERIFY(log->entries.isEmpty());
        QCOMPARE(controls->state(), MafwRenderer::Stopped);
    }

    // Every relayed engine signal reaches the facade once, in order; rendererLost does not.
    void relaysInOrder()
    {
        setUpControls(false, false);
        KelInternalPlayControls* engine = KelPlaybackTestAccess::engine(controls);
        RecordingHandler handler;
        MafwPlaylist playlist(QStringLiteral("p"));
        Q_EMIT engine->stateChanged(MafwRenderer::Paused);
        Q_EMIT engine->playlistChanged(&playlist);
        Q_EMIT engine->playlistContentsChanged(&playlist);
        Q_EMIT engine->mediaChanged(&handler);
        Q_EMIT engine->metadataChanged(&handler);
        Q_EMIT engine->positionChanged(3, 4);
        Q_EMIT engine->bufferingChanged(0.25f);
        Q_EMIT engine->playbackCompleted();
        Q_EMIT engine->callActivated(true);
        Q_EMIT engine->error(MafwError(MafwError::ConnectionLost, QString()));
        Q_EMIT engine->contentTypeChanged();
        Q_EMIT engine->playbackAboutToStart();
        Q_EMIT engine->rendererLost();
        QCOMPARE(
            log->take(),
            QStringList({QStringLiteral("stateChanged(2)"), QStringLiteral("playlistChanged(p)"),
                         QStringLiteral("playlistContentsChanged"), QStringLiteral("mediaChanged"),
                         QStringLiteral("metadataChanged"), QStringLiteral("positionChanged(3,4)"),
                         QStringLiteral("bufferingChanged(0.25)"),
                         QStringLiteral("playbackCompleted"), QStringLiteral("callActivated(1)"),
                         QStringLiteral("error(307)"), QStringLiteral("contentTypeChanged"),
                         QStringLiteral("playbackAboutToStart")}));
        controls->emitAboutToPlayRadioStream();
        QCOMPARE(log->take(), QStringList{QStringLiteral("aboutToPlayRadioStream")});
    }

    void playPlaylistRejectsBadArguments_data()
    {
        QTest::addColumn<QUrl>("url");
        QTest::addColumn<QString>("mime");
        QTest::newRow("empty mime") << QUrl(QStringLiteral("http://h/a.pls")) << QString();
        QTest::newRow("empty url") << QUrl() << QStringLiteral("audio/x-scpls");
        QTest::newRow("invalid url")
            << QUrl(QStringLiteral("http://a b"), QUrl::StrictMode) << QStringLiteral("a/b");
    }
    void playPlaylistRejectsBadArguments()
    {
        QFETCH(QUrl, url);
        QFETCH(QString, mime);
        setUpControls();
        QTest::ignoreMessage(QtWarningMsg,
                             "void KelPlayControls::playPlaylist(const QUrl&, const QString&) "
                             "the supplied url, mime type or both are invalid or empty!");
        controls->playPlaylist(url, mime);
        QVERIFY(log->entries.isEmpty());
        QVERIFY(renderer->commands.isEmpty());
    }

    // Losing the renderer: reported, playback shown as stopped, our wiring gone and nobody
    // else's; the renderer coming back is picked up again.
    void rendererLoss()
    {
        setUpControls();
        KelInternalPlayControls* engine = KelPlaybackTestAccess::engine(controls);
        QSignalSpy lost(engine, &KelInternalPlayControls::rendererLost);
        int appHeard = 0;
        connect(renderer, &MafwRenderer::stateChanged, this, [&appHeard]() { ++appHeard; });
        controls->play(QUrl(QStringLiteral("file:///a.ogg")));
        rendererState(MafwRenderer::Playing);
        controls->position();
        log->take();

        MafwRegistry::instance()->removeRenderer(renderer->uuid());
        QCOMPARE(lost.count(), 1);
        QCOMPARE(log->take(), QStringList{QStringLiteral("stateChanged(0)")});
        QCOMPARE(controls->state(), MafwRenderer::Stopped);
        QVERIFY(!KelPlaybackTestAccess::positionTimer(controls)->isActive());
        QCOMPARE(KelPlaybackTestAccess::pendingRequests(controls), 0);
        renderer->answerPosition(12); // late answer of the lost renderer
        renderer->setState(MafwRenderer::Playing);
        QVERIFY(log->entries.isEmpty());
        QCOMPARE(appHeard, 2);
        controls->pause();
        QVERIFY(renderer->takeCommands().isEmpty());

        MafwRegistry::instance()->addRenderer(renderer);
        controls->pause();
        QCOMPARE(renderer->takeCommands().constLast(), QStringLiteral("pause"));
    }

    void rendererDestroyedWhileInUse()
    {
        setUpControls();
        controls->play(QUrl(QStringLiteral("file:///a.ogg")));
        rendererState(MafwRenderer::Playing);
        QSignalSpy lost(KelPlaybackTestAccess::engine(controls),
                        &KelInternalPlayControls::rendererLost);
        delete renderer.data();
        QCOMPARE(lost.count(), 1);
        controls->stop();
        controls->position();
        QCOMPARE(controls->state(), MafwRenderer::Stopped);
    }
};

KELMORA_TEST_MAIN(TestPlayControls)
#include "tst_playcontrols.moc"
