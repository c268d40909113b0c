// Playbin, its sinks, the hand-over to the streaming thread, seeks and queries.
#include "mafwgstpipeline.h"

#include "mafwgstlogging_p.h"

#include <QCoreApplication>
#include <QEvent>

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

// A bus message brought to the pipeline's thread, tagged with the stream generation. It takes
// over the reference the sync handler owns when it drops the message from the bus.
class BusEvent : public QEvent
{
public:
    static QEvent::Type eventType()
    {
        static const auto type = QEvent::Type(QEvent::registerEventType());
        return type;
    }
    BusEvent(GstMessage* busMessage, int busGeneration)
        : QEvent(eventType()), message(busMessage), generation(busGeneration)
    {
    }
    ~BusEvent() override { gst_message_unref(message); }
    GstMessage* const message;
    const int generation;
};

// The streaming thread took the next item: it starts at the next stream group.
class HandOverEvent : public QEvent
{
public:
    static QEvent::Type eventType()
    {
        static const auto type = QEvent::Type(QEvent::registerEventType());
        return type;
    }
    HandOverEvent(const QByteArray& nextUri, int nextGeneration)
        : QEvent(eventType()), uri(nextUri), generation(nextGeneration)
    {
    }
    const QByteArray uri;
    const int generation;
};

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
        QCoreApplication::postEvent(self, new BusEvent(message, self->m_generation.load()));
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
        g_object_set(playbin, "uri", uri.constData(), nullptr);
        QCoreApplication::postEvent(self, new HandOverEvent(uri, offer->generation));
        // The rest stays on offer, unless a newer offer came meanwhile.
        MafwGstOffer* expected = nullptr;
        if (offer->uris.isEmpty() || !self->m_offer.compare_exchange_strong(expected, offer)) {
            delete offer;
        }
    }

    static void deepElementAdded(GstBin*, GstBin*, GstElement* element, gpointer data)
    {
        // An HTTP source that goes quiet fails after the stall timeout, once, not after its
        // default retries.
        GstElementFactory* factory = gst_element_get_factory(element);
        if (factory && g_strcmp0(GST_OBJECT_NAME(factory), "souphttpsrc") == 0) {
            const auto* self = static_cast<MafwGstPipeline*>(data);
            g_object_set(element, "timeout", guint(self->m_stallTimeout.load()), "retries", 0,
                         nullptr);
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

MafwGstPipeline::MafwGstPipeline(QObject* parent) : QObject(parent) {}

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
            handleMessage(bus->message);
        }
        return true;
    }
    if (event->type() == HandOverEvent::eventType()) {
        auto* handOver = static_cast<HandOverEvent*>(event);
        if (handOver->generation == m_generation.load()) {
            m_handedUris.append(handOver->uri);
            Q_EMIT handedOver(handOver->uri);
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
    m_handedUris.clear();
    m_failedUris.clear();
    m_groupKnown = false;
    m_prerolled = false;
    m_hasPlayed = false;
    m_buffering = false;
    m_pendingSeekMs = NoSeek;
    m_seekingToMs = NoSeek;
    m_duration = Unknown;
    m_seekable = Unknown;
    m_missingPlugin.clear();
    m_notMedia = false;
}

bool MafwGstPipeline::load(const QUrl& uri, Target target)
{
    if (!element()) {
        return false;
    }
    reset(false);
    m_target = target;
    m_uri = uri;
    const QByteArray encoded = uri.toEncoded();
    g_object_set(m_playbin, "uri", encoded.constData(), nullptr);
    return true;
}

void MafwGstPipeline::run()
{
    setTarget(m_target);
}

void MafwGstPipeline::setTarget(Target target)
{
    m_target = target;
    // Without a stream the target waits for the next load.
    if (m_playbin && !m_uri.isEmpty()) {
        gst_element_set_state(m_playbin,
                              target == TargetPlaying ? GST_STATE_PLAYING : GST_STATE_PAUSED);
    }
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
    if (m_pendingSeekMs == NoSeek || !m_prerolled || !m_playbin) {
        return; // kept until the stream can seek
    }
    const qint64 target = m_pendingSeekMs;
    m_pendingSeekMs = NoSeek;
    m_seekingToMs = target;
    m_prerolled = false; // until the seek completes
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
    return position / GST_MSECOND;
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
