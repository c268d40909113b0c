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
            << QByteArray(
                   "[playlist]\r\nFile2=http://b/2\r\nTitle1=x\r\nTitle2\r\nfile1 = http://a/1\r\n"
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
        // The data decides when the declared type does not fit it.
        QTest::newRow("pls type, m3u text")
            << QByteArray("http://a/1\nhttp://a/2\n") << "http://h/x"
            << "audio/x-scpls" << QStringList({"http://a/1", "http://a/2"});
        QTest::newRow("m3u type, pls text")
            << QByteArray("File1=http://a/1\nTitle1=One\n") << "http://h/x"
            << "audio/x-mpegurl" << QStringList{"http://a/1"};
        QTest::newRow("web page") << QByteArray("\n <!DOCTYPE html>\n<html>\nbody\n</html>\n")
                                  << "http://h/x"
                                  << "audio/x-mpegurl" << QStringList();
        QTest::newRow("binary") << QByteArray("ID3\x03\0\0\0\nabc\n", 11) << "http://h/x"
                                << "" << QStringList();
        QTest::newRow("windows paths")
            << QByteArray("C:\\Music\\a.mp3\nd:/b.mp3\nSub\\c.mp3\n") << "file:///m/l.m3u"
            << "" << QStringList{"file:///m/Sub/c.mp3"};
        QTest::newRow("pls numbers beyond 32 bits, duplicates kept")
            << QByteArray("[playlist]\nFile4294967297=http://c\nFile1=http://a\n"
                          "File01=http://b\nFile2=http://x\n")
            << ""
            << "" << QStringList({"http://a", "http://b", "http://x", "http://c"});
        // Shapes other players and servers write.
        QTest::newRow("hls media playlist: the playlist itself")
            << QByteArray("#EXTM3U\n#EXT-X-TARGETDURATION:10\n#EXT-X-MEDIA-SEQUENCE:7\n"
                          "#EXT-X-KEY:METHOD=AES-128,URI=\"k\"\n#EXT-X-BYTERANGE:100@0\n"
                          "#EXTINF:10,\nall.ts\n")
            << "http://h/v/index.m3u8"
            << "" << QStringList{"http://h/v/index.m3u8"};
        QTest::newRow("hls master playlist")
            << QByteArray("#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=64000\nlow/index.m3u8\n")
            << "http://h/master.m3u8"
            << "" << QStringList{"http://h/master.m3u8"};
        QTest::newRow("pls values in quotes")
            << QByteArray("[playlist]\nFile1=\"http://host:80\"\nFile2= \"http://b/\" \n")
            << "http://h/v2/streams/x.pls"
            << "" << QStringList({"http://host:80", "http://b/"});
        QTest::newRow("junk before [playlist]")
            << QByteArray("ICY 200 OK\n[playlist]\nNumberOfEntries=1\nFile1=http://a/1\n")
            << "http://h/x"
            << "" << QStringList{"http://a/1"};
        QTest::newRow("latin-1 with a NUL: binary")
            << QByteArray("OggS\0\x02\xE9\nb.ogg\n", 11) << "file:///m/l.m3u"
            << "" << QStringList();
        QTest::newRow("latin-1") << QByteArray("caf\xE9.mp3\n") << "file:///m/l.m3u"
                                 << "" << QStringList{"file:///m/caf\u00E9.mp3"};
        QTest::newRow("utf-16le with mark")
            << QByteArray("\xFF\xFE\xE9\0.\0m\0p\0\x33\0\n\0", 14) << "file:///m/l.m3u"
            << "" << QStringList{"file:///m/\u00E9.mp3"};
        QTest::newRow("no base: only rooted paths and urls")
            << QByteArray("a.ogg\n../b.ogg\n/abs/c.ogg\nhttp://s/d\n") << ""
            << "" << QStringList({"file:///abs/c.ogg", "http://s/d"});
        QTest::newRow("local names keep #, decode % when no such file")
            << QByteArray("a#1 %41.ogg\n../up.ogg\n") << "file:///m/d/l.m3u"
            << "" << QStringList({"file:///m/d/a%231 A.ogg", "file:///m/up.ogg"});
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

    // Relative paths that a desktop player wrote percent-encoded: the literal name where such
    // a file exists, else the decoded one.
    void percentEncodedPaths()
    {
        QTemporaryDir dir;
        QFile literal(dir.filePath(QStringLiteral("a%41.ogg")));
        QVERIFY(literal.open(QIODevice::WriteOnly));
        const QUrl base = QUrl::fromLocalFile(dir.filePath(QStringLiteral("l.m3u")));
        const QList<QUrl> entries =
            MafwPlaylistParser::parse("a%41.ogg\nAimer/%E6%98%A5%20-%20marie/01.flac\n", base);
        QCOMPARE(entries, QList<QUrl>({QUrl::fromLocalFile(literal.fileName()),
                                       QUrl::fromLocalFile(dir.filePath(
                                           QStringLiteral("Aimer/\u6625 - marie/01.flac")))}));
    }

    // What writeM3u writes, parse reads back unchanged.
    void m3uRoundTrip_data()
    {
        QTest::addColumn<QUrl>("url");
        QTest::newRow("newline in a name") << QUrl::fromLocalFile(QStringLiteral("/m/a\nb.ogg"));
        QTest::newRow("space at the end") << QUrl::fromLocalFile(QStringLiteral("/m/a.ogg "));
        QTest::newRow("hash, percent, non-ascii")
            << QUrl::fromLocalFile(QStringLiteral("/m/#1 %20 \u00E9\u4E2D.ogg"));
        QTest::newRow("file url with fragment") << QUrl(QStringLiteral("file:///m/a%25#x"));
    }
    void m3uRoundTrip()
    {
        QFETCH(QUrl, url);
        const QList<QUrl> entries{url, QUrl(QStringLiteral("http://next/"))};
        QCOMPARE(MafwPlaylistParser::parse(MafwPlaylistParser::writeM3u(entries),
                                           QUrl::fromLocalFile(QStringLiteral("/m/l.m3u"))),
                 entries);
    }

    // Those of the lowest numbers, wherever they stand.
    void entryLimit()
    {
        QByteArray data("[playlist]\n");
        for (int i = MafwPlaylistParser::MaxEntries; i >= 0; --i) {
            data += "File" + QByteArray::number(i) + "=http://h/" + QByteArray::number(i) + '\n';
        }
        MafwPlaylistParser::Report report;
        const QList<QUrl> entries = MafwPlaylistParser::parse(data, QUrl(), QString(), &report);
        QCOMPARE(entries.size(), MafwPlaylistParser::MaxEntries);
        QCOMPARE(entries.first(), QUrl(QStringLiteral("http://h/0")));
        QCOMPARE(entries.last(), QUrl(QStringLiteral("http://h/9999")));
        QCOMPARE(report.beyondLimit, 1);
    }

    // Entries of a playlist from a server reach only the web; those of a local file also
    // local files; nothing reaches special sources.
    void originPolicy_data()
    {
        QTest::addColumn<QString>("playlist");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("remote: https") << "https://h/x.pls"
                                       << "HTTPS://a/1" << true;
        QTest::newRow("remote: file") << "http://h/x.pls"
                                      << "file:///home/u/a.wav" << false;
        QTest::newRow("local: file") << "file:///m/x.pls"
                                     << "file:///m/a.ogg" << true;
        QTest::newRow("local: data") << "file:///m/x.pls"
                                     << "data:,x" << false;
        QTest::newRow("other origin") << "qrc:/x.pls"
                                      << "http://a/1" << false;
    }
    void originPolicy()
    {
        QFETCH(QString, playlist);
        QFETCH(QString, entry);
        QFETCH(bool, allowed);
        QCOMPARE(MafwPlaylistParser::isAllowedEntry(QUrl(playlist), QUrl(entry)), allowed);
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
