// Playbin, its sinks, the hand-over to the streaming thread, seeks and queries.
#include "mafwgstpipeline.h"

#include "mafwgstlogging_p.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QFileInfo>

#include <gst/base/gsttypefindhelper.h>
#include <gst/gst.h>

// The items that follow the current one, offered for the gapless hand-over; owned by
// whoever took it from the pipeline.
struct MafwGstOffer
{
    QList<QByteArray> uris;
    int generation;
};

namespace {

const char* const FakeSink = "fakesink sync=true";

// An event of a type of its own, registered on first use.
template <typename Derived> class OwnTypeEvent : public QEvent
{
public:
    static QEvent::Type eventType()
    {
        static const auto type = QEvent::Type(QEvent::registerEventType());
        return type;
    }

protected:
    OwnTypeEvent() : QEvent(eventType()) {}
};

// A bus message brought to the pipeline's thread, tagged with the stream generation. It takes
// over the reference the sync handler owns when it drops the message from the bus.
class BusEvent : public OwnTypeEvent<BusEvent>
{
public:
    BusEvent(GstMessage* busMessage, int busGeneration, const QByteArray& origin)
        : message(busMessage), generation(busGeneration), from(origin)
    {
    }
    ~BusEvent() override { gst_message_unref(message); }
    GstMessage* const message;
    const int generation;
    const QByteArray from; // the item an error comes from
};

// The streaming thread took the next item: it starts at the next stream group.
class HandOverEvent : public OwnTypeEvent<HandOverEvent>
{
public:
    HandOverEvent(const QByteArray& nextUri, int nextGeneration)
        : uri(nextUri), generation(nextGeneration)
    {
    }
    const QByteArray uri;
    const int generation;
};

// A failure found before GStreamer was asked, reported like one of its errors.
class FailureEvent : public OwnTypeEvent<FailureEvent>
{
public:
    FailureEvent(const MafwError& failure, int failureGeneration)
        : error(failure), generation(failureGeneration)
    {
    }
    const MafwError error;
    const int generation;
};

// Bytes read to tell the type of an item before it is handed over.
const qint64 TypeFindBytes = 16 * 1024;

// Whether a handed-over item is likely to start: a failing one posts no end for the item
// playing, so a local file that is no media file is left for a clean start instead.
bool worthHandingOver(const QByteArray& uri)
{
    const QUrl url = QUrl::fromEncoded(uri);
    if (!url.isLocalFile()) {
        return true;
    }
    if (MafwGstPipeline::localFileProblem(url).code() != MafwError::NoError) {
        return false;
    }
    QFile file(url.toLocalFile());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        return false;
    }
    const QByteArray head = file.read(TypeFindBytes);
    if (head.isEmpty()) {
        return false;
    }
    GstCaps* caps = gst_type_find_helper_for_data(
        nullptr, reinterpret_cast<const guint8*>(head.constData()), gsize(head.size()), nullptr);
    if (!caps) {
        return false;
    }
    const GstStructure* first =
        gst_caps_get_size(caps) > 0 ? gst_caps_get_structure(caps, 0) : nullptr;
    const QByteArray type = first ? gst_structure_get_name(first) : "";
    gst_caps_unref(caps);
    return !type.isEmpty() && !type.startsWith("text/") && !type.startsWith("image/");
}

// A server that does not say it accepts byte ranges answers a range request with the whole
// body again, which fails the stream: its source then refuses seeks and says it cannot seek.
const char* const NoRanges = "kelmora-no-ranges";

gboolean acceptsBytes(GQuark field, const GValue* value, gpointer data)
{
    if (g_ascii_strcasecmp(g_quark_to_string(field), "Accept-Ranges") == 0 &&
        G_VALUE_HOLDS_STRING(value) && g_strrstr(g_value_get_string(value), "bytes")) {
        *static_cast<bool*>(data) = true;
    }
    return TRUE;
}

