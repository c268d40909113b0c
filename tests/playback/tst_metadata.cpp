// Metadata handlers: ownership, wiring per content type and item changes.
#include "playbackfixture.h"
#include "testmain.h"

class TestMetadata : public QObject, PlaybackFixture
{
    Q_OBJECT

    RecordingHandler* registerHandler(KelPlayControls::ContentType type)
    {
        auto* handler = new RecordingHandler;
        controls->setMetadataHandler(handler, type);
        return handler;
    }

private Q_SLOTS:
    void cleanup() { tearDownControls(); }

    void ownership()
    {
        setUpControls();
        QPointer<RecordingHandler> first = registerHandler(KelPlayControls::PlaylistContent);
        QPointer<RecordingHandler> second = registerHandler(KelPlayControls::PlaylistContent);
        QVERIFY(first.isNull()); // replaced during the call
        QCOMPARE(controls->metaDataHandler(KelPlayControls::PlaylistContent), second.data());

        controls->setMetadataHandler(second, KelPlayControls::PlaylistContent); // again
        QVERIFY(!second.isNull());

        // One handler under two types, and one under NoContent: each deleted once.
        controls->setMetadataHandler(second, KelPlayControls::UriContent);
        QPointer<RecordingHandler> none = registerHandler(KelPlayControls::NoContent);
        controls->setMetadataHandler(nullptr, KelPlayControls::PlaylistContent);
        QVERIFY(!second.isNull()); // still registered for UriContent
        delete controls;
        controls = nullptr;
        QVERIFY(second.isNull());
        QVERIFY(none.isNull());
    }

    void handlerDeletedByApplication()
    {
        setUpControls();
        RecordingHandler* handler = registerHandler(KelPlayControls::PlaylistContent);
        installPlaylist(QStringLiteral("list"), 3);
        controls->play(1u);
        delete handler;
        QVERIFY(!controls->metaDataHandler(KelPlayControls::PlaylistContent));
        Q_EMIT renderer->mediaChanged(1, MafwContent());
        controls->clearPlaylist();
    }

    // A handler is wired by the next content-type switch, not at registration.
    void wiredOnSwitch()
    {
        setUpControls();
        installPlaylist(QStringLiteral("list"), 3);
        controls->play(1u);
        rendererState(MafwRenderer::Playing);
        RecordingHandler* handler = registerHandler(KelPlayControls::PlaylistContent);
        Q_EMIT renderer->metadataChanged(QStringLiteral("title"), {QVariant(1)});
        QVERIFY(handler->calls.isEmpty());
        controls->play(1u); // same type: rewired
        handler->calls.clear();
        Q_EMIT renderer->metadataChanged(QStringLiteral("title"), {QVariant(1)});
        controls->play(1u);
        controls->play(1u);
        Q_EMIT renderer->mediaChanged(1, MafwContent(QStringLiteral("u1")));
        QCOMPARE(handler->calls, QStringList({QStringLiteral("onMetadataChange(title,1)"),
                                              QStringLiteral("setDataFromIndex(1,u1)")}));
    }

    // Only the handler of the content type in use hears the shared renderer.
    void onlyCurrentTypeHears()
    {
        setUpControls();
        RecordingHandler* list = registerHandler(KelPlayControls::PlaylistContent);
        RecordingHandler* uri = registerHandler(KelPlayControls::UriContent);
        controls->play(QUrl(QStringLiteral("file:///a.ogg")));
        rendererState(MafwRenderer::Playing);
        list->calls.clear();
        uri->calls.clear();
        log->take();
        Q_EMIT renderer->mediaChanged(0, MafwContent());
        Q_EMIT renderer->metadataChanged(QStringLiteral("artist"), {QVariant(1), QVariant(2)});
        QVERIFY(list->calls.isEmpty());
        QCOMPARE(uri->calls, QStringList({QStringLiteral("setDataFromIndex(0,)"),
                                          QStringLiteral("onMetadataChange(artist,2)")}));
        QCOMPARE(controls->item(), uri);
        QCOMPARE(controls->mutableItem(), uri);
        QCOMPARE(log->take(), QStringList{QStringLiteral("mediaChanged")});

        // The handler's own signals are relayed as they come.
        Q_EMIT uri->metadataChanged(uri);
        Q_EMIT uri->mediaChanged(uri);
        Q_EMIT list->mediaChanged(list);
        QCOMPARE(log->take(),
                 QStringList({QStringLiteral("metadataChanged"), QStringLiteral("mediaChanged")}));
    }

    // Tokens: "play N" (play from index N), "state S", "media N" (renderer reports index N).
    void itemChanges_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("told");
        QTest::newRow("skip to starting index")
            << QString("play 5 state 1 media 0 media 3 media 5 media 6")
            << QStringList({"setDataFromIndex(5,)", "setDataFromIndex(6,)"});
        QTest::newRow("-1 never told")
            << QString("play 1 state 1 media -1 media 1") << QStringList{"setDataFromIndex(1,)"};
        QTest::newRow("paused takes only the starting index")
            << QString("play 2 state 2 media 3 media 2 media 4")
            << QStringList{"setDataFromIndex(2,)"};
        QTest::newRow("index 0 told at start")
            << QString("play 0 state 1 media 0")
            << QStringList({"setDataFromIndex(0,)", "setDataFromIndex(0,)"});
    }
    void itemChanges()
    {
        QFETCH(QString, script);
        QFETCH(QStringList, told);
        setUpControls();
        RecordingHandler* handler = registerHandler(KelPlayControls::PlaylistContent);
        installPlaylist(QStringLiteral("list"), 8);
        const QStringList steps = script.split(QLatin1Char(' '));
        for (int i = 0; i + 1 < steps.size(); i += 2) {
            const int value = steps.at(i + 1).toInt();
            if (steps.at(i) == QLatin1String("play")) {
                controls->play(uint(value));
            } else if (steps.at(i) == QLatin1String("state")) {
                renderer->setState(MafwRenderer::State(value));
            } else {
                Q_EMIT renderer->mediaChanged(value, MafwContent());
            }
        }
        QCOMPARE(handler->calls, told);
        QCOMPARE(log->only(QStringLiteral("mediaChanged")).size(), told.size());
    }

    void noHandlerLeavesNullEntry()
    {
        setUpControls();
        installPlaylist(QStringLiteral("list"), 3);
        controls->play(1u);
        QVERIFY(
            !KelPlaybackTestAccess::hasHandlerEntry(controls, KelPlayControls::PlaylistContent));
        RecordingHandler* uri = registerHandler(KelPlayControls::UriContent);
        // Reaches nobody: the playlist type has no handler (the uri one is not wired).
        KelInternalPlayControls* engine = KelPlaybackTestAccess::engine(controls);
        QMetaObject::invokeMethod(engine, "onMediaChanged", Q_ARG(int, 1),
                                  Q_ARG(MafwContent, MafwContent()));
        QVERIFY(uri->calls.isEmpty());
        QVERIFY(log->only(QStringLiteral("mediaChanged")).isEmpty());
        QVERIFY(KelPlaybackTestAccess::hasHandlerEntry(controls, KelPlayControls::PlaylistContent));
        QVERIFY(!controls->metaDataHandler(KelPlayControls::PlaylistContent));
    }
};

KELMORA_TEST_MAIN(TestMetadata)
#include "tst_metadata.moc"
