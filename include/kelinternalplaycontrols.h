#ifndef KELINTERNALPLAYCONTROLS_H
#define KELINTERNALPLAYCONTROLS_H

#include "kelmora_export.h"
#include "kelplaycontrols.h"

#include <mafwcontent.h>
#include <mafwerror.h>
#include <mafwrenderer.h>

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

class ContextProperty;
class KelMetadataHandler;
class MApplicationWindow;
class MafwPlaylist;

/// @brief The playback engine behind KelPlayControls.
///
/// Finds the renderer, hands it playlists and URIs, tracks its state and position, gates its
/// errors and follows phone calls and the task switcher. Owned by the facade, which forwards
/// its signals; applications use KelPlayControls, whose documentation describes the
/// behaviour. Installed only because the facade's header names it; main thread only.
class KELMORA_EXPORT KelInternalPlayControls : public QObject
{
    Q_OBJECT
    friend class KelPlayControls;

public:
    /// Makes an idle engine; nothing happens before init().
    explicit KelInternalPlayControls(QObject* parent = nullptr);
    /// Deletes every metadata handler registered, each once.
    ~KelInternalPlayControls() override;

    /// Starts shared-playlist tracking, renderer discovery, the timers and the call and
    /// switcher wiring, then emits callActivated() with the call state. Idempotent.
    void init();
    /// Takes the renderer "mafw_gst_renderer" from the registry when it is there and listens
    /// for renderers added and removed; true when a renderer was found or the listening is set.
    bool getRenderers();
    /// The renderer for @p type, looked up again in the registry when unknown; null when none.
    /// Not owned.
    MafwRenderer* currentRendererInUse(KelPlayControls::ContentType type);
    /// Makes @p type current: wires its metadata handler and unwires the other's; emits
    /// contentTypeChanged() when the type changed.
    void changeContentType(KelPlayControls::ContentType type);
    /// The content type a playlist is played as (always KelPlayControls::PlaylistContent).
    KelPlayControls::ContentType playlistContent(MafwPlaylist* playlist);
    /// Connects the engine to @p renderer's signals (once; null is ignored).
    void connectRendererSignals(MafwRenderer* renderer);

    /// See KelPlayControls::setPlaylist().
    bool setPlaylist(const QString& playlistId, bool deletePlaylistOnComplete);
    /// Stops what plays and assigns @p playlist to its renderer, or keeps it pending until the
    /// renderer is added; null only drops the playlist in use.
    void setPlaylistToRenderer(MafwPlaylist* playlist);
    /// Assigns and plays the pending playlist once its renderer is there.
    void handlePendingPlaylist();
    /// Forgets the pending playlist.
    void clearPendingPlaylist();
    /// See KelPlayControls::play(uint).
    void play(uint index);
    /// See KelPlayControls::shufflePlay().
    void shufflePlay(int index);
    /// See KelPlayControls::stop().
    void stop();
    /// See KelPlayControls::pause().
    void pause();
    /// See KelPlayControls::pauseAt().
    void pauseAt(uint seconds);
    /// See KelPlayControls::resume().
    void resume();
    /// See KelPlayControls::next().
    void next();
    /// See KelPlayControls::previous().
    void previous();
    /// See KelPlayControls::setPosition().
    void setPosition(uint seconds);
    /// See KelPlayControls::setPlaylistIndex().
    void setPlaylistIndex(int index);
    /// See KelPlayControls::play(const QUrl&).
    void playUri(const QUrl& uri);
    /// Hands @p uri to the renderer at once (content type UriContent).
    void playUriWithGstRenderer(const QUrl& uri);
    /// See KelPlayControls::playPlaylist().
    void playPlaylist(const QUrl& url, const QString& mimeType);
    /// Hands the playlist URL to the renderer at once (content type UriContent).
    void playPlaylistWithGstRenderer(const QUrl& url, const QString& mimeType);

    /// Polls the position while the renderer plays; stops polling otherwise.
    void startPositionTimer();
    /// Lets the renderer's errors through again @p seconds from now.
    void allowErrorsAfterTimeout(uint seconds);

