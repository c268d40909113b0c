// Commands of the GStreamer renderer and what it reports: states, items, metadata, errors.
#include "mafwgstrenderer.h"

#include "mafwgstlogging_p.h"
#include "mafwgsttagreader.h"

#include <QHash>
#include <gst/gst.h>
#include <mafwplaylistfetcher.h>

#include <mafwplaylist.h>

namespace {
// A playlist file of dead entries is given up after this many in a row: each try costs a
// pipeline start, and a hostile file may name thousands.
const int MaxDeadEntries = 20;
// Items offered at once for the gapless hand-over; more follow as they are taken, so a start
// costs the same however long the list is.
const int OfferedItems = 1;
const int ReportedEntryErrors = 3;
} // namespace

MafwGstRenderer::MafwGstRenderer(const QString& uuid, const QString& name, QObject* parent)
    : MafwRenderer(uuid, name, parent), m_pipeline(new MafwGstPipeline(this))
{
    using P = MafwGstPipeline;
    connect(m_pipeline, &P::playing, this, [this]() {
        m_deadEntries = 0;
        m_entryErrors.clear();
        setState(Playing);
    });
    connect(m_pipeline, &P::paused, this, [this]() { setState(Paused); });
    connect(m_pipeline, &P::ended, this, &MafwGstRenderer::onEnded);
    connect(m_pipeline, &P::failed, this, &MafwGstRenderer::onFailed);
    connect(m_pipeline, &P::tagFound, this, &MafwGstRenderer::onTag);
    connect(m_pipeline, &P::durationChanged, this, [this](int seconds) {
        Q_EMIT metadataChanged(QStringLiteral("duration"), {QVariant(seconds)});
    });
    connect(m_pipeline, &P::seekableChanged, this, [this](bool seekable) {
        Q_EMIT metadataChanged(QStringLiteral("is-seekable"), {QVariant(seekable)});
    });
    connect(m_pipeline, &P::bufferingChanged, this, &MafwRenderer::bufferingInfo);
    connect(m_pipeline, &P::stateRequested, this, &MafwGstRenderer::onStateRequested);
    connect(m_pipeline, &P::handedOver, this, &MafwGstRenderer::onHandedOver);
    connect(m_pipeline, &P::nextStreamStarted, this, &MafwGstRenderer::onNextStreamStarted);
    connect(m_pipeline, &P::nextFailed, this, &MafwGstRenderer::onNextFailed);
}

MafwGstRenderer::~MafwGstRenderer() = default;

qulonglong MafwGstRenderer::pipelineHandle()
{
    return qulonglong(quintptr(m_pipeline->element()));
}

qint64 MafwGstRenderer::positionMs() const
{
    return m_state == Stopped ? 0 : m_pipeline->positionMs();
}

void MafwGstRenderer::resetStream(bool release)
{
    m_pipeline->reset(release);
    m_cleanNext = NoPosition;
    m_finalFailure = MafwError();
    m_cursor.clearHandOvers();
    m_tags.clear();
}

void MafwGstRenderer::setState(State state)
{
    if (m_state != state) {
        m_state = state;
        Q_EMIT stateChanged(state);
    }
}

void MafwGstRenderer::reportMedia()
{
    m_reportedIndex = m_cursor.reportedIndex();
    m_reportedUri = m_cursor.currentUri();
    MafwContent content(m_reportedUri.toString());
    content.setMetadata(m_tags);
    Q_EMIT mediaChanged(m_reportedIndex, content);
}

void MafwGstRenderer::startItem(Target target)
{
    const bool fromStopped = m_state == Stopped;
    if (!m_pipeline->load(m_cursor.currentUri(), target)) {
        fail(MafwError(MafwError::RendererFailure,
                       QStringLiteral("GStreamer's playbin is missing")));
        return;
    }
    m_cursor.clearHandOvers();
    m_cleanNext = NoPosition;
    m_finalFailure = MafwError();
    m_tags.clear();
    m_policyPaused = false;
    // Starting the item a move reported while stopped is no news.
    const bool reported = m_movedStopped && m_reportedIndex == m_cursor.reportedIndex() &&
                          m_reportedUri == m_cursor.currentUri();
    m_movedStopped = false;
    if (!(fromStopped && reported)) {
        reportMedia();
    }
    if (fromStopped) {
        setState(Transitioning);
    }
    publishNext();
    m_pipeline->run();
}

