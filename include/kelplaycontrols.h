#ifndef KELPLAYCONTROLS_H
#define KELPLAYCONTROLS_H

#include "kelmoraglobal.h"

#include <mafwerror.h>
#include <mafwrenderer.h>

#include <QObject>
#include <QUrl>

class KelInternalPlayControls;
class KelMetadataHandler;
class MafwPlaylist;

// The one object through which applications drive playback. Created by instance(), never
// deleted by the library; an application that deletes it gets a new one from instance().
class KELMORA_EXPORT KelPlayControls : public QObject
{
    Q_OBJECT
public:
    enum ContentType { PlaylistContent = 0, UriContent = 1, NoContent = 2 };
    Q_ENUM(ContentType)

    static KelPlayControls* instance();
    ~KelPlayControls() override;

    // Starts the engine; further calls are ignored.
    void init();
    // Takes ownership of handler.
    void setMetadataHandler(KelMetadataHandler* handler, KelPlayControls::ContentType type);

    bool isSeekable() const;
    // Extension: the output volume of the renderer, linear from 0 (silent) to 1 (full, also
    // without a renderer). setVolume() returns false when no renderer can change it; an
    // accepted change is announced with volumeChanged().
    double volume() const;
    bool setVolume(double volume);
    MafwRenderer::State state() const;
    KelPlayControls::ContentType contentType();
    bool isGoingToBeShuffled();
    QString mimeType();
    int startingIndexOfPlay();
    bool isPlaylistNew();
    void setPlaylistState(bool);
    bool isCallActive() const;
    MafwPlaylist* playlist();
    KelMetadataHandler* metaDataHandler(KelPlayControls::ContentType type) const;
    const KelMetadataHandler* item() const;
    KelMetadataHandler* mutableItem() const;

    void clearPlaylist();
    // Asks for the position; the answer comes later as positionChanged().
    void position();
    void enablePositionUpdates();
    void disablePositionUpdates();
    void emitAboutToPlayRadioStream();

Q_SIGNALS:
    void stateChanged(MafwRenderer::State newState);
    void playlistChanged(MafwPlaylist* playlist);
    void playlistContentsChanged(MafwPlaylist* playlist);
    void mediaChanged(const KelMetadataHandler* handler);
    void metadataChanged(const KelMetadataHandler* handler);
    void positionChanged(uint position, int duration);
    void volumeChanged(double volume);
    void bufferingChanged(float status);
    void callActivated(bool enabled);
    void playbackCompleted();
    void error(const MafwError& error);
    void contentTypeChanged();
    void playbackAboutToStart();
    void aboutToPlayRadioStream();

public Q_SLOTS:
    bool setPlaylist(const QString& playlistId, bool deletePlaylistOnComplete = true);
    void play(uint index = 0);
    void shufflePlay(int index);
    void stop();
    void pause();
    void pauseAt(uint seconds);
    void resume();
    void next();
    void previous();
    void setPosition(uint seconds);
    void setPlaylistIndex(int index);
    void play(const QUrl& uri);
    void playPlaylist(const QUrl& url, const QString& mimeType);

private:
    KelPlayControls();

    KelInternalPlayControls* engine;
};

#endif
