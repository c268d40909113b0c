// Seek accuracy on Vorbis and Opus: where a seek of the play controls lands against its
// target (the timestamp of the first buffer that reaches the sink after it), and how long it
// takes, against a bare playbin doing an accurate seek on the same file. Seeks are made while
// playing. Run: seekbench
#include "benchwait.h"
#include "mediafactory.h"

#include <kelplaycontrols.h>
#include <mafwregistry.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <gst/gst.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {
constexpr int FileMs = 10000;
constexpr int TimeoutMs = 10000;
const char* const SinkDescription = "fakesink name=benchsink sync=true";
const int targets[] = {1, 5, 2, 8, 3, 7, 4, 6, 1, 8, 2, 7, 3, 6, 4, 5, 2, 6, 3, 8, 1, 7, 4, 5};

struct Result
{
    std::vector<double> errorMs;
    std::vector<double> seekMs;
};

double worst(const std::vector<double>& values)
{
    double w = 0;
    for (double v : values) {
        w = std::max(w, std::abs(v));
    }
    return w;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// The first buffer that reaches the sink after the seek's flush: where playback landed.
enum Watch { Idle, AwaitingFlush, AwaitingBuffer };
std::atomic<int> watch{Idle};
std::atomic<gint64> landedNs{-1};

GstPadProbeReturn onData(GstPad*, GstPadProbeInfo* info, gpointer)
{
    if (info->type & GST_PAD_PROBE_TYPE_EVENT_FLUSH) {
        GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
        int expected = AwaitingFlush;
        if (event && GST_EVENT_TYPE(event) == GST_EVENT_FLUSH_STOP) {
            watch.compare_exchange_strong(expected, AwaitingBuffer);
        }
    } else if (GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info)) {
        int expected = AwaitingBuffer;
        if (watch.compare_exchange_strong(expected, Idle)) {
            landedNs = gint64(GST_BUFFER_PTS(buffer));
        }
    }
    return GST_PAD_PROBE_OK;
}

void arm()
{
    landedNs = -1;
    watch = AwaitingFlush;
}

void watchSink(GstElement* pipeline)
{
    GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "benchsink");
    if (!sink) {
        return;
    }
    GstPad* pad = gst_element_get_static_pad(sink, "sink");
    gst_pad_add_probe(pad,
                      GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_EVENT_FLUSH),
                      onData, nullptr, nullptr);
    gst_object_unref(pad);
    gst_object_unref(sink);
}

double landedMs()
{
    return landedNs.load() / 1e6;
}

Result seekOurs(KelPlayControls* controls, MafwRenderer* renderer, const QUrl& url)
{
    Result result;
    controls->play(url);
    if (!waitForState(controls, MafwRenderer::Playing, TimeoutMs)) {
        return result;
    }
    auto* pipeline =
        reinterpret_cast<GstElement*>(quintptr(renderer->property("gstPipeline").toULongLong()));
    watchSink(pipeline);
    // The renderer learns of the pipeline through posted events: waiting for the next event
    // wakes as soon as it may have settled. A timer keeps the wait from hanging.
    QTimer guard;
    guard.start(TimeoutMs / 10);
    auto waitSettled = [renderer](const QElapsedTimer& timer) {
        while (!renderer->property("settled").toBool() && timer.elapsed() < TimeoutMs) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
    };
    for (int target : targets) {
        QElapsedTimer timer;
        timer.start();
        waitSettled(timer);
        arm();
        timer.start();
        controls->setPosition(uint(target));
        waitSettled(timer);
        result.seekMs.push_back(timer.nsecsElapsed() / 1e6);
        while (landedNs.load() < 0 && timer.elapsed() < TimeoutMs) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        result.errorMs.push_back(landedMs() - target * 1000.0);
    }
    controls->stop();
    waitForState(controls, MafwRenderer::Stopped, TimeoutMs);
    return result;
}

