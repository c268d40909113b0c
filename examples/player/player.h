#ifndef PLAYER_H
#define PLAYER_H

#include "playerarguments.h"
#include "playeritem.h"
#include "terminalkeys.h"

#include <mafwerror.h>
#include <mafwrenderer.h>

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>

class KelMetadataHandler;
class KelPlayControls;
class MafwPlaylist;
class MafwPlaylistFetcher;
class PlayerMetadataHandler;

// Plays what the command line names through KelPlayControls and keeps what the front ends
// (status line, window, MPRIS service) show: state, position, the items and the current one.
// Errors are reported as messages; an item that fails is skipped. finished() comes once the
// last item has played, failed, or the user quit.
class Player : public QObject
{
    Q_OBJECT
public:
    // Also the process's exit status; a signal ends it with 128 + its number (130, 143).
    enum ExitStatus { AllPlayed = 0, SomethingFailed = 1, UsageError = 2 };
    static constexpr int NoIndex = -1;
    static constexpr int SeekStepSeconds = 10;
    static constexpr double VolumeStep = 0.1;
    // Tags of the items ahead are read this many at a time, for the first ReadAheadLimit items.
    static constexpr int ReadAheadAtOnce = 2;
    static constexpr int ReadAheadLimit = 500;
    enum Loop { LoopNone, LoopTrack, LoopPlaylist };

    // controls is not owned; the player registers its metadata handlers with it.
    explicit Player(KelPlayControls* controls, QObject* parent = nullptr);
    ~Player() override;

    // Starts playing; false (after a message) when nothing can play.
    bool start(const PlayerArguments& arguments);
    static QString playlistName();

    MafwRenderer::State state() const { return m_state; }
    uint position() const { return m_position; }
    // The position in microseconds, between the renderer's whole-second reports counted on
    // from the last one while playing.
    qint64 positionMicroseconds() const;
    // Seconds, or PlayerItem::UnknownDuration.
    int duration() const;
    // Play-order index of the current item, or NoIndex when nothing is under way.
    int currentIndex() const;
    int count() const;
    // In play order, with what has been learnt while playing them.
    QList<PlayerItem> items() const;
    PlayerItem currentItem() const;
    // The item a status shows: the current one, else the last one under way; or NoIndex.
    int shownIndex() const;
    // The item at a play-order index, with what is known of it.
    PlayerItem itemAt(int index) const;
    bool hasPlaylist() const { return m_mode == PlayerArguments::PlaySharedPlaylist; }
    bool isShuffled() const;
    bool canSeek() const;
    bool canGoNext() const;
    bool canGoPrevious() const;
    // Below 1 while a stream fills its buffer.
    float buffering() const { return m_buffering; }
    double volume() const;
    Loop loop() const { return m_loop; }
    bool isFinished() const { return m_finished; }
    // Finished because the last item ended, not because of quit().
    bool hasCompleted() const { return m_finished && m_completed; }
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
    void setVolume(double volume);
    void setLoop(Player::Loop loop);
    // Replaces the list with url (a file, stream or playlist) and plays it; false for a URL
    // that cannot be played.
    bool open(const QUrl& url);
    // The keys of the terminal, also those of the window.
    void handleKey(TerminalKeys::Key key);

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
    void volumeChanged(double volume);
    void loopChanged(Player::Loop loop);
    void finished(int exitStatus);
    // quit() was called: the front ends end the program.
    void quitRequested(int exitStatus);

private:
    void onStateChanged(MafwRenderer::State state);
    void onPositionChanged(uint position, int duration);
    void onMediaChanged(const KelMetadataHandler* handler);
    void onMetadataChanged(const KelMetadataHandler* handler);
    void onError(const MafwError& error);
    void onCompleted();
    void finish();
    // Hands Loop Track to the renderer where it can repeat the item itself.
    void applyRepeat();
    PlayerMetadataHandler* currentHandler() const;
    MafwPlaylist* playlist() const;
    PlayerItem knownItem(const QUrl& url) const;
    bool playItems(const QList<PlayerItem>& items);
    void onFetched(const QList<QUrl>& entries, const QString& error);
    // Asks the renderer for the tags of items not yet known, before their turn.
    void readAhead();
    void onRead(const QUrl& url, const QVariantMap& metadata);
    // Learns what other knows of its URL; true when something new was learnt.
    bool learn(const PlayerItem& other);
    QUrl urlAt(int index) const;
    // The play-order index of url in the playlist, or NoIndex.
    int indexOf(const QUrl& url) const;

    KelPlayControls* m_controls;
    QPointer<PlayerMetadataHandler> m_playlistHandler; // owned by the play controls
    QPointer<PlayerMetadataHandler> m_uriHandler;      // owned by the play controls
    QPointer<MafwPlaylist> m_playlist;                 // owned by MafwShared
    PlayerArguments::Mode m_mode = PlayerArguments::NothingToPlay;
    QList<PlayerItem> m_items;
    QHash<QUrl, PlayerItem> m_learnt;
    QSet<QUrl> m_asked; // read ahead, or being read
    int m_reading = 0;
    QString m_mimeType;
    MafwPlaylistFetcher* m_fetcher; // child
    Loop m_loop = LoopNone;
    // The item a track loop repeats, by URL: indexes change with shuffle, and an item the
    // renderer went on to by itself is told from one asked for by the URL asked for.
    QUrl m_loopUrl;
    QUrl m_startedUrl; // of the last item reported as started, and its index
    int m_startedIndex = -1;
    MafwRenderer::State m_state = MafwRenderer::Stopped;
    uint m_position = 0;
    QElapsedTimer m_sincePosition; // since m_position was reported
    int m_engineDuration = PlayerItem::UnknownDuration;
    float m_buffering = 1.0f;
    int m_lastIndex = 0;
    bool m_active = false; // an item is under way; a completion now is the real end
    bool m_failed = false;
    bool m_finished = false;
    bool m_completed = false;
    bool m_started = false; // something has been under way
};

#endif
