#include "playerarguments.h"

#include "testfiles.h"
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
        QVERIFY(writeFile(path(name), data));
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
        QTest::addColumn<QStringList>("names"); // "title|artist|length|image", when given
        const auto row = [](const char* name, const QStringList& args, int mode,
                            const QStringList& items, const QStringList& problems = {},
                            bool usageError = false, const QString& mime = {},
                            const QStringList& names = {}) {
            QTest::newRow(name) << args << mode << items << mime << problems << usageError
                                << names;
        };
        using A = PlayerArguments;
        const auto p = [this](const char* name) { return path(QLatin1String(name)); };
        const QString a = p("a.ogg");
        const QString missing = p("missing.ogg");
        const QString folder = p("folder");
        const QString ua = url(QStringLiteral("a.ogg"));
        const QString ub = url(QStringLiteral("b.ogg"));
        const QString cannot = QStringLiteral("cannot play \"%1\": %2");
        const QString radio = QStringLiteral("http://radio.example/live");
        const QString m3u8 = QStringLiteral("https://radio.example/list.M3U8?x=1");
        const QString pls = QStringLiteral("http://radio.example/a.pls");
        row("one file", {a}, A::PlaySingleUri, {ua});
        row("missing file", {missing}, A::NothingToPlay, {},
            {cannot.arg(missing, QStringLiteral("no such file"))});
        row("missing file among others", {missing, a}, A::PlaySharedPlaylist, {ua},
            {cannot.arg(missing, QStringLiteral("no such file"))});
        row("folder", {folder}, A::NothingToPlay, {},
            {cannot.arg(folder, QStringLiteral("is a directory"))});
        row("playlist file alone: its entries, as if given one by one", {p("list.pls")},
            A::PlaySharedPlaylist, {ua});
        // An M3U file's #EXTINF lines and a PLS file's TitleN name the entries before they play.
        row("playlist files among others are read", {p("list.m3u"), p("list.pls")},
            A::PlaySharedPlaylist, {ua, ub, ua}, {}, false, {},
            {QStringLiteral("Song A|Band|125|http://art.example/a.png"),
             QStringLiteral("Only Title||-1|https://art.example/b.png"),
             QStringLiteral("Song P|Band|-1|")});
        row("empty and oversized playlist files", {p("empty.m3u"), p("huge.m3u")}, A::NothingToPlay,
            {},
            {cannot.arg(p("empty.m3u"), QStringLiteral("no entry in the playlist file")),
             cannot.arg(p("huge.m3u"), QStringLiteral("playlist file larger than %1 bytes")
                                           .arg(PlayerArguments::MaxPlaylistBytes))});
        row("stream URL", {radio}, A::PlaySingleUri, {radio});
        row("playlist URL alone", {m3u8}, A::PlayPlaylistFile, {m3u8}, {}, false,
            QStringLiteral("application/vnd.apple.mpegurl"));
        row("playlist URL among others", {pls, a}, A::PlaySharedPlaylist, {ua},
            {cannot.arg(pls, QStringLiteral("a playlist URL plays only on its own"))});
        row("other scheme and broken URL",
            {QStringLiteral("ftp://host/a.ogg"), QStringLiteral("http://")}, A::NothingToPlay, {},
            {cannot.arg(QStringLiteral("ftp://host/a.ogg"),
                        QStringLiteral("unsupported URL scheme")),
             cannot.arg(QStringLiteral("http://"), QStringLiteral("not a valid URL"))});
        row("file URL", {ua}, A::PlaySingleUri, {ua});
        row("option after --", {QStringLiteral("--"), QStringLiteral("--window")}, A::NothingToPlay,
            {}, {cannot.arg(QStringLiteral("--window"), QStringLiteral("no such file"))});
        row("unknown option", {QStringLiteral("--loud"), a}, A::NothingToPlay, {},
            {QStringLiteral("unknown option or missing value: --loud")}, true);
        row("screenshot without window", {QStringLiteral("--screenshot"), QStringLiteral("x.png")},
            A::NothingToPlay, {}, {QStringLiteral("--screenshot needs --window")}, true);
        row("no argument: the built-in sample", {}, A::PlaySharedPlaylist, {ua, ub});
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
        QStringList read;
        for (const PlayerItem& item : parsed.items()) {
            urls << item.url.toString();
            read << QStringLiteral("%1|%2|%3|%4").arg(item.title, item.artist,
                                                       QString::number(item.duration),
                                                       item.imageUrl.toString());
        }
        QCOMPARE(urls, items);
        QCOMPARE(parsed.playlistMimeType(), mime);
        QFETCH(QStringList, names);
        if (!names.isEmpty()) {
            QCOMPARE(read, names);
        }
    }
};

KELMORA_TEST_MAIN(TestPlayerArguments)
#include "tst_playerarguments.moc"