GstPadProbeReturn watchHeaders(GstPad* pad, GstPadProbeInfo* info, gpointer)
{
    const GstStructure* headers = gst_event_get_structure(GST_PAD_PROBE_INFO_EVENT(info));
    if (headers && gst_structure_has_name(headers, "http-headers")) {
        const GValue* response = gst_structure_get_value(headers, "response-headers");
        bool ranges = false;
        if (response && GST_VALUE_HOLDS_STRUCTURE(response)) {
            gst_structure_foreach(gst_value_get_structure(response), acceptsBytes, &ranges);
        }
        g_object_set_data(G_OBJECT(pad), NoRanges, GINT_TO_POINTER(ranges ? 0 : 1));
    }
    return GST_PAD_PROBE_OK;
}

GstPadProbeReturn refuseSeeks(GstPad* pad, GstPadProbeInfo* info, gpointer)
{
    if (!g_object_get_data(G_OBJECT(pad), NoRanges)) {
        return GST_PAD_PROBE_OK;
    }
    // A dropped seek event would still count as done: seeks are kept from the stream instead.
    GstQuery* query = GST_PAD_PROBE_INFO_QUERY(info);
    if (GST_QUERY_TYPE(query) != GST_QUERY_SEEKING) {
        return GST_PAD_PROBE_OK;
    }
    GstFormat format = GST_FORMAT_BYTES;
    gst_query_parse_seeking(query, &format, nullptr, nullptr, nullptr);
    gst_query_set_seeking(query, format, FALSE, 0, -1);
    return GST_PAD_PROBE_HANDLED;
}

GstElement* sinkFromDescription(const QByteArray& description)
{
    GError* error = nullptr;
    GstElement* sink = gst_parse_bin_from_description(description.constData(), TRUE, &error);
    if (!sink) {
        qCWarning(lcGst).noquote() << QStringLiteral("invalid sink \"%1\": %2; using a fake sink")
                                          .arg(QString::fromUtf8(description),
                                               QString::fromUtf8(error ? error->message : ""));
        g_clear_error(&error);
        sink = gst_parse_bin_from_description(FakeSink, TRUE, nullptr);
    }
    return sink;
}

// True when the automatic audio sink finds no device and falls back to a fake one.
bool noAudioDevice()
{
    GstElement* probe = gst_element_factory_make("autoaudiosink", nullptr);
    if (!probe) {
        return true;
    }
    bool fake = true;
    if (gst_element_set_state(probe, GST_STATE_READY) != GST_STATE_CHANGE_FAILURE) {
        fake = false;
        GstIterator* it = gst_bin_iterate_elements(GST_BIN(probe));
        GValue item = G_VALUE_INIT;
        while (gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
            GstElement* child = GST_ELEMENT(g_value_get_object(&item));
            GstElementFactory* factory = gst_element_get_factory(child);
            if (factory && g_strcmp0(GST_OBJECT_NAME(factory), "fakesink") == 0) {
                fake = true;
            }
            g_value_reset(&item);
        }
        g_value_unset(&item);
        gst_iterator_free(it);
    }
    gst_element_set_state(probe, GST_STATE_NULL);
    gst_object_unref(probe);
    return fake;
}

GstElement* makeAudioSink()
{
    const QByteArray description = qgetenv("KELMORA_AUDIO_SINK");
    if (!description.isEmpty()) {
        return sinkFromDescription(description);
    }
    static const bool fake = noAudioDevice();
    static bool warned = false;
    if (fake) {
        if (!warned) {
            warned = true;
            qCWarning(lcGst) << "no audio output device found; playing to a fake sink";
        }
        return sinkFromDescription(FakeSink);
    }
    return gst_element_factory_make("autoaudiosink", nullptr);
}

GstElement* makeVideoSink()
{
    const QByteArray description = qgetenv("KELMORA_VIDEO_SINK");
    if (!description.isEmpty()) {
        return sinkFromDescription(description);
    }
    return gst_element_factory_make("autovideosink", nullptr);
}

} // namespace

