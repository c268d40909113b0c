#include "playerarguments.h"

#include <testmain.h>

#include <QFile>
#include <QTemporaryDir>

class TestPlayerArguments : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

    QString path(const QString& name) const { return dir.filePath(name); }
    QString url(const QString& name) const { return QUrl::fromLocalFile(path(name)).toString(); }
    void write(const QString& name, const QByteArray& data)
    {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(data);
    }

private Q_SLOTS:
    void initTestCase()
    {
        write(QStringLiteral("a.ogg"), "x");
        write(QStringLiteral("b.ogg"), "x");
        write(QStringLiteral("list.m3u"),
              "#EXTM3U\n#EXTINF:125,Band - Song A\n#EXTIMG:http://art.example/a.png\na.ogg\n\n"
              "#EXTINF:-1 tvg-logo=\"https://art.example/b.png\",Only Title\r\nb.ogg\n");
        write(QStringLiteral("list.pls"),
              "[playlist]\nFile1=a.ogg\nTitle01=Band - Song P\nNumberOfEntries=1\n");
        write(QStringLiteral("empty.m3u"), "#EXTM3U\n");
        write(QStringLiteral("huge.m3u"), QByteArray(PlayerArguments::MaxPlaylistBytes + 1, '#'));
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("folder")));
    }

    // Arguments, in: the mode, the item URLs, the MIME type, the problems, a usage error.
    void parse_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("mime");
        QTest::addColumn<QStringList>("problems");
        QTest::addColumn<bool>("usageError");
        using A = PlayerArguments;
        const QString a = path(QStringLiteral("a.ogg"));
        const QString missing = path(QStringLiteral("missing.ogg"));
        const QString folder = path(QStringLiteral("folder"));
        QTest::newRow("one file") << QStringList{a} << int(A::PlaySingleUri)
                                  << QStringList{url(QStringLiteral("a.ogg"))} << QString()
                                  << QStringList() << false;
        QTest::newRow("missing file")
            << QStringList{missing} << int(A::NothingToPlay) << QStringList() << QString()
            << QStringList{QStringLiteral("cannot play \"%1\": no such file").arg(missing)}
            << false;
        QTest::newRow("missing file among others")
            << QStringList{missing, a} << int(A::PlaySharedPlaylist)
            << QStringList{url(QStringLiteral("a.ogg"))} << QString()
            << QStringList{QStringLiteral("cannot play \"%1\": no such file").arg(missing)}
            << false;
        QTest::newRow("folder")
            << QStringList{folder} << int(A::NothingToPlay) << QStringList() << QString()
            << QStringList{QStringLiteral("cannot play \"%1\": is a directory").arg(folder)}
            << false;
        QTest::newRow("playlist file alone: its entries, as if given one by one")
            << QStringList{path(QStringLiteral("list.pls"))} << int(A::PlaySharedPlaylist)
            << QStringList{url(QStringLiteral("a.ogg"))} << QString() << QStringList() << false;
        QTest::newRow("playlist files among others are read")
            << QStringList{path(QStringLiteral("list.m3u")), path(QStringLiteral("list.pls"))}
            << int(A::PlaySharedPlaylist)
            << QStringList{url(QStringLiteral("a.ogg")), url(QStringLiteral("b.ogg")),
                           url(QStringLiteral("a.ogg"))}
            << QString() << QStringList() << false;
        QTest::newRow("empty and oversized playlist files")
            << QStringList{path(QStringLiteral("empty.m3u")), path(QStringLiteral("huge.m3u"))}
            << int(A::NothingToPlay) << QStringList() << QString()
            << QStringList{QStringLiteral("cannot play \"%1\": no entry in the playlist file")
                               .arg(path(QStringLiteral("empty.m3u"))),
                           QStringLiteral("cannot play \"%1\": playlist file larger than %2 bytes")
                               .arg(path(QStringLiteral("huge.m3u")))
                               .arg(PlayerArguments::MaxPlaylistBytes)}
            << false;
        QTest::newRow("stream URL")
            << QStringList{QStringLiteral("http://radio.example/live")} << int(A::PlaySingleUri)
            << QStringList{QStringLiteral("http://radio.example/live")} << QString()
            << QStringList() << false;
        QTest::newRow("playlist URL alone")
            << QStringList{QStringLiteral("https://radio.example/list.M3U8?x=1")}
            << int(A::PlayPlaylistFile)
            << QStringList{QStringLiteral("https://radio.example/list.M3U8?x=1")}
            << QStringLiteral("application/vnd.apple.mpegurl") << QStringList() << false;
        QTest::newRow("playlist URL among others")
            << QStringList{QStringLiteral("http://radio.example/a.pls"), a}
            << int(A::PlaySharedPlaylist) << QStringList{url(QStringLiteral("a.ogg"))} << QString()
            << QStringList{QStringLiteral("cannot play \"http://radio.example/a.pls\": a playlist "
                                          "URL plays only on its own")}
            << false;
        QTest::newRow("other scheme and broken URL")
            << QStringList{QStringLiteral("ftp://host/a.ogg"), QStringLiteral("http://")}
            << int(A::NothingToPlay) << QStringList() << QString()
            << QStringList{QStringLiteral(
                               "cannot play \"ftp://host/a.ogg\": unsupported URL scheme"),
                           QStringLiteral("cannot play \"http://\": not a valid URL")}
            << false;
        QTest::newRow("file URL") << QStringList{url(QStringLiteral("a.ogg"))}
                                  << int(A::PlaySingleUri)
                                  << QStringList{url(QStringLiteral("a.ogg"))} << QString()
                                  << QStringList() << false;
        QTest::newRow("option after --")
            << QStringList{QStringLiteral("--"), QStringLiteral("--window")}
            << int(A::NothingToPlay) << QStringList() << QString()
            << QStringList{QStringLiteral("cannot play \"--window\": no such file")} << false;
        QTest::newRow("unknown option")
            << QStringList{QStringLiteral("--loud"), a} << int(A::NothingToPlay) << QStringList()
            << QString() << QStringList{QStringLiteral("unknown option or missing value: --loud")}
            << true;
        QTest::newRow("screenshot without window")
            << QStringList{QStringLiteral("--screenshot"), QStringLiteral("x.png")}
            << int(A::NothingToPlay) << QStringList() << QString()
            << QStringList{QStringLiteral("--screenshot needs --window")} << true;
        QTest::newRow("no argument: the built-in sample")
            << QStringList() << int(A::PlaySharedPlaylist)
            << QStringList{url(QStringLiteral("a.ogg")), url(QStringLiteral("b.ogg"))} << QString()
            << QStringList() << false;
    }

    void parse()
    {
        QFETCH(QStringList, args);
        QFETCH(int, mode);
        QFETCH(QStringList, items);
        QFETCH(QString, mime);
        QFETCH(QStringList, problems);
        QFETCH(bool, usageError);
        const PlayerArguments parsed =
            PlayerArguments::parse(args, path(QStringLiteral("list.m3u")));
        QCOMPARE(parsed.problems(), problems);
        QCOMPARE(parsed.usageError(), usageError);
        QCOMPARE(int(parsed.mode()), mode);
        QStringList urls;
        for (const PlayerItem& item : parsed.items()) {
            urls << item.url.toString();
        }
        QCOMPARE(urls, items);
        QCOMPARE(parsed.playlistMimeType(), mime);
    }

    // An M3U file's #EXTINF lines and a PLS file's TitleN name the entries before they play.
    void playlistFilesNameEntries()
    {
        QString error;
        const QList<PlayerItem> items =
            PlayerArguments::readPlaylistFile(path(QStringLiteral("list.m3u")), &error);
        QCOMPARE(items.size(), 2);
        QCOMPARE(items.at(0).title, QStringLiteral("Song A"));
        QCOMPARE(items.at(0).artist, QStringLiteral("Band"));
        QCOMPARE(items.at(0).duration, 125);
        QCOMPARE(items.at(0).imageUrl, QUrl(QStringLiteral("http://art.example/a.png")));
        QCOMPARE(items.at(1).imageUrl, QUrl(QStringLiteral("https://art.example/b.png")));
        QCOMPARE(items.at(1).title, QStringLiteral("Only Title"));
        QVERIFY(items.at(1).artist.isEmpty());
        QCOMPARE(items.at(1).duration, int(PlayerItem::UnknownDuration));
        const PlayerItem pls =
            PlayerArguments::readPlaylistFile(path(QStringLiteral("list.pls")), &error).value(0);
        QCOMPARE(pls.title, QStringLiteral("Song P"));
        QCOMPARE(pls.artist, QStringLiteral("Band"));
    }
};

KELMORA_TEST_MAIN(TestPlayerArguments)
#include "tst_playerarguments.moc"
