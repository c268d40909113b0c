// Playback commands, playlists and the two waiting mechanisms (pending playlist, pending URI).
#include "kelinternalplaycontrols.h"

#include "../kelmoralogging_p.h"

#include <mafwplaylist.h>
#include <mafwregistry.h>
#include <mafwshared.h>

#include <limits>

namespace {
MafwError playDuringCallError()
{
    return MafwError(MafwError::CannotPlayDuringCall,
                     QStringLiteral("Playback is not possible during a call"));
}

// A negative index would reach the renderer as a huge unsigned one.
bool isNegativeIndex(int index, const char* signature)
{
    if (index >= 0) {
        return false;
    }
    qCWarning(lcPlayback).noquote()
        << QStringLiteral("%1 negative index %2 ignored").arg(QLatin1String(signature)).arg(index);
    return true;
}
} // namespace

// An index the playlist in use does not have would leave the engine awaiting an item that
// never comes; one above INT_MAX would wrap.
bool KelInternalPlayControls::isPlaylistIndex(uint index, const char* signature) const
{
    const uint limit = m_playlist ? m_playlist->count() : uint(std::numeric_limits<int>::max()) + 1;
    if (index < limit) {
        return true;
    }
    qCWarning(lcPlayback).noquote() << QStringLiteral("%1 index %2 is beyond the playlist, ignored")
                                           .arg(QLatin1String(signature))
                                           .arg(index);
    return false;
}

bool KelInternalPlayControls::setPlaylist(const QString& playlistId, bool deleteOnComplete)
{
    if (!m_initialised) {
        return false;
    }
    m_deletePlaylistOnComplete = deleteOnComplete;
    MafwRegistry* registry = MafwRegistry::instance();
    MafwPlaylist* found = registry ? registry->findPlaylist(playlistId) : nullptr;
    if (!found) {
        return false;
    }
    setPlaylistToRenderer(found);
    if (m_contentType != KelPlayControls::NoContent) {
        return true;
    }
    if (m_errorsAllowed) {
        Q_EMIT error(MafwError(MafwError::PlaylistNotInUse, QString()));
    }
    return false;
}

void KelInternalPlayControls::setPlaylistToRenderer(MafwPlaylist* newPlaylist)
{
    if (MafwRenderer* renderer = currentRendererInUse(m_contentType)) {
        renderer->stop();
        changeContentType(KelPlayControls::NoContent);
    }
    disconnectPlaylistContents();
    m_playlist = nullptr;
    m_pendingUri.clear();
    if (!newPlaylist) {
        return;
    }
    const KelPlayControls::ContentType type = playlistContent(newPlaylist);
    if (type == KelPlayControls::NoContent) {
        return;
    }
    MafwRenderer* target = m_renderers.value(type);
    if (!target) {
        m_pendingPlaylistType = type;
        m_pendingPlaylist = newPlaylist;
        return;
    }
    m_assignedPlaylistName = newPlaylist->name();
    changeContentType(type);
    target->assignPlaylist(newPlaylist);
    m_playlist = newPlaylist;
}

void KelInternalPlayControls::handlePendingPlaylist()
{
    if (m_pendingPlaylistType == KelPlayControls::NoContent) {
        return;
    }
    MafwRenderer* renderer = currentRendererInUse(m_pendingPlaylistType);
    if (!renderer) {
        return;
    }
    MafwPlaylist* waiting = m_pendingPlaylist;
    clearPendingPlaylist();
    if (!waiting) {
        return;
    }
    setPlaylistToRenderer(waiting);
    if (m_callActive) {
        Q_EMIT error(playDuringCallError());
        return;
    }
    renderer->play();
}

void KelInternalPlayControls::clearPendingPlaylist()
{
    m_pendingPlaylistType = KelPlayControls::NoContent;
    m_pendingPlaylist = nullptr;
}

void KelInternalPlayControls::handlePlaylistChange(MafwRenderer* from, MafwPlaylist* newPlaylist)
{
    MafwRenderer* inUse = currentRendererInUse(m_contentType);
    if (!inUse || from != inUse || !newPlaylist || newPlaylist->name() != m_assignedPlaylistName) {
        return;
    }
    disconnectPlaylistContents();
    m_playlist = newPlaylist;
    connect(newPlaylist, &MafwPlaylist::contentsChanged, this,
            &KelInternalPlayControls::handlePlaylistContentsChanged, Qt::UniqueConnection);
    Q_EMIT playlistChanged(newPlaylist);
    if (m_shuffleState == ShuffleWhenPlaylistArrives) {
        shufflePlay(m_shuffleStartIndex);
    }
}