// Callbacks GStreamer calls, on streaming threads.
struct MafwGstPipelineHooks
{
    static GstBusSyncReply busSync(GstBus*, GstMessage* message, gpointer data)
    {
        auto* self = static_cast<MafwGstPipeline*>(data);
        const QByteArray from = GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR
                                    ? MafwGstPipeline::streamUriOf(message)
                                    : QByteArray();
        QCoreApplication::postEvent(self, new BusEvent(message, self->m_generation.load(), from));
        return GST_BUS_DROP;
    }

    static void aboutToFinish(GstElement* playbin, gpointer data)
    {
        auto* self = static_cast<MafwGstPipeline*>(data);
        MafwGstOffer* offer = self->m_offer.exchange(nullptr);
        if (!offer) {
            return;
        }
        if (offer->generation != self->m_generation.load() || offer->uris.isEmpty()) {
            delete offer;
            return;
        }
        const QByteArray uri = offer->uris.takeFirst();
        if (!worthHandingOver(uri)) {
            delete offer; // the current item ends; the renderer starts this one cleanly
            return;
        }
        g_object_set(playbin, "uri", uri.constData(), nullptr);
        QCoreApplication::postEvent(self, new HandOverEvent(uri, offer->generation));
        // The rest stays on offer, unless a newer offer came meanwhile.
        MafwGstOffer* expected = nullptr;
        if (offer->uris.isEmpty() || !self->m_offer.compare_exchange_strong(expected, offer)) {
            delete offer;
        }
    }

    // An image is no item: playbin would show it as a still picture and end at once.
    static void haveType(GstElement* typefind, guint, GstCaps* caps, gpointer)
    {
        const GstStructure* first =
            gst_caps_get_size(caps) > 0 ? gst_caps_get_structure(caps, 0) : nullptr;
        if (first && g_str_has_prefix(gst_structure_get_name(first), "image/")) {
            GError* error = g_error_new_literal(GST_STREAM_ERROR, GST_STREAM_ERROR_TYPE_NOT_FOUND,
                                                "an image, not audio or video");
            gst_element_post_message(typefind,
                                     gst_message_new_error(GST_OBJECT(typefind), error, nullptr));
            g_error_free(error);
        }
    }

    // The server sent data: a failure from now on is a lost connection.
    static GstPadProbeReturn dataArrived(GstPad*, GstPadProbeInfo*, gpointer data)
    {
        static_cast<MafwGstPipeline*>(data)->m_dataArrived = true;
        return GST_PAD_PROBE_REMOVE;
    }

    static void deepElementAdded(GstBin*, GstBin*, GstElement* element, gpointer data)
    {
        // An HTTP source that goes quiet fails after the stall timeout, once, not after its
        // default retries.
        GstElementFactory* factory = gst_element_get_factory(element);
        if (factory && g_strcmp0(GST_OBJECT_NAME(factory), "typefind") == 0) {
            g_signal_connect(element, "have-type", G_CALLBACK(haveType), nullptr);
        }
        if (factory && g_strcmp0(GST_OBJECT_NAME(factory), "souphttpsrc") == 0) {
            const auto* self = static_cast<MafwGstPipeline*>(data);
            g_object_set(element, "timeout", guint(self->m_stallTimeout.load()), "retries", 0,
                         nullptr);
            GstPad* pad = gst_element_get_static_pad(element, "src");
            if (pad) {
                gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM, watchHeaders, nullptr,
                                  nullptr);
                gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, dataArrived, data, nullptr);
                gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_QUERY_UPSTREAM, refuseSeeks, nullptr,
                                  nullptr);
                gst_object_unref(pad);
            }
        }
        // The sound server's role: its cork-on-phone-call rule applies to music streams.
        if (g_object_class_find_property(G_OBJECT_GET_CLASS(element), "stream-properties")) {
            GstStructure* properties =
                gst_structure_new("props", "media.role", G_TYPE_STRING, "music", nullptr);
            g_object_set(element, "stream-properties", properties, nullptr);
            gst_structure_free(properties);
        }
    }
};