bool MafwGstRenderer::startAt(int position, Target target)
{
    if (!m_cursor.moveTo(position)) {
        return false;
    }
    startItem(target);
    return true;
}

bool MafwGstRenderer::startCurrent(Target target)
{
    return m_cursor.source() != MafwGstPlayCursor::NoSource &&
           startAt(m_cursor.startPosition(), target);
}

void MafwGstRenderer::publishNext()
{
    // After a failed hand-over the next item starts cleanly.
    m_pipeline->offer(m_state != Stopped && m_cleanNext == NoPosition
                          ? m_cursor.toOffer(OfferedItems)
                          : QList<QUrl>());
}

// Moves to another item: reported at once when stopped, else started in the running state.
bool MafwGstRenderer::moveTo(int position)
{
    if (m_state != Stopped) {
        return startAt(position,
                       m_state == Paused ? MafwGstPipeline::TargetPaused : m_pipeline->target());
    }
    if (!m_cursor.moveTo(position)) {
        return false;
    }
    reportMedia();
    m_movedStopped = true;
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
    return startCurrent(MafwGstPipeline::TargetPlaying);
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
    watchPlaylist(nullptr);
    m_cursor.setUri(uri);
    startItem(MafwGstPipeline::TargetPlaying);
    return true;
}

bool MafwGstRenderer::playPlaylistUri(const QUrl& url, const QString& mimeType)
{
    if (!url.isValid() || url.isEmpty()) {
        return false;
    }
    resetStream(false);
    watchPlaylist(nullptr);
    m_cursor.setPlaylistUrl(url);
    m_entryErrors.clear();
    m_deadEntries = 0;
    setState(Transitioning);
    if (!m_fetcher) {
        m_fetcher = new MafwPlaylistFetcher(this);
        connect(m_fetcher, &MafwPlaylistFetcher::finished, this,
                &MafwGstRenderer::onPlaylistFetched);
    }
    m_fetcher->fetch(url, mimeType);
    return true;
}

void MafwGstRenderer::onPlaylistFetched(const QList<QUrl>& entries, const QString&)
{
    if (m_cursor.source() != MafwGstPlayCursor::PlaylistUrlSource) {
        return;
    }
    if (entries.isEmpty()) {
        fail(m_fetcher->error()); // unreadable, or every entry refused
        return;
    }
    m_cursor.setEntries(entries);
    // Entries the origin policy refused count as dead ones.
    m_deadEntries = m_fetcher->refusedBefore(0);
    if (m_deadEntries >= MaxDeadEntries) {
        fail(tooManyDead());
        return;
    }
    startAt(0, m_pipeline->target());
}

bool MafwGstRenderer::stop()
{
    if (m_fetcher) {
        m_fetcher->abort();
    }
    resetStream(true);
    m_policyPaused = false;
    // Stopped while reporting the end: the end's own Stopped follows the completion.
    if (!m_finishing) {
        setState(Stopped);
    }
    return true;
}

bool MafwGstRenderer::pause()
{
    if (m_state != Playing && m_state != Transitioning) {
        return false;
    }
    m_pipeline->setTarget(MafwGstPipeline::TargetPaused);
    return true;
}

bool MafwGstRenderer::resume()
{
    if (m_state != Paused) {
        return false;
    }
    m_policyPaused = false;
    setState(Transitioning);
    m_pipeline->setTarget(MafwGstPipeline::TargetPlaying);
    return true;
}

