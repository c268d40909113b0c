#ifndef KELPLAYCONTROLS_H
#define KELPLAYCONTROLS_H

#include "kelmora_export.h"

#include <mafwerror.h>
#include <mafwrenderer.h>

#include <QObject>
#include <QUrl>

class KelInternalPlayControls;
class KelMetadataHandler;
class MafwPlaylist;

/**
 * @brief The one object through which applications drive playback.
 *
 * Created by instance(), never deleted by the library; an application that deletes it gets a
 * new one from instance(). Call init() once before the commands: it loads the renderer
 * plug-in, finds the renderer "mafw_gst_renderer" (or waits for it to be added to the
 * registry), and follows the phone-call state and the task switcher.
 *
 * Commands go to the renderer of the current content type and return at once; their effects
 * arrive later as signals, whose order follows the renderer's (see MafwRenderer). A command
 * without a renderer does nothing, except play(const QUrl&) and playPlaylist(), which wait
 * for the renderer and are carried out once it is added. While a phone call is active a start
 * is refused with error() MafwError::CannotPlayDuringCall (322) and a resume with
 * MafwError::CannotResumeDuringCall (329).
 *
 * Errors are gated: after a command that starts or moves playback the renderer's next error
 * is passed on with error(); after it, errors other than MafwError::TransientError are held
 * back until the next such command, so one failure gives one error(). A seek opens the gate
 * three seconds later.
 *
 * All of it lives on the main thread, like every class of the library.
 */
class KELMORA_EXPORT KelPlayControls : public QObject
{
    Q_OBJECT
public:
    /// What is being played, and so which metadata handler describes the item.
    enum ContentType { PlaylistContent = 0, UriContent = 1, NoContent = 2 };
    Q_ENUM(ContentType)
    /** @var KelPlayControls::PlaylistContent
        A shared playlist, put in use by setPlaylist(). */
    /** @var KelPlayControls::UriContent
        One URI or the entries of a playlist file, given to play(const QUrl&) or playPlaylist(). */
    /** @var KelPlayControls::NoContent
        Nothing: the playlist was cleared, or none could be put in use. */

    /// The facade, created on first use with no parent; the caller does not own it.
    static KelPlayControls* instance();
    /// Deletes the engine and the metadata handlers it owns; instance() then makes a new one.
    ~KelPlayControls() override;

    /// Starts the engine: shared playlists, renderer discovery, timers, call and switcher
    /// tracking. Further calls are ignored; emits callActivated() with the current call state.
    void init();
    /// Registers the handler describing items of content type @p type; takes ownership of
    /// @p handler and deletes the one registered before for that type (unless it is also
    /// registered for another type). Null removes it without deleting.
    void setMetadataHandler(KelMetadataHandler* handler, KelPlayControls::ContentType type);

    /// Whether the current item can be sought, as the renderer last reported (true until then).
    bool isSeekable() const;
    /// The output volume of the renderer, linear from 0 (silent) to 1 (full; also without a
    /// renderer).
    double volume() const;
    /// Sets the output volume; false when no renderer can change it. An accepted change that
    /// moves the volume is announced with volumeChanged() before this returns.
    bool setVolume(double volume);
    /// The renderer's state as last reported (MafwRenderer::Stopped at first).
    MafwRenderer::State state() const;
    /// What is being played: a playlist, a URI, or nothing.
    KelPlayControls::ContentType contentType();
    /// True between shufflePlay() and the moment the playlist is shuffled.
    bool isGoingToBeShuffled();
    /// The MIME type given to the playlist URL being played; empty for a plain URI.
    QString mimeType();
    /// The playlist index the last play(), shufflePlay() or setPlaylistIndex() started at;
    /// -1 after the playlist was cleared.
    int startingIndexOfPlay();
    /// True from setPlaylist() until the application calls setPlaylistState(false).
    bool isPlaylistNew();
    /// Marks the playlist as new or seen; the library only sets it in setPlaylist().
    void setPlaylistState(bool);
    /// Whether a phone call is active or alerting (context property "Phone.Call").
    bool isCallActive() const;
    /// The playlist in use, owned by MafwShared; null when none. It may be deleted when it
    /// is unpublished, so do not keep it.
    MafwPlaylist* playlist();
    /// The handler registered for @p type, owned by the library; null when none.
    KelMetadataHandler* metaDataHandler(KelPlayControls::ContentType type) const;
    /// The handler of the current content type, owned by the library; null when none.
    const KelMetadataHandler* item() const;
    /// The same handler, writable.
    KelMetadataHandler* mutableItem() const;