MafwGstPipeline::MafwGstPipeline(QObject* parent) : QObject(parent)
{
    m_watchdog.setSingleShot(true);
    connect(&m_watchdog, &QTimer::timeout, this, &MafwGstPipeline::checkProgress);
}

MafwGstPipeline::~MafwGstPipeline()
{
    if (m_playbin) {
        gst_element_set_state(m_playbin, GST_STATE_NULL);
        GstBus* bus = gst_element_get_bus(m_playbin);
        gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
        gst_object_unref(bus);
        g_signal_handlers_disconnect_by_data(m_playbin, this);
        gst_object_unref(m_playbin);
    }
    delete m_offer.exchange(nullptr);
}

GstElement* MafwGstPipeline::element()
{
    if (m_playbin) {
        return m_playbin;
    }
    m_playbin = gst_element_factory_make("playbin", nullptr);
    if (!m_playbin) {
        qCWarning(lcGst) << "GStreamer's playbin is not installed";
        return nullptr;
    }
    gst_object_ref_sink(m_playbin);
    g_object_set(m_playbin, "audio-sink", makeAudioSink(), "video-sink", makeVideoSink(), "volume",
                 m_volume, nullptr);
    g_signal_connect(m_playbin, "about-to-finish", G_CALLBACK(MafwGstPipelineHooks::aboutToFinish),
                     this);
    g_signal_connect(m_playbin, "deep-element-added",
                     G_CALLBACK(MafwGstPipelineHooks::deepElementAdded), this);
    GstBus* bus = gst_element_get_bus(m_playbin);
    gst_bus_set_sync_handler(bus, MafwGstPipelineHooks::busSync, this, nullptr);
    gst_object_unref(bus);
    return m_playbin;
}

void MafwGstPipeline::setVolume(double volume)
{
    m_volume = qBound(0.0, volume, 1.0);
    if (m_playbin) {
        g_object_set(m_playbin, "volume", m_volume, nullptr);
    }
}

bool MafwGstPipeline::event(QEvent* event)
{
    if (event->type() == BusEvent::eventType()) {
        auto* bus = static_cast<BusEvent*>(event);
        if (bus->generation == m_generation.load()) {
            handleMessage(bus->message, bus->from);
        }
        return true;
    }
    if (event->type() == HandOverEvent::eventType()) {
        auto* handOver = static_cast<HandOverEvent*>(event);
        if (handOver->generation == m_generation.load()) {
            m_handedUris.append(handOver->uri);
            watchProgress();
            Q_EMIT handedOver(handOver->uri);
        }
        return true;
    }
    if (event->type() == FailureEvent::eventType()) {
        auto* failure = static_cast<FailureEvent*>(event);
        if (failure->generation == m_generation.load()) {
            Q_EMIT failed(failure->error);
        }
        return true;
    }
    return QObject::event(event);
}

void MafwGstPipeline::reset(bool release)
{
    if (m_playbin) {
        gst_element_set_state(m_playbin, release ? GST_STATE_NULL : GST_STATE_READY);
    }
    // Messages still on their way from the old stream are dropped from here on.
    ++m_generation;
    delete m_offer.exchange(nullptr);
    m_target = TargetPlaying;
    m_uri.clear();
    m_encodedUri.clear();
    m_handedUris.clear();
    m_failedUris.clear();
    m_groupKnown = false;
    m_prerolled = false;
    m_hasPlayed = false;
    m_buffering = false;
    m_requested = release ? GST_STATE_NULL : GST_STATE_READY;
    m_changing = false;
    m_pendingSeekMs = NoSeek;
    m_seekingToMs = NoSeek;
    m_duration = Unknown;
    m_seekable = Unknown;
    m_missingPlugin.clear();
    m_notMedia = false;
    m_refused = false;
    m_errored = false;
    m_dataArrived = false;
    m_switchedAt.invalidate();
    m_watchdog.stop();
    m_started = false;
    m_watchedMs = NoSeek;
    m_lastFill = -1;
}

