// The album-art loader against loopback servers, its art directory in a temporary one.
#include "localhttpserver.h"
#include "testfiles.h"
#include "testmain.h"

#include <kelartloader.h>

#include <QCryptographicHash>
#include <QNetworkProxy>
#include <QStandardItemModel>
#include <QTcpServer>

#include <algorithm>
#include <csignal>
#include <memory>
#include <sys/resource.h>

namespace {
QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

class TestArtLoader : public QObject
{
    Q_OBJECT
    struct Answer
    {
        bool ready;
        QString text; // the file, or the error
        int row;
    };
    using Route = LocalHttpServer::Route;

    QTemporaryDir tmp;
    QString artDir;
    int dirs = 0;
    QStandardItemModel model{40, 1};
    std::unique_ptr<LocalHttpServer> server;
    std::unique_ptr<KelArtLoader> loader;
    QList<Answer> answers;
    const QByteArray image = encodedImage(8, 8, Qt::red);
    const QByteArray green = encodedImage(8, 8, Qt::green);
    const Route stall{image, "image/png", 200, false, -1, {}, true}; // headers, then nothing

    QString url(const QString& path) const { return server->url(path).toString(); }
    void newLoader()
    {
        loader = std::make_unique<KelArtLoader>();
        loader->setMaximumSize(4096);
        for (const bool ready : {true, false}) {
            connect(loader.get(),
                    ready ? &KelArtLoader::downloadOfArtReady : &KelArtLoader::errorOccurred, this,
                    [this, ready](const QString& text, const QModelIndex& index) {
                        answers.append({ready, text, index.row()});
                    });
        }
    }
    void ask(const QString& url, int row) { loader->getArtOfMusicItem(url, model.index(row, 0)); }

private Q_SLOTS:
    void init()
    {
        QLoggingCategory::setFilterRules(QStringLiteral("kelmora.art.debug=false"));
        qunsetenv("http_proxy");
        // Not there yet: the loader makes it, parents included.
        artDir = tmp.filePath(QStringLiteral("home/%1/art").arg(++dirs));
        qputenv("KELMORA_ART_DIR", artDir.toLocal8Bit());
        answers.clear();
        server = std::make_unique<LocalHttpServer>();
        QVERIFY(server->listen());
        const QList<QPair<const char*, Route>> routes = {
            {"/cover.png", {image}},
            {"/moved.png", {{}, "text/plain", 302, false, -1, "Location: /cover.png\r\n"}},
            {"/page.png", {"<html>Sign in</html>", "text/html"}},
            {"/endless.png", {QByteArray(64 * 1024, 'x'), "image/png", 200, true}},
            {"/deflated.png",
             {qCompress(image).mid(4), "image/png", 200, false, -1,
              "Content-Encoding: deflate\r\n"}},
            {"/stall.png", stall},
            {"/stall2.png", stall}};
        for (const auto& route : routes) {
            server->addRoute(QString::fromLatin1(route.first), route.second);
        }
        newLoader();
    }
    void cleanup()
    {
        loader.reset();
        server.reset();
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
    }

