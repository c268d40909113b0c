#ifndef MAFWGSTRENDERER_H
#define MAFWGSTRENDERER_H

#include <mafwrenderer.h>

#include <QHash>
#include <QPointer>
#include <QUrl>
#include <QVariant>

#include <atomic>

typedef struct _GstElement GstElement;
typedef struct _GstMessage GstMessage;
typedef struct _GstSample GstSample;
class MafwPlaylistFetcher;
struct MafwGstNextItem;

// A renderer on GStreamer's playbin. Plays a single URI, the items of an assigned playlist in
// play order (gaplessly) or the entries of a playlist file, and reports state, items,
// metadata, buffering and errors. Bus messages are handled on the thread that owns the
// renderer (the Qt main thread); only the gapless hand-over runs on a streaming thread.
class MafwGstRenderer : public MafwRenderer
{
    Q_OBJECT
    // The playbin, for tests and benchmarks that need to observe or poke it.
    Q_PROPERTY(qulonglong gstPipeline READ pipelineHandle)
    // The position in milliseconds, and whether no seek or start is still under way.
    Q_PROPERTY(qint64 positionMs READ positionMs)
    Q_PROPERTY(bool settled READ isSettled)

public:
    MafwGstRenderer(const QString& uuid, const QString& name, QObject* parent = nullptr);
    ~MafwGstRenderer() override;

    bool play() override;
    bool playUri(const QUrl& uri, const MafwContent* content = nullptr) override;
    bool playPlaylistUri(const QUrl& url, const QString& mimeType) override;
    bool stop() override;
    bool pause() override;
    bool pauseAt(uint seconds) override;
    bool resume() override;
    bool next() override;
    bool previous() override;
    bool gotoIndex(uint index) override;
    bool seekTo(int seconds, SeekMode mode = SeekAbsolute) override;
    bool assignPlaylist(MafwPlaylist* playlist) override;
    bool requestPosition(QObject* receiver, const char* member) override;

    State state() const { return m_state; }
    qulonglong pipelineHandle();
    qint64 positionMs() const;
    bool isSettled() const { return m_prerolled && m_pendingSeekMs < 0; }

protected:
    bool event(QEvent* event) override;

private:
    enum Source { NoSource, UriSource, PlaylistSource, PlaylistUrlSource };
    enum Target { TargetPlaying, TargetPaused };

    friend struct MafwGstRendererHooks;

    void ensurePipeline();
    // Stops the pipeline (to NULL when releasing, else READY) and forgets everything about
    // the item that was playing.
    void resetPipeline(bool release);
    void startItem(const QUrl& uri, Target target);
    bool startCurrent(Target target);
    bool startPlaylistIndex(int index, Target target);
    void startPlaylistEntry(int entry, Target target);
    bool moveTo(int index);
    void setState(State state);
    void finish();
    void fail(const MafwError& error);
    void reportMedia();
    // Offers the next item for the gapless hand-over.
    void publishNext();
    int currentIndex() const;
    int nextIndex() const;
    QUrl uriAt(int index) const;
    QUrl currentUri() const;
    void applyPendingSeek();
    void queryDurationAndSeekability();
    void answerPositionRequests();

    // Bus handling (mafwgstrenderer_bus.cpp).
    void handleMessage(GstMessage* message);
    void handleError(GstMessage* message);
    void handleEndOfStream();
    void handleTags(GstMessage* message);
    void setTag(const QString& key, const QVariant& value);
    static QUrl storeImage(GstSample* sample);
    void handleBuffering(GstMessage* message);
    void handleRequestState(GstMessage* message);
    void handleStreamStart(GstMessage* message);
    void handlePipelineState(int oldState, int newState);
    MafwError mapError(GstMessage* message) const;
    bool isNetworkSource() const;

    void onPlaylistFetched(const QList<QUrl>& entries, const QString& error);
    void onPlaylistContentsChanged();

    GstElement* m_pipeline = nullptr;
    std::atomic<int> m_generation{0};              // bumped when the pipeline is reset
    std::atomic<MafwGstNextItem*> m_next{nullptr}; // taken by the streaming thread

    State m_state = Stopped;
    Source m_source = NoSource;
    Target m_target = TargetPlaying;
    QUrl m_uri;
    QPointer<MafwPlaylist> m_playlist;
    int m_index = -1; // current play-order index of m_playlist
    struct HandedOver
    {
        QUrl uri;
        int index;
    };
    QList<HandedOver> m_handedOver; // items handed over, each starting at a new stream group
    int m_staleHandOvers = 0;       // handed over before the order changed: not to be played
    bool m_groupKnown = false;      // m_group holds the stream group playing
    uint m_group = 0;
    QUrl m_playlistUrl;
    QList<QUrl> m_entries; // entries of a playlist file
    int m_entry = -1;
    QString m_entryErrors;
    MafwPlaylistFetcher* m_fetcher = nullptr;

    bool m_prerolled = false; // the pipeline can seek and answer queries
    bool m_hasPlayed = false; // the current item reached playing
    bool m_buffering = false;
    bool m_policyPaused = false;
    bool m_finishing = false;    // playbackCompleted() is being emitted
    qint64 m_pendingSeekMs = -1; // a seek waiting for the pipeline
    qint64 m_seekingToMs = -1;   // a seek under way
    int m_duration = -1;         // seconds, as last reported
    int m_seekable = -1;         // as last reported; -1 before the first report
    QString m_missingPlugin;
    QVariantMap m_tags;
    int m_reportedIndex = -2; // the item last reported with mediaChanged
    QUrl m_reportedUri;
    bool m_announcedStopped = false; // the item was reported while stopped

    struct PositionRequest
    {
        QPointer<QObject> receiver;
        QByteArray member;
    };
    QList<PositionRequest> m_positionRequests;
    bool m_positionAnswerScheduled = false;
};

#endif
