#ifndef MAFWGSTRENDERER_H
#define MAFWGSTRENDERER_H

#include "mafwgstpipeline.h"
#include "mafwgstplaycursor.h"

#include <mafwrenderer.h>

#include <QPointer>
#include <QUrl>
#include <QVariant>

class MafwGstTagReader;
class MafwPlaylistFetcher;

// A renderer on GStreamer's playbin. Plays a single URI, the items of an assigned playlist in
// play order (gaplessly) or the entries of a playlist file, and reports state, items,
// metadata, buffering and errors as MafwRenderer promises. The pipeline owns the GStreamer
// side, the cursor what is played and what comes next; the renderer ties the two to the
// commands.
class MafwGstRenderer : public MafwRenderer
{
    Q_OBJECT
    // The playbin, for tests and benchmarks that need to observe or poke it.
    Q_PROPERTY(qulonglong gstPipeline READ pipelineHandle)
    // The position in milliseconds, and whether no seek or start is still under way.
    Q_PROPERTY(qint64 positionMs READ positionMs)
    Q_PROPERTY(bool settled READ isSettled)
    // Items the pipeline has taken for the gapless hand-over that have not started yet.
    Q_PROPERTY(int handedOver READ handedOver)
    // Seconds an HTTP source may go without data before it fails (306, or 307 once playing).
    Q_PROPERTY(int stallTimeout READ stallTimeout WRITE setStallTimeout)
    // Seconds a start or a handed-over item may make no progress before it fails (306 when a
    // server sent nothing, else 305); 326 while other items follow.
    Q_PROPERTY(int startTimeout READ startTimeout WRITE setStartTimeout)

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
    double volume() const override;
    bool setVolume(double volume) override;
    QStringList supportedMimeTypes() const override;
    // Repeats by handing the item to playbin again, without a gap.
    bool setRepeatCurrent(bool repeat) override;
    // Reads with the plug-in's tag reader (only regular local files and http(s)).
    bool requestMetadata(const QUrl& uri, QObject* context, MetadataAnswer answer) override;

    State state() const { return m_state; }
    qulonglong pipelineHandle();
    qint64 positionMs() const;
    int stallTimeout() const { return m_pipeline->stallTimeout(); }
    void setStallTimeout(int seconds) { m_pipeline->setStallTimeout(seconds); }
    int startTimeout() const { return m_pipeline->startTimeout(); }
    void setStartTimeout(int seconds) { m_pipeline->setStartTimeout(seconds); }
    bool isSettled() const { return m_pipeline->isSettled(); }
    int handedOver() const { return m_cursor.handedOver(); }

private:
    using Target = MafwGstPipeline::Target;
    static constexpr int NoPosition = -1;

    void resetStream(bool release);
    bool startCurrent(Target target);
    bool startAt(int position, Target target);
    void startItem(Target target);
    bool moveTo(int position);
    void setState(State state);
    void finish();
    void fail(const MafwError& error);
    MafwError tooManyDead() const;
    void reportMedia();
    // Offers the items that follow for the gapless hand-over.
    void publishNext();
    // The position that follows the current one, or NoPosition at the end: when it ended (a
    // repeated item again), or when it failed (never itself again).
    int followingPosition(bool ended) const;
    void watchPlaylist(MafwPlaylist* playlist);
    void answerPositionRequests();

    void onFailed(const MafwError& error);
    void onEnded();
    void onTag(const QString& key, const QVariant& value);
    void onStateRequested(bool playing);
    void onHandedOver(const QByteArray& uri);
    void onNextFailed(const QByteArray& uri, const MafwError& failure);
    void onNextStreamStarted();
    void onPlaylistFetched(const QList<QUrl>& entries, const QString& error);
    void onPlaylistContentsChanged();

    MafwGstPipeline* m_pipeline;             // child
    MafwGstTagReader* m_tagReader = nullptr; // child, made on first use
    MafwGstPlayCursor m_cursor;
    QPointer<MafwPlaylist> m_watched; // the playlist whose edits are followed
    MafwPlaylistFetcher* m_fetcher = nullptr;
    QStringList m_entryErrors; // why the first dead entries in a row failed
    int m_deadEntries = 0;     // dead entries in a row
    // After a failed hand-over: the position started cleanly when the current item ends, and
    // the failure of a last item, reported then.
    int m_cleanNext = NoPosition;
    MafwError m_finalFailure;

    State m_state = Stopped;
    bool m_policyPaused = false;
    bool m_finishing = false;    // playbackCompleted() is being emitted
    bool m_movedStopped = false; // the current item was reported by a move while stopped
    QVariantMap m_tags;
    int m_reportedIndex = -1; // the item last reported with mediaChanged
    QUrl m_reportedUri;

    struct PositionRequest
    {
        QPointer<QObject> receiver;
        QByteArray member;
    };
    QList<PositionRequest> m_positionRequests;
    bool m_positionAnswerScheduled = false;
};

#endif
