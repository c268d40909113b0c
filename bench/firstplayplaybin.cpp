// The baseline of firstplaybench: a bare playbin program doing the same from process start,
// gst_init() to the pipeline's PLAYING state, with the same fake sinks.
// Run by firstplaybench: firstplay-playbin START-NS URI
#include <gst/gst.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {
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
    gst_init(nullptr, nullptr);
    GstElement* playbin = gst_element_factory_make("playbin", nullptr);
    if (!playbin) {
        return 1;
    }
    g_object_set(playbin, "uri", argv[2], "audio-sink",
                 gst_parse_bin_from_description("fakesink sync=true", TRUE, nullptr), "video-sink",
                 gst_element_factory_make("fakesink", nullptr), nullptr);
    gst_element_set_state(playbin, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(playbin);
    int status = 1;
    while (
        GstMessage* message = gst_bus_timed_pop_filtered(
            bus, 10 * GST_SECOND, GstMessageType(GST_MESSAGE_STATE_CHANGED | GST_MESSAGE_ERROR))) {
        GstState state = GST_STATE_NULL;
        const bool error = GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR;
        if (!error && GST_MESSAGE_SRC(message) == GST_OBJECT(playbin)) {
            gst_message_parse_state_changed(message, nullptr, &state, nullptr);
        }
        gst_message_unref(message);
        if (error) {
            break;
        }
        if (state == GST_STATE_PLAYING) {
            std::printf("%lld\n", monotonicNs() - start);
            status = 0;
            break;
        }
    }
    gst_object_unref(bus);
    gst_element_set_state(playbin, GST_STATE_NULL);
    gst_object_unref(playbin);
    return status;
}
