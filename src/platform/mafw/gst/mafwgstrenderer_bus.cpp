// Bus messages of the GStreamer renderer: brought to the renderer's thread and handled in one
// place; errors mapped to the framework's codes.
#include "mafwgstlogging_p.h"
#include "mafwgstrenderer_p.h"

#include <mafwplaylist.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QSaveFile>
#include <QStandardPaths>

#include <gst/pbutils/pbutils.h>

QEvent::Type MafwGstBusEvent::eventType()
{
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

QEvent::Type MafwGstHandOverEvent::eventType()
{
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

GstBusSyncReply MafwGstRendererHooks::busSync(GstBus*, GstMessage* message, gpointer data)
{
    auto* self = static_cast<MafwGstRenderer*>(data);
    QCoreApplication::postEvent(self, new MafwGstBusEvent(message, self->m_generation.load()));
    return GST_BUS_DROP;
}

void MafwGstRendererHooks::aboutToFinish(GstElement* playbin, gpointer data)
{
    auto* self = static_cast<MafwGstRenderer*>(data);
    MafwGstNextItem* queue = self->m_next.exchange(nullptr);
    if (!queue) {
        return;
    }
    if (queue->generation != self->m_generation.load() || queue->uris.isEmpty()) {
        delete queue;
        return;
    }
    const QByteArray uri = queue->uris.takeFirst();
    const int index = queue->indexes.takeFirst();
    g_object_set(playbin, "uri", uri.constData(), nullptr);
    QCoreApplication::postEvent(self, new MafwGstHandOverEvent(uri, index, queue->generation));
    // The rest stays on offer, unless the renderer offered a newer queue meanwhile.
    MafwGstNextItem* expected = nullptr;
    if (queue->uris.isEmpty() || !self->m_next.compare_exchange_strong(expected, queue)) {
        delete queue;
    }
}

void MafwGstRendererHooks::deepElementAdded(GstBin*, GstBin*, GstElement* element, gpointer)
{
    // The sound server's role: its cork-on-phone-call rule applies to music streams.
    if (g_object_class_find_property(G_OBJECT_GET_CLASS(element), "stream-properties")) {
        GstStructure* properties =
            gst_structure_new("props", "media.role", G_TYPE_STRING, "music", nullptr);
        g_object_set(element, "stream-properties", properties, nullptr);
        gst_structure_free(properties);
    }
}

bool MafwGstRenderer::event(QEvent* event)
{
    if (event->type() == MafwGstBusEvent::eventType()) {
        auto* bus = static_cast<MafwGstBusEvent*>(event);
        if (bus->generation == m_generation.load()) {
            handleMessage(bus->message);
        }
        return true;
    }
    if (event->type() == MafwGstHandOverEvent::eventType()) {
        auto* handOver = static_cast<MafwGstHandOverEvent*>(event);
        if (handOver->generation == m_generation.load()) {
            // Offered before the order changed, it may no longer be the item that follows.
            const int expected =
                (m_handedOver.isEmpty() ? currentIndex() : m_handedOver.last().index) + 1;
            if (m_staleHandOvers == 0 && uriAt(expected).toEncoded() == handOver->uri) {
                m_handedOver.append({uriAt(expected), expected});
            } else {
                ++m_staleHandOvers;
                delete m_next.exchange(nullptr);
            }
        }
        return true;
    }
    return MafwRenderer::event(event);
}

void MafwGstRenderer::handleMessage(GstMessage* message)
{
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_ERROR:
        handleError(message);
        break;
    case GST_MESSAGE_EOS:
        handleEndOfStream();
        break;
    case GST_MESSAGE_TAG:
        handleTags(message);
        break;
    case GST_MESSAGE_BUFFERING:
        handleBuffering(message);
        break;
    case GST_MESSAGE_REQUEST_STATE:
        handleRequestState(message);
        break;
    case GST_MESSAGE_STREAM_START:
        handleStreamStart(message);
        break;
    case GST_MESSAGE_DURATION_CHANGED:
        if (m_prerolled) {
            queryDurationAndSeekability();
        }
        break;
    case GST_MESSAGE_ASYNC_DONE:
        m_prerolled = true;
        m_seekingToMs = -1;
        queryDurationAndSeekability();
        if (m_pendingSeekMs >= 0) {
            applyPendingSeek();
        } else if (m_target == TargetPaused) {
            setState(Paused);
        }
        break;
    case GST_MESSAGE_STATE_CHANGED:
        if (GST_MESSAGE_SRC(message) == GST_OBJECT(m_pipeline)) {
            GstState oldState;
            GstState newState;
            gst_message_parse_state_changed(message, &oldState, &newState, nullptr);
            handlePipelineState(oldState, newState);
        }
        break;
    case GST_MESSAGE_ELEMENT:
        if (gst_is_missing_plugin_message(message)) {
            gchar* description = gst_missing_plugin_message_get_description(message);
            m_missingPlugin = QString::fromUtf8(description);
            g_free(description);
        }
        break;
    case GST_MESSAGE_WARNING: {
        GError* error = nullptr;
        gst_message_parse_warning(message, &error, nullptr);
        qCDebug(lcGst) << "GStreamer warning:" << (error ? error->message : "");
        g_clear_error(&error);
        break;
    }
    default:
        break;
    }
}

void MafwGstRenderer::handlePipelineState(int oldState, int newState)
{
    if (newState == GST_STATE_PLAYING && m_target == TargetPlaying) {
        m_hasPlayed = true;
        setState(Playing);
    } else if (newState == GST_STATE_PAUSED && oldState == GST_STATE_PLAYING &&
               m_target == TargetPaused) {
        setState(Paused);
    }
}

void MafwGstRenderer::handleStreamStart(GstMessage* message)
{
    // The hand-over can come before the current item has even started (a small file is read
    // at once); only a new stream group is the next item.
    guint group = 0;
    const bool hasGroup = gst_message_parse_group_id(message, &group);
    if (!m_groupKnown || !hasGroup) {
        m_groupKnown = hasGroup;
        m_group = group;
        return;
    }
    if (group == m_group) {
        return;
    }
    m_group = group;
    if (m_handedOver.isEmpty()) {
        if (m_staleHandOvers > 0) {
            // Handed over before the order changed: go to the item that follows now instead.
            const int next = nextIndex();
            next >= 0 ? void(moveTo(next)) : finish();
        }
        return;
    }
    // The handed-over item really starts now.
    const int index = m_handedOver.takeFirst().index;
    if (m_source == PlaylistSource && m_playlist) {
        m_index = index;
        m_playlist->setCurrentIndex(m_index);
    } else {
        m_entry = index;
    }
    m_duration = -1;
    m_seekable = -1;
    m_tags.clear();
    m_missingPlugin.clear();
    reportMedia();
    queryDurationAndSeekability();
}

bool MafwGstRenderer::isNetworkSource() const
{
    static const QStringList local{QStringLiteral("file"), QStringLiteral("qrc"),
                                   QStringLiteral("data")};
    const QString scheme = currentUri().scheme().toLower();
    return !scheme.isEmpty() && !local.contains(scheme);
}

void MafwGstRenderer::handleEndOfStream()
{
    // A stream of unknown length does not end by itself: its connection went.
    if (isNetworkSource() && m_duration <= 0) {
        fail(MafwError(MafwError::StreamEnded,
                       QStringLiteral("The stream %1 ended").arg(currentUri().toString())));
        return;
    }
    // The hand-over did not happen (the queue changed too late): start it the slow way.
    const int next = nextIndex();
    if (next >= 0) {
        moveTo(next);
        return;
    }
    finish();
}

void MafwGstRenderer::handleTags(GstMessage* message)
{
    GstTagList* tags = nullptr;
    gst_message_parse_tag(message, &tags);
    static const struct
    {
        const char* tag;
        const char* key;
    } known[] = {{GST_TAG_TITLE, "title"},
                 {GST_TAG_ARTIST, "artist"},
                 {GST_TAG_ALBUM, "album"},
                 {GST_TAG_GENRE, "genre"},
                 {GST_TAG_TRACK_NUMBER, "track-number"}};
    for (const auto& entry : known) {
        QVariant value;
        if (gst_tag_get_type(entry.tag) == G_TYPE_UINT) {
            guint number = 0;
            if (gst_tag_list_get_uint(tags, entry.tag, &number)) {
                value = number;
            }
        } else {
            gchar* text = nullptr;
            if (gst_tag_list_get_string(tags, entry.tag, &text)) {
                value = QString::fromUtf8(text);
                g_free(text);
            }
        }
        setTag(QString::fromLatin1(entry.key), value);
    }
    GstSample* image = nullptr;
    if (gst_tag_list_get_sample(tags, GST_TAG_IMAGE, &image) ||
        gst_tag_list_get_sample(tags, GST_TAG_PREVIEW_IMAGE, &image)) {
        const QUrl stored = storeImage(image);
        if (!stored.isEmpty()) {
            setTag(QStringLiteral("image-url"), stored);
        }
        gst_sample_unref(image);
    }
    gst_tag_list_unref(tags);
}

void MafwGstRenderer::setTag(const QString& key, const QVariant& value)
{
    if (value.isValid() && m_tags.value(key) != value) {
        m_tags.insert(key, value);
        Q_EMIT metadataChanged(key, {value});
    }
}

// Embedded cover art goes to a file named after its content in the cache, so that the same
// picture is written once and applications get a URL like any other image.
QUrl MafwGstRenderer::storeImage(GstSample* sample)
{
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    GstMapInfo map;
    if (!buffer || !gst_buffer_map(buffer, &map, GST_MAP_READ)) {
        return QUrl();
    }
    const QByteArray bytes(reinterpret_cast<const char*>(map.data), int(map.size));
    gst_buffer_unmap(buffer, &map);
    const GstStructure* caps = gst_caps_get_structure(gst_sample_get_caps(sample), 0);
    const QString type = QString::fromUtf8(caps ? gst_structure_get_name(caps) : "");
    const QString suffix = type == QLatin1String("image/png")    ? QStringLiteral(".png")
                           : type == QLatin1String("image/jpeg") ? QStringLiteral(".jpg")
                                                                 : QStringLiteral(".img");
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                        QStringLiteral("/kelmora/covers");
    const QString path =
        dir + QLatin1Char('/') +
        QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex()) +
        suffix;
    if (!QFile::exists(path)) {
        QSaveFile file(path);
        if (!QDir().mkpath(dir) || !file.open(QIODevice::WriteOnly) || file.write(bytes) < 0 ||
            !file.commit()) {
            qCWarning(lcGst).noquote() << QStringLiteral("cannot store cover art in %1").arg(dir);
            return QUrl();
        }
    }
    return QUrl::fromLocalFile(path);
}

