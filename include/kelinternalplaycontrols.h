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
class MafwPlaylist;

// The playback engine behind KelPlayControls: finds the renderer, hands it playlists and URIs,
// tracks its state and position, gates its errors and follows phone calls and the task
// switcher. Owned by the facade.
class KELMORA_EXPORT KelInternalPlayControls : public QObject
{
    Q_OBJECT
    friend class KelPlayControls;
    friend class KelPlaybackTestAccess;

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
    void applyRendererState(MafwRenderer::State newState);
    void disconnectPlaylistContents();
    void dropMetadataHandler(KelPlayControls::ContentType type);
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
    int startingIndex = -1;
    bool awaitingStartingIndex = false;
    int duration = -2;
    QTimer* positionTimer;     // child of the engine
    QTimer* positionStopTimer; // child of the engine
    QString assignedPlaylistName;
    QUrl pendingUri;
    bool pendingUriIsPlaylist = false;
    ContextProperty* callStateProperty = nullptr; // child of the engine, made by init()
    QString callStateKey;
    bool callActive = false;
    bool resumeAfterCall = false;
    bool deletePlaylistOnComplete = false;
    bool completionPending = false;
    bool playlistNew = false;
    int shuffleState = 2;
    int pendingPositionRequests = 0;
    int positionRepliesToSkip = 0;
    bool errorsAllowed = true;
    bool initialised = false;
    QUrl playlistUrl;
    QTimer allowErrorsTimer;
    int positionInterval = 1000;
    int switcherPositionInterval = 10000;
    int shuffleStartIndex = 0;
    QString mimeType;
};

#endif
