// Start latency of the play controls against a bare playbin on the same file, and the silence
// between two items of a playlist of WAV files. Run: gstbench [runs]
#include "mediafactory.h"

#include <kelplaycontrols.h>
#include <mafwplaylist.h>
#include <mafwregistry.h>
#include <mafwshared.h>
#include <mapplication.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>

#include <gst/gst.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Milliseconds from set_state(PLAYING) to the pipeline's own PLAYING message.
double barePlaybinStart(GstElement* playbin, const QByteArray& uri)
{
    gst_element_set_state(playbin, GST_STATE_NULL);
    g_object_set(playbin, "uri", uri.constData(), nullptr);
    GstBus* bus = gst_element_get_bus(playbin);
    gst_bus_set_flushing(bus, TRUE);
    gst_bus_set_flushing(bus, FALSE);
    QElapsedTimer timer;
    timer.start();
    gst_element_set_state(playbin, GST_STATE_PLAYING);
    double elapsed = -1;
    while (
        GstMessage* message = gst_bus_timed_pop_filtered(
            bus, 10 * GST_SECOND, GstMessageType(GST_MESSAGE_STATE_CHANGED | GST_MESSAGE_ERROR))) {
        const bool error = GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR;
        GstState state = GST_STATE_NULL;
        if (!error && GST_MESSAGE_SRC(message) == GST_OBJECT(playbin)) {
            gst_message_parse_state_changed(message, nullptr, &state, nullptr);
        }
        gst_message_unref(message);
        if (error || state == GST_STATE_PLAYING) {
            elapsed = error ? -1 : timer.nsecsElapsed() / 1e6;
            break;
        }
    }
    gst_object_unref(bus);
    gst_element_set_state(playbin, GST_STATE_NULL);
    return elapsed;
}

bool waitFor(KelPlayControls* controls, void (KelPlayControls::*signal)(), int ms)
{
    QEventLoop loop;
    QObject::connect(controls, signal, &loop, &QEventLoop::quit);
    QTimer::singleShot(ms, &loop, [&loop]() { loop.exit(1); });
    return loop.exec() == 0;
}

double controlsStart(KelPlayControls* controls, const QUrl& url)
{
    controls->stop();
    QEventLoop loop;
    auto connection = QObject::connect(controls, &KelPlayControls::stateChanged, &loop,
                                       [&loop](MafwRenderer::State state) {
                                           if (state == MafwRenderer::Playing) {
                                               loop.quit();
                                           }
                                       });
    QTimer::singleShot(10000, &loop, [&loop]() { loop.exit(1); });
    QElapsedTimer timer;
    timer.start();
    controls->play(url);
    const bool ok = loop.exec() == 0;
    const double elapsed = timer.nsecsElapsed() / 1e6;
    QObject::disconnect(connection);
    controls->stop();
    return ok ? elapsed : -1;
}

struct Buffer
{
    qint64 wallNs;
    guint64 pts;
    guint64 duration;
};
std::vector<Buffer> g_buffers;
std::atomic<size_t> g_count{0};
QElapsedTimer g_clock;