bool MafwGstPipeline::load(const QUrl& uri, Target target)
{
    if (!element()) {
        return false;
    }
    // After an error playbin keeps parts of the failed stream until it is taken down whole.
    reset(m_errored);
    m_target = target;
    m_uri = uri;
    // Only regular files reach GStreamer: its file source would open a named pipe or a device
    // inside a state change, on this thread, and wait there for ever.
    const MafwError problem = localFileProblem(uri);
    if (problem.code() != MafwError::NoError) {
        m_refused = true;
        QCoreApplication::postEvent(this, new FailureEvent(problem, m_generation.load()));
        return true;
    }
    m_encodedUri = uri.toEncoded();
    GST_CAT_INFO_OBJECT(kelmora_gst_debug, m_playbin, "load %s", m_encodedUri.constData());
    g_object_set(m_playbin, "uri", m_encodedUri.constData(), nullptr);
    m_watchdog.start(m_startTimeoutMs);
    return true;
}

void MafwGstPipeline::watchProgress()
{
    if (!m_watchdog.isActive()) {
        m_watchedMs = positionMs();
        m_watchdog.start(m_startTimeoutMs);
    }
}

void MafwGstPipeline::checkProgress()
{
    if (!m_started) {
        m_errored = true; // taken down whole before the next load
        Q_EMIT failed(noProgress(m_uri));
        return;
    }
    if (m_handedUris.isEmpty()) {
        return;
    }
    // A handed-over item that never starts holds the item before at its end, without an end.
    const qint64 at = positionMs();
    if (m_target != TargetPlaying || m_buffering || at != m_watchedMs) {
        m_watchedMs = at;
        m_watchdog.start(m_startTimeoutMs);
        return;
    }
    const QByteArray next = m_handedUris.takeFirst();
    m_failedUris.append(next);
    Q_EMIT nextFailed(next, noProgress(QUrl::fromEncoded(next)));
}

MafwError MafwGstPipeline::noProgress(const QUrl& uri) const
{
    const bool network = isNetwork(uri);
    const bool silent = network && !m_dataArrived;
    return MafwError(silent ? MafwError::ServerUnreachable : MafwError::CorruptStream,
                     QStringLiteral("%1 did not start within %2 s: %3")
                         .arg(uri.toString())
                         .arg(startTimeout())
                         .arg(silent    ? QStringLiteral("the server sent nothing")
                              : network ? QStringLiteral("too little data arrived")
                                        : QStringLiteral("its data neither plays nor fails "
                                                         "(cut or malformed)")));
}

void MafwGstPipeline::run()
{
    setTarget(m_target);
}

void MafwGstPipeline::setTarget(Target target)
{
    m_target = target;
    // Without a stream the target waits for the next load.
    if (m_playbin && !m_uri.isEmpty() && !m_refused) {
        driveState();
    }
}

void MafwGstPipeline::driveState()
{
    const GstState wanted =
        m_target == TargetPlaying && !m_buffering ? GST_STATE_PLAYING : GST_STATE_PAUSED;
    if (m_changing || wanted == m_requested) {
        return;
    }
    m_requested = wanted;
    m_changing = gst_element_set_state(m_playbin, wanted) == GST_STATE_CHANGE_ASYNC;
    GST_CAT_DEBUG_OBJECT(kelmora_gst_debug, m_playbin, "asked for %s%s",
                         gst_element_state_get_name(wanted), m_changing ? " (async)" : "");
}

void MafwGstPipeline::offer(const QList<QUrl>& uris)
{
    MafwGstOffer* fresh = nullptr;
    if (!uris.isEmpty()) {
        fresh = new MafwGstOffer{{}, m_generation.load()};
        for (const QUrl& uri : uris) {
            fresh->uris.append(uri.toEncoded());
        }
    }
    delete m_offer.exchange(fresh);
}

void MafwGstPipeline::seek(qint64 milliseconds)
{
    m_pendingSeekMs = qMax<qint64>(0, milliseconds);
    applyPendingSeek();
}

