// Commands, item handling and the pipeline of the GStreamer renderer.
#include "mafwgstrenderer.h"

#include "mafwgstlogging_p.h"
#include "mafwgstrenderer_p.h"

#include <mafwplaylist.h>
#include <mafwplaylistfetcher.h>

#include <QCoreApplication>

#include <gst/gst.h>

namespace {

GstElement* sinkFromDescription(const QByteArray& description)
{
    GError* error = nullptr;
    GstElement* sink = gst_parse_bin_from_description(description.constData(), TRUE, &error);
    if (!sink) {
        qCWarning(lcGst).noquote() << QStringLiteral("invalid sink \"%1\": %2; using a fake sink")
                                          .arg(QString::fromUtf8(description),
                                               QString::fromUtf8(error ? error->message : ""));
        g_clear_error(&error);
        sink = gst_parse_bin_from_description("fakesink sync=true", TRUE, nullptr);
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
        return sinkFromDescription("fakesink sync=true");
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

MafwGstRenderer::MafwGstRenderer(const QString& uuid, const QString& name, QObject* parent)
    : MafwRenderer(uuid, name, parent)
{
}

MafwGstRenderer::~MafwGstRenderer()
{
    if (m_pipeline) {
        gst_element_set_state(m_pipeline, GST_STATE_NULL);
        GstBus* bus = gst_element_get_bus(m_pipeline);
        gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
        gst_object_unref(bus);
        g_signal_handlers_disconnect_by_data(m_pipeline, this);
        gst_object_unref(m_pipeline);
    }
    delete m_next.exchange(nullptr);
}

qulonglong MafwGstRenderer::pipelineHandle()
{
    ensurePipeline();
    return qulonglong(quintptr(m_pipeline));
}

void MafwGstRenderer::ensurePipeline()
{
    if (m_pipeline) {
        return;
    }
    m_pipeline = gst_element_factory_make("playbin", nullptr);
    if (!m_pipeline) {
        qCWarning(lcGst) << "GStreamer's playbin is not installed";
        return;
    }
    gst_object_ref_sink(m_pipeline);
    g_object_set(m_pipeline, "audio-sink", makeAudioSink(), "video-sink", makeVideoSink(), nullptr);
    g_signal_connect(m_pipeline, "about-to-finish", G_CALLBACK(MafwGstRendererHooks::aboutToFinish),
                     this);
    g_signal_connect(m_pipeline, "deep-element-added",
                     G_CALLBACK(MafwGstRendererHooks::deepElementAdded), this);
    GstBus* bus = gst_element_get_bus(m_pipeline);
    gst_bus_set_sync_handler(bus, MafwGstRendererHooks::busSync, this, nullptr);
    gst_object_unref(bus);
}

void MafwGstRenderer::resetPipeline(bool release)
{
    if (m_pipeline) {
        gst_element_set_state(m_pipeline, release ? GST_STATE_NULL : GST_STATE_READY);
    }
    // Messages still on their way from the old stream are dropped from here on.
    ++m_generation;
    delete m_next.exchange(nullptr);
    m_handedOver.clear();
    m_staleHandOvers = 0;
    m_groupKnown = false;
    m_prerolled = false;
    m_hasPlayed = false;
    m_buffering = false;
    m_pendingSeekMs = -1;
    m_seekingToMs = -1;
    m_duration = -1;
    m_seekable = -1;
    m_tags.clear();
    m_missingPlugin.clear();
}

void MafwGstRenderer::setState(State state)
{
    if (m_state != state) {
        m_state = state;
        Q_EMIT stateChanged(state);
    }
}

QUrl MafwGstRenderer::currentUri() const
{
    switch (m_source) {
    case UriSource:
        return m_uri;
    case PlaylistSource:
        return m_playlist && m_index >= 0 ? m_playlist->item(uint(m_index)) : QUrl();
    case PlaylistUrlSource:
        return m_entry >= 0 && m_entry < m_entries.size() ? m_entries.at(m_entry) : QUrl();
    case NoSource:
        break;
    }
    return QUrl();
}

void MafwGstRenderer::reportMedia()
{
    const int index = m_source == PlaylistSource ? m_index : -1;
    const QUrl uri = currentUri();
    // Reported when moved to while stopped: starting it is no news.
    const bool announced = m_announcedStopped;
    m_announcedStopped = m_state == Stopped;
    if (announced && m_reportedIndex == index && m_reportedUri == uri) {
        return;
    }
    m_reportedIndex = index;
    m_reportedUri = uri;
    MafwContent content(uri.toString());
    content.setMetadata(m_tags);
    Q_EMIT mediaChanged(index, content);
}

void MafwGstRenderer::startItem(const QUrl& uri, Target target)
{
    ensurePipeline();
    if (!m_pipeline) {
        fail(MafwError(MafwError::RendererFailure,
                       QStringLiteral("GStreamer's playbin is missing")));
        return;
    }
    resetPipeline(false);
    m_target = target;
    m_policyPaused = false;
    const QByteArray encoded = uri.toEncoded();
    g_object_set(m_pipeline, "uri", encoded.constData(), nullptr);
    // Moving between items keeps the running state (the engine takes item changes only while
    // playing); a start from nothing is a transition.
    reportMedia();
    if (m_state == Stopped) {
        setState(Transitioning);
    }
    publishNext();
    gst_element_set_state(m_pipeline,
                          target == TargetPlaying ? GST_STATE_PLAYING : GST_STATE_PAUSED);
}

bool MafwGstRenderer::startCurrent(Target target)
{
    switch (m_source) {
    case UriSource:
        startItem(m_uri, target);
        return true;
    case PlaylistSource:
        return startPlaylistIndex(m_index < 0 ? 0 : m_index, target);
    case PlaylistUrlSource:
        if (m_entries.isEmpty()) {
            return false;
        }
        startPlaylistEntry(m_entry < 0 ? 0 : m_entry, target);
        return true;
    case NoSource:
        break;
    }
    return false;
}

bool MafwGstRenderer::startPlaylistIndex(int index, Target target)
{
    if (!m_playlist || index < 0 || uint(index) >= m_playlist->count()) {
        return false;
    }
    m_index = index;
    m_playlist->setCurrentIndex(index);
    startItem(m_playlist->item(uint(index)), target);
    return true;
}

void MafwGstRenderer::startPlaylistEntry(int entry, Target target)
{
    m_entry = entry;
    startItem(m_entries.at(entry), target);
}

int MafwGstRenderer::currentIndex() const
{
    return m_source == PlaylistSource ? m_index : m_entry;
}

int MafwGstRenderer::nextIndex() const
{
    if (m_source == PlaylistSource && m_playlist) {
        return uint(m_index + 1) < m_playlist->count() ? m_index + 1 : -1;
    }
    if (m_source == PlaylistUrlSource) {
        return m_entry + 1 < m_entries.size() ? m_entry + 1 : -1;
    }
    return -1;
}

QUrl MafwGstRenderer::uriAt(int index) const
{
    if (m_source == PlaylistSource && m_playlist) {
        return m_playlist->item(uint(index));
    }
    return index >= 0 && index < m_entries.size() ? m_entries.at(index) : QUrl();
}

void MafwGstRenderer::publishNext()
{
    MafwGstNextItem* fresh = nullptr;
    // Nothing more is offered once a stale item is on its way: the order is mended when it
    // starts.
    if (m_state != Stopped && m_staleHandOvers == 0) {
        // After the current item, or after the last one already handed over.
        int index = m_handedOver.isEmpty() ? nextIndex() : m_handedOver.last().index + 1;
        const int end = m_source == PlaylistSource ? (m_playlist ? int(m_playlist->count()) : 0)
                                                   : m_entries.size();
        if (m_source != UriSource && index >= 0 && index < end) {
            fresh = new MafwGstNextItem{{}, {}, m_generation.load()};
            for (; index < end; ++index) {
                fresh->uris.append(uriAt(index).toEncoded());
                fresh->indexes.append(index);
            }
        }
    }
    delete m_next.exchange(fresh);
}

// Moves to another item: at once when stopped (reported only), else started in the same
// running state.
bool MafwGstRenderer::moveTo(int index)
{
    if (index < 0) {
        return false;
    }
    if (m_state == Stopped) {
        if (m_source == PlaylistSource) {
            m_index = index;
            m_playlist->setCurrentIndex(index);
        } else {
            m_entry = index;
        }
        reportMedia();
        return true;
    }
    const Target target = m_state == Paused ? TargetPaused : TargetPlaying;
    if (m_source == PlaylistSource) {
        return startPlaylistIndex(index, target);
    }
    startPlaylistEntry(index, target);
    return true;
}

bool MafwGstRenderer::play()
{
    if (m_state == Paused) {
        return resume();
    }
    if (m_state == Playing || m_state == Transitioning) {
        return true;
    }
    return startCurrent(TargetPlaying);
}

bool MafwGstRenderer::playUri(const QUrl& uri, const MafwContent* content)
{
    Q_UNUSED(content)
    if (!uri.isValid() || uri.isEmpty()) {
        return false;
    }
    if (m_fetcher) {
        m_fetcher->abort();
    }
    m_source = UriSource;
    m_uri = uri;
    startItem(uri, TargetPlaying);
    return true;
}

bool MafwGstRenderer::playPlaylistUri(const QUrl& url, const QString& mimeType)
{
    if (!url.isValid() || url.isEmpty()) {
        return false;
    }
    resetPipeline(false);
    m_source = PlaylistUrlSource;
    m_playlistUrl = url;
    m_entries.clear();
    m_entry = -1;
    m_entryErrors.clear();
    setState(Transitioning);
    if (!m_fetcher) {
        m_fetcher = new MafwPlaylistFetcher(this);
        connect(m_fetcher, &MafwPlaylistFetcher::finished, this,
                &MafwGstRenderer::onPlaylistFetched);
    }
    m_fetcher->fetch(url, mimeType);
    return true;
}

void MafwGstRenderer::onPlaylistFetched(const QList<QUrl>& entries, const QString& error)
{
    if (m_source != PlaylistUrlSource) {
        return;
    }
    if (entries.isEmpty()) {
        fail(MafwError(MafwError::PlaylistUnreadable,
                       error.isEmpty()
                           ? QStringLiteral("%1 holds no entry").arg(m_playlistUrl.toString())
                           : error));
        return;
    }
    m_entries = entries;
    startPlaylistEntry(0, TargetPlaying);
}

bool MafwGstRenderer::stop()
{
    if (m_fetcher) {
        m_fetcher->abort();
    }
    resetPipeline(true);
    m_target = TargetPlaying;
    m_policyPaused = false;
    // Stopped while reporting the end: the end's own Stopped follows the completion.
    if (!m_finishing) {
        setState(Stopped);
    }
    return true;
}

bool MafwGstRenderer::pause()
{
    if (!m_pipeline || (m_state != Playing && m_state != Transitioning)) {
        return false;
    }
    m_target = TargetPaused;
    gst_element_set_state(m_pipeline, GST_STATE_PAUSED);
    return true;
}

bool MafwGstRenderer::resume()
{
    if (!m_pipeline || m_state != Paused) {
        return false;
    }
    m_target = TargetPlaying;
    m_policyPaused = false;
    setState(Transitioning);
    gst_element_set_state(m_pipeline, GST_STATE_PLAYING);
    return true;
}

bool MafwGstRenderer::pauseAt(uint seconds)
{
    if (m_state == Stopped) {
        if (!startCurrent(TargetPaused)) {
            return false;
        }
    } else {
        m_target = TargetPaused;
        gst_element_set_state(m_pipeline, GST_STATE_PAUSED);
    }
    m_pendingSeekMs = qint64(seconds) * 1000;
    applyPendingSeek();
    return true;
}

bool MafwGstRenderer::next()
{
    return moveTo(nextIndex());
}

bool MafwGstRenderer::previous()
{
    if (m_source == PlaylistSource && m_playlist && m_playlist->count() > 0) {
        return moveTo(qMax(0, m_index - 1));
    }
    if (m_source == PlaylistUrlSource && !m_entries.isEmpty()) {
        return moveTo(qMax(0, m_entry - 1));
    }
    return false;
}

bool MafwGstRenderer::gotoIndex(uint index)
{
    if (m_source != PlaylistSource || !m_playlist || index >= m_playlist->count()) {
        return false;
    }
    return moveTo(int(index));
}

bool MafwGstRenderer::seekTo(int seconds, SeekMode mode)
{
    if (m_state == Stopped) {
        return false;
    }
    qint64 target = qint64(seconds) * 1000;
    if (mode == SeekRelative) {
        target += m_pendingSeekMs >= 0 ? m_pendingSeekMs : positionMs();
    }
    if (m_duration > 0) {
        target = qMin(target, qint64(m_duration) * 1000);
    }
    m_pendingSeekMs = qMax<qint64>(0, target);
    applyPendingSeek();
    return true;
}

void MafwGstRenderer::applyPendingSeek()
{
    if (m_pendingSeekMs < 0 || !m_prerolled || !m_pipeline) {
        return; // kept until the pipeline can seek
    }
    const qint64 target = m_pendingSeekMs;
    m_pendingSeekMs = -1;
    m_seekingToMs = target;
    m_prerolled = false; // until the seek completes
    // Accurate: key-unit seeks land far off on Vorbis and Opus.
    const auto flags = GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
    if (!gst_element_seek_simple(m_pipeline, GST_FORMAT_TIME, flags, target * GST_MSECOND)) {
        m_prerolled = true;
        m_seekingToMs = -1;
        Q_EMIT error(MafwError(MafwError::TransientError,
                               QStringLiteral("%1 cannot seek").arg(currentUri().toString())));
    }
}

bool MafwGstRenderer::assignPlaylist(MafwPlaylist* playlist)
{
    if (playlist != m_playlist || m_source != PlaylistSource) {
        if (m_state != Stopped) {
            stop();
        }
        if (m_playlist) {
            m_playlist->disconnect(this);
        }
        m_playlist = playlist;
        m_source = playlist ? PlaylistSource : NoSource;
        m_index = playlist ? playlist->currentIndex() : -1;
        if (playlist) {
            connect(playlist, &MafwPlaylist::contentsChanged, this,
                    &MafwGstRenderer::onPlaylistContentsChanged);
        }
    }
    if (!playlist) {
        return false;
    }
    QPointer<MafwPlaylist> held(playlist);
    QMetaObject::invokeMethod(
        this,
        [this, held]() {
            if (held && held == m_playlist) {
                Q_EMIT playlistChanged(held);
            }
        },
        Qt::QueuedConnection);
    return true;
}

void MafwGstRenderer::onPlaylistContentsChanged()
{
    if (!m_playlist) {
        return;
    }
    const QUrl playing = m_reportedUri;
    const int index = m_playlist->currentIndex();
    if (index != m_index) {
        m_index = index;
        // The same item under a new index (shuffle, edits before it): say where it is now.
        if (m_state != Stopped && index >= 0 && m_playlist->item(uint(index)) == playing) {
            reportMedia();
        }
    }
    // Items already handed over stay valid only while they still follow in the new order.
    for (int k = 0; k < m_handedOver.size(); ++k) {
        const int expected = m_index + 1 + k;
        if (uriAt(expected) != m_handedOver.at(k).uri) {
            m_staleHandOvers += m_handedOver.size() - k;
            m_handedOver = m_handedOver.mid(0, k);
            break;
        }
        m_handedOver[k].index = expected;
    }
    publishNext();
}

qint64 MafwGstRenderer::positionMs() const
{
    if (!m_pipeline || m_state == Stopped) {
        return 0;
    }
    if (m_pendingSeekMs >= 0) {
        return m_pendingSeekMs;
    }
    if (m_seekingToMs >= 0) {
        return m_seekingToMs;
    }
    gint64 position = 0;
    if (!gst_element_query_position(m_pipeline, GST_FORMAT_TIME, &position) || position < 0) {
        return 0;
    }
    return position / GST_MSECOND;
}

bool MafwGstRenderer::requestPosition(QObject* receiver, const char* member)
{
    if (!receiver || !member) {
        return false;
    }
    m_positionRequests.append({receiver, QByteArray(member)});
    if (!m_positionAnswerScheduled) {
        m_positionAnswerScheduled = true;
        QMetaObject::invokeMethod(this, &MafwGstRenderer::answerPositionRequests,
                                  Qt::QueuedConnection);
    }
    return true;
}

void MafwGstRenderer::answerPositionRequests()
{
    m_positionAnswerScheduled = false;
    const uint seconds = uint(positionMs() / 1000);
    const QList<PositionRequest> requests = std::exchange(m_positionRequests, {});
    for (const PositionRequest& request : requests) {
        deliverPosition(request.receiver, request.member, seconds);
    }
    if (m_prerolled) {
        queryDurationAndSeekability();
    }
}

void MafwGstRenderer::queryDurationAndSeekability()
{
    if (!m_pipeline) {
        return;
    }
    gint64 duration = -1;
    if (gst_element_query_duration(m_pipeline, GST_FORMAT_TIME, &duration) && duration > 0) {
        const int seconds = int((duration + GST_SECOND / 2) / GST_SECOND);
        if (seconds != m_duration) {
            m_duration = seconds;
            Q_EMIT metadataChanged(QStringLiteral("duration"), {QVariant(seconds)});
        }
    }
    GstQuery* query = gst_query_new_seeking(GST_FORMAT_TIME);
    if (gst_element_query(m_pipeline, query)) {
        gboolean seekable = FALSE;
        gst_query_parse_seeking(query, nullptr, &seekable, nullptr, nullptr);
        if (int(seekable) != m_seekable) {
            m_seekable = seekable ? 1 : 0;
            Q_EMIT metadataChanged(QStringLiteral("is-seekable"), {QVariant(bool(seekable))});
        }
    }
    gst_query_unref(query);
}

void MafwGstRenderer::finish()
{
    resetPipeline(true);
    m_target = TargetPlaying;
    m_finishing = true;
    Q_EMIT playbackCompleted();
    m_finishing = false;
    setState(Stopped);
}

void MafwGstRenderer::fail(const MafwError& failure)
{
    resetPipeline(true);
    m_target = TargetPlaying;
    Q_EMIT error(failure);
    setState(Stopped);
}