    // Three indexes ask for one URL, two at once: one download, each answered once, the later
    // first; asked again, a stored image is served as it is, a failed URL is downloaded again.
    void answersOnce_data()
    {
        QTest::addColumn<QString>("request"); // {host}: the server
        QTest::addColumn<int>("gets");        // requests the server saw
        QTest::addColumn<QString>("error");   // part of the error, "*" any, empty for success
        const auto row = [](const char* name, const QString& request, int gets, const char* error) {
            QTest::newRow(name) << QStringLiteral("http://") + request << gets
                                << QString::fromLatin1(error);
        };
        row("image", "{host}/cover.png", 1, "");
        row("redirect", "{host}/moved.png", 2, "");
        row("refused", "{closed}/cover.png", 0, "*"); // a port just closed
        row("web page", "{host}/page.png", 2, "not an image");
        row("deflated (zlib data) though not asked", "{host}/deflated.png", 2, "not an image");
        row("too large", "{host}/endless.png", 2, "larger than 4096");
        row("stalled", "{host}/stall.png", 2, "timed out after 200 ms");
        row("idle", "{host}/stall2.png", 2, "nothing received for 200 ms");
        row("record of sources", "{host}/.kelmora-sources.list", 0, "no usable art file name");
        QTest::newRow("local file") << "file:///cover.png" << 0 << "Not an http";
    }
    void answersOnce()
    {
        QFETCH(QString, request);
        QFETCH(int, gets);
        QFETCH(QString, error);
        request.replace(QLatin1String("{host}"), server->url(QString()).authority());
        QTcpServer closed;
        QVERIFY(closed.listen(QHostAddress::LocalHost));
        request.replace(QLatin1String("{closed}"),
                        QStringLiteral("127.0.0.1:%1").arg(closed.serverPort()));
        closed.close();
        // Either limit alone reached (0: the default).
        loader->setTransferTimeout(request.endsWith(QLatin1String("/stall.png")) ? 200 : 0);
        loader->setInactivityTimeout(request.endsWith(QLatin1String("/stall2.png")) ? 200 : 0);
        ask(request, 0);
        ask(request, 1);
        QTRY_COMPARE_WITH_TIMEOUT(answers.size(), 2, 10000);
        ask(request, 2);
        QTRY_COMPARE_WITH_TIMEOUT(answers.size(), 3, 10000);
        // Qt may send a request again when a server closes early (the endless body).
        QVERIFY2(request.contains(QLatin1String("endless")) ? server->totalHits() >= gets
                                                            : server->totalHits() == gets,
                 qPrintable(QString::number(server->totalHits())));
        // A URL refused at once is never pending: each index is answered in turn.
        const bool atOnce = error.contains(QLatin1String("usable")) || error.startsWith('N');
        const QString file = artDir + QLatin1Char('/') + request.section(QLatin1Char('/'), -1);
        for (int i = 0; i < answers.size(); ++i) {
            const Answer& answer = answers.at(i);
            QCOMPARE(answer.row, atOnce || i == 2 ? i : 1 - i);
            // Named after the URL asked for, whatever it redirected to.
            QVERIFY2(error.isEmpty()
                         ? answer.ready && answer.text == file && contents(file) == image
                         : !answer.ready &&
                               (error == QLatin1String("*") || answer.text.contains(error)),
                     qPrintable(answer.text));
        }
        QVERIFY(error.isEmpty() ||
                QDir(artDir).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    }

    // What lies in the art directory before /cover.png is asked for: name=content ("green"
    // an image), @name=URL a line of the record of sources ("url" the URL asked for), or
    // name-> a link to "outside", a file beside the art directory that must not change; {h}
    // is the URL's fallback name; !16: files of at most 16 bytes, a write cut short. Then the file
    // answered (or part of the error) and the GETs.
    void filesInTheWay_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QString>("answered");
        QTest::addColumn<int>("gets");
        const auto row = [](const char* name, const QStringList& before, const char* answered,
                            int gets) {
            QTest::newRow(name) << before << QString::fromLatin1(answered) << gets;
        };
        row("foreign file kept, fallback name used", {"cover.png=old"}, "{h}", 1);
        row("ours and whole, reused", {"cover.png=green", "@cover.png=url"}, "cover.png", 0);
        row("ours but broken, fetched again", {"cover.png=x", "@cover.png=url"}, "cover.png", 1);
        row("record cut short", {"cover.png=green", "@cover.png=url", "@x"}, "cover.png", 0);
        row("fallback of ours, reused", {"cover.png=old", "{h}=green", "@{h}=url"}, "{h}", 0);
        row("fallback taken by another URL",
            {"cover.png=old", "{h}=green", "@{h}=http://else/cover.png"}, "{h}", 1);
        row("dangling link", {"cover.png->"}, "symbolic link", 0);
        row("link to a file", {"cover.png->", "outside=secret"}, "symbolic link", 0);
        row("record is a link", {".kelmora-sources.list->", "outside=secret"}, "cover.png", 1);
        row("write cut short, no art file left", {"!16"}, "saveFileToDisk", 1);
    }
    void filesInTheWay()
    {
        QFETCH(QStringList, before);
        QFETCH(QString, answered);
        QFETCH(int, gets);
        const QString request = url(QStringLiteral("/cover.png"));
        const QString hashed = QString::fromLatin1(
            QCryptographicHash::hash(request.toUtf8(), QCryptographicHash::Sha1).toHex().left(16) +
            "-cover.png");
        const QString outside = tmp.filePath(QStringLiteral("outside"));
        QFile::remove(outside);
        QByteArray record;
        rlimit saved{};
        QVERIFY(getrlimit(RLIMIT_FSIZE, &saved) == 0);
        rlimit limit = saved;
        for (QString entry : before) {
            entry.replace(QLatin1String("{h}"), hashed)
                .replace(QLatin1String("=url"), QLatin1Char('=') + request);
            const QString name = entry.section(QLatin1Char('='), 0, 0);
            const QString path =
                name == QLatin1String("outside") ? outside : artDir + QLatin1Char('/') + name;
            const QString text = entry.section(QLatin1Char('='), 1);
            if (entry == QLatin1String("!16")) {
                limit.rlim_cur = 16;
            } else if (entry.startsWith(QLatin1Char('@'))) {
                record +=
                    name.mid(1).toUtf8() + (text.isEmpty() ? "" : "\t" + text.toUtf8() + "\n");
            } else if (entry.endsWith(QLatin1String("->"))) {
                QVERIFY(QDir().mkpath(artDir) && QFile::link(outside, path.chopped(2)));
            } else {
                QVERIFY(writeFile(path, text == QLatin1String("green") ? green : text.toUtf8()));
            }
        }
        QVERIFY(record.isEmpty() ||
                writeFile(artDir + QStringLiteral("/.kelmora-sources.list"), record));
        const QByteArray outsideBefore = contents(outside);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        QVERIFY(setrlimit(RLIMIT_FSIZE, &limit) == 0);
        ask(request, 0);
        (void)QTest::qWaitFor([this]() { return !answers.isEmpty(); }, 10000);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        QCOMPARE(answers.size(), 1);
        QCOMPARE(server->totalHits(), gets);
        QCOMPARE(contents(outside), outsideBefore);
        QCOMPARE(QFileInfo::exists(outside), !outsideBefore.isEmpty());
        const Answer& answer = answers.at(0);
        answered.replace(QLatin1String("{h}"), hashed);
        QVERIFY2(answer.ready ? answer.text == artDir + QLatin1Char('/') + answered
                              : answer.text.contains(answered),
                 qPrintable(answer.text));
        QVERIFY(!answer.ready || contents(answer.text) == (gets ? image : green));
        QVERIFY(!before.contains(QStringLiteral("cover.png=old")) ||
                contents(artDir + QStringLiteral("/cover.png")) == "old");
        QVERIFY(!before.contains(QStringLiteral("!16")) ||
                QDir(artDir).entryList(QDir::Files).isEmpty());
    }

