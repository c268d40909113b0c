// Bus messages of the pipeline, handled in one place on the pipeline's thread; errors mapped
// to the framework's codes.
#include "mafwgstcoverart_p.h"
#include "mafwgstlogging_p.h"
#include "mafwgstpipeline.h"

#include <gst/gst.h>
#include <gst/pbutils/pbutils.h>

#include <utility>

namespace {
const int FullBuffer = 100; // percent
}

void MafwGstPipeline::handleMessage(GstMessage* message, const QByteArray& from)
{
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_ERROR: {
        m_errored = true;
        GST_CAT_WARNING_OBJECT(kelmora_gst_debug, m_playbin, "error from %s (%s)",
                               GST_MESSAGE_SRC_NAME(message), from.constData());
        // With GST_DEBUG_DUMP_DOT_DIR set: the pipeline as it failed, for a graph viewer.
        GST_DEBUG_BIN_TO_DOT_FILE_WITH_TS(GST_BIN(m_playbin), GST_DEBUG_GRAPH_SHOW_ALL,
                                          "kelmora-error");
        // The next item is opened while the current one still plays: its failure is its own.
        // A stream since replaced may still post errors: they are not the current one's.
        const bool handed = m_handedUris.contains(from);
        if (m_failedUris.contains(from) || (!from.isEmpty() && !handed && from != m_encodedUri)) {
            break; // reported with its first error, or stale
        }
        if (handed) {
            const QByteArray next = from;
            m_handedUris.removeOne(next);
            m_failedUris.append(next);
            Q_EMIT nextFailed(next, mapError(message, QUrl::fromEncoded(next), false));
        } else {
            Q_EMIT failed(mapError(message, m_uri, m_hasPlayed));
        }
        break;
    }
    case GST_MESSAGE_EOS:
        handleEndOfStream();
        break;
    case GST_MESSAGE_TAG:
        handleTags(message);
        break;
    case GST_MESSAGE_BUFFERING:
        handleBuffering(message);
        break;
    case GST_MESSAGE_REQUEST_STATE: {
        GstState requested = GST_STATE_VOID_PENDING;
        gst_message_parse_request_state(message, &requested);
        Q_EMIT stateRequested(requested == GST_STATE_PLAYING);
        break;
    }
    case GST_MESSAGE_STREAM_START:
        handleStreamStart(message);
        break;
    case GST_MESSAGE_DURATION_CHANGED:
        if (m_prerolled) {
            queryDurationAndSeekability();
        }
        break;
    case GST_MESSAGE_ASYNC_DONE:
        handleAsyncDone();
        break;
    case GST_MESSAGE_STATE_CHANGED:
        if (GST_MESSAGE_SRC(message) == GST_OBJECT(m_playbin)) {
            handleStateChanged(message);
        }
        break;
    case GST_MESSAGE_ELEMENT:
        if (gst_is_missing_plugin_message(message)) {
            gchar* description = gst_missing_plugin_message_get_description(message);
            m_missingPlugin = QString::fromUtf8(description);
            g_free(description);
            // A decoder for text (a web page served as audio) is no missing plug-in.
            GstCaps* caps = nullptr;
            if (gst_structure_get(gst_message_get_structure(message), "detail", GST_TYPE_CAPS,
                                  &caps, nullptr) &&
                caps) {
                const GstStructure* first = gst_caps_get_structure(caps, 0);
                const QByteArray type = first ? gst_structure_get_name(first) : "";
                m_notMedia = type.startsWith("text/") || type.startsWith("application/xml") ||
                             type.startsWith("application/xhtml");
                gst_caps_unref(caps);
            }
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

void MafwGstPipeline::handleAsyncDone()
{
    // Prerolled; a change to PLAYING goes on from here on its own, and a pause asked before it
    // ends can hang playbin (seen when a short item's successor is being opened): the change
    // counts as under way until playbin reports PLAYING.
    GstState pending = GST_STATE_VOID_PENDING;
    gst_element_get_state(m_playbin, nullptr, &pending, 0);
    m_changing = m_requested == GST_STATE_PLAYING && pending == GST_STATE_PLAYING;
    driveState(); // what was asked meanwhile
    m_prerolled = true;
    m_started = true;
    if (m_handedUris.isEmpty()) {
        m_watchdog.stop();
    }
    m_seekingToMs = NoSeek;
    queryDurationAndSeekability();
    if (m_pendingSeekMs != NoSeek) {
        applyPendingSeek();
    } else if (m_target == TargetPaused) {
        Q_EMIT paused();
    }
}

void MafwGstPipeline::handleStateChanged(GstMessage* message)
{
    GstState oldState;
    GstState newState;
    GstState pending = GST_STATE_VOID_PENDING;
    gst_message_parse_state_changed(message, &oldState, &newState, &pending);
    // The end of a change to PLAYING (that of a pause is its ASYNC_DONE).
    if (m_changing && newState == GST_STATE_PLAYING && m_requested == GST_STATE_PLAYING &&
        pending == GST_STATE_VOID_PENDING) {
        m_changing = false;
        driveState();
        applyPendingSeek();
    }
    if (newState == GST_STATE_PLAYING && m_target == TargetPlaying) {
        m_hasPlayed = true;
        m_started = true;
        if (m_handedUris.isEmpty()) {
            m_watchdog.stop();
        }
        Q_EMIT playing();
    } else if (newState == GST_STATE_PAUSED && oldState == GST_STATE_PLAYING &&
               m_target == TargetPaused) {
        Q_EMIT paused();
    }
}

void MafwGstPipeline::handleStreamStart(GstMessage* message)
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
    if (!m_handedUris.isEmpty()) {
        m_encodedUri = m_handedUris.takeFirst();
        m_uri = QUrl::fromEncoded(m_encodedUri);
    }
    if (m_handedUris.isEmpty()) {
        m_watchdog.stop();
    } else {
        m_watchdog.start(m_startTimeoutMs);
    }
    m_duration = Unknown;
    m_seekable = Unknown;
    m_missingPlugin.clear();
    m_notMedia = false;
    m_switchedAt.invalidate();
    m_staleMs = qMax<qint64>(1, positionMs());
    m_switchedAt.start();
    Q_EMIT nextStreamStarted();
}

void MafwGstPipeline::handleEndOfStream()
{
    // A stream of unknown length does not end by itself: its connection went.
    if (isNetworkSource() && m_duration <= 0) {
        Q_EMIT failed(MafwError(MafwError::StreamEnded,
                                QStringLiteral("The stream %1 ended").arg(m_uri.toString())));
        return;
    }
    Q_EMIT ended();
}

void MafwGstPipeline::handleTags(GstMessage* message)
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
        if (value.isValid()) {
            Q_EMIT tagFound(QString::fromLatin1(entry.key), value);
        }
    }
    const QUrl stored = mafwGstStoreCoverArt(tags);
    if (!stored.isEmpty()) {
        Q_EMIT tagFound(QStringLiteral("image-url"), stored);
    }
    gst_tag_list_unref(tags);
}