bool MafwGstRenderer::pauseAt(uint seconds)
{
    if (m_state == Stopped) {
        if (!startCurrent(MafwGstPipeline::TargetPaused)) {
            return false;
        }
    } else {
        m_pipeline->setTarget(MafwGstPipeline::TargetPaused);
    }
    m_pipeline->seek(qint64(seconds) * 1000);
    return true;
}

bool MafwGstRenderer::next()
{
    return moveTo(m_cursor.nextPosition());
}

bool MafwGstRenderer::previous()
{
    const auto source = m_cursor.source();
    if (source != MafwGstPlayCursor::PlaylistSource &&
        source != MafwGstPlayCursor::PlaylistUrlSource) {
        return false;
    }
    return moveTo(qMax(0, m_cursor.position() - 1));
}

bool MafwGstRenderer::gotoIndex(uint index)
{
    if (m_cursor.source() != MafwGstPlayCursor::PlaylistSource || index >= uint(m_cursor.count())) {
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
        target += m_pipeline->positionMs();
    }
    const int duration = m_pipeline->durationSeconds();
    if (duration > 0) {
        target = qMin(target, qint64(duration) * 1000);
    }
    m_pipeline->seek(target);
    return true;
}

bool MafwGstRenderer::assignPlaylist(MafwPlaylist* playlist)
{
    if (playlist != m_cursor.playlist() || m_cursor.source() != MafwGstPlayCursor::PlaylistSource) {
        if (m_state != Stopped) {
            stop();
        }
        watchPlaylist(playlist);
        m_cursor.setPlaylist(playlist);
    }
    if (!playlist) {
        return true;
    }
    QPointer<MafwPlaylist> held(playlist);
    QMetaObject::invokeMethod(
        this,
        [this, held]() {
            if (held && held == m_cursor.playlist()) {
                Q_EMIT playlistChanged(held);
            }
        },
        Qt::QueuedConnection);
    return true;
}

void MafwGstRenderer::watchPlaylist(MafwPlaylist* playlist)
{
    if (m_watched == playlist) {
        return;
    }
    if (m_watched) {
        disconnect(m_watched, nullptr, this, nullptr);
    }
    m_watched = playlist;
    if (playlist) {
        connect(playlist, &MafwPlaylist::contentsChanged, this,
                &MafwGstRenderer::onPlaylistContentsChanged);
    }
}

void MafwGstRenderer::onPlaylistContentsChanged()
{
    const QUrl playing = m_reportedUri;
    // The same item under a new index (shuffle, edits before it): say where it is now.
    if (m_cursor.followPlaylist() && m_state != Stopped && m_cursor.position() >= 0 &&
        m_cursor.currentUri() == playing) {
        reportMedia();
    }
    publishNext();
}

QStringList MafwGstRenderer::supportedMimeTypes() const
{
    // GStreamer names some formats by its own caps; files are known by these types.
    static const QHash<QString, QStringList> fileTypes = {
        {QStringLiteral("application/ogg"),
         {QStringLiteral("audio/ogg"), QStringLiteral("video/ogg")}},
        {QStringLiteral("audio/x-flac"), {QStringLiteral("audio/flac")}},
        {QStringLiteral("audio/x-opus"), {QStringLiteral("audio/opus")}},
        {QStringLiteral("audio/x-wav"), {QStringLiteral("audio/wav")}},
        {QStringLiteral("audio/x-m4a"), {QStringLiteral("audio/mp4")}},
    };
    QStringList types;
    GList* factories = gst_element_factory_list_get_elements(
        GST_ELEMENT_FACTORY_TYPE_DECODER | GST_ELEMENT_FACTORY_TYPE_DEMUXER, GST_RANK_MARGINAL);
    for (GList* f = factories; f; f = f->next) {
        const GList* pads =
            gst_element_factory_get_static_pad_templates(GST_ELEMENT_FACTORY(f->data));
        for (; pads; pads = pads->next) {
            auto* pad = static_cast<GstStaticPadTemplate*>(pads->data);
            if (pad->direction != GST_PAD_SINK) {
                continue;
            }
            GstCaps* caps = gst_static_caps_get(&pad->static_caps);
            for (guint i = 0; i < gst_caps_get_size(caps); ++i) {
                const QString name =
                    QString::fromUtf8(gst_structure_get_name(gst_caps_get_structure(caps, i)));
                if (name.startsWith(QLatin1String("audio/")) ||
                    name.startsWith(QLatin1String("video/")) || fileTypes.contains(name)) {
                    types << name << fileTypes.value(name);
                }
            }
            gst_caps_unref(caps);
        }
    }
    gst_plugin_feature_list_free(factories);
    types.removeDuplicates();
    types.sort();
    return types;
}

