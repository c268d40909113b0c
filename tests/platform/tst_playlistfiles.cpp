// Playlist files: parsing, writing and the entry limit (the origin policy: tst_playlistfetcher).
#include "testmain.h"

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
        const auto row = [](const char* name, const QByteArray& data, const char* base,
                            const char* mime, const QStringList& entries) {
            QTest::newRow(name) << data << QString::fromUtf8(base) << QString::fromUtf8(mime)
                                << entries;
        };
        row("pls in number order",
            "[playlist]\r\nFile2=http://b/2\r\nTitle1=x\r\nTitle2\r\nfile1 = http://a/1\r\n"
            "NumberOfEntries=2\r\n",
            "http://host/list.pls", "audio/x-scpls", {"http://a/1", "http://b/2"});
        row("pls told by content", "\xEF\xBB\xBF[Playlist]\nFile1=rel.ogg\n", "http://host/dir/x",
            "", {"http://host/dir/rel.ogg"});
        row("m3u comments and blanks",
            "#EXTM3U\n#EXTINF:10,Song\n\n  a.ogg  \r\n/abs/b.ogg\nhttp://s/c\n",
            "file:///music/list.m3u", "audio/x-mpegurl",
            {"file:///music/a.ogg", "file:///abs/b.ogg", "http://s/c"});
        row("rooted path on a server", "/live/stream\n", "http://radio:8000/list.m3u8",
            "application/vnd.apple.mpegurl", {"http://radio:8000/live/stream"});
        row("pls without entries", "[playlist]\nVersion=2\n", "file:///x.pls", "", {});
        // The data decides when the declared type does not fit it.
        row("pls type, m3u text", "http://a/1\nhttp://a/2\n", "http://h/x", "audio/x-scpls",
            {"http://a/1", "http://a/2"});
        row("m3u type, pls text", "File1=http://a/1\nTitle1=One\n", "http://h/x", "audio/x-mpegurl",
            {"http://a/1"});
        row("web page", "\n <!DOCTYPE html>\n<html>\nbody\n</html>\n", "http://h/x",
            "audio/x-mpegurl", {});
        row("binary", QByteArray("ID3\x03\0\0\0\nabc\n", 11), "http://h/x", "", {});
        row("windows paths", "C:\\Music\\a.mp3\nd:/b.mp3\nSub\\c.mp3\n", "file:///m/l.m3u", "",
            {"file:///m/Sub/c.mp3"});
        row("pls numbers beyond 32 bits, duplicates kept",
            "[playlist]\nFile4294967297=http://c\nFile1=http://a\nFile01=http://b\nFile2=http://"
            "x\n",
            "", "", {"http://a", "http://b", "http://x", "http://c"});
        // Shapes other players and servers write.
        row("hls media playlist: the playlist itself",
            "#EXTM3U\n#EXT-X-TARGETDURATION:10\n#EXT-X-MEDIA-SEQUENCE:7\n"
            "#EXT-X-KEY:METHOD=AES-128,URI=\"k\"\n#EXT-X-BYTERANGE:100@0\n#EXTINF:10,\nall.ts\n",
            "http://h/v/index.m3u8", "", {"http://h/v/index.m3u8"});
        row("hls master playlist", "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=64000\nlow/index.m3u8\n",
            "http://h/master.m3u8", "", {"http://h/master.m3u8"});
        row("pls values in quotes", "[playlist]\nFile1=\"http://host:80\"\nFile2= \"http://b/\" \n",
            "http://h/v2/streams/x.pls", "", {"http://host:80", "http://b/"});
        row("junk before [playlist]",
            "ICY 200 OK\n[playlist]\nNumberOfEntries=1\nFile1=http://a/1\n", "http://h/x", "",
            {"http://a/1"});
        row("latin-1 with a NUL: binary", QByteArray("OggS\0\x02\xE9\nb.ogg\n", 11),
            "file:///m/l.m3u", "", {});
        row("latin-1", "caf\xE9.mp3\n", "file:///m/l.m3u", "", {"file:///m/caf\u00E9.mp3"});
        row("utf-16le with mark", QByteArray("\xFF\xFE\xE9\0.\0m\0p\0\x33\0\n\0", 14),
            "file:///m/l.m3u", "", {"file:///m/\u00E9.mp3"});
        row("no base: only rooted paths and urls", "a.ogg\n../b.ogg\n/abs/c.ogg\nhttp://s/d\n", "",
            "", {"file:///abs/c.ogg", "http://s/d"});
        row("local names keep #, decode % when no such file", "a#1 %41.ogg\n../up.ogg\n",
            "file:///m/d/l.m3u", "", {"file:///m/d/a%231 A.ogg", "file:///m/up.ogg"});
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
};

KELMORA_TEST_MAIN(TestPlaylistFiles)
#include "tst_playlistfiles.moc"