void KelInternalPlayControls::handlePlaylistContentsChanged(uint from, uint remove, uint get)
{
    Q_UNUSED(from)
    Q_UNUSED(remove)
    Q_UNUSED(get)
    Q_EMIT playlistContentsChanged(m_playlist);
}

void KelInternalPlayControls::disconnectPlaylistContents()
{
    if (m_playlist) {
        disconnect(m_playlist, &MafwPlaylist::contentsChanged, this,
                   &KelInternalPlayControls::handlePlaylistContentsChanged);
    }
}

void KelInternalPlayControls::play(uint index)
{
    if (isPlaylistIndex(index, "void KelInternalPlayControls::play(uint)")) {
        startPlaylistAt(index, false);
    }
}

void KelInternalPlayControls::startPlaylistAt(uint index, bool shuffled)
{
    Q_EMIT playbackAboutToStart();
    m_startingIndex = int(index);
    m_awaitingStartingIndex = true;
    // The latest start decides whether the playlist is shuffled.
    m_shuffleState = shuffled ? ShuffleWhenPlaying : NoShufflePending;
    changeContentType(KelPlayControls::PlaylistContent);
    startPlay();
}

void KelInternalPlayControls::startPlay()
{
    allowErrors();
    MafwRenderer* renderer = currentRendererInUse(m_contentType);
    if (m_callActive || !renderer) {
        // Nothing starts: neither a shuffle nor the starting item is to be waited for.
        m_shuffleState = NoShufflePending;
        m_awaitingStartingIndex = false;
        if (m_callActive) {
            Q_EMIT error(playDuringCallError());
        }
        return;
    }
    renderer->assignPlaylist(m_playlist);
    // Told first: the renderer may report the real item from inside gotoIndex().
    if (m_startingIndex == 0) {
        onMediaChanged(0, MafwContent());
    }
    renderer->gotoIndex(uint(m_startingIndex));
    renderer->play();
    // A renderer already playing moves to the item and keeps playing: no Playing report
    // follows, so the starting item is current now.
    if (m_rendererState == MafwRenderer::Playing) {
        shuffleNow();
    }
}

void KelInternalPlayControls::shuffleNow()
{
    if (m_shuffleState == ShuffleWhenPlaying && m_playlist) {
        m_shuffleState = NoShufflePending;
        m_playlist->shuffle();
    }
}

void KelInternalPlayControls::shufflePlay(int index)
{
    const char* signature = "void KelInternalPlayControls::shufflePlay(int)";
    if (isNegativeIndex(index, signature)) {
        return;
    }
    m_shuffleStartIndex = index;
    if (!m_playlist) {
        m_shuffleState = ShuffleWhenPlaylistArrives;
        return;
    }
    m_shuffleState = NoShufflePending;
    if (isPlaylistIndex(uint(index), signature)) {
        m_playlist->unshuffle();
        startPlaylistAt(uint(index), true);
    }
}

void KelInternalPlayControls::stop()
{
    if (MafwRenderer* renderer = currentRendererInUse(m_contentType)) {
        renderer->stop();
    }
}

void KelInternalPlayControls::pause()
{
    if (MafwRenderer* renderer = currentRendererInUse(m_contentType)) {
        renderer->pause();
    }
}

void KelInternalPlayControls::pauseAt(uint seconds)
{
    if (MafwRenderer* renderer = currentRendererInUse(m_contentType)) {
        renderer->pauseAt(seconds);
    }
}

void KelInternalPlayControls::resume()
{
    MafwRenderer* renderer = currentRendererInUse(m_contentType);
    if (!renderer) {
        return;
    }
    if (m_callActive) {
        Q_EMIT error(MafwError(MafwError::CannotResumeDuringCall,
                               QStringLiteral("Playback cannot resume during a call")));
        return;
    }
    allowErrors();
    renderer->resume();
}

void KelInternalPlayControls::next()
{
    if (MafwRenderer* renderer = currentRendererInUse(m_contentType)) {
        allowErrors();
        renderer->next();
    }
}