double MafwGstRenderer::volume() const
{
    return m_pipeline->volume();
}

bool MafwGstRenderer::setVolume(double volume)
{
    if (!(volume >= 0.0)) {
        return false; // NaN or below silence
    }
    const double before = m_pipeline->volume();
    m_pipeline->setVolume(volume);
    if (m_pipeline->volume() != before) {
        Q_EMIT mafwPropertyChanged(MAFW_RENDERER_PROPERTY_VOLUME, m_pipeline->volume());
    }
    return true;
}

bool MafwGstRenderer::setRepeatCurrent(bool repeat)
{
    if (repeat != m_cursor.repeatsCurrent()) {
        m_cursor.setRepeatCurrent(repeat);
        publishNext();
    }
    return true;
}

bool MafwGstRenderer::requestMetadata(const QUrl& uri, QObject* context, MetadataAnswer answer)
{
    if (!m_tagReader) {
        m_tagReader = new MafwGstTagReader(this);
    }
    return m_tagReader->request(uri, context, std::move(answer));
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
    if (m_pipeline->isPrerolled()) {
        m_pipeline->queryDurationAndSeekability();
    }
}

int MafwGstRenderer::followingPosition(bool ended) const
{
    if (ended && m_cursor.repeatsCurrent()) {
        return m_cursor.followingPosition();
    }
    if (m_cleanNext == NoPosition) {
        return m_cursor.nextPosition();
    }
    return m_cleanNext < m_cursor.count() ? m_cleanNext : NoPosition;
}

void MafwGstRenderer::onEnded()
{
    // Without a hand-over (none offered, refused, failed, or the queue changed too late) the
    // next item starts cleanly.
    const int next = followingPosition(true);
    const MafwError pending = std::exchange(m_finalFailure, MafwError());
    if (next >= 0) {
        moveTo(next);
    } else if (pending.code() != MafwError::NoError) {
        fail(pending);
    } else {
        finish();
    }
}

void MafwGstRenderer::onNextFailed(const QByteArray& uri, const MafwError& failure)
{
    const int position = m_cursor.dropHandOver(uri);
    if (position < 0) {
        return;
    }
    // An entry of a playlist file is one more dead mirror; an item of a playlist is worth a
    // word, and ends playback only when it was the last.
    m_cleanNext = position + 1;
    if (position == m_cursor.position()) {
        // The repeat of the item playing: it is started again cleanly at its end.
        qCDebug(lcGst) << "repeat failed, started again at the end:" << failure.message();
    } else if (m_cursor.source() == MafwGstPlayCursor::PlaylistUrlSource) {
        qCDebug(lcGst) << "next entry failed, skipped:" << failure.message();
    } else if (followingPosition(false) >= 0) {
        Q_EMIT error(MafwError(MafwError::TransientError,
                               QStringLiteral("skipped: %1").arg(failure.message())));
    } else {
        m_finalFailure = failure;
    }
    // After a failed hand-over playbin never reports the end of the item playing: that item
    // is reloaded where it stands and the next one starts cleanly after it.
    const qint64 at = m_pipeline->positionMs();
    m_pipeline->load(m_cursor.currentUri(), m_pipeline->target());
    m_cursor.clearHandOvers();
    if (at > 0) {
        m_pipeline->seek(at);
    }
    m_pipeline->offer({});
    m_pipeline->run();
}