void MafwGstPipeline::handleBuffering(GstMessage* message)
{
    gint percent = FullBuffer;
    gst_message_parse_buffering(message, &percent);
    Q_EMIT bufferingChanged(float(percent) / FullBuffer);
    // A buffer that fills is progress, however slowly.
    if (percent != std::exchange(m_lastFill, percent) && m_watchdog.isActive()) {
        m_watchdog.start(m_startTimeoutMs);
    }
    if (!isNetworkSource()) {
        return;
    }
    // Hold a network stream while it fills, so that it does not stutter (and not resume it
    // before it is full).
    m_buffering = percent < FullBuffer;
    driveState();
}

QByteArray MafwGstPipeline::streamUriOf(GstMessage* message)
{
    // Each item has its own decoding bin, which names its URI as it was given; asked on the
    // streaming thread that posts, while the element is still in its bin.
    QByteArray found;
    GstObject* object = GST_MESSAGE_SRC(message)
                            ? static_cast<GstObject*>(gst_object_ref(GST_MESSAGE_SRC(message)))
                            : nullptr;
    while (object && found.isEmpty()) {
        GstElementFactory* factory =
            GST_IS_ELEMENT(object) ? gst_element_get_factory(GST_ELEMENT(object)) : nullptr;
        if (factory && g_str_has_prefix(GST_OBJECT_NAME(factory), "uridecodebin")) {
            gchar* uri = nullptr;
            g_object_get(object, "uri", &uri, nullptr);
            found = uri;
            g_free(uri);
        }
        GstObject* parent = gst_object_get_parent(object);
        gst_object_unref(object);
        object = parent;
    }
    if (object) {
        gst_object_unref(object);
    }
    return found;
}

MafwError MafwGstPipeline::mapError(GstMessage* message, const QUrl& item, bool played) const
{
    GError* gerror = nullptr;
    gchar* debug = nullptr;
    gst_message_parse_error(message, &gerror, &debug);
    qCDebug(lcGst) << "GStreamer error:" << (gerror ? gerror->message : "") << debug;
    const QString uri = item.toString();
    const QString detail = QString::fromUtf8(gerror ? gerror->message : "unknown error");
    MafwError::Code code = MafwError::RendererFailure;
    QString text = QStringLiteral("%1: %2").arg(uri, detail);
    const bool network = isNetwork(item);
    if (m_notMedia) {
        code = MafwError::NotAMediaFile;
        text = QStringLiteral("%1 is no media file (%2)").arg(uri, m_missingPlugin);
    } else if (!m_missingPlugin.isEmpty() ||
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
        case GST_RESOURCE_ERROR_NOT_AUTHORIZED:
            code = !network ? MafwError::ResourceNotReadable
                   : played ? MafwError::ConnectionLost
                            : MafwError::ServerUnreachable;
            break;
        case GST_RESOURCE_ERROR_READ:
            // Over the network: the transfer began and broke off (a cut body that cannot be
            // resumed), whether or not playing had begun.
            code = network ? MafwError::ConnectionLost : MafwError::ResourceNotReadable;
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
            code = MafwError::CorruptStream;
            break;
        case GST_STREAM_ERROR_FAILED:
            // A network source that gave up before any data (a redirect loop, say) posts only
            // this; after data (a body that broke off) the connection was lost.
            code = !network                  ? MafwError::CorruptStream
                   : played || m_dataArrived ? MafwError::ConnectionLost
                                             : MafwError::ServerUnreachable;
            if (code == MafwError::ServerUnreachable) {
                // GStreamer's own words ("Internal data stream error.") tell a user nothing.
                text = QStringLiteral("%1: no data from the server (the connection was refused, "
                                      "the host could not be reached, or nothing was sent)")
                           .arg(uri);
            }
            break;
        default:
            break;
        }
    }
    g_clear_error(&gerror);
    g_free(debug);
    return MafwError(code, text);
}
