#ifndef SCRIPTEDRENDERER_H
#define SCRIPTEDRENDERER_H

#include <mafwrenderer.h>

#include <QHash>
#include <QPointer>
#include <QStringList>
#include <QTimer>

#include <functional>

// A renderer that keeps every promise of MafwRenderer without playing anything. It journals
// each command, does at once what a renderer does inside a call, and keeps what a renderer
// does later (reaching the state asked for, confirming a playlist, reading a playlist file)
// until settle() or the event loop runs it. The test plays the media: endItem(), fail(),
// answerPosition(). An item whose path holds "missing" fails to start; one whose URI has the
// query "ms=N" ends by itself N ms after it reached Playing.
class ScriptedRenderer : public MafwRenderer
{
    Q_OBJECT
public:
    explicit ScriptedRenderer(const QString& uuid = QStringLiteral("mafw_gst_renderer"),
                              QObject* parent = nullptr);

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
    // Answers from the event loop with tags[uri]; refuses URIs it has no tags for.
    bool setRepeatCurrent(bool repeat) override;
    bool requestMetadata(const QUrl& uri, QObject* context, MetadataAnswer answer) override;
    QHash<QUrl, QVariantMap> tags;
    int metadataRequests = 0;

    // Receives each command in the order received, e.g. ">gotoIndex(2)", when set.
    QStringList* journal = nullptr;
    State state() const { return m_state; }

    // Runs what is due later, until nothing more is.
    void settle();
    // The current item ends: it starts again while repeating, else the next one starts, or
    // playback completes.
    void endItem();
    // A failure: one error and Stopped; a passing one (TransientError) only the error.
    void fail(MafwError::Code code);
    // The renderer changes state by itself, as a renderer may (from Stopped through
    // Transitioning).
    void setState(State state);

    bool acceptPositionRequests = true;
    bool canRepeat = true;           // else setRepeatCurrent() is refused, as by the base
    bool answerWhenSettling = false; // else the test answers
    int openRequests() const { return m_requests.size(); }
    // Answers the oldest open request; false when none is open or its receiver is gone.
    bool answerPosition(uint seconds);
    void dropRequests() { m_requests.clear(); }

private:
    void record(const QString& command);
    // Runs step from the event loop or settle(); only while the item stays, unless not
    // forThisItem.
    void later(const std::function<void()>& step, bool forThisItem = true);
    void report();
    void start(State target);
    bool startCurrent(State target);
    void arrive();
    bool pauseHere();
    bool moveTo(int index);
    void change(State state);
    int count() const;
    QUrl current() const;
    void use(MafwPlaylist* playlist, bool fromFile);
    void halt();

    State m_state = Stopped;
    State m_target = Playing;
    QPointer<MafwPlaylist> m_playlist; // the source when set, else m_entries
    QList<QUrl> m_entries;             // a URI, or the entries of a playlist file
    bool m_fromFile = false;
    int m_index = -1;
    int m_generation = 0; // bumped when what was due for the old item no longer is
    bool m_movedStopped = false;
    bool m_finishing = false;
    bool m_repeat = false;
    int m_reportedIndex = -1;
    QUrl m_reportedUri;
    uint m_position = 0;
    QList<std::function<void()>> m_due;
    QTimer m_dueTimer;
    QTimer m_itemTimer;

    struct Request
    {
        QPointer<QObject> receiver;
        QByteArray member;
    };
    QList<Request> m_requests;
};

#endif