    /// See KelPlayControls::setMetadataHandler(); the engine owns every handler registered
    /// with it.
    void setMetadataHandler(KelMetadataHandler* handler, KelPlayControls::ContentType type);
    /// Calls clear() on the handler of @p type, which stays registered.
    void clearMetadataHandler(KelPlayControls::ContentType type);
    /// The handler of the current content type; null when none. Owned by the engine.
    const KelMetadataHandler* metadataHandler() const;
    /// The same handler, writable.
    KelMetadataHandler* mutableMetadataHandler() const;
    /// Wires the handler of @p type to its renderer and to the engine's signals; false when
    /// either is missing.
    bool connectMetadataHandlerSignals(KelPlayControls::ContentType type);
    /// Undoes connectMetadataHandlerSignals().
    void disconnectMetadataHandlerSignals(KelPlayControls::ContentType type);

Q_SIGNALS:
    /// Forwarded as KelPlayControls::playlistChanged().
    void playlistChanged(MafwPlaylist* playlist);
    /// Forwarded as KelPlayControls::playlistContentsChanged().
    void playlistContentsChanged(MafwPlaylist* playlist);
    /// Forwarded as KelPlayControls::stateChanged().
    void stateChanged(MafwRenderer::State state);
    /// Forwarded as KelPlayControls::mediaChanged().
    void mediaChanged(const KelMetadataHandler* handler);
    /// Forwarded as KelPlayControls::metadataChanged().
    void metadataChanged(const KelMetadataHandler* handler);
    /// Forwarded as KelPlayControls::positionChanged().
    void positionChanged(uint position, int duration);
    /// Forwarded as KelPlayControls::bufferingChanged().
    void bufferingChanged(float status);
    /// Forwarded as KelPlayControls::playbackCompleted().
    void playbackCompleted();
    /// Forwarded as KelPlayControls::callActivated().
    void callActivated(bool active);
    /// Forwarded as KelPlayControls::error().
    void error(const MafwError& error);
    /// Forwarded as KelPlayControls::contentTypeChanged().
    void contentTypeChanged();
    /// Forwarded as KelPlayControls::playbackAboutToStart().
    void playbackAboutToStart();
    /// The renderer was removed from the registry (a state other than Stopped is reported as
    /// Stopped first); commands find no renderer until it returns.
    void rendererLost();

private Q_SLOTS:
    void addRenderer(const QString& id, const QString& name);
    void removeRenderer(const QString& id, const QString& name);
    void startPlay();
    void handleMafwPropertyChange(const QString& name, const QVariant& value);
    void stopPositionTimer();
    void restartPositionTimer();
    void handlePlaylistContentsChanged(uint from, uint remove, uint get);
    void getPosition();
    void updatePosition(uint position);
    void onMediaChanged(int index, const MafwContent& content);
    void handleMetadataChange(const QString& metadata, const QList<QVariant>& values);
    void clearPlaylist();
    void handleMafwError(const MafwError& e);
    void callStatePropertyChecker();
    void disablePositionUpdates();
    void enablePositionUpdates();
    void allowErrors();
    void blockErrors();
    void handleSwitcherEntered();
    void handleSwitcherExited();

private:
    void handlePlaylistChange(MafwRenderer* from, MafwPlaylist* newPlaylist);
    void handleRendererStateChange(MafwRenderer* from, MafwRenderer::State newState);

    // What shuffleState says.
    enum ShuffleState {
        ShuffleWhenPlaylistArrives = 0, // shufflePlay() without a playlist
        ShuffleWhenPlaying = 1,         // shuffle once the renderer plays the starting item
        NoShufflePending = 2,
    };
    static constexpr int NoIndex = -1;
    // duration before the renderer reported one, and after a playlist URL was started.
    static constexpr int DurationNotReported = -2;
    static constexpr int DurationOfStream = -1;
    static constexpr int PositionPollMs = 1000;
    static constexpr int SwitcherPositionPollMs = 10000;
    static constexpr int PositionStopDelayMs = 500;
    // Errors are let through again this long after a seek.
    static constexpr uint SeekErrorGateSeconds = 3;

    void startPlaylistAt(uint index, bool shuffled);
    void shuffleNow();
    bool isPlaylistIndex(uint index, const char* signature) const;
    void followActiveWindow();
    void applyRendererState(MafwRenderer::State newState);
    void disconnectPlaylistContents();
    void forgetMetadataHandler(QObject* handler);

    QHash<KelPlayControls::ContentType, KelMetadataHandler*> m_metadataHandlers;
    QHash<KelPlayControls::ContentType, MafwRenderer*> m_renderers;
    // Guarded: a playlist may be unpublished (and deleted) by others while in use.
    QPointer<MafwPlaylist> m_playlist;
    KelPlayControls::ContentType m_pendingPlaylistType = KelPlayControls::PlaylistContent;
    QPointer<MafwPlaylist> m_pendingPlaylist;
    KelPlayControls::ContentType m_contentType = KelPlayControls::PlaylistContent;
    bool m_seekable = true;
    MafwRenderer::State m_rendererState = MafwRenderer::Stopped;
    QString m_gstRendererId;
    QString m_seekableKey;
    QString m_durationKey;
    int m_startingIndex = NoIndex;
    bool m_awaitingStartingIndex = false;
    int m_duration = DurationNotReported;
    QTimer* m_positionTimer;     // child of the engine
    QTimer* m_positionStopTimer; // child of the engine
    QString m_assignedPlaylistName;
    QUrl m_pendingUri;
    bool m_pendingUriIsPlaylist = false;
    QString m_pendingMimeType;                      // of a pending playlist URL
    ContextProperty* m_callStateProperty = nullptr; // child of the engine, made by init()
    QString m_callStateKey;
    bool m_callActive = false;
    bool m_resumeAfterCall = false;
    bool m_deletePlaylistOnComplete = false;
    bool m_completionPending = false;
    bool m_playlistNew = false;
    ShuffleState m_shuffleState = NoShufflePending;
    int m_pendingPositionRequests = 0;
    int m_positionRepliesToSkip = 0;
    bool m_errorsAllowed = true;
    bool m_initialised = false;
    QUrl m_playlistUrl;
    QTimer m_allowErrorsTimer;
    int m_positionInterval = PositionPollMs;
    int m_switcherPositionInterval = SwitcherPositionPollMs;
    int m_shuffleStartIndex = 0;
    QString m_mimeType;
    QPointer<MApplicationWindow> m_switcherWindow; // the active window, whose switcher is followed
};

#endif
