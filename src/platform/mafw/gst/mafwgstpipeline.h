#ifndef MAFWGSTPIPELINE_H
#define MAFWGSTPIPELINE_H

#include <mafwerror.h>

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTimer>
#include <QUrl>
#include <QVariant>

#include <atomic>

typedef struct _GstElement GstElement;
typedef struct _GstMessage GstMessage;
struct MafwGstOffer;

// Owns GStreamer's playbin: its sinks, its bus, the generation of the stream, the gapless
// hand-over, seeks and queries. Bus messages are brought to the thread that owns the pipeline
// (the Qt main thread), handled in one place and reported as signals; messages of a stream
// since reset are dropped. Only the hand-over runs on a streaming thread.
class MafwGstPipeline : public QObject
{
    Q_OBJECT
public:
    enum Target { TargetPlaying, TargetPaused };
    static constexpr qint64 NoSeek = -1;
    static constexpr int Unknown = -1;             // duration or seekability not known yet
    static constexpr int DefaultStallTimeout = 15; // seconds
    // Beyond the stall timeout, so that a network source's own, more precise error comes first.
    static constexpr int DefaultStartTimeout = 20; // seconds
    static constexpr int SwitchSettleMs = 100;     // a position from before a switch is ignored

    explicit MafwGstPipeline(QObject* parent = nullptr);
    ~MafwGstPipeline() override;

    // The playbin, made on first use; null when GStreamer has none.
    GstElement* element();
    // The playbin's linear volume (0 to 1), kept for the playbin made later.
    double volume() const { return m_volume; }
    void setVolume(double volume);

    // Stops the stream (to NULL when releasing, else READY) and forgets everything about it.
    void reset(bool release);
    // Resets and loads uri, to be driven to target by run(); false without a playbin. A local
    // URI that is no regular file fails later with failed(), without reaching GStreamer.
    bool load(const QUrl& uri, Target target);
    void run();
    // Drives the loaded stream to another target; without one, the next load starts there.
    void setTarget(Target target);
    Target target() const { return m_target; }

    // Seeks the stream, at once or as soon as it can seek.
    void seek(qint64 milliseconds);
    qint64 positionMs() const;
    // No start or seek is still under way.
    bool isSettled() const { return m_prerolled && m_pendingSeekMs == NoSeek; }
    bool isPrerolled() const { return m_prerolled; }
    // The stream reached playing since it was loaded.
    bool hasPlayed() const { return m_hasPlayed; }
    int durationSeconds() const { return m_duration; }
    // Reports duration and seekability when they changed.
    void queryDurationAndSeekability();

    // Why a local URI may not reach GStreamer (missing, or not a regular file); no error for
    // a regular file or a remote URI. Never opens the file.
    static MafwError localFileProblem(const QUrl& uri);

    // Offers the items that follow for the gapless hand-over, replacing what was offered
    // before; none withdraws the offer.
    void offer(const QList<QUrl>& uris);

    // Seconds an HTTP source may go without data before it fails; applies to sources made
    // from then on.
    int stallTimeout() const { return m_stallTimeout; }
    void setStallTimeout(int seconds) { m_stallTimeout = qMax(1, seconds); }
    // Seconds a start, or a handed-over item, may go without progress (preroll, a change of the
    // buffer's fill, or the position moving on while the item before plays out) before it
    // fails: a stream that neither starts nor fails would hold playback for ever.
    int startTimeout() const { return m_startTimeoutMs / MsPerSecond; }
    void setStartTimeout(int seconds) { m_startTimeoutMs = qMax(1, seconds) * MsPerSecond; }

Q_SIGNALS:
    void playing();
    void paused();
    void ended();
    // An error that ends the stream, or a passing one (MafwError::TransientError).
    void failed(const MafwError& error);
    void tagFound(const QString& key, const QVariant& value);
    void durationChanged(int seconds);
    void seekableChanged(bool seekable);
    // How full the buffer of a network stream is, from 0 to 1.
    void bufferingChanged(float fill);
    // The sound server asks to cork the stream (false) or lets it play again (true).
    void stateRequested(bool playing);
    // The streaming thread took an offered item; it starts with the next stream group.
    void handedOver(const QByteArray& uri);
    // A new stream group started: a handed-over item plays now.
    void nextStreamStarted();
    // A handed-over item failed before it started; the stream playing goes on.
    void nextFailed(const QByteArray& uri, const MafwError& error);

protected:
    bool event(QEvent* event) override;

private:
    friend struct MafwGstPipelineHooks;

