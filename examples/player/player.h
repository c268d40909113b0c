#ifndef PLAYER_H
#define PLAYER_H

#include "playerarguments.h"
#include "playeritem.h"

#include <mafwerror.h>
#include <mafwrenderer.h>

#include <QHash>
#include <QObject>
#include <QPointer>

class KelMetadataHandler;
class KelPlayControls;
class MafwPlaylist;
class PlayerMetadataHandler;

// Plays what the command line names through KelPlayControls and keeps what the front ends
// (status line, window, MPRIS service) show: state, position, the items and the current one.
// Errors are reported as messages; an item that fails is skipped. finished() comes once the
// last item has played, failed, or the user quit.
class Player : public QObject
{
    Q_OBJECT
public:
    enum ExitStatus { AllPlayed = 0, SomethingFailed = 1, UsageError = 2, Interrupted = 130 };
    static constexpr int NoIndex = -1;
    static constexpr int SeekStepSeconds = 10;

    // controls is not owned; the player registers its metadata handlers with it.
    explicit Player(KelPlayControls* controls, QObject* parent = nullptr);
    ~Player() override;

    // Starts playing; false (after a message) when nothing can play.
    bool start(const PlayerArguments& arguments);
    static QString playlistName();

    MafwRenderer::State state() const { return m_state; }
    uint position() const { return m_position; }
    // Seconds, or PlayerItem::UnknownDuration.
    int duration() const;
    // Play-order index of the current item, or NoIndex when nothing is under way.
    int currentIndex() const;
    int count() const;
    // In play order, with what has been learnt while playing them.
    QList<PlayerItem> items() const;
    PlayerItem currentItem() const;
    bool hasPlaylist() const { return m_mode == PlayerArguments::PlaySharedPlaylist; }
    bool isShuffled() const;
    bool canSeek() const;
    bool canGoNext() const;
    bool canGoPrevious() const;
    // Below 1 while a stream fills its buffer.
    float buffering() const { return m_buffering; }
    bool isFinished() const { return m_finished; }
    int exitStatus() const { return m_failed ? SomethingFailed : AllPlayed; }

public Q_SLOTS:
    void playPause();
    void play();
    void pause();
    void stop();
    void next();
    void previous();
    void seekBy(int seconds);
    void seekTo(uint seconds);
    void setShuffle(bool on);
    void toggleShuffle();
    void playIndex(int index);
    void quit();

Q_SIGNALS:
    void stateChanged(MafwRenderer::State state);
    void positionChanged(uint position);
    void seeked(uint position);
    void bufferingChanged(float status);
    // The current item, or what is known of it, changed.
    void itemChanged();
    // The items or their order changed.
    void itemsChanged();
    void message(const QString& text, bool isError);
    void finished(int exitStatus);

private:
    void onStateChanged(MafwRenderer::State state);
    void onPositionChanged(uint position, int duration);
    void onMediaChanged(const KelMetadataHandler* handler);
    void onMetadataChanged(const KelMetadataHandler* handler);
    void onError(const MafwError& error);
    void onCompleted();
    void finish();
    PlayerMetadataHandler* currentHandler() const;
    MafwPlaylist* playlist() const;
    PlayerItem knownItem(const QUrl& url) const;

    KelPlayControls* m_controls;
    QPointer<PlayerMetadataHandler> m_playlistHandler; // owned by the play controls
    QPointer<PlayerMetadataHandler> m_uriHandler;      // owned by the play controls
    QPointer<MafwPlaylist> m_playlist;                 // owned by MafwShared
    PlayerArguments::Mode m_mode = PlayerArguments::NothingToPlay;
    QList<PlayerItem> m_items;
    QHash<QUrl, PlayerItem> m_learnt;
    QString m_mimeType;
    MafwRenderer::State m_state = MafwRenderer::Stopped;
    uint m_position = 0;
    int m_engineDuration = PlayerItem::UnknownDuration;
    float m_buffering = 1.0f;
    int m_lastIndex = 0;
    bool m_active = false; // an item is under way; a completion now is the real end
    bool m_failed = false;
    bool m_finished = false;
};

#endif