    /// Stops the renderer, clears the current handler, unpublishes (and so deletes) a
    /// non-permanent playlist set with deletePlaylistOnComplete, then emits
    /// playbackCompleted(): at once when stopped, else after the renderer reports Stopped.
    void clearPlaylist();
    /// Asks the renderer for the position; the answer comes later as positionChanged().
    void position();
    /// Polls the position again (once a second while playing, every ten seconds while the
    /// window is in the task switcher); cancels a disablePositionUpdates() still under way.
    void enablePositionUpdates();
    /// Stops polling the position half a second from now.
    void disablePositionUpdates();
    /// Emits aboutToPlayRadioStream(), for the application's own wiring.
    void emitAboutToPlayRadioStream();

Q_SIGNALS:
    /// The renderer in use reported @p newState. When a clearPlaylist() completes,
    /// playbackCompleted() comes first, then this with MafwRenderer::Stopped.
    void stateChanged(MafwRenderer::State newState);
    /// The renderer took @p playlist in use after setPlaylist(); not owned by the receiver.
    void playlistChanged(MafwPlaylist* playlist);
    /// Items were added to or removed from the playlist in use.
    void playlistContentsChanged(MafwPlaylist* playlist);
    /// A new item became current; @p handler (owned by the library) already describes it.
    /// Items passed on the way to the index asked for are not reported. The handler's own
    /// mediaChanged() is passed on here too.
    void mediaChanged(const KelMetadataHandler* handler);
    /// The current handler's description of the item changed.
    void metadataChanged(const KelMetadataHandler* handler);
    /// The position in seconds and the duration in seconds (-1 for a stream of unknown
    /// length, -2 before the renderer reported one). Replies asked before a seek are dropped.
    void positionChanged(uint position, int duration);
    /// The output volume changed through setVolume().
    void volumeChanged(double volume);
    /// Buffering progress of a network stream, from 0 to 1.
    void bufferingChanged(float status);
    /// A phone call became active (true) or ended (false); also emitted by init().
    void callActivated(bool enabled);
    /// The playlist or URI played to its end, or clearPlaylist() completed; comes before the
    /// stateChanged() to MafwRenderer::Stopped.
    void playbackCompleted();
    /// A failure, with one of MafwError's documented codes; gated as the class says.
    void error(const MafwError& error);
    /// contentType() changed.
    void contentTypeChanged();
    /// A start was asked (play(), shufflePlay(), playPlaylist(), a URI); emitted before
    /// anything is sent to the renderer, also when a call then refuses it.
    void playbackAboutToStart();
    /// Emitted by emitAboutToPlayRadioStream() only.
    void aboutToPlayRadioStream();

public Q_SLOTS:
    /// Puts the shared playlist named @p playlistId in use (stopping what played). With
    /// @p deletePlaylistOnComplete a non-permanent playlist is unpublished when playback
    /// completes or is cleared. False before init(), when no such playlist is published, or
    /// when it could not be put in use (then error() MafwError::PlaylistNotInUse, 319). Without
    /// a renderer yet, the playlist waits and plays once the renderer is added.
    bool setPlaylist(const QString& playlistId, bool deletePlaylistOnComplete = true);
    /// Plays the playlist in use from @p index (in play order); an index beyond the playlist
    /// is ignored with a warning. mediaChanged() follows for that item.
    void play(uint index = 0);
    /// Plays from @p index, then shuffles the playlist once that item plays; without a
    /// playlist yet, waits for the next playlistChanged(). A negative index is ignored.
    void shufflePlay(int index);
    /// Stops the renderer in use.
    void stop();
    /// Pauses the renderer in use.
    void pause();
    /// Pauses at @p seconds into the current item.
    void pauseAt(uint seconds);
    /// Resumes a paused renderer; refused during a call with MafwError::CannotResumeDuringCall.
    void resume();
    /// Moves to the next item of the playlist.
    void next();
    /// Moves to the previous item; emits positionChanged() with position 0 at once.
    void previous();
    /// Seeks to @p seconds (when stopped: pauses there); a position follows.
    void setPosition(uint seconds);
    /// Moves to @p index of the playlist in use, keeping the play state; an index out of
    /// range is ignored with a warning.
    void setPlaylistIndex(int index);
    /// Plays one URI (content type UriContent) after clearPlaylist(); without a renderer
    /// yet, the URI waits and plays once the renderer is added.
    void play(const QUrl& uri);
    /// Plays the entries of a playlist file at @p url of MIME type @p mimeType (for example
    /// "audio/x-scpls" or "audio/x-mpegurl"); an invalid URL or empty type is ignored with a
    /// warning. Waits for the renderer as play(const QUrl&) does.
    void playPlaylist(const QUrl& url, const QString& mimeType);

private:
    KelPlayControls();

    KelInternalPlayControls* m_engine;
};

#endif