void MafwGstRenderer::handleBuffering(GstMessage* message)
{
    gint percent = 100;
    gst_message_parse_buffering(message, &percent);
    Q_EMIT bufferingInfo(float(percent) / 100.0f);
    if (!isNetworkSource() || m_target != TargetPlaying) {
        return;
    }
    // Hold a network stream while it fills, so that it does not stutter.
    if (percent < 100 && !m_buffering) {
        m_buffering = true;
        gst_element_set_state(m_pipeline, GST_STATE_PAUSED);
    } else if (percent >= 100 && m_buffering) {
        m_buffering = false;
        gst_element_set_state(m_pipeline, GST_STATE_PLAYING);
    }
}

void MafwGstRenderer::handleRequestState(GstMessage* message)
{
    GstState requested = GST_STATE_VOID_PENDING;
    gst_message_parse_request_state(message, &requested);
    if (requested == GST_STATE_PLAYING) {
        if (m_policyPaused) {
            m_policyPaused = false;
            Q_EMIT mafwPropertyChanged(MAFW_RENDERER_PROPERTY_POLICY_OVERRIDE, false);
        }
        return;
    }
    if (m_state == Playing || m_state == Transitioning) {
        m_policyPaused = true;
        m_target = TargetPaused;
        gst_element_set_state(m_pipeline, GST_STATE_PAUSED);
        Q_EMIT mafwPropertyChanged(MAFW_RENDERER_PROPERTY_POLICY_OVERRIDE, true);
    }
}