void MafwGstRenderer::onNextStreamStarted()
{
    if (m_cursor.startHandedOver() < 0) {
        if (m_cursor.hasStaleHandOver()) {
            // Handed over before the order changed: go to the item that follows now instead.
            onEnded();
        }
        return;
    }
    m_tags.clear();
    reportMedia();
    m_pipeline->queryDurationAndSeekability();
}

void MafwGstRenderer::onHandedOver(const QByteArray& uri)
{
    if (!m_cursor.acceptHandOver(uri)) {
        m_pipeline->offer({});
        return;
    }
    publishNext();
}

void MafwGstRenderer::onTag(const QString& key, const QVariant& value)
{
    if (m_tags.value(key) != value) {
        m_tags.insert(key, value);
        Q_EMIT metadataChanged(key, {value});
    }
}

void MafwGstRenderer::onStateRequested(bool playing)
{
    if (playing) {
        if (m_policyPaused) {
            m_policyPaused = false;
            Q_EMIT mafwPropertyChanged(MAFW_RENDERER_PROPERTY_POLICY_OVERRIDE, false);
        }
        return;
    }
    if (m_state == Playing || m_state == Transitioning) {
        m_policyPaused = true;
        m_pipeline->setTarget(MafwGstPipeline::TargetPaused);
        Q_EMIT mafwPropertyChanged(MAFW_RENDERER_PROPERTY_POLICY_OVERRIDE, true);
    }
}

void MafwGstRenderer::onFailed(const MafwError& failure)
{
    if (failure.code() == MafwError::TransientError) {
        Q_EMIT error(failure);
        return;
    }
    // An item of a playlist that fails is skipped with a passing error while others follow
    // (a repeated one too: it would fail again).
    const int next = followingPosition(false);
    if (m_cursor.source() == MafwGstPlayCursor::PlaylistSource && next >= 0) {
        Q_EMIT error(MafwError(MafwError::TransientError,
                               QStringLiteral("skipped: %1").arg(failure.message())));
        startAt(next, m_pipeline->target());
        return;
    }
    // A playlist file's entries are mirrors: try the next one until one starts.
    if (m_cursor.source() == MafwGstPlayCursor::PlaylistUrlSource && !m_pipeline->hasPlayed()) {
        if (m_entryErrors.size() < ReportedEntryErrors) {
            m_entryErrors.append(failure.message());
        }
        m_deadEntries += 1 + (next >= 0 ? m_fetcher->refusedBefore(next) : 0);
        if (next >= 0 && m_deadEntries < MaxDeadEntries) {
            qCDebug(lcGst) << "entry failed, trying the next:" << failure.message();
            startAt(next, MafwGstPipeline::TargetPlaying);
            return;
        }
        if (m_cursor.count() > 1) {
            fail(next >= 0 ? tooManyDead()
                           : MafwError(MafwError::NoPlayableEntry,
                                       QStringLiteral("No entry of %1 could be played:\n%2")
                                           .arg(m_cursor.playlistUrl().toString(),
                                                m_entryErrors.join(QLatin1Char('\n')))));
            return;
        }
    }
    fail(failure);
}

MafwError MafwGstRenderer::tooManyDead() const
{
    return MafwError(MafwError::NoPlayableEntry,
                     QStringLiteral("%1 entries of %2 in a row could not be played or were "
                                    "refused; the rest is not tried:\n%3")
                         .arg(QString::number(MaxDeadEntries), m_cursor.playlistUrl().toString(),
                              m_entryErrors.join(QLatin1Char('\n'))));
}

void MafwGstRenderer::finish()
{
    resetStream(true);
    m_finishing = true;
    Q_EMIT playbackCompleted();
    m_finishing = false;
    setState(Stopped);
}

void MafwGstRenderer::fail(const MafwError& failure)
{
    resetStream(true);
    Q_EMIT error(failure);
    setState(Stopped);
}
