#include "mediafactory.h"

#include <QDataStream>
#include <QFile>
#include <QtMath>

#include <gst/gst.h>

namespace MediaFactory {

bool writeWav(const QString& path, int milliseconds, int frequency)
{
    const int rate = 44100;
    const int channels = 2;
    const quint32 frames = quint32(qint64(rate) * milliseconds / 1000);
    const quint32 dataSize = frames * channels * 2;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    QDataStream out(&file);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + dataSize);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(channels) << quint32(rate)
        << quint32(rate * channels * 2) << quint16(channels * 2) << quint16(16);
    out.writeRawData("data", 4);
    out << dataSize;
    for (quint32 i = 0; i < frames; ++i) {
        const auto sample = qint16(8000 * qSin(2 * M_PI * frequency * i / rate));
        out << sample << sample;
    }
    return out.status() == QDataStream::Ok;
}

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

bool writeVorbis(const QString& path, int milliseconds)
{
    const int buffers = milliseconds / 10;
    return encode(
        QStringLiteral(
            "audiotestsrc num-buffers=%1 samplesperbuffer=441 ! "
            "audio/x-raw,rate=44100,channels=2 ! taginject tags=\"title=Tone,artist=Kelmora\" ! "
            "audioconvert ! vorbisenc ! "
            "oggmux ! filesink location=\"%2\"")
            .arg(buffers)
            .arg(QStringLiteral("%1")),
        path);
}

} // namespace MediaFactory
