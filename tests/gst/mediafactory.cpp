#include "mediafactory.h"

#include <gst/gst.h>

namespace MediaFactory {

bool encode(const QString& description, const QString& path)
{
    gst_init(nullptr, nullptr);
    const QByteArray text = description.arg(path).toUtf8();
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(text.constData(), &error);
    if (!pipeline) {
        qWarning("cannot build %s: %s", text.constData(), error ? error->message : "");
        g_clear_error(&error);
        return false;
    }
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* message = gst_bus_timed_pop_filtered(
        bus, 30 * GST_SECOND, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool ok = message && GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
    if (message) {
        gst_message_unref(message);
    }
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return ok;
}

bool write(const QString& path, int milliseconds, const char* encoder, int frequency)
{
    return encode(QStringLiteral("audiotestsrc num-buffers=%2 samplesperbuffer=441 freq=%3 ! "
                                 "audio/x-raw,rate=44100,channels=2 ! taginject "
                                 "tags=\"title=Tone,artist=Kelmora\" ! audioconvert ! %4 ! "
                                 "filesink location=\"%1\"")
                      .arg(QStringLiteral("%1"), QString::number(milliseconds / 10),
                           QString::number(frequency), QLatin1String(encoder)),
                  path);
}

} // namespace MediaFactory