void MafwGstPipeline::applyPendingSeek()
{
    // Kept until the stream can seek and no state change is under way: the ASYNC_DONE of a
    // pause asked just before would otherwise be taken for the seek's, and the position read
    // while the flush still runs.
    if (m_pendingSeekMs == NoSeek || !m_prerolled || m_changing || !m_playbin) {
        return;
    }
    const qint64 target = m_pendingSeekMs;
    m_pendingSeekMs = NoSeek;
    // A seek sent to a stream that cannot seek may end it (a server that ignores ranges).
    if (m_seekable == 0) {
        Q_EMIT failed(MafwError(MafwError::TransientError,
                                QStringLiteral("%1 cannot seek").arg(m_uri.toString())));
        return;
    }
    m_seekingToMs = target;
    m_prerolled = false; // until the seek completes
    GST_CAT_DEBUG_OBJECT(kelmora_gst_debug, m_playbin, "seek to %" G_GINT64_FORMAT " ms",
                         gint64(target));
    // Accurate: key-unit seeks land far off on Vorbis and Opus.
    const auto flags = GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
    if (!gst_element_seek_simple(m_playbin, GST_FORMAT_TIME, flags, target * GST_MSECOND)) {
        m_prerolled = true;
        m_seekingToMs = NoSeek;
        Q_EMIT failed(MafwError(MafwError::TransientError,
                                QStringLiteral("%1 cannot seek").arg(m_uri.toString())));
    }
}

qint64 MafwGstPipeline::positionMs() const
{
    if (!m_playbin) {
        return 0;
    }
    if (m_pendingSeekMs != NoSeek) {
        return m_pendingSeekMs;
    }
    if (m_seekingToMs != NoSeek) {
        return m_seekingToMs;
    }
    gint64 position = 0;
    if (!gst_element_query_position(m_playbin, GST_FORMAT_TIME, &position) || position < 0) {
        return 0;
    }
    // Right after a gapless switch the sinks may still answer with the end of the item before.
    const qint64 ms = position / GST_MSECOND;
    if (m_switchedAt.isValid() && !m_switchedAt.hasExpired(SwitchSettleMs) && ms >= m_staleMs) {
        return 0;
    }
    return ms;
}

void MafwGstPipeline::queryDurationAndSeekability()
{
    if (!m_playbin) {
        return;
    }
    gint64 duration = -1;
    if (gst_element_query_duration(m_playbin, GST_FORMAT_TIME, &duration) && duration > 0) {
        const int seconds = int((duration + GST_SECOND / 2) / GST_SECOND);
        if (seconds != m_duration) {
            m_duration = seconds;
            Q_EMIT durationChanged(seconds);
        }
    }
    GstQuery* query = gst_query_new_seeking(GST_FORMAT_TIME);
    if (gst_element_query(m_playbin, query)) {
        gboolean seekable = FALSE;
        gst_query_parse_seeking(query, nullptr, &seekable, nullptr, nullptr);
        if (int(bool(seekable)) != m_seekable) {
            m_seekable = seekable ? 1 : 0;
            Q_EMIT seekableChanged(bool(seekable));
        }
    }
    gst_query_unref(query);
}

bool MafwGstPipeline::isNetwork(const QUrl& uri)
{
    static const QStringList local{QStringLiteral("file"), QStringLiteral("qrc"),
                                   QStringLiteral("data")};
    const QString scheme = uri.scheme().toLower();
    return !scheme.isEmpty() && !local.contains(scheme);
}

MafwError MafwGstPipeline::localFileProblem(const QUrl& uri)
{
    if (!uri.isLocalFile()) {
        return {};
    }
    // stat() only: a named pipe is never opened.
    const QFileInfo info(uri.toLocalFile());
    if (!info.exists()) {
        return MafwError(MafwError::ResourceNotFound,
                         QStringLiteral("%1 does not exist").arg(uri.toString()));
    }
    if (!info.isFile()) {
        return MafwError(MafwError::ResourceNotReadable,
                         QStringLiteral("%1 is not a regular file (a folder, a named pipe or a "
                                        "device)")
                             .arg(uri.toString()));
    }
    return {};
}