    static constexpr int MsPerSecond = 1000;

    void applyPendingSeek();
    // The watchdog of starts and hand-overs; see startTimeout().
    void watchProgress();
    void checkProgress();
    MafwError noProgress(const QUrl& uri) const;
    // Asks playbin for the state the target and buffering call for; while an asynchronous
    // change is under way the request waits for its end, as playbin may lose it otherwise.
    void driveState();
    bool isNetworkSource() const { return isNetwork(m_uri); }
    static bool isNetwork(const QUrl& uri);

    // Bus handling (mafwgstpipeline_bus.cpp).
    // from: the URI of the item the message comes from, when it can be told.
    void handleMessage(GstMessage* message, const QByteArray& from);
    void handleEndOfStream();
    void handleTags(GstMessage* message);
    void handleBuffering(GstMessage* message);
    void handleStreamStart(GstMessage* message);
    void handleStateChanged(GstMessage* message);
    void handleAsyncDone();
    MafwError mapError(GstMessage* message, const QUrl& uri, bool played) const;
    // The URI of the item the message comes from, or empty when it cannot be told.
    static QByteArray streamUriOf(GstMessage* message);

    GstElement* m_playbin = nullptr;
    double m_volume = 1.0;
    std::atomic<int> m_generation{0};            // bumped when the stream is reset
    std::atomic<MafwGstOffer*> m_offer{nullptr}; // taken by the streaming thread
    Target m_target = TargetPlaying;
    QUrl m_uri;                     // the stream playing or starting
    QByteArray m_encodedUri;        // as given to playbin
    QList<QByteArray> m_handedUris; // handed over, each starting at a new stream group
    QList<QByteArray> m_failedUris; // handed over, failed before they started
    bool m_groupKnown = false;      // m_group holds the stream group playing
    uint m_group = 0;
    bool m_prerolled = false; // the stream can seek and answer queries
    bool m_hasPlayed = false;
    bool m_buffering = false;        // a network stream held while it fills
    int m_requested = 0;             // the GstState last asked of playbin
    bool m_changing = false;         // an asynchronous state change is under way
    qint64 m_pendingSeekMs = NoSeek; // a seek waiting for the stream
    qint64 m_seekingToMs = NoSeek;   // a seek under way
    int m_duration = Unknown;        // seconds, as last reported
    int m_seekable = Unknown;        // as last reported
    QString m_missingPlugin;
    std::atomic<int> m_stallTimeout{DefaultStallTimeout}; // read on streaming threads
    bool m_notMedia = false;                              // the missing decoder is one for text
    QElapsedTimer m_switchedAt;                           // the last gapless switch
    qint64 m_staleMs = 0;                                 // the position then, of the item before
    bool m_errored = false;                 // playbin posted an error since the last reset
    std::atomic<bool> m_dataArrived{false}; // an HTTP source delivered data; set on its thread
    bool m_refused = false; // the URI never reached GStreamer; its failure is on its way
    QTimer m_watchdog;
    int m_startTimeoutMs = DefaultStartTimeout * MsPerSecond;
    bool m_started = false;      // prerolled or played since the load
    qint64 m_watchedMs = NoSeek; // the position when a hand-over was last checked
    int m_lastFill = -1;         // the buffer's fill in percent, as last reported
};

#endif
