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
    const uint limit = playlist ? playlist->count() : uint(std::numeric_limits<int>::max()) + 1;
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
    if (!initialised) {
        return false;
    }
    deletePlaylistOnComplete = deleteOnComplete;
    MafwRegistry* registry = MafwRegistry::instance();
    MafwPlaylist* found = registry ? registry->findPlaylist(playlistId) : nullptr;
    if (!found) {
        return false;
    }
    setPlaylistToRenderer(found);
    if (contentType != KelPlayControls::NoContent) {
        return true;
    }
    if (errorsAllowed) {
        Q_EMIT error(MafwError(MafwError::PlaylistNotInUse, QString()));
    }
    return false;
}

void KelInternalPlayControls::setPlaylistToRenderer(MafwPlaylist* newPlaylist)
{
    if (MafwRenderer* renderer = currentRendererInUse(contentType)) {
        renderer->stop();
        changeContentType(KelPlayControls::NoContent);
    }
    disconnectPlaylistContents();
    playlist = nullptr;
    pendingUri.clear();
    if (!newPlaylist) {
        return;
    }
    const KelPlayControls::ContentType type = playlistContent(newPlaylist);
    if (type == KelPlayControls::NoContent) {
        return;
    }
    MafwRenderer* target = renderers.value(type);
    if (!target) {
        pendingPlaylistType = type;
        pendingPlaylist = newPlaylist;
        return;
    }
    assignedPlaylistName = newPlaylist->name();
    changeContentType(type);
    target->assignPlaylist(newPlaylist);
    playlist = newPlaylist;
}

void KelInternalPlayControls::handlePendingPlaylist()
{
    if (pendingPlaylistType == KelPlayControls::NoContent) {
        return;
    }
    MafwRenderer* renderer = currentRendererInUse(pendingPlaylistType);
    if (!renderer) {
        return;
    }
    MafwPlaylist* waiting = pendingPlaylist;
    clearPendingPlaylist();
    if (!waiting) {
        return;
    }
    setPlaylistToRenderer(waiting);
    if (callActive) {
        Q_EMIT error(playDuringCallError());
        return;
    }
    renderer->play();
}

void KelInternalPlayControls::clearPendingPlaylist()
{
    pendingPlaylistType = KelPlayControls::NoContent;
    pendingPlaylist = nullptr;
}

void KelInternalPlayControls::handlePlaylistChange(MafwRenderer* from, MafwPlaylist* newPlaylist)
{
    MafwRenderer* inUse = currentRendererInUse(contentType);
    if (!inUse || from != inUse || !newPlaylist || newPlaylist->name() != assignedPlaylistName) {
        return;
    }
    disconnectPlaylistContents();
    playlist = newPlaylist;
    connect(newPlaylist, &MafwPlaylist::contentsChanged, this,
            &KelInternalPlayControls::handlePlaylistContentsChanged, Qt::UniqueConnection);
    Q_EMIT playlistChanged(newPlaylist);
    if (shuffleState == ShuffleWhenPlaylistArrives) {
        shufflePlay(shuffleStartIndex);
    }
}

void KelInternalPlayControls::handlePlaylistContentsChanged(uint from, uint remove, uint get)
{
    Q_UNUSED(from)
    Q_UNUSED(remove)
    Q_UNUSED(get)
    Q_EMIT playlistContentsChanged(playlist);
}

