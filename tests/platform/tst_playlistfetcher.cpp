// Playlist files from hostile servers and file systems: bounded, never blocking, one clear
// error with its code, and only the entries the origin policy allows.
#include "localhttpserver.h"
#include "testmain.h"

#include <mafwplaylistfetcher.h>

#include <sys/stat.h>

namespace {
constexpr int ShortTimeoutMs = 300;
constexpr int AnswerWaitMs = 5000;
constexpr qint64 PromptMs = 1000;
} // namespace

class TestPlaylistFetcher : public QObject
{
    Q_OBJECT
    LocalHttpServer server;
    QTemporaryDir dir;

    // Fetches url and checks that the call returns at once and exactly one answer follows,
    // soon; the entries (paths on the test server) or the error code.
    void fetchOnce(const QUrl& url, const QString& mime, QStringList& entries, int& code)
    {
        MafwPlaylistFetcher fetcher;
        fetcher.setTimeout(ShortTimeoutMs);
        QSignalSpy finished(&fetcher, &MafwPlaylistFetcher::finished);
        QElapsedTimer clock;
        clock.start();
        fetcher.fetch(url, mime);
        QVERIFY(clock.elapsed() < PromptMs);
        QVERIFY(finished.isEmpty());
        QVERIFY(finished.wait(AnswerWaitMs));
        QCoreApplication::processEvents();
        QCOMPARE(finished.size(), 1);
        for (const QUrl& entry : finished.first().first().value<QList<QUrl>>()) {
            entries << (entry.host() == url.host() ? entry.path() : entry.toString());
        }
        code = int(fetcher.error().code());
        QCOMPARE(finished.first().last().toString(), fetcher.error().message());
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(server.listen());
        QVERIFY(dir.isValid());
    }

    void remote_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("type");
        QTest::addColumn<QByteArray>("headers");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("live");
        QTest::addColumn<bool>("stall");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<int>("code");
        const QByteArray big(4 * 1024 * 1024, 'a');
        const QByteArray html("<!DOCTYPE html>\n<html>\n<a href=\"x\">x</a>\n</html>\n");
        QTest::newRow("local and special entries refused")
            << QByteArray("[playlist]\nFile1=file:///etc/passwd\nFile2=fd://0\nFile3=/ok.ogg\n"
                          "File4=data:,x\nFile5=appsink://x\n")
            << QByteArray("audio/x-scpls") << QByteArray() << 200 << false << false
            << QStringList{"/ok.ogg"} << int(MafwError::NoError);
        QTest::newRow("only refused entries")
            << QByteArray("#EXTM3U\nfile:///etc/passwd\nfd://0\n") << QByteArray("audio/x-mpegurl")
            << QByteArray() << 200 << false << false << QStringList()
            << int(MafwError::NoPlayableEntry);
        QTest::newRow("m3u served as pls")
            << QByteArray("/a.ogg\nhttp://b/1\n") << QByteArray("audio/x-scpls") << QByteArray()
            << 200 << false << false << QStringList({"/a.ogg", "http://b/1"})
            << int(MafwError::NoError);
        QTest::newRow("web page") << html << QByteArray("text/html") << QByteArray() << 200 << false
                                  << false << QStringList() << int(MafwError::PlaylistUnreadable);
        QTest::newRow("web page as m3u")
            << html << QByteArray("audio/x-mpegurl") << QByteArray() << 200 << false << false
            << QStringList() << int(MafwError::PlaylistUnreadable);
        QTest::newRow("4 MiB announced")
            << big << QByteArray("audio/x-mpegurl") << QByteArray() << 200 << false << false
            << QStringList() << int(MafwError::PlaylistUnreadable);
        QTest::newRow("4 MiB unannounced")
            << big << QByteArray("audio/x-mpegurl") << QByteArray() << 200 << true << false
            << QStringList() << int(MafwError::PlaylistUnreadable);
        QTest::newRow("stalls after the headers")
            << QByteArray("/a.ogg\n") << QByteArray("audio/x-mpegurl") << QByteArray() << 200
            << false << true << QStringList() << int(MafwError::PlaylistUnreadable);
        QTest::newRow("redirect loop")
            << QByteArray() << QByteArray("text/plain")
            << QByteArray("Location: /redirect-loop\r\n") << 302 << false << false << QStringList()
            << int(MafwError::PlaylistUnreadable);
        QTest::newRow("redirect to a local file")
            << QByteArray() << QByteArray("text/plain")
            << QByteArray("Location: file:///etc/hostname\r\n") << 302 << false << false
            << QStringList() << int(MafwError::PlaylistUnreadable);
    }
    void remote()
    {
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, type);
        QFETCH(QByteArray, headers);
        QFETCH(int, status);
        QFETCH(bool, live);
        QFETCH(bool, stall);
        QFETCH(QStringList, entries);
        QFETCH(int, code);
        const QString path = QLatin1Char('/') + QString::fromLatin1(QTest::currentDataTag())
                                                    .replace(QLatin1Char(' '), QLatin1Char('-'));
        LocalHttpServer::Route route{body, type, status, live};
        route.headers = headers;
        route.stall = stall;
        server.addRoute(path, route);
        if (path.contains(QLatin1String("refused"))) {
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression(QStringLiteral("entries.*refused")));
        }
        QStringList seen;
        int seenCode = -1;
        fetchOnce(server.url(path), QString(), seen, seenCode);
        QCOMPARE(seen, entries);
        QCOMPARE(seenCode, code);
    }

    void local_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<int>("code");
        const QString fifo = dir.filePath(QStringLiteral("fifo.m3u"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QFile large(dir.filePath(QStringLiteral("large.m3u")));
        QVERIFY(large.open(QIODevice::WriteOnly) && large.resize(MafwPlaylistFetcher::MaxSize + 1));
        QFile mixed(dir.filePath(QStringLiteral("mixed.pls")));
        QVERIFY(mixed.open(QIODevice::WriteOnly));
        mixed.write("[playlist]\nFile1=fd://0\nFile2=a.ogg\nFile3=http://h/b\n");
        mixed.close();
        const int unreadable = int(MafwError::PlaylistUnreadable);
        QTest::newRow("named pipe") << fifo << QStringList() << unreadable;
        QTest::newRow("endless device") << "/dev/zero" << QStringList() << unreadable;
        QTest::newRow("directory") << dir.path() << QStringList() << unreadable;
        QTest::newRow("over the size cap") << large.fileName() << QStringList() << unreadable;
        QTest::newRow("missing") << dir.filePath(QStringLiteral("none.pls")) << QStringList()
                                 << unreadable;
        QTest::newRow("stdin refused")
            << mixed.fileName()
            << QStringList({QUrl::fromLocalFile(dir.filePath(QStringLiteral("a.ogg"))).path(),
                            "http://h/b"})
            << int(MafwError::NoError);
    }
    void local()
    {
        QFETCH(QString, path);
        QFETCH(QStringList, entries);
        QFETCH(int, code);
        if (path.endsWith(QLatin1String("mixed.pls"))) {
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression(QStringLiteral("entries.*refused")));
        }
        QStringList seen;
        int seenCode = -1;
        fetchOnce(QUrl::fromLocalFile(path), QString(), seen, seenCode);
        QCOMPARE(seen, entries);
        QCOMPARE(seenCode, code);
    }
};

KELMORA_TEST_MAIN(TestPlaylistFetcher)
#include "tst_playlistfetcher.moc"
