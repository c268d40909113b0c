// Playback commands and playlists, as they reach the renderer through the facade.
#include "playbackfixture.h"
#include "testmain.h"

#include <contextprovider.h>
#include <mafwplaylist.h>
#include <mafwregistry.h>
#include <mafwshared.h>

namespace {
enum Command {
    Stop,
    Pause,
    PauseAt,
    Resume,
    Next,
    Previous,
    SeekPlaying,
    SeekStopped,
    SetIndex,
    PlayIndex,
    PlayUri,
    PlayPlaylistUrl,
    ClearPlaylist,
};
}

class TestCommands : public QObject, PlaybackFixture
{
    Q_OBJECT

    void issue(Command command)
    {
        switch (command) {
        case Stop:
            controls->stop();
            break;
        case Pause:
            controls->pause();
            break;
        case PauseAt:
            controls->pauseAt(42);
            break;
        case Resume:
            controls->resume();
            break;
        case Next:
            controls->next();
            break;
        case Previous:
            controls->previous();
            break;
        case SeekPlaying:
        case SeekStopped:
            controls->setPosition(30);
            break;
        case SetIndex:
            controls->setPlaylistIndex(3);
            break;
        case PlayIndex:
            controls->play(2u);
            break;
        case PlayUri:
            controls->play(QUrl(QStringLiteral("file:///song.ogg")));
            break;
        case PlayPlaylistUrl:
            controls->playPlaylist(QUrl(QStringLiteral("http://radio/list.pls")),
                                   QStringLiteral("audio/x-scpls"));
            break;
        case ClearPlaylist:
            controls->clearPlaylist();
            break;
        }
    }

    static void commandRows()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<QStringList>("withRenderer");
        QTest::addColumn<QStringList>("withoutRenderer"); // signals when there is none
        const QStringList none;
        QTest::newRow("stop") << int(Stop) << QStringList{QStringLiteral("stop")} << none;
        QTest::newRow("pause") << int(Pause) << QStringList{QStringLiteral("pause")} << none;
        QTest::newRow("pauseAt") << int(PauseAt) << QStringList{QStringLiteral("pauseAt(42)")}
                                 << none;
        QTest::newRow("resume") << int(Resume) << QStringList{QStringLiteral("resume")} << none;
        QTest::newRow("next") << int(Next) << QStringList{QStringLiteral("next")} << none;
        QTest::newRow("previous") << int(Previous) << QStringList{QStringLiteral("previous")}
                                  << none;
        QTest::newRow("seek while playing")
            << int(SeekPlaying) << QStringList{QStringLiteral("seekTo(30,0)")} << none;
        QTest::newRow("seek while stopped")
            << int(SeekStopped) << QStringList{QStringLiteral("pauseAt(30)")} << none;
        QTest::newRow("jump to index")
            << int(SetIndex) << QStringList{QStringLiteral("gotoIndex(3)")} << none;
        QTest::newRow("play from index")
            << int(PlayIndex)
            << QStringList({QStringLiteral("assignPlaylist(list)"), QStringLiteral("gotoIndex(2)"),
                            QStringLiteral("play")})
            << QStringList{QStringLiteral("playbackAboutToStart")};
        QTest::newRow("play uri") << int(PlayUri)
                                  << QStringList({QStringLiteral("stop"),
                                                  QStringLiteral("playUri(file:///song.ogg,null)")})
                                  << QStringList({QStringLiteral("playbackAboutToStart"),
                                                  QStringLiteral("playbackCompleted")});
        QTest::newRow("play playlist url")
            << int(PlayPlaylistUrl)
            << QStringList({QStringLiteral("stop"),
                            QStringLiteral("playPlaylistUri(http://radio/list.pls,audio/"
                                           "x-scpls)")})
            << QStringList(
                   {QStringLiteral("playbackAboutToStart"), QStringLiteral("playbackCompleted")});
        QTest::newRow("clear playlist") << int(ClearPlaylist) << QStringList{QStringLiteral("stop")}
                                        << QStringList{QStringLiteral("playbackCompleted")};
    }

