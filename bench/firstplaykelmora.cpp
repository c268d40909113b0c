// One first play through libkelmora in a fresh process: application start, init() (plug-in
// load, GStreamer start-up), play(QUrl) until stateChanged(Playing). Prints the nanoseconds
// since the CLOCK_MONOTONIC time given by the caller just before it started this process.
// Run by firstplaybench: firstplay-kelmora START-NS URI
#include <kelplaycontrols.h>

#include <QCoreApplication>
#include <QTimer>
#include <QUrl>

#include <cstdio>
#include <ctime>

namespace {
constexpr int TimeoutMs = 10000;

long long monotonicNs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        return 2;
    }
    const long long start = std::atoll(argv[1]);
    QCoreApplication app(argc, argv);
    KelPlayControls* controls = KelPlayControls::instance();
    controls->init();
    QObject::connect(controls, &KelPlayControls::stateChanged, &app,
                     [&app, start](MafwRenderer::State state) {
                         if (state == MafwRenderer::Playing) {
                             std::printf("%lld\n", monotonicNs() - start);
                             app.exit(0);
                         }
                     });
    QTimer::singleShot(TimeoutMs, &app, [&app]() { app.exit(1); });
    controls->play(QUrl(QString::fromLocal8Bit(argv[2])));
    const int status = app.exec();
    controls->stop();
    delete controls;
    return status;
}
