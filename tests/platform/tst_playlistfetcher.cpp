// Playlist files from hostile servers and file systems: bounded, never blocking, one clear
// error with its code, and only the entries the origin policy allows.
#include "localhttpserver.h"
#include "testmain.h"

#include <mafwplaylistfetcher.h>

#include <QHostAddress>

#include <sys/stat.h>

Q_DECLARE_METATYPE(LocalHttpServer::Route)

namespace {
constexpr int ShortTimeoutMs = 300;
constexpr int AnswerWaitMs = 5000;
constexpr qint64 PromptMs = 1000;
const int Unreadable = MafwError::PlaylistUnreadable;

LocalHttpServer::Route route(const QByteArray& body, const QByteArray& type = "audio/x-mpegurl")
{
    return LocalHttpServer::Route{body, type};
}
} // namespace

class TestPlaylistFetcher : public QObject
{
    Q_OBJECT
    LocalHttpServer server;
    QTemporaryDir dir;

    // The call returns at once and exactly one answer follows soon: its entries (paths on
    // the same host) and code.
    void fetchOnce(const QUrl& url, const QStringList& entries, int code)
    {
        if (QByteArray(QTest::currentDataTag()).contains("refused")) {
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("refused")));
        }
        MafwPlaylistFetcher fetcher;
        fetcher.setTimeout(ShortTimeoutMs);
        QSignalSpy finished(&fetcher, &MafwPlaylistFetcher::finished);
        QElapsedTimer clock;
        clock.start();
        fetcher.fetch(url, QString());
        QVERIFY(clock.elapsed() < PromptMs);
        QVERIFY(finished.isEmpty());
        QVERIFY(finished.wait(AnswerWaitMs));
        QCoreApplication::processEvents();
        QCOMPARE(finished.size(), 1);
        QStringList seen;
        for (const QUrl& entry : finished.first().first().value<QList<QUrl>>()) {
            seen << (entry.host() == url.host() ? entry.path() : entry.toString());
        }
        QCOMPARE(seen, entries);
        QCOMPARE(int(fetcher.error().code()), code);
        QCOMPARE(finished.first().last().toString(), fetcher.error().message());
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(server.listen() && dir.isValid()); }

    void remote_data()
    {
        QTest::addColumn<LocalHttpServer::Route>("route");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<int>("code");
        const QByteArray html("<!DOCTYPE html>\n<html>\n<a href=\"x\">x</a>\n</html>\n");
        auto big = route(QByteArray(4 * 1024 * 1024, 'a'));
        big.live = true; // no Content-Length: only the bytes read tell
        auto stall = route("/a.ogg\n");
        stall.stall = true;
        QTest::newRow("local and special entries refused")
            << route("[playlist]\nFile1=file:///etc/passwd\nFile2=fd://0\nFile3=/ok.ogg\n"
                     "File4=data:,x\nFile5=appsink://x\nFile6=HTTPS://8.8.8.8/s\n",
                     "audio/x-scpls")
            << QStringList{"/ok.ogg", "https://8.8.8.8/s"} << int(MafwError::NoError);
        QTest::newRow("only refused entries") << route("#EXTM3U\nfile:///etc/passwd\nfd://0\n")
                                              << QStringList() << int(MafwError::NoPlayableEntry);
        QTest::newRow("m3u served as pls")
            << route("/a.ogg\nhttp://127.0.0.2/1\n", "audio/x-scpls")
            << QStringList({"/a.ogg", "http://127.0.0.2/1"}) << int(MafwError::NoError);
        QTest::newRow("a list on this machine may name any host")
            << route("http://10.0.0.1/a\nhttp://8.8.8.8/b\nhttp://localhost/c\n")
            << QStringList({"http://10.0.0.1/a", "http://8.8.8.8/b", "http://localhost/c"})
            << int(MafwError::NoError);
        QTest::newRow("web page typed as m3u") << route(html) << QStringList() << Unreadable;
        QTest::newRow("4 MiB unannounced") << big << QStringList() << Unreadable;
        QTest::newRow("stalls after the headers") << stall << QStringList() << Unreadable;
    }
    void remote()
    {
        QFETCH(LocalHttpServer::Route, route);
        QFETCH(QStringList, entries);
        QFETCH(int, code);
        const QString path = QLatin1Char('/') + QString::fromLatin1(QTest::currentDataTag())
                                                    .replace(QLatin1Char(' '), QLatin1Char('-'));
        server.addRoute(path, route);
        fetchOnce(server.url(path), entries, code);
    }

    // How private a host is: a remote list may not name a host more private than its own.
    void reach_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("reach");
        const int loopback = MafwPlaylistFetcher::Loopback;
        const int lan = MafwPlaylistFetcher::PrivateNetwork;
        const int internet = MafwPlaylistFetcher::Public;
        for (const char* a : {"127.0.0.1", "127.1.2.3", "::1", "0.0.0.0", "::ffff:127.0.0.1"}) {
            QTest::newRow(a) << a << loopback;
        }
        for (const char* a : {"10.1.2.3", "172.20.0.1", "192.168.1.1", "169.254.0.9", "100.64.1.1",
                              "fe80::1", "fd12::1", "::ffff:192.168.1.1"}) {
            QTest::newRow(a) << a << lan;
        }
        for (const char* a : {"8.8.8.8", "172.32.0.1", "2001:4860::8888"}) {
            QTest::newRow(a) << a << internet;
        }
    }
    void reach()
    {
        QFETCH(QString, address);
        QFETCH(int, reach);
        QCOMPARE(int(MafwPlaylistFetcher::reachOf(QHostAddress(address))), reach);
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
        mixed.write("[playlist]\nFile1=fd://0\nFile2=a.ogg\nFile3=http://h/b\nFile4=data:,x\n");
        mixed.close();
        QTest::newRow("named pipe") << fifo << QStringList() << Unreadable;
        QTest::newRow("endless device") << "/dev/zero" << QStringList() << Unreadable;
        QTest::newRow("over the size cap") << large.fileName() << QStringList() << Unreadable;
        QTest::newRow("stdin and data refused")
            << mixed.fileName()
            << QStringList({dir.filePath(QStringLiteral("a.ogg")), "http://h/b"})
            << int(MafwError::NoError);
    }
    void local()
    {
        QFETCH(QString, path);
        QFETCH(QStringList, entries);
        QFETCH(int, code);
        fetchOnce(QUrl::fromLocalFile(path), entries, code);
    }
};

KELMORA_TEST_MAIN(TestPlaylistFetcher)
#include "tst_playlistfetcher.moc"