private Q_SLOTS:
    void cleanup() { tearDownControls(); }

    void commandReachesRenderer_data() { commandRows(); }
    void commandReachesRenderer()
    {
        QFETCH(int, command);
        QFETCH(QStringList, withRenderer);
        setUpControls();
        installPlaylist(QStringLiteral("list"), 5, false);
        if (command != SeekStopped) {
            rendererState(MafwRenderer::Playing);
        }
        issue(Command(command));
        QCOMPARE(renderer->takeCommands(), withRenderer);
    }

    void commandWithoutRenderer_data() { commandRows(); }
    void commandWithoutRenderer()
    {
        QFETCH(int, command);
        QFETCH(QStringList, withoutRenderer);
        setUpControls(true, false);
        issue(Command(command));
        QCOMPARE(log->take(), withoutRenderer);
        // A uri waits for the renderer; nothing else does.
        ScriptedRenderer* late = addRenderer();
        const bool waits = command == PlayUri || command == PlayPlaylistUrl;
        QCOMPARE(late->commands.isEmpty(), !waits);
    }

    // During a call: start refused with 322 (gate left open), resume with 329 only when there
    // is a renderer, the rest unaffected.
    void duringCall_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<bool>("withRenderer");
        QTest::addColumn<QStringList>("signalsSeen");
        QTest::addColumn<QStringList>("commandsSeen");
        const QStringList none;
        QTest::newRow("play index")
            << int(PlayIndex) << true
            << QStringList({QStringLiteral("playbackAboutToStart"), QStringLiteral("error(322)")})
            << none;
        QTest::newRow("play index, no renderer")
            << int(PlayIndex) << false
            << QStringList({QStringLiteral("playbackAboutToStart"), QStringLiteral("error(322)")})
            << none;
        QTest::newRow("resume") << int(Resume) << true << QStringList{QStringLiteral("error(329)")}
                                << none;
        QTest::newRow("resume, no renderer") << int(Resume) << false << none << none;
        QTest::newRow("pause") << int(Pause) << true << none
                               << QStringList{QStringLiteral("pause")};
        QTest::newRow("play uri") << int(PlayUri) << true
                                  << QStringList{QStringLiteral("playbackAboutToStart")}
                                  << QStringList(
                                         {QStringLiteral("stop"),
                                          QStringLiteral("playUri(file:///song.ogg,null)")});
    }
    void duringCall()
    {
        QFETCH(int, command);
        QFETCH(bool, withRenderer);
        QFETCH(QStringList, signalsSeen);
        QFETCH(QStringList, commandsSeen);
        setUpControls(true, true);
        installPlaylist(QStringLiteral("list"), 5, false);
        rendererState(MafwRenderer::Paused);
        if (!withRenderer) {
            MafwRegistry::instance()->removeRenderer(renderer->uuid());
        }
        ContextProvider::setValue(QStringLiteral("Phone.Call"), QStringLiteral("active"));
        Q_EMIT renderer->error(MafwError(MafwError::CorruptStream, QString())); // closes gate
        log->take();
        issue(Command(command));
        QStringList seen = log->take();
        seen.removeAll(QStringLiteral("contentTypeChanged"));
        QCOMPARE(seen, signalsSeen);
        QCOMPARE(renderer->takeCommands(), commandsSeen);
    }

    void setPlaylistResults()
    {
        setUpControls(false, true);
        makePlaylist(QStringLiteral("known"), 2);
        QVERIFY(!controls->setPlaylist(QStringLiteral("known"))); // before init
        QVERIFY(controls->isPlaylistNew());
        controls->init();
        controls->setPlaylistState(false);
        log->take();
        QVERIFY(!controls->setPlaylist(QStringLiteral("unknown")));
        QVERIFY(controls->isPlaylistNew());
        QVERIFY(log->entries.isEmpty());
        QVERIFY(renderer->takeCommands().isEmpty());
        QVERIFY(controls->setPlaylist(QStringLiteral("known")));
        QCOMPARE(renderer->takeCommands(),
                 QStringList({QStringLiteral("stop"), QStringLiteral("assignPlaylist(known)")}));
        QCOMPARE(controls->contentType(), KelPlayControls::PlaylistContent);
    }

    // A playlist that cannot be put in use while nothing is in use gives 319, and only while
    // errors are let through.
    void setPlaylistFailsWithoutContent()
    {
        setUpControls();
        installPlaylist(QStringLiteral("gone"), 2, true);
        controls->clearPlaylist(); // unpublishes: no content in use
        QCOMPARE(controls->contentType(), KelPlayControls::NoContent);
        MafwRegistry::instance()->removeRenderer(renderer->uuid());
        makePlaylist(QStringLiteral("next"), 2);
        log->take();
        QVERIFY(!controls->setPlaylist(QStringLiteral("next")));
        QCOMPARE(log->take(), QStringList{QStringLiteral("error(319)")});
        KelPlaybackTestAccess::blockErrors(controls);
        QVERIFY(!controls->setPlaylist(QStringLiteral("next")));
        QVERIFY(log->entries.isEmpty());
    }

    void pendingPlaylistStartsOnArrival_data()
    {
        QTest::addColumn<bool>("call");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QStringList>("signalsSeen");
        QTest::newRow("no call") << false
                                 << QStringList({QStringLiteral("stop"),
                                                 QStringLiteral("assignPlaylist(later)"),
                                                 QStringLiteral("play")})
                                 << QStringList();
        QTest::newRow("call") << true
                              << QStringList({QStringLiteral("stop"),
                                              QStringLiteral("assignPlaylist(later)")})
                              << QStringList{QStringLiteral("error(322)")};
    }
    void pendingPlaylistStartsOnArrival()
    {
        QFETCH(bool, call);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, signalsSeen);
        setUpControls(true, false);
        if (call) {
            ContextProvider::setValue(QStringLiteral("Phone.Call"), QStringLiteral("alerting"));
        }
        makePlaylist(QStringLiteral("later"), 3);
        QVERIFY(controls->setPlaylist(QStringLiteral("later")));
        QCOMPARE(KelPlaybackTestAccess::pendingPlaylist(controls)->name(), QStringLiteral("later"));
        log->take();
        addRenderer();
        QCOMPARE(renderer->takeCommands(), expected);
        QCOMPARE(log->only(QStringLiteral("error")), signalsSeen);
        QVERIFY(!KelPlaybackTestAccess::pendingPlaylist(controls));
    }

    // A uri asked for after a pending playlist replaces it, and the other way round.
    void pendingUriAndPlaylistReplaceEachOther()
    {
        setUpControls(true, false);
        makePlaylist(QStringLiteral("p"), 1);
        controls->setPlaylist(QStringLiteral("p"));
        controls->play(QUrl(QStringLiteral("file:///u.ogg")));
        QVERIFY(!KelPlaybackTestAccess::pendingPlaylist(controls));
        controls->setPlaylist(QStringLiteral("p"));
        QVERIFY(KelPlaybackTestAccess::pendingUri(controls).isEmpty());
        addRenderer();
        QCOMPARE(renderer->takeCommands(),
                 QStringList({QStringLiteral("stop"), QStringLiteral("assignPlaylist(p)"),
                              QStringLiteral("play")}));
    }

    void shufflePlayWaitsForPlaylist()
    {
        setUpControls();
        controls->shufflePlay(3);
        QVERIFY(controls->isGoingToBeShuffled());
        QVERIFY(renderer->takeCommands().isEmpty());
        MafwPlaylist* list = makePlaylist(QStringLiteral("mix"), 6);
        controls->setPlaylist(QStringLiteral("mix"));
        renderer->takeCommands();
        Q_EMIT renderer->playlistChanged(list);
        QCOMPARE(renderer->takeCommands(),
                 QStringList({QStringLiteral("assignPlaylist(mix)"), QStringLiteral("gotoIndex(3)"),
                              QStringLiteral("play")}));
        QVERIFY(!list->isShuffled());
        QVERIFY(controls->isGoingToBeShuffled());
        renderer->setState(MafwRenderer::Playing);
        QVERIFY(list->isShuffled());
        QVERIFY(!controls->isGoingToBeShuffled());
    }

    void playFromZeroTellsHandlerFirst_data()
    {
        QTest::addColumn<uint>("index");
        QTest::addColumn<bool>("toldBeforePlay");
        QTest::newRow("index 0") << 0u << true;
        QTest::newRow("index 1") << 1u << false;
    }
    void playFromZeroTellsHandlerFirst()
    {
        QFETCH(uint, index);
        QFETCH(bool, toldBeforePlay);
        setUpControls();
        auto* handler = new RecordingHandler;
        controls->setMetadataHandler(handler, KelPlayControls::PlaylistContent);
        installPlaylist(QStringLiteral("list"), 3);
        QStringList commandsWhenTold;
        connect(controls, &KelPlayControls::mediaChanged, this,
                [&]() { commandsWhenTold = renderer->commands; });
        controls->play(index);
        QCOMPARE(!commandsWhenTold.isEmpty(), toldBeforePlay);
        if (toldBeforePlay) {
            QVERIFY(!commandsWhenTold.contains(QStringLiteral("play")));
            QCOMPARE(handler->calls, QStringList{QStringLiteral("setDataFromIndex(0,)")});
        }
    }

    void playlistUrlClearsOnlyWhenDifferent()
    {
        setUpControls();
        const QUrl a(QStringLiteral("http://radio/a.pls"));
        const QString mime = QStringLiteral("audio/x-scpls");
        controls->playPlaylist(a, mime);
        renderer->takeCommands();
        controls->playPlaylist(a, mime);
        QCOMPARE(renderer->takeCommands(),
                 QStringList{QStringLiteral("playPlaylistUri(http://radio/a.pls,audio/x-scpls)")});
        controls->playPlaylist(QUrl(QStringLiteral("http://radio/b.m3u")),
                               QStringLiteral("audio/x-mpegurl"));
        QCOMPARE(
            renderer->takeCommands(),
            QStringList({QStringLiteral("stop"),
                         QStringLiteral("playPlaylistUri(http://radio/b.m3u,audio/x-mpegurl)")}));
        QCOMPARE(controls->mimeType(), QStringLiteral("audio/x-mpegurl"));
        controls->play(QUrl(QStringLiteral("file:///x.ogg")));
        QVERIFY(controls->mimeType().isNull());
    }

    void completionWaitsForStopped()
    {
        setUpControls();
        controls->play(QUrl(QStringLiteral("file:///x.ogg")));
        rendererState(MafwRenderer::Playing);
        log->take();
        controls->clearPlaylist();
        QVERIFY(log->entries.isEmpty());
        renderer->setState(MafwRenderer::Stopped);
        QCOMPARE(log->take(), QStringList({QStringLiteral("playbackCompleted"),
                                           QStringLiteral("stateChanged(0)")}));
        renderer->setState(MafwRenderer::Stopped);
        QCOMPARE(log->take(), QStringList{QStringLiteral("stateChanged(0)")});
    }

    void completionUnpublishes_data()
    {
        QTest::addColumn<bool>("deleteOnComplete");
        QTest::addColumn<bool>("permanent");
        QTest::addColumn<bool>("unpublished");
        QTest::newRow("delete, temporary") << true << false << true;
        QTest::newRow("delete, permanent") << true << true << false;
        QTest::newRow("keep, temporary") << false << false << false;
    }
    void completionUnpublishes()
    {
        QFETCH(bool, deleteOnComplete);
        QFETCH(bool, permanent);
        QFETCH(bool, unpublished);
        setUpControls();
        auto* handler = new RecordingHandler;
        controls->setMetadataHandler(handler, KelPlayControls::PlaylistContent);
        MafwPlaylist* list = installPlaylist(QStringLiteral("album"), 3, deleteOnComplete);
        list->setPermanent(permanent);
        QPointer<MafwPlaylist> guard(list);
        controls->play(0u);
        rendererState(MafwRenderer::Playing);
        handler->calls.clear();
        Q_EMIT renderer->playbackCompleted();
        QCOMPARE(handler->calls, QStringList{QStringLiteral("clear")});
        QCOMPARE(!MafwShared::instance()->findPlaylist(QStringLiteral("album")), unpublished);
        QCOMPARE(controls->playlist() == nullptr, unpublished);
        QCOMPARE(controls->contentType(),
                 unpublished ? KelPlayControls::NoContent : KelPlayControls::PlaylistContent);
        QCOMPARE(controls->startingIndexOfPlay(), -1);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(guard.isNull(), unpublished);
    }

    void playlistConfirmation()
    {
        setUpControls();
        MafwPlaylist* list = installPlaylist(QStringLiteral("mine"), 2);
        MafwPlaylist* other = makePlaylist(QStringLiteral("theirs"), 1);
        Q_EMIT renderer->playlistChanged(other);
        QVERIFY(log->entries.isEmpty());
        QCOMPARE(controls->playlist(), list);
        list->appendItem(QUrl(QStringLiteral("file:///new.ogg")));
        other->appendItem(QUrl(QStringLiteral("file:///new.ogg")));
        QCOMPARE(log->take(), QStringList{QStringLiteral("playlistContentsChanged")});
    }

    // A playlist unpublished by someone else is not used after it is gone.
    void playlistDeletedUnderneath()
    {
        setUpControls();
        installPlaylist(QStringLiteral("shared"), 2);
        MafwShared::instance()->unPublishPlaylist(QStringLiteral("shared"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!controls->playlist());
        controls->shufflePlay(1);
        controls->play(1u);
        QCOMPARE(renderer->takeCommands(),
                 QStringList({QStringLiteral("assignPlaylist(null)"),
                              QStringLiteral("gotoIndex(1)"), QStringLiteral("play")}));
    }

    void negativeIndexesRefused_data()
    {
        QTest::addColumn<bool>("shuffle");
        QTest::newRow("jump") << false;
        QTest::newRow("shuffle") << true;
    }
    void negativeIndexesRefused()
    {
        QFETCH(bool, shuffle);
        setUpControls();
        installPlaylist(QStringLiteral("list"), 2);
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("negative index -1 ignored$")));
        if (shuffle) {
            controls->shufflePlay(-1);
        } else {
            controls->setPlaylistIndex(-1);
        }
        QVERIFY(renderer->takeCommands().isEmpty());
        QVERIFY(!controls->isGoingToBeShuffled());
    }
};

KELMORA_TEST_MAIN(TestCommands)
#include "tst_commands.moc"
