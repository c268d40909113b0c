// Playlist files and the current item of a playlist through edits and shuffles.
#include "testmain.h"

#include <mafwplaylist.h>
#include <mafwplaylistparser.h>

class TestPlaylistFiles : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QString>("base");
        QTest::addColumn<QString>("mime");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("pls in number order")
            << QByteArray("[playlist]\r\nFile2=http://b/2\r\nTitle1=x\r\nfile1 = http://a/1\r\n"
                          "NumberOfEntries=2\r\n")
            << "http://host/list.pls"
            << "audio/x-scpls" << QStringList({"http://a/1", "http://b/2"});
        QTest::newRow("pls told by content")
            << QByteArray("\xEF\xBB\xBF[Playlist]\nFile1=rel.ogg\n") << "http://host/dir/x"
            << "" << QStringList{"http://host/dir/rel.ogg"};
        QTest::newRow("m3u comments and blanks")
            << QByteArray("#EXTM3U\n#EXTINF:10,Song\n\n  a.ogg  \r\n/abs/b.ogg\nhttp://s/c\n")
            << "file:///music/list.m3u"
            << "audio/x-mpegurl"
            << QStringList({"file:///music/a.ogg", "file:///abs/b.ogg", "http://s/c"});
        QTest::newRow("rooted path on a server")
            << QByteArray("/live/stream\n") << "http://radio:8000/list.m3u8"
            << "application/vnd.apple.mpegurl" << QStringList{"http://radio:8000/live/stream"};
        QTest::newRow("empty") << QByteArray("#EXTM3U\n\n") << "file:///x.m3u"
                               << "" << QStringList();
        QTest::newRow("pls without entries")
            << QByteArray("[playlist]\nVersion=2\n") << "file:///x.pls"
            << "" << QStringList();
    }
    void parse()
    {
        QFETCH(QByteArray, data);
        QFETCH(QString, base);
        QFETCH(QString, mime);
        QFETCH(QStringList, entries);
        QStringList seen;
        for (const QUrl& url : MafwPlaylistParser::parse(data, QUrl(base), mime)) {
            seen << url.toString();
        }
        QCOMPARE(seen, entries);
    }

    void saveAndLoadM3u()
    {
        QTemporaryDir dir;
        MafwPlaylist list(QStringLiteral("out"));
        list.appendItem(QUrl::fromLocalFile(QStringLiteral("/music/a b.ogg")));
        list.appendItem(QUrl(QStringLiteral("http://radio/x?y=1")));
        list.appendItem(QUrl::fromLocalFile(QStringLiteral("/music/c.ogg")));
        list.setCurrentIndex(2);
        list.shuffle();
        const QString path = dir.filePath(QStringLiteral("list.m3u"));
        QVERIFY(list.saveM3u(path));
        MafwPlaylist loaded(QStringLiteral("in"));
        QVERIFY(loaded.loadM3u(path));
        QCOMPARE(loaded.items(), list.items()); // play order kept
        QVERIFY(!loaded.loadM3u(dir.filePath(QStringLiteral("missing.m3u"))));
        QVERIFY(!list.saveM3u(dir.filePath(QStringLiteral("no/such/dir/x.m3u"))));
    }

    // The current item stays the same through shuffles and edits.
    void currentItemKept()
    {
        MafwPlaylist list(QStringLiteral("cur"));
        for (int i = 0; i < 10; ++i) {
            list.appendItem(QUrl(QStringLiteral("file:///%1").arg(i)));
        }
        list.setCurrentIndex(6);
        const QUrl current = list.item(6);
        list.shuffle();
        QCOMPARE(list.currentIndex(), 0);
        QCOMPARE(list.item(0), current);
        list.insertItem(0, QUrl(QStringLiteral("file:///new")));
        QCOMPARE(list.item(uint(list.currentIndex())), current);
        list.removeItem(5);
        QCOMPARE(list.item(uint(list.currentIndex())), current);
        list.unshuffle();
        QCOMPARE(list.item(uint(list.currentIndex())), current);
        // Removing the current item makes the one before current, so that next is the one after.
        const int at = list.currentIndex();
        const QUrl after = list.item(uint(at + 1));
        list.removeItem(uint(at));
        QCOMPARE(list.item(uint(list.currentIndex() + 1)), after);
        list.setCurrentIndex(99);
        QCOMPARE(list.currentIndex(), -1);
        list.clear();
        QCOMPARE(list.currentIndex(), -1);
    }
};

KELMORA_TEST_MAIN(TestPlaylistFiles)
#include "tst_playlistfiles.moc"
