// Album art for R list rows over D distinct URLs from a loopback server: the GETs the loader
// makes (D expected) and its wall time against a plain QNetworkAccessManager fetching the D
// URLs in parallel and writing each body to a file of the same name, measured in the same
// run. Run: artbench [rows] [urls] [runs]
#include "localhttpserver.h"

#include <kelartloader.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QImage>
#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QRandomGenerator>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {
const int WaitLimit = 60000;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Runs the event loop until done() holds; false when the wait limit passed first.
template <typename Done> bool waitUntil(Done done)
{
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&]() {
        if (done()) {
            loop.quit();
        }
    });
    poll.start(0);
    QTimer::singleShot(WaitLimit, &loop, [&loop]() { loop.exit(1); });
    return loop.exec() == 0;
}

QByteArray noisePng(int seed)
{
    QImage image(64, 64, QImage::Format_RGB32);
    QRandomGenerator random(quint32(seed + 1));
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y, random.generate());
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

double plainFetch(const QList<QUrl>& urls)
{
    QTemporaryDir dir;
    QNetworkAccessManager network;
    int done = 0;
    QElapsedTimer timer;
    timer.start();
    for (const QUrl& url : urls) {
        QNetworkReply* reply = network.get(QNetworkRequest(url));
        QObject::connect(reply, &QNetworkReply::finished, reply, [reply, &done, &dir]() {
            QFile file(dir.filePath(reply->url().fileName()));
            if (file.open(QIODevice::WriteOnly)) {
                file.write(reply->readAll());
            }
            reply->deleteLater();
            ++done;
        });
    }
    const bool finished = waitUntil([&]() { return done == urls.size(); });
    return finished ? timer.nsecsElapsed() / 1e6 : -1;
}

// Milliseconds until every row is answered with a file; -1 on a failure.
double loaderFetch(const QList<QUrl>& urls, int rows)
{
    QTemporaryDir dir;
    qputenv("KELMORA_ART_DIR", dir.path().toLocal8Bit());
    QStandardItemModel model(rows, 1);
    KelArtLoader loader;
    int ready = 0;
    int failed = 0;
    QObject::connect(&loader, &KelArtLoader::downloadOfArtReady, [&ready]() { ++ready; });
    QObject::connect(&loader, &KelArtLoader::errorOccurred, [&failed]() { ++failed; });
    QElapsedTimer timer;
    timer.start();
    for (int row = 0; row < rows; ++row) {
        loader.getArtOfMusicItem(urls.at(row % urls.size()).toString(), model.index(row, 0));
    }
    const bool finished = waitUntil([&]() { return ready + failed == rows; });
    return finished && failed == 0 ? timer.nsecsElapsed() / 1e6 : -1;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int rows = argc > 1 ? QByteArray(argv[1]).toInt() : 1000;
    const int distinct = argc > 2 ? QByteArray(argv[2]).toInt() : 100;
    const int runs = argc > 3 ? QByteArray(argv[3]).toInt() : 11;
    qunsetenv("http_proxy");
    QLoggingCategory::setFilterRules(QStringLiteral("kelmora.art.debug=false"));

    LocalHttpServer server;
    if (!server.listen() || rows < 1 || distinct < 1 || runs < 1) {
        std::fprintf(stderr, "usage: artbench [rows] [urls] [runs]\n");
        return 1;
    }
    QList<QUrl> urls;
    qint64 bytes = 0;
    for (int i = 0; i < distinct; ++i) {
        const QString path = QStringLiteral("/art/%1.png").arg(i);
        const QByteArray image = noisePng(i);
        bytes += image.size();
        server.addRoute(path, LocalHttpServer::Route{image, "image/png"});
        urls << server.url(path);
    }
    std::vector<double> plain;
    std::vector<double> loader;
    std::vector<int> gets;
    for (int run = 0; run < runs; ++run) {
        plain.push_back(plainFetch(urls));
        const int before = server.totalHits();
        loader.push_back(loaderFetch(urls, rows));
        gets.push_back(server.totalHits() - before);
        if (plain.back() < 0 || loader.back() < 0) {
            std::fprintf(stderr, "run %d failed\n", run + 1);
            return 1;
        }
    }
    std::printf("%d rows over %d URLs (%lld bytes of PNG), %d runs\n", rows, distinct,
                static_cast<long long>(bytes), runs);
    std::printf("GETs by the loader per run: min %d max %d (expected %d)\n",
                *std::min_element(gets.begin(), gets.end()),
                *std::max_element(gets.begin(), gets.end()), distinct);
    const double plainMs = median(plain);
    const double loaderMs = median(loader);
    std::printf("median wall time: plain QNetworkAccessManager %.1f ms, KelArtLoader %.1f ms, "
                "ratio %.2f\n",
                plainMs, loaderMs, loaderMs / plainMs);
    return 0;
}