void KelInternalPlayControls::previous()
{
    if (MafwRenderer* renderer = currentRendererInUse(m_contentType)) {
        allowErrors();
        // Reported at once without touching the request counts: no request was made.
        Q_EMIT positionChanged(0, m_duration);
        renderer->previous();
    }
}

void KelInternalPlayControls::setPosition(uint seconds)
{
    MafwRenderer* renderer = currentRendererInUse(m_contentType);
    if (!renderer) {
        return;
    }
    allowErrorsAfterTimeout(SeekErrorGateSeconds);
    if (m_rendererState != MafwRenderer::Stopped) {
        m_positionRepliesToSkip = m_pendingPositionRequests;
        const uint limit = uint(std::numeric_limits<int>::max());
        renderer->seekTo(int(qMin(seconds, limit)), MafwRenderer::SeekAbsolute);
    } else {
        renderer->pauseAt(seconds);
    }
    if (m_pendingPositionRequests != 0) {
        startPositionTimer();
    } else {
        getPosition();
    }
}

void KelInternalPlayControls::setPlaylistIndex(int index)
{
    MafwRenderer* renderer = currentRendererInUse(m_contentType);
    if (!renderer) {
        return;
    }
    const char* signature = "void KelInternalPlayControls::setPlaylistIndex(int)";
    if (isNegativeIndex(index, signature) || !isPlaylistIndex(uint(index), signature)) {
        return;
    }
    allowErrors();
    m_startingIndex = index;
    m_awaitingStartingIndex = true;
    renderer->gotoIndex(uint(index));
}

void KelInternalPlayControls::playUri(const QUrl& uri)
{
    Q_EMIT playbackAboutToStart();
    clearPlaylist();
    clearPendingPlaylist();
    if (m_renderers.contains(KelPlayControls::UriContent)) {
        m_pendingUri.clear();
        playUriWithGstRenderer(uri);
    } else {
        m_pendingUriIsPlaylist = false;
        m_pendingUri = uri;
    }
}

void KelInternalPlayControls::playUriWithGstRenderer(const QUrl& uri)
{
    changeContentType(KelPlayControls::UriContent);
    MafwRenderer* renderer = currentRendererInUse(m_contentType);
    if (!renderer) {
        return;
    }
    m_mimeType = QString();
    allowErrors();
    renderer->playUri(uri, nullptr);
}

void KelInternalPlayControls::playPlaylist(const QUrl& url, const QString& type)
{
    m_duration = DurationOfStream;
    Q_EMIT playbackAboutToStart();
    if (url.toString() != m_playlistUrl.toString()) {
        clearPlaylist();
    }
    m_shuffleState = NoShufflePending;
    clearPendingPlaylist();
    if (m_renderers.contains(KelPlayControls::UriContent)) {
        m_pendingUri.clear();
        playPlaylistWithGstRenderer(url, type);
    } else {
        m_pendingUriIsPlaylist = true;
        m_pendingUri = url;
        m_pendingMimeType = type;
    }
}

void KelInternalPlayControls::playPlaylistWithGstRenderer(const QUrl& url, const QString& type)
{
    changeContentType(KelPlayControls::UriContent);
    MafwRenderer* renderer = currentRendererInUse(m_contentType);
    if (!renderer) {
        return;
    }
    m_playlistUrl = url;
    m_mimeType = type;
    allowErrors();
    renderer->playPlaylistUri(url, type);
}

void KelInternalPlayControls::clearPlaylist()
{
    if (MafwRenderer* renderer = currentRendererInUse(m_contentType)) {
        renderer->stop();
    }
    clearMetadataHandler(m_contentType);
    m_startingIndex = NoIndex;
    m_shuffleState = NoShufflePending;
    if (m_playlist && !m_playlist->isPermanent() && m_deletePlaylistOnComplete) {
        changeContentType(KelPlayControls::NoContent);
        disconnectPlaylistContents();
        const QString name = m_playlist->name();
        m_playlist = nullptr;
        MafwShared::instance()->unPublishPlaylist(name);
    }
    m_pendingUri.clear();
    if (m_rendererState == MafwRenderer::Stopped) {
        Q_EMIT playbackCompleted();
    } else {
        m_completionPending = true;
    }
}
