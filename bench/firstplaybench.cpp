// First play in a fresh process, libkelmora against a bare playbin program, each timed from
// just before its process starts until it plays. The two are run in turns so that both see
// the same machine load. Run: firstplaybench [runs]
#include "mediafactory.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {
constexpr int DefaultRuns = 15;
constexpr int WarmUpRuns = 2;
constexpr int ChildTimeoutMs = 15000;

long long monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Milliseconds from process start to playing, or a negative value on failure.
double runOnce(const QString& program, const QUrl& uri)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(program, {QString::number(monotonicNs()), uri.toString()});
    if (!child.waitForFinished(ChildTimeoutMs) || child.exitCode() != 0) {
        child.kill();
        child.waitForFinished();
        return -1;
    }
    return child.readAllStandardOutput().trimmed().toLongLong() / 1e6;
}
} // namespace

int main(int argc, char** argv)
{
    qputenv("KELMORA_MAFW_PLUGIN_PATH", KELMORA_BENCH_PLUGIN_DIR);
    qputenv("KELMORA_AUDIO_SINK", "fakesink sync=true");
    qputenv("KELMORA_VIDEO_SINK", "fakesink sync=true");
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? QByteArray(argv[1]).toInt() : DefaultRuns;
    const QDir here(QCoreApplication::applicationDirPath());
    const QString ours = here.filePath(QStringLiteral("firstplay-kelmora"));
    const QString bare = here.filePath(QStringLiteral("firstplay-playbin"));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tone.wav"));
    if (!MediaFactory::write(path, 2000)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return 1;
    }
    const QUrl uri = QUrl::fromLocalFile(path);
    for (int i = 0; i < WarmUpRuns; ++i) { // file and library caches
        runOnce(bare, uri);
        runOnce(ours, uri);
    }
    std::vector<double> bareMs;
    std::vector<double> oursMs;
    for (int i = 0; i < runs; ++i) {
        bareMs.push_back(runOnce(bare, uri));
        oursMs.push_back(runOnce(ours, uri));
        if (bareMs.back() < 0 || oursMs.back() < 0) {
            std::fprintf(stderr, "a run failed\n");
            return 1;
        }
    }
    const double b = median(bareMs);
    const double o = median(oursMs);
    std::printf("first play from process start (median of %d): bare playbin %.1f ms, "
                "libkelmora %.1f ms (best %.1f), ratio %.2f\n",
                runs, b, o, *std::min_element(oursMs.begin(), oursMs.end()), b > 0 ? o / b : 0.0);
    return 0;
}
