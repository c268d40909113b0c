// Writes the player's built-in sample: a few short Ogg Vorbis tracks with title, artist,
// album and cover art, and an M3U playlist of them. Run at build time:
// kelmora-samplemaker OUTPUT-DIRECTORY
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QtMath>

#include <gst/app/gstappsrc.h>
#include <gst/gst.h>
#include <gst/tag/tag.h>

#include <cstdio>

namespace {

constexpr int SampleRate = 22050;
constexpr int CoverSize = 128;
constexpr double NoteSeconds = 0.25;

struct Track
{
    const char* file;
    const char* title;
    QColor from;
    QColor to;
    // Notes as semitones above A3 (220 Hz); one every NoteSeconds.
    std::initializer_list<int> notes;
};

const Track tracks[] = {
    {"01-morning-steps.ogg",
     "Morning Steps",
     QColor(240, 170, 60),
     QColor(200, 60, 50),
     {3, 7, 10, 15, 10, 7, 3, 7, 10, 15, 19, 15, 10, 7, 3, 3}},
    {"02-harbour-waltz.ogg",
     "Harbour Waltz",
     QColor(60, 150, 220),
     QColor(30, 40, 120),
     {0, 7, 12, 5, 9, 12, 7, 11, 14, 0, 7, 12, 5, 12, 9, 0}},
    {"03-last-light.ogg",
     "Last Light",
     QColor(150, 90, 200),
     QColor(40, 20, 70),
     {19, 17, 15, 14, 12, 10, 8, 7, 12, 10, 8, 7, 5, 3, 2, 0}},
};
const char* const Artist = "The Kelmora Ensemble";
const char* const Album = "Kelmora Samples";

// Plucked notes: each decays, the next starts over it.
QByteArray synthesize(const Track& track)
{
    const int perNote = int(SampleRate * NoteSeconds);
    const int total = perNote * int(track.notes.size());
    QVector<double> mix(total, 0.0);
    int start = 0;
    for (int note : track.notes) {
        const double frequency = 220.0 * qPow(2.0, note / 12.0);
        const int length = qMin(total - start, perNote * 3);
        for (int i = 0; i < length; ++i) {
            const double t = double(i) / SampleRate;
            const double envelope = qExp(-4.0 * t) * qMin(1.0, i / 40.0);
            mix[start + i] +=
                envelope * (qSin(2 * M_PI * frequency * t) + 0.3 * qSin(4 * M_PI * frequency * t));
        }
        start += perNote;
    }
    QByteArray pcm(total * 2, Qt::Uninitialized);
    auto* out = reinterpret_cast<qint16*>(pcm.data());
    for (int i = 0; i < total; ++i) {
        out[i] = qint16(qBound(-32000.0, 9000.0 * mix[i], 32000.0));
    }
    return pcm;
}

QByteArray cover(const Track& track)
{
    QImage image(CoverSize, CoverSize, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, CoverSize, CoverSize);
    gradient.setColorAt(0, track.from);
    gradient.setColorAt(1, track.to);
    painter.fillRect(image.rect(), gradient);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(255, 255, 255, 200), 3));
    painter.setBrush(Qt::NoBrush);
    for (int ring = 1; ring <= 3; ++ring) {
        const int r = ring * CoverSize / 8;
        painter.drawEllipse(QPoint(CoverSize / 2, CoverSize / 2), r, r);
    }
    painter.end();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

bool encode(const Track& track, const QString& path)
{
    const QByteArray description =
        QStringLiteral("appsrc name=src format=time caps=audio/x-raw,format=S16LE,rate=%1,"
                       "channels=1,layout=interleaved ! audioconvert ! vorbisenc name=enc "
                       "quality=0.2 ! oggmux ! filesink name=sink")
            .arg(SampleRate)
            .toUtf8();
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(description.constData(), &error);
    if (!pipeline) {
        std::fprintf(stderr, "cannot build the encoder: %s\n", error ? error->message : "");
        g_clear_error(&error);
        return false;
    }
    GstElement* sink = gst_bin_get_by_name(GST_BIN(pipeline), "sink");
    g_object_set(sink, "location", QFile::encodeName(path).constData(), nullptr);
    gst_object_unref(sink);

    const QByteArray png = cover(track);
    GstSample* image =
        gst_tag_image_data_to_image_sample(reinterpret_cast<const guint8*>(png.constData()),
                                           guint(png.size()), GST_TAG_IMAGE_TYPE_FRONT_COVER);
    GstTagList* tags = gst_tag_list_new(GST_TAG_TITLE, track.title, GST_TAG_ARTIST, Artist,
                                        GST_TAG_ALBUM, Album, nullptr);
    if (image) {
        gst_tag_list_add(tags, GST_TAG_MERGE_APPEND, GST_TAG_IMAGE, image, nullptr);
        gst_sample_unref(image);
    }
    GstElement* encoder = gst_bin_get_by_name(GST_BIN(pipeline), "enc");
    gst_tag_setter_merge_tags(GST_TAG_SETTER(encoder), tags, GST_TAG_MERGE_REPLACE);
    gst_object_unref(encoder);
    gst_tag_list_unref(tags);

    GstElement* source = gst_bin_get_by_name(GST_BIN(pipeline), "src");
    const QByteArray pcm = synthesize(track);
    GstBuffer* buffer = gst_buffer_new_memdup(pcm.constData(), gsize(pcm.size()));
    GST_BUFFER_PTS(buffer) = 0;
    GST_BUFFER_DURATION(buffer) = gst_util_uint64_scale(pcm.size() / 2, GST_SECOND, SampleRate);
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    gst_app_src_push_buffer(GST_APP_SRC(source), buffer);
    gst_app_src_end_of_stream(GST_APP_SRC(source));
    gst_object_unref(source);

    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* message = gst_bus_timed_pop_filtered(
        bus, 60 * GST_SECOND, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool ok = message && GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
    if (message && !ok) {
        gst_message_parse_error(message, &error, nullptr);
        std::fprintf(stderr, "cannot encode %s: %s\n", qPrintable(path),
                     error ? error->message : "");
        g_clear_error(&error);
    }
    if (message) {
        gst_message_unref(message);
    }
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: kelmora-samplemaker OUTPUT-DIRECTORY\n");
        return 2;
    }
    gst_init(&argc, &argv);
    const QDir dir(QFile::decodeName(argv[1]));
    if (!QDir().mkpath(dir.path())) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    QByteArray playlist = "#EXTM3U\n";
    for (const Track& track : tracks) {
        if (!encode(track, dir.filePath(QString::fromLatin1(track.file)))) {
            return 1;
        }
        const int seconds = qRound(NoteSeconds * int(track.notes.size()));
        playlist += "#EXTINF:" + QByteArray::number(seconds) + ',' + Artist + " - " + track.title +
                    '\n' + track.file + '\n';
    }
    QFile m3u(dir.filePath(QStringLiteral("sample.m3u")));
    if (!m3u.open(QIODevice::WriteOnly) || m3u.write(playlist) != playlist.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(m3u.fileName()));
        return 1;
    }
    return 0;
}