    // Downloads waiting their turn are not timed: 40 answers of 100 ms each, with a timeout of
    // 600 ms (queued in Qt, 6 at a time, the last would wait 700 ms).
    void waitingIsNotTimed()
    {
        const Route slow{image, "image/png", 200, false, -1, {}, false, 100};
        loader->setTransferTimeout(600);
        for (int row = 0; row < 40; ++row) {
            server->addRoute(QStringLiteral("/slow/%1.png").arg(row), slow);
            ask(url(QStringLiteral("/slow/%1.png").arg(row)), row);
        }
        QTRY_COMPARE_WITH_TIMEOUT(answers.size(), 40, 20000);
        QVERIFY(std::all_of(answers.cbegin(), answers.cend(), [](auto& a) { return a.ready; }));
    }

    // http_proxy read by a new loader (no scheme, a percent-encoded password) carries its
    // requests, the server staying unasked.
    void proxy()
    {
        LocalHttpServer proxyServer;
        QVERIFY(proxyServer.listen());
        const QString target = url(QStringLiteral("/cover.png"));
        proxyServer.addRoute(target, Route{image});
        qputenv("http_proxy", "user:p%40ss@" + proxyServer.url(QString()).authority().toUtf8());
        newLoader();
        QCOMPARE(QNetworkProxy::applicationProxy().password(), QStringLiteral("p@ss"));
        ask(target, 0);
        QTRY_COMPARE(answers.size(), 1);
        QVERIFY2(answers.at(0).ready, qPrintable(answers.at(0).text));
        QCOMPARE(proxyServer.hits(target), 1);
        QCOMPARE(server->totalHits(), 0);
    }

    // In flight, waiting their turn and asked twice, all answered with an error; asked again,
    // downloaded again.
    void clearQueue()
    {
        loader->clearQueue(); // nothing in flight
        for (int row = 0; row <= KelArtLoader::MaxTransfers; ++row) {
            server->addRoute(QStringLiteral("/stall/%1.png").arg(row), stall);
            ask(url(QStringLiteral("/stall/%1.png").arg(row)), row);
        }
        ask(url(QStringLiteral("/stall/0.png")), 9);
        QTRY_COMPARE(server->totalHits(), KelArtLoader::MaxTransfers);
        QVERIFY(answers.isEmpty());
        loader->clearQueue();
        QTRY_COMPARE(answers.size(), 2 + KelArtLoader::MaxTransfers);
        QVERIFY(std::none_of(answers.cbegin(), answers.cend(), [](auto& a) { return a.ready; }));
        ask(url(QStringLiteral("/stall/0.png")), 3);
        QTRY_COMPARE(server->hits(QStringLiteral("/stall/0.png")), 2);
    }

    // Deleted from a slot of its own signals, wherever they come from (checked under ASan).
    void deletedFromItsSignal_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("ready") << "/cover.png";
        QTest::newRow("refused at once") << "/art/";
        QTest::newRow("in clearQueue") << "/stall.png";
    }
    void deletedFromItsSignal()
    {
        QFETCH(QString, path);
        const auto drop = [this]() { loader.reset(); };
        connect(loader.get(), &KelArtLoader::downloadOfArtReady, this, drop);
        connect(loader.get(), &KelArtLoader::errorOccurred, this, drop);
        ask(url(path), 0);
        ask(url(QStringLiteral("/stall2.png")), 1); // still in flight when deleted
        if (path == QLatin1String("/stall.png")) {  // answered in clearQueue
            QTRY_COMPARE(server->totalHits(), 2);
            loader->clearQueue();
        }
        QTRY_VERIFY(!loader);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(answers.size(), 1);
    }
};

KELMORA_TEST_MAIN(TestArtLoader)
#include "tst_artloader.moc"
