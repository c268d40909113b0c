// Position polling of the play controls: position queries per second while playing, paused,
// stopped and in the task switcher (the window hidden), each against the playing rate.
// Run: pollbench [seconds-per-state]
#include "benchwait.h"
#include "mediafactory.h"

#include <kelplaycontrols.h>
#include <mafwregistry.h>
#include <mapplication.h>
#include <mapplicationwindow.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {
constexpr int DefaultSeconds = 5;
// In the task switcher the controls poll every 10 s: watch long enough to see it.
constexpr int SwitcherFactor = 5;
constexpr int SettleMs = 1200;
constexpr int TimeoutMs = 10000;

// Position reports per second over the given time, from the spacing of the reports when
// there are two or more. A reply still on its way when the state changed is let through
// first.
double rate(KelPlayControls* controls, int seconds)
{
    QEventLoop settle;
    QTimer::singleShot(SettleMs, &settle, &QEventLoop::quit);
    settle.exec();
    QElapsedTimer clock;
    clock.start();
    QList<qint64> reports;
    auto connection =
        QObject::connect(controls, &KelPlayControls::positionChanged,
                         [&reports, &clock](uint, int) { reports << clock.elapsed(); });
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    QObject::disconnect(connection);
    if (reports.size() >= 2) {
        return (reports.size() - 1) * 1000.0 / (reports.last() - reports.first());
    }
    return double(reports.size()) / seconds;
}
} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("KELMORA_MAFW_PLUGIN_PATH", KELMORA_BENCH_PLUGIN_DIR);
    qputenv("KELMORA_AUDIO_SINK", "fakesink sync=true");
    qputenv("KELMORA_VIDEO_SINK", "fakesink sync=true");
    MApplication app(argc, argv);
    const int seconds = argc > 1 ? QByteArray(argv[1]).toInt() : DefaultSeconds;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("long.ogg"));
    const int fileMs = (seconds * (3 + SwitcherFactor) + 20) * 1000;
    if (!MediaFactory::write(path, fileMs, "vorbisenc ! oggmux")) {
        std::fprintf(stderr, "cannot make the media\n");
        return 1;
    }
    // The controls follow the window that exists when they start.
    MApplicationWindow window;
    window.show();
    KelPlayControls* controls = KelPlayControls::instance();
    controls->init();
    if (!MafwRegistry::instance()->findRenderer(QStringLiteral("mafw_gst_renderer"))) {
        std::fprintf(stderr, "the renderer plug-in did not load\n");
        return 1;
    }
    controls->play(QUrl::fromLocalFile(path));
    if (!waitForState(controls, MafwRenderer::Playing, TimeoutMs)) {
        std::fprintf(stderr, "it did not play\n");
        return 1;
    }
    const double playing = rate(controls, seconds);
    controls->pause();
    waitForState(controls, MafwRenderer::Paused, TimeoutMs);
    const double paused = rate(controls, seconds);
    controls->resume();
    waitForState(controls, MafwRenderer::Playing, TimeoutMs);
    window.hide();
    const bool inSwitcher = window.isInSwitcher();
    const double switcher = rate(controls, seconds * SwitcherFactor);
    window.show();
    controls->stop();
    waitForState(controls, MafwRenderer::Stopped, TimeoutMs);
    const double stopped = rate(controls, seconds);
    auto ratio = [playing](double r) { return playing > 0 ? r / playing : 0.0; };
    std::printf("position queries per second: playing %.2f, paused %.2f (ratio %.2f), "
                "stopped %.2f (ratio %.2f), in the task switcher %.2f (ratio %.2f%s)\n",
                playing, paused, ratio(paused), stopped, ratio(stopped), switcher, ratio(switcher),
                inSwitcher ? "" : ", the window did not enter the switcher");
    delete controls;
    return 0;
}
