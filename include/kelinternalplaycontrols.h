#ifndef KELINTERNALPLAYCONTROLS_H
#define KELINTERNALPLAYCONTROLS_H

#include "kelmoraglobal.h"
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

// The playback engine behind KelPlayControls: finds the renderer, hands it playlists and URIs,
// tracks its state and position, gates its errors and follows phone calls and the task
// switcher. Owned by the facade.
class KELMORA_EXPORT KelInternalPlayControls : public QObject
{
    Q_OBJECT
    friend class KelPlayControls;

public:
    explicit KelInternalPlayControls(QObject* parent = nullptr);
    ~KelInternalPlayControls() override;

    // Starts shared-playlist tracking, renderer discovery, the timers and the call and
    // switcher wiring. Idempotent.
    void init();
    bool getRenderers();
    // The renderer for type, looked up again in the registry when unknown; null when none.
    MafwRenderer* currentRendererInUse(KelPlayControls::ContentType type);
    void changeContentType(KelPlayControls::ContentType type);
    KelPlayControls::ContentType playlistContent(MafwPlaylist* playlist);
    void connectRendererSignals(MafwRenderer* renderer);

    // Commands and playlists.
    bool setPlaylist(const QString& playlistId, bool deletePlaylistOnComplete);
    void setPlaylistToRenderer(MafwPlaylist* playlist);
    void handlePendingPlaylist();
    void clearPendingPlaylist();
    void play(uint index);
    void shufflePlay(int index);
    void stop();
    void pause();
    void pauseAt(uint seconds);
    void resume();
    void next();
    void previous();
    void setPosition(uint seconds);
    void setPlaylistIndex(int index);
    void playUri(const QUrl& uri);
    void playUriWithGstRenderer(const QUrl& uri);
    void playPlaylist(const QUrl& url, const QString& mimeType);
    void playPlaylistWithGstRenderer(const QUrl& url, const QString& mimeType);

    // Position polling and the error gate.
    void startPositionTimer();
    void allowErrorsAfterTimeout(uint seconds);

    // Metadata handlers; the engine owns every handler registered with it.
    void setMetadataHandler(KelMetadataHandler* handler, KelPlayControls::ContentType type);
    void clearMetadataHandler(KelPlayControls::ContentType type);
    const KelMetadataHandler* metadataHandler() const;
    KelMetadataHandler* mutableMetadataHandler() const;
    bool connectMetadataHandlerSignals(KelPlayControls::ContentType type);
    void disconnectMetadataHandlerSignals(KelPlayControls::ContentType type);

Q_SIGNALS:
    void playlistChanged(MafwPlaylist* playlist);
    void playlistContentsChanged(MafwPlaylist* playlist);
    void stateChanged(MafwRenderer::State state);
    void mediaChanged(const KelMetadataHandler* handler);
    void metadataChanged(const KelMetadataHandler* handler);
    void positionChanged(uint position, int duration);
    void bufferingChanged(float status);
    void playbackCompleted();
    void callActivated(bool active);
    void error(const MafwError& error);
    void contentTypeChanged();
    void playbackAboutToStart();
    // The renderer was removed from the registry; commands find no renderer until it returns.
    void rendererLost();

private Q_SLOTS:
    void addRenderer(const QString& id, const QString& name);
    void removeRenderer(const QString& id, const QString& name);
    void startPlay();
    void handlePlaylistChange(MafwPlaylist* newPlaylist);
    void handleMafwPropertyChange(const QString& name, const QVariant& value);
    void handleRendererStateChange(MafwRenderer::State newState);
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

    QHash<KelPlayControls::ContentType, KelMetadataHandler*> metadataHandlers;
    QHash<KelPlayControls::ContentType, MafwRenderer*> renderers;
    // Guarded: a playlist may be unpublished (and deleted) by others while in use.
    QPointer<MafwPlaylist> playlist;
    KelPlayControls::ContentType pendingPlaylistType = KelPlayControls::PlaylistContent;
    QPointer<MafwPlaylist> pendingPlaylist;
    KelPlayControls::ContentType contentType = KelPlayControls::PlaylistContent;
    bool seekable = true;
    MafwRenderer::State rendererState = MafwRenderer::Stopped;
    QString gstRendererId;
    QString seekableKey;
    QString durationKey;
    int startingIndex = NoIndex;
    bool awaitingStartingIndex = false;
    int duration = DurationNotReported;
    QTimer* positionTimer;     // child of the engine
    QTimer* positionStopTimer; // child of the engine
    QString assignedPlaylistName;
    QUrl pendingUri;
    bool pendingUriIsPlaylist = false;
    QString pendingMimeType;                      // of a pending playlist URL
    ContextProperty* callStateProperty = nullptr; // child of the engine, made by init()
    QString callStateKey;
    bool callActive = false;
    bool resumeAfterCall = false;
    bool deletePlaylistOnComplete = false;
    bool completionPending = false;
    bool playlistNew = false;
    ShuffleState shuffleState = NoShufflePending;
    int pendingPositionRequests = 0;
    int positionRepliesToSkip = 0;
    bool errorsAllowed = true;
    bool initialised = false;
    QUrl playlistUrl;
    QTimer allowErrorsTimer;
    int positionInterval = PositionPollMs;
    int switcherPositionInterval = SwitcherPositionPollMs;
    int shuffleStartIndex = 0;
    QString mimeType;
    QPointer<MApplicationWindow> switcherWindow; // the active window, whose switcher is followed
};

#endif