Result seekBare(const QUrl& url)
{
    Result result;
    GstElement* playbin = gst_element_factory_make("playbin", nullptr);
    g_object_set(playbin, "uri", url.toEncoded().constData(), "audio-sink",
                 gst_parse_bin_from_description(SinkDescription, TRUE, nullptr), nullptr);
    GstBus* bus = gst_element_get_bus(playbin);
    auto settle = [bus]() {
        GstMessage* message = gst_bus_timed_pop_filtered(
            bus, 10 * GST_SECOND, GstMessageType(GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_ERROR));
        if (message) {
            gst_message_unref(message);
        }
    };
    gst_element_set_state(playbin, GST_STATE_PLAYING);
    settle();
    watchSink(playbin); // the sink is in the pipeline once it has prerolled
    const auto flags = GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
    for (int target : targets) {
        QElapsedTimer timer;
        arm();
        timer.start();
        gst_element_seek_simple(playbin, GST_FORMAT_TIME, flags, target * GST_SECOND);
        settle();
        result.seekMs.push_back(timer.nsecsElapsed() / 1e6);
        while (landedNs.load() < 0 && timer.elapsed() < TimeoutMs) {
            g_usleep(G_USEC_PER_SEC / 1000);
        }
        result.errorMs.push_back(landedMs() - target * 1000.0);
    }
    gst_element_set_state(playbin, GST_STATE_NULL);
    gst_object_unref(bus);
    gst_object_unref(playbin);
    return result;
}
} // namespace

int main(int argc, char** argv)
{
    qputenv("KELMORA_MAFW_PLUGIN_PATH", KELMORA_BENCH_PLUGIN_DIR);
    qputenv("KELMORA_AUDIO_SINK", SinkDescription);
    qputenv("KELMORA_VIDEO_SINK", "fakesink sync=true");
    QCoreApplication app(argc, argv);
    gst_init(nullptr, nullptr);
    QTemporaryDir dir;
    const QString vorbis = dir.filePath(QStringLiteral("tone.ogg"));
    const QString opus = dir.filePath(QStringLiteral("tone.opus"));
    if (!MediaFactory::write(vorbis, FileMs, "vorbisenc ! oggmux") ||
        !MediaFactory::encode(QStringLiteral("audiotestsrc num-buffers=%1 samplesperbuffer=480 ! "
                                             "audio/x-raw,rate=48000,channels=2 ! audioconvert ! "
                                             "opusenc ! oggmux ! filesink location=\"%2\"")
                                  .arg(FileMs / 10)
                                  .arg(QStringLiteral("%1")),
                              opus)) {
        std::fprintf(stderr, "cannot make the media\n");
        return 1;
    }
    KelPlayControls* controls = KelPlayControls::instance();
    controls->init();
    MafwRenderer* renderer =
        MafwRegistry::instance()->findRenderer(QStringLiteral("mafw_gst_renderer"));
    if (!renderer) {
        std::fprintf(stderr, "the renderer plug-in did not load\n");
        return 1;
    }
    int status = 0;
    for (const QString& file : {vorbis, opus}) {
        const QUrl url = QUrl::fromLocalFile(file);
        const Result bare = seekBare(url);
        const Result ours = seekOurs(controls, renderer, url);
        if (ours.seekMs.size() != bare.seekMs.size()) {
            std::fprintf(stderr, "%s did not play\n", qPrintable(file));
            status = 1;
            continue;
        }
        const char* name = file.endsWith(QLatin1String(".ogg")) ? "Vorbis" : "Opus";
        std::printf(
            "%s, %zu seeks while playing: landing error worst %.1f ms (bare playbin %.1f ms); "
            "seek time median %.2f ms, bare %.2f ms, ratio %.2f\n",
            name, ours.seekMs.size(), worst(ours.errorMs), worst(bare.errorMs), median(ours.seekMs),
            median(bare.seekMs),
            median(bare.seekMs) > 0 ? median(ours.seekMs) / median(bare.seekMs) : 0.0);
    }
    delete controls;
    return status;
}