void KelInternalPlayControls::disconnectPlaylistContents()
{
    if (playlist) {
        disconnect(playlist, &MafwPlaylist::contentsChanged, this,
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
    startingIndex = int(index);
    awaitingStartingIndex = true;
    // The latest start decides whether the playlist is shuffled.
    shuffleState = shuffled ? ShuffleWhenPlaying : NoShufflePending;
    changeContentType(KelPlayControls::PlaylistContent);
    startPlay();
}

void KelInternalPlayControls::startPlay()
{
    allowErrors();
    MafwRenderer* renderer = currentRendererInUse(contentType);
    if (callActive || !renderer) {
        // Nothing starts: neither a shuffle nor the starting item is to be waited for.
        shuffleState = NoShufflePending;
        awaitingStartingIndex = false;
        if (callActive) {
            Q_EMIT error(playDuringCallError());
        }
        return;
    }
    renderer->assignPlaylist(playlist);
    // Told first: the renderer may report the real item from inside gotoIndex().
    if (startingIndex == 0) {
        onMediaChanged(0, MafwContent());
    }
    renderer->gotoIndex(uint(startingIndex));
    renderer->play();
    // A renderer already playing moves to the item and keeps playing: no Playing report
    // follows, so the starting item is current now.
    if (rendererState == MafwRenderer::Playing) {
        shuffleNow();
    }
}

void KelInternalPlayControls::shuffleNow()
{
    if (shuffleState == ShuffleWhenPlaying && playlist) {
        shuffleState = NoShufflePending;
        playlist->shuffle();
    }
}

void KelInternalPlayControls::shufflePlay(int index)
{
    const char* signature = "void KelInternalPlayControls::shufflePlay(int)";
    if (isNegativeIndex(index, signature)) {
        return;
    }
    shuffleStartIndex = index;
    if (!playlist) {
        shuffleState = ShuffleWhenPlaylistArrives;
        return;
    }
    shuffleState = NoShufflePending;
    if (isPlaylistIndex(uint(index), signature)) {
        playlist->unshuffle();
        startPlaylistAt(uint(index), true);
    }
}

void KelInternalPlayControls::stop()
{
    if (MafwRenderer* renderer = currentRendererInUse(contentType)) {
        renderer->stop();
    }
}

void KelInternalPlayControls::pause()
{
    if (MafwRenderer* renderer = currentRendererInUse(contentType)) {
        renderer->pause();
    }
}

void KelInternalPlayControls::pauseAt(uint seconds)
{
    if (MafwRenderer* renderer = currentRendererInUse(contentType)) {
        renderer->pauseAt(seconds);
    }
}

void KelInternalPlayControls::resume()
{
    MafwRenderer* renderer = currentRendererInUse(contentType);
    if (!renderer) {
        return;
    }
    if (callActive) {
        Q_EMIT error(MafwError(MafwError::CannotResumeDuringCall,
                               QStringLiteral("Playback cannot resume during a call")));
        return;
    }
    allowErrors();
    renderer->resume();
}

void KelInternalPlayControls::next()
{
    if (MafwRenderer* renderer = currentRendererInUse(contentType)) {
        allowErrors();
        renderer->next();
    }
}

void KelInternalPlayControls::previous()
{
    if (MafwRenderer* renderer = currentRendererInUse(contentType)) {
        allowErrors();
        // Reported at once without touching the request counts: no request was made.
        Q_EMIT positionChanged(0, duration);
        renderer->previous();
    }
}

void KelInternalPlayControls::setPosition(uint seconds)
{
    MafwRenderer* renderer = currentRendererInUse(contentType);
    if (!renderer) {
        return;
    }
    allowErrorsAfterTimeout(SeekErrorGateSeconds);
    if (rendererState != MafwRenderer::Stopped) {
        positionRepliesToSkip = pendingPositionRequests;
        const uint limit = uint(std::numeric_limits<int>::max());
        renderer->seekTo(int(qMin(seconds, limit)), MafwRenderer::SeekAbsolute);
    } else {
        renderer->pauseAt(seconds);
    }
    if (pendingPositionRequests != 0) {
        startPositionTimer();
    } else {
        getPosition();
    }
}

void KelInternalPlayControls::setPlaylistIndex(int index)
{
    MafwRenderer* renderer = currentRendererInUse(contentType);
    if (!renderer) {
        return;
    }
    const char* signature = "void KelInternalPlayControls::setPlaylistIndex(int)";
    if (isNegativeIndex(index, signature) || !isPlaylistIndex(uint(index), signature)) {
        return;
    }
    allowErrors();
    startingIndex = index;
    awaitingStartingIndex = true;
    renderer->gotoIndex(uint(index));
}

void KelInternalPlayControls::playUri(const QUrl& uri)
{
    Q_EMIT playbackAboutToStart();
    clearPlaylist();
    clearPendingPlaylist();
    if (renderers.contains(KelPlayControls::UriContent)) {
        pendingUri.clear();
        playUriWithGstRenderer(uri);
    } else {
        pendingUriIsPlaylist = false;
        pendingUri = uri;
    }
}

void KelInternalPlayControls::playUriWithGstRenderer(const QUrl& uri)
{
    changeContentType(KelPlayControls::UriContent);
    MafwRenderer* renderer = currentRendererInUse(contentType);
    if (!renderer) {
        return;
    }
    mimeType = QString();
    allowErrors();
    renderer->playUri(uri, nullptr);
}

void KelInternalPlayControls::playPlaylist(const QUrl& url, const QString& type)
{
    duration = DurationOfStream;
    Q_EMIT playbackAboutToStart();
    if (url.toString() != playlistUrl.toString()) {
        clearPlaylist();
    }
    shuffleState = NoShufflePending;
    clearPendingPlaylist();
    if (renderers.contains(KelPlayControls::UriContent)) {
        pendingUri.clear();
        playPlaylistWithGstRenderer(url, type);
    } else {
        pendingUriIsPlaylist = true;
        pendingUri = url;
        pendingMimeType = type;
    }
}

void KelInternalPlayControls::playPlaylistWithGstRenderer(const QUrl& url, const QString& type)
{
    changeContentType(KelPlayControls::UriContent);
    MafwRenderer* renderer = currentRendererInUse(contentType);
    if (!renderer) {
        return;
    }
    playlistUrl = url;
    mimeType = type;
    allowErrors();
    renderer->playPlaylistUri(url, type);
}

void KelInternalPlayControls::clearPlaylist()
{
    if (MafwRenderer* renderer = currentRendererInUse(contentType)) {
        renderer->stop();
    }
    clearMetadataHandler(contentType);
    startingIndex = NoIndex;
    shuffleState = NoShufflePending;
    if (playlist && !playlist->isPermanent() && deletePlaylistOnComplete) {
        changeContentType(KelPlayControls::NoContent);
        disconnectPlaylistContents();
        const QString name = playlist->name();
        playlist = nullptr;
        MafwShared::instance()->unPublishPlaylist(name);
    }
    pendingUri.clear();
    if (rendererState == MafwRenderer::Stopped) {
        Q_EMIT playbackCompleted();
    } else {
        completionPending = true;
    }
}
