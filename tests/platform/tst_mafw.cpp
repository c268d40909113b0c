// The media framework: registry, plug-in loading, position replies, playlists, shared
// playlists and connections by signature.
#include "scriptedrenderer.h"
#include "testfiles.h"
#include "testmain.h"

#include <mafwcoverartstore.h>
#include <mafwplaylist.h>
#include <mafwplugincontrol.h>
#include <mafwregistry.h>
#include <mafwshared.h>

#include <QSet>

class Receiver : public QObject
{
    Q_OBJECT
public:
    QList<uint> positions;
    QList<int> states;
    QList<int> codes;
public Q_SLOTS:
    void updatePosition(uint position) { positions << position; }
    void onState(MafwRenderer::State state) { states << int(state); }
    void onError(MafwError error) { codes << int(error.code()); }
};

class TestMafw : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void registryTracksRenderers()
    {
        MafwRegistry* registry = MafwRegistry::instance();
        QSignalSpy added(registry, &MafwRegistry::rendererAdded);
        QSignalSpy removed(registry, &MafwRegistry::rendererRemoved);
        auto* renderer = new ScriptedRenderer(QStringLiteral("r1"));
        QVERIFY(registry->addRenderer(renderer));
        QCOMPARE(registry->findRenderer(QStringLiteral("r1")), renderer);
        QCOMPARE(added.takeFirst(),
                 QVariantList({QStringLiteral("r1"), QStringLiteral("Scripted r1")}));

        ScriptedRenderer twin(QStringLiteral("r1"));
        QTest::ignoreMessage(QtWarningMsg, "a renderer with id \"r1\" is already registered");
        QVERIFY(!registry->addRenderer(&twin));
        QVERIFY(!registry->addRenderer(nullptr));
        QVERIFY(added.isEmpty());

        // Destroyed while registered: removed on the way out, reported once.
        delete renderer;
        QVERIFY(!registry->findRenderer(QStringLiteral("r1")));
        QCOMPARE(removed.size(), 1);
        QVERIFY(!registry->removeRenderer(QStringLiteral("r1")));
        QCOMPARE(removed.size(), 1);

        // Removed by id: not deleted, and may come back.
        QVERIFY(registry->addRenderer(&twin));
        QVERIFY(registry->removeRenderer(QStringLiteral("r1")));
        QVERIFY(registry->addRenderer(&twin));
        QVERIFY(registry->removeRenderer(QStringLiteral("r1")));
    }

    void pluginLoadFailsOnce()
    {
        MafwRegistry* registry = MafwRegistry::instance();
        QVERIFY(!registry->pluginControlInterface(QString()));
        MafwPluginControl* control = registry->pluginControlInterface(QStringLiteral("nothere"));
        QCOMPARE(registry->pluginControlInterface(QStringLiteral("nothere")), control);
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("^plug-in \"nothere\" not found")));
        QVERIFY(!control->loadPlugin());
        QVERIFY(!control->loadPlugin()); // no second warning
        QVERIFY(!control->isLoaded());

        QTest::ignoreMessage(QtWarningMsg, "invalid plug-in name \"../evil\"");
        QVERIFY(!registry->pluginControlInterface(QStringLiteral("../evil"))->loadPlugin());

        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath(QStringLiteral("bogus.so")), "not a shared object"));
        const QByteArray old = qgetenv("KELMORA_MAFW_PLUGIN_PATH");
        qputenv("KELMORA_MAFW_PLUGIN_PATH",
                (QStringLiteral("/nonexistent:") + dir.path()).toLocal8Bit());
        QCOMPARE(MafwPluginControl::pluginPath().size(), 2);
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("bogus.so\" could not be loaded")));
        QVERIFY(!registry->pluginControlInterface(QStringLiteral("bogus"))->loadPlugin());
        qputenv("KELMORA_MAFW_PLUGIN_PATH", old);
    }

    // Replies reach a member given in either encoding; a missing one or receiver is refused.
    void positionRepliesBySignature()
    {
        Receiver receiver;
        QVERIFY(MafwRenderer::deliverPosition(&receiver, "1updatePosition(uint)", 4));
        QVERIFY(MafwRenderer::deliverPosition(&receiver, SLOT(updatePosition(uint)), 5));
        QCOMPARE(receiver.positions, QList<uint>({4, 5}));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("no member")));
        QVERIFY(!MafwRenderer::deliverPosition(&receiver, "1nothing(uint)", 1));
        QVERIFY(!MafwRenderer::deliverPosition(nullptr, "1updatePosition(uint)", 1));
        QVERIFY(
            !MafwRenderer(QStringLiteral("base"), QString()).requestPosition(&receiver, "1x()"));
    }

    // The framework's types work in connections by signature, queued ones included.
    void queuedConnectionsBySignature()
    {
        ScriptedRenderer renderer;
        Receiver receiver;
        QVERIFY(connect(&renderer, SIGNAL(stateChanged(MafwRenderer::State)), &receiver,
                        SLOT(onState(MafwRenderer::State)), Qt::QueuedConnection));
        QVERIFY(connect(&renderer, SIGNAL(error(MafwError)), &receiver, SLOT(onError(MafwError)),
                        Qt::QueuedConnection));
        for (const char* name : {"MafwContent", "MafwPlaylist*"}) {
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
            QVERIFY2(QMetaType::fromName(name).isValid(), name);
#else
            QVERIFY2(QMetaType::type(name) != QMetaType::UnknownType, name);
#endif
        }
        renderer.setState(MafwRenderer::Transitioning);
        Q_EMIT renderer.error(MafwError(MafwError::MissingDecoder, QStringLiteral("m")));
        QVERIFY(receiver.states.isEmpty());
        QCoreApplication::processEvents();
        QCOMPARE(receiver.states, QList<int>{3});
        QCOMPARE(receiver.codes, QList<int>{304});
    }

    void playlistEditing()
    {
        MafwPlaylist list(QStringLiteral("edit"));
        QSignalSpy changed(&list, &MafwPlaylist::contentsChanged);
        auto url = [](int i) { return QUrl(QStringLiteral("file:///%1.ogg").arg(i)); };
        list.appendItem(url(0));
        list.appendItem(url(2));
        list.insertItem(1, url(1));
        list.insertItem(99, url(3)); // past the end appends
        QCOMPARE(list.items(), QList<QUrl>({url(0), url(1), url(2), url(3)}));
        QCOMPARE(changed.at(2), QVariantList({1u, 0u, 1u}));
        QVERIFY(list.removeItem(0));
        QVERIFY(!list.removeItem(7));
        QCOMPARE(changed.last(), QVariantList({0u, 1u, 0u}));
        QCOMPARE(list.item(0), url(1));
        QVERIFY(list.item(3).isEmpty());
        list.clear();
        QCOMPARE(list.count(), 0u);
        QCOMPARE(changed.last(), QVariantList({0u, 3u, 0u}));
        changed.clear();
        list.clear();
        QVERIFY(changed.isEmpty());
    }

    // Shuffled play order visits every item once and starts at the current item; edits keep
    // it a permutation and keep the current item; unshuffle restores insertion order.
    void playlistShuffle()
    {
        MafwPlaylist list(QStringLiteral("mix"));
        QList<QUrl> original;
        for (int i = 0; i < 40; ++i) {
            original << QUrl(QStringLiteral("file:///%1.ogg").arg(i));
            list.appendItem(original.last());
        }
        list.setCurrentIndex(6);
        const QUrl current = list.item(6);
        const auto currentKept = [&] { return list.item(uint(list.currentIndex())) == current; };
        list.shuffle();
        QVERIFY(list.isShuffled());
        QCOMPARE(list.currentIndex(), 0);
        QVERIFY(currentKept());
        QList<QUrl> order = list.items();
        QCOMPARE(QSet<QUrl>(order.begin(), order.end()),
                 QSet<QUrl>(original.begin(), original.end()));
        QVERIFY(order != original);
        const QUrl removed = list.item(5);
        QVERIFY(list.removeItem(5));
        const QUrl added(QStringLiteral("file:///new.ogg"));
        list.insertItem(0, added);
        QCOMPARE(list.item(0), added);
        QVERIFY(currentKept());
        order = list.items();
        QCOMPARE(QSet<QUrl>(order.begin(), order.end()).size(), 40);
        QVERIFY(!order.contains(removed));
        list.unshuffle();
        original.removeOne(removed);
        original.append(added);
        QCOMPARE(list.items(), original);
        QVERIFY(currentKept());
        // Removing the current item makes the one before current, so that next is the one after.
        const int at = list.currentIndex();
        const QUrl after = list.item(uint(at + 1));
        list.removeItem(uint(at));
        QCOMPARE(list.item(uint(list.currentIndex() + 1)), after);
        list.setCurrentIndex(99);
        QCOMPARE(list.currentIndex(), -1);
        list.setCurrentIndex(0);
        list.clear();
        QCOMPARE(list.currentIndex(), -1);
    }

    // The cover-art store keeps at most MaxFiles pictures and MaxTotalBytes, oldest out first.
    void coverArtStoreBounded()
    {
        QStandardPaths::setTestModeEnabled(true);
        QDir(MafwCoverArtStore::directory()).removeRecursively();
        const auto picture = [](int i, qint64 size) {
            QByteArray bytes(int(size), 'x');
            bytes.replace(0, 4, QByteArray::number(i).rightJustified(4, '0'));
            return bytes;
        };
        const auto stored = [](const QByteArray& bytes) {
            return MafwCoverArtStore::store(bytes, QStringLiteral("image/png")).toLocalFile();
        };
        const int extra = 5;
        QStringList paths;
        for (int i = 0; i < MafwCoverArtStore::MaxFiles + extra; ++i) {
            paths << stored(picture(i, 1024));
        }
        QDir dir(MafwCoverArtStore::directory());
        QCOMPARE(int(dir.entryList(QDir::Files).size()), MafwCoverArtStore::MaxFiles);
        QVERIFY(!QFile::exists(paths.first()) && !QFile::exists(paths.at(extra - 1)));
        QVERIFY(QFile::exists(paths.at(extra)) && QFile::exists(paths.last()));
        // Large pictures push out by size; one beyond the limit is not stored.
        for (int i = 0; i < 5; ++i) {
            QVERIFY(!stored(picture(100 + i, MafwCoverArtStore::MaxImageBytes)).isEmpty());
        }
        qint64 total = 0;
        for (const QFileInfo& file : dir.entryInfoList(QDir::Files)) {
            total += file.size();
        }
        QVERIFY(total <= MafwCoverArtStore::MaxTotalBytes);
        QVERIFY(stored(picture(200, MafwCoverArtStore::MaxImageBytes + 1)).isEmpty());
        dir.removeRecursively();
    }

    void sharedPlaylists()
    {
        MafwShared* shared = MafwShared::instance();
        QVERIFY(shared->initialize(MafwShared::TrackAll));
        QVERIFY(!shared->initialize(MafwShared::TrackFlags(0x40)));
        QVERIFY(!shared->createPlaylist(QString()));
        MafwPlaylist* a = shared->createPlaylist(QStringLiteral("a"), true);
        QCOMPARE(shared->createPlaylist(QStringLiteral("a")), a);
        QVERIFY(a->isPermanent());
        QCOMPARE(MafwRegistry::instance()->findPlaylist(QStringLiteral("a")), a);
        QPointer<MafwPlaylist> guard(a);
        QVERIFY(shared->unPublishPlaylist(QStringLiteral("a")));
        QVERIFY(!shared->unPublishPlaylist(QStringLiteral("a")));
        QVERIFY(!MafwRegistry::instance()->findPlaylist(QStringLiteral("a")));
        QVERIFY(!guard.isNull()); // not under the caller's feet
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(guard.isNull());
    }
};

KELMORA_TEST_MAIN(TestMafw)
#include "tst_mafw.moc"