void onHandoff(GstElement*, GstBuffer* buffer, GstPad*, gpointer)
{
    const size_t i = g_count.fetch_add(1);
    if (i < g_buffers.size()) {
        g_buffers[i] = {g_clock.nsecsElapsed(), GST_BUFFER_PTS(buffer),
                        GST_BUFFER_DURATION(buffer)};
    }
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("KELMORA_MAFW_PLUGIN_PATH", KELMORA_BENCH_PLUGIN_DIR);
    qputenv("KELMORA_AUDIO_SINK", "fakesink name=benchsink sync=true signal-handoffs=true");
    qputenv("KELMORA_VIDEO_SINK", "fakesink sync=true");
    MApplication app(argc, argv);
    gst_init(nullptr, nullptr);
    const int runs = argc > 1 ? QByteArray(argv[1]).toInt() : 15;

    QTemporaryDir dir;
    QList<QUrl> files;
    for (int i = 0; i < 3; ++i) {
        const QString path = dir.filePath(QStringLiteral("item%1.wav").arg(i));
        if (!MediaFactory::write(path, 1000, "wavenc", 330 + 110 * i)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
        files << QUrl::fromLocalFile(path);
    }

    KelPlayControls* controls = KelPlayControls::instance();
    controls->init();
    if (!MafwRegistry::instance()->findRenderer(QStringLiteral("mafw_gst_renderer"))) {
        std::fprintf(stderr, "the renderer plug-in did not load\n");
        return 1;
    }
    GstElement* playbin = gst_element_factory_make("playbin", nullptr);
    GstElement* sink = gst_parse_bin_from_description("fakesink sync=true", TRUE, nullptr);
    g_object_set(playbin, "audio-sink", sink, "video-sink",
                 gst_element_factory_make("fakesink", nullptr), nullptr);

    // Interleaved so that both see the same machine load.
    std::vector<double> bare;
    std::vector<double> ours;
    const QByteArray uri = files.first().toEncoded();
    barePlaybinStart(playbin, uri); // warm-up: plug-in loading, file cache
    controlsStart(controls, files.first());
    for (int i = 0; i < runs; ++i) {
        bare.push_back(barePlaybinStart(playbin, uri));
        ours.push_back(controlsStart(controls, files.first()));
    }
    gst_object_unref(playbin);
    const double bareMs = median(bare);
    const double oursMs = median(ours);
    std::printf("start latency (median of %d): bare playbin %.2f ms, play controls %.2f ms, "
                "ratio %.3f\n",
                runs, bareMs, oursMs, bareMs > 0 ? oursMs / bareMs : 0.0);

    // Silence between items: wall-clock time from the end of one item's last buffer to its
    // successor's first, as the fake sink renders them.
    MafwPlaylist* playlist = MafwShared::instance()->createPlaylist(QStringLiteral("bench"));
    for (const QUrl& file : files) {
        playlist->appendItem(file);
    }
    auto* pipeline = reinterpret_cast<GstElement*>(
        quintptr(MafwRegistry::instance()
                     ->findRenderer(QStringLiteral("mafw_gst_renderer"))
                     ->property("gstPipeline")
                     .toULongLong()));
    g_buffers.resize(100000);
    g_clock.start();
    // The sink joins the pipeline when playback starts.
    const gulong added = g_signal_connect(
        pipeline, "deep-element-added",
        G_CALLBACK(+[](GstBin*, GstBin*, GstElement* element, gpointer) {
            if (g_strcmp0(GST_OBJECT_NAME(element), "benchsink") == 0) {
                g_signal_connect(element, "handoff", G_CALLBACK(onHandoff), nullptr);
            }
        }),
        nullptr);
    controls->setPlaylist(QStringLiteral("bench"), false);
    waitFor(controls, &KelPlayControls::contentTypeChanged, 100);
    controls->play(0u);
    if (!waitFor(controls, &KelPlayControls::playbackCompleted, 20000)) {
        std::fprintf(stderr, "the playlist did not complete\n");
        return 1;
    }
    g_signal_handler_disconnect(pipeline, added);
    if (GstElement* benchSink = gst_bin_get_by_name(GST_BIN(pipeline), "benchsink")) {
        g_signal_handlers_disconnect_by_func(benchSink, gpointer(onHandoff), nullptr);
        gst_object_unref(benchSink);
    }
    const size_t count = std::min(g_count.load(), g_buffers.size());
    double worstGapMs = -1e9;
    double bufferMs = 0;
    int boundaries = 0;
    for (size_t i = 1; i < count; ++i) {
        const Buffer& previous = g_buffers[i - 1];
        const Buffer& current = g_buffers[i];
        bufferMs = std::max(bufferMs, previous.duration / 1e6);
        if (current.pts < previous.pts) { // a new item starts from zero
            ++boundaries;
            const double gap = (current.wallNs - previous.wallNs - qint64(previous.duration)) / 1e6;
            worstGapMs = std::max(worstGapMs, gap);
            std::printf("  boundary %d: %.2f ms between renderings\n", boundaries, gap);
        }
    }
    std::printf("gapless: %d item boundaries in %zu buffers, worst silence %.2f ms, buffer "
                "length %.2f ms, ratio %.3f\n",
                boundaries, count, worstGapMs, bufferMs,
                bufferMs > 0 ? worstGapMs / bufferMs : 0.0);
    delete controls;
    return boundaries == 2 ? 0 : 1;
}
