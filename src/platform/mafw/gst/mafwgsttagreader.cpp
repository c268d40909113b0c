#include "mafwgsttagreader.h"

#include "mafwgstcoverart_p.h"
#include "mafwgstlogging_p.h"

#include <QFileInfo>
#include <gst/gst.h>
#include <gst/pbutils/pbutils.h>
#include <utility>

namespace {
constexpr int PollMs = 10;
// GLib sources dispatched per poll, so that a busy reader never holds the event loop long.
constexpr int DispatchesPerPoll = 32;

bool readable(const QUrl& uri)
{
    if (uri.isLocalFile()) {
        // A named pipe or a device would block the reader as it opens it.
        const QFileInfo info(uri.toLocalFile());
        return info.isFile() && info.isReadable();
    }
    return uri.scheme() == QLatin1String("http") || uri.scheme() == QLatin1String("https");
}

void addTags(const GstTagList* tags, QVariantMap* metadata)
{
    static const struct
    {
        const char* tag;
        const char* key;
    } known[] = {{GST_TAG_TITLE, "title"}, {GST_TAG_ARTIST, "artist"}, {GST_TAG_ALBUM, "album"}};
    for (const auto& entry : known) {
        gchar* text = nullptr;
        const QString key = QString::fromLatin1(entry.key);
        if (!metadata->contains(key) && gst_tag_list_get_string(tags, entry.tag, &text)) {
            metadata->insert(key, QString::fromUtf8(text));
        }
        g_free(text);
    }
    const QString imageKey = QStringLiteral("image-url");
    if (!metadata->contains(imageKey)) {
        const QUrl stored = mafwGstStoreCoverArt(tags);
        if (!stored.isEmpty()) {
            metadata->insert(imageKey, stored);
        }
    }
}
} // namespace

MafwGstTagReader::MafwGstTagReader(QObject* parent)
    : QObject(parent), m_context(g_main_context_new())
{
    m_poll.setInterval(PollMs);
    connect(&m_poll, &QTimer::timeout, this, &MafwGstTagReader::poll);
    // The discoverers attach their sources to the context current when they start.
    g_main_context_push_thread_default(m_context);
    for (Reader& reader : m_readers) {
        GError* error = nullptr;
        reader.discoverer = gst_discoverer_new(GstClockTime(TimeoutSeconds) * GST_SECOND, &error);
        if (!reader.discoverer) {
            qCWarning(lcGst) << "no tag reader:" << (error ? error->message : "");
            g_clear_error(&error);
            continue;
        }
        g_signal_connect(reader.discoverer, "discovered", G_CALLBACK(discovered), this);
        gst_discoverer_start(reader.discoverer);
    }
    g_main_context_pop_thread_default(m_context);
}

MafwGstTagReader::~MafwGstTagReader()
{
    for (Reader& reader : m_readers) {
        if (reader.discoverer) {
            g_signal_handlers_disconnect_by_data(reader.discoverer, this);
            gst_discoverer_stop(reader.discoverer);
            g_object_unref(reader.discoverer);
        }
    }
    g_main_context_unref(m_context);
}

bool MafwGstTagReader::request(const QUrl& uri, QObject* context,
                               MafwRenderer::MetadataAnswer answer)
{
    if (!context || !answer || !uri.isValid() || !readable(uri) || m_queue.size() >= MaxQueued ||
        !m_readers[0].discoverer) {
        return false;
    }
    m_queue.append({uri, context, std::move(answer)});
    // Started from the event loop: the answer never comes from inside the call.
    m_poll.start();
    return true;
}

void MafwGstTagReader::startNext()
{
    for (Reader& reader : m_readers) {
        if (!reader.discoverer || !reader.request.uri.isEmpty() || m_queue.isEmpty()) {
            continue;
        }
        reader.request = m_queue.takeFirst();
        if (!reader.request.context) {
            reader.request = Request();
            continue; // nobody waits for it
        }
        g_main_context_push_thread_default(m_context);
        const bool started = gst_discoverer_discover_uri_async(
            reader.discoverer, reader.request.uri.toEncoded().constData());
        g_main_context_pop_thread_default(m_context);
        if (!started) {
            m_answers.append({std::exchange(reader.request, Request()), QVariantMap()});
        }
    }
}

void MafwGstTagReader::poll()
{
    startNext();
    for (int i = 0; i < DispatchesPerPoll && g_main_context_iteration(m_context, FALSE); ++i) {
    }
    startNext();
    bool busy = !m_queue.isEmpty();
    for (const Reader& reader : m_readers) {
        busy = busy || !reader.request.uri.isEmpty();
    }
    if (!busy) {
        m_poll.stop();
    }
    // Emitted last: a receiver may ask again or delete the reader.
    const auto answers = std::exchange(m_answers, {});
    QPointer<MafwGstTagReader> alive(this);
    for (const auto& answer : answers) {
        if (!alive) {
            return;
        }
        if (answer.first.context) {
            answer.first.answer(answer.first.uri, answer.second);
        }
    }
}

void MafwGstTagReader::discovered(GstDiscoverer* discoverer, GstDiscovererInfo* info, void*,
                                  void* self)
{
    static_cast<MafwGstTagReader*>(self)->onDiscovered(discoverer, info);
}

void MafwGstTagReader::onDiscovered(GstDiscoverer* discoverer, GstDiscovererInfo* info)
{
    for (Reader& reader : m_readers) {
        if (reader.discoverer == discoverer && !reader.request.uri.isEmpty()) {
            m_answers.append({std::exchange(reader.request, Request()), metadataOf(info)});
        }
    }
}

QVariantMap MafwGstTagReader::metadataOf(GstDiscovererInfo* info)
{
    QVariantMap metadata;
    if (!info || gst_discoverer_info_get_result(info) != GST_DISCOVERER_OK) {
        return metadata;
    }
    GList* streams = gst_discoverer_info_get_stream_list(info);
    for (GList* s = streams; s; s = s->next) {
        const GstTagList* tags =
            gst_discoverer_stream_info_get_tags(static_cast<GstDiscovererStreamInfo*>(s->data));
        if (tags) {
            addTags(tags, &metadata);
        }
    }
    gst_discoverer_stream_info_list_free(streams);
    const GstClockTime duration = gst_discoverer_info_get_duration(info);
    if (GST_CLOCK_TIME_IS_VALID(duration) && duration > 0) {
        metadata.insert(QStringLiteral("duration"), int((duration + GST_SECOND / 2) / GST_SECOND));
    }
    return metadata;
}