MafwError MafwGstRenderer::mapError(GstMessage* message) const
{
    GError* gerror = nullptr;
    gchar* debug = nullptr;
    gst_message_parse_error(message, &gerror, &debug);
    qCDebug(lcGst) << "GStreamer error:" << (gerror ? gerror->message : "") << debug;
    const QString uri = currentUri().toString();
    const QString detail = QString::fromUtf8(gerror ? gerror->message : "unknown error");
    MafwError::Code code = MafwError::RendererFailure;
    QString text = QStringLiteral("%1: %2").arg(uri, detail);
    const bool network = isNetworkSource();
    if (!m_missingPlugin.isEmpty() ||
        g_error_matches(gerror, GST_CORE_ERROR, GST_CORE_ERROR_MISSING_PLUGIN) ||
        g_error_matches(gerror, GST_STREAM_ERROR, GST_STREAM_ERROR_CODEC_NOT_FOUND)) {
        code = MafwError::MissingDecoder;
        text = QStringLiteral("%1: no decoder is installed for %2")
                   .arg(uri, m_missingPlugin.isEmpty() ? detail : m_missingPlugin);
    } else if (gerror && gerror->domain == GST_RESOURCE_ERROR) {
        switch (gerror->code) {
        case GST_RESOURCE_ERROR_NOT_FOUND:
            code = MafwError::ResourceNotFound;
            break;
        case GST_RESOURCE_ERROR_OPEN_READ:
        case GST_RESOURCE_ERROR_OPEN_READ_WRITE:
        case GST_RESOURCE_ERROR_READ:
        case GST_RESOURCE_ERROR_NOT_AUTHORIZED:
            code = !network      ? MafwError::ResourceNotReadable
                   : m_hasPlayed ? MafwError::ConnectionLost
                                 : MafwError::ServerUnreachable;
            break;
        default:
            break;
        }
    } else if (gerror && gerror->domain == GST_STREAM_ERROR) {
        switch (gerror->code) {
        case GST_STREAM_ERROR_TYPE_NOT_FOUND:
            code = MafwError::NotAMediaFile;
            break;
        case GST_STREAM_ERROR_DECODE:
        case GST_STREAM_ERROR_DEMUX:
        case GST_STREAM_ERROR_FORMAT:
        case GST_STREAM_ERROR_WRONG_TYPE:
        case GST_STREAM_ERROR_FAILED:
            code = MafwError::CorruptStream;
            break;
        default:
            break;
        }
    }
    g_clear_error(&gerror);
    g_free(debug);
    return MafwError(code, text);
}

void MafwGstRenderer::handleError(GstMessage* message)
{
    MafwError failure = mapError(message);
    // A playlist file's entries are mirrors: try the next one until one starts.
    if (m_source == PlaylistUrlSource && !m_hasPlayed) {
        m_entryErrors += failure.message() + QLatin1Char('\n');
        if (m_entry + 1 < m_entries.size()) {
            qCDebug(lcGst) << "entry failed, trying the next:" << failure.message();
            startPlaylistEntry(m_entry + 1, TargetPlaying);
            return;
        }
        if (m_entries.size() > 1) {
            failure = MafwError(MafwError::NoPlayableEntry,
                                QStringLiteral("No entry of %1 could be played:\n%2")
                                    .arg(m_playlistUrl.toString(), m_entryErrors.trimmed()));
        }
    }
    fail(failure);
}
