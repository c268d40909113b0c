#ifndef SCRIPTEDRENDERER_H
#define SCRIPTEDRENDERER_H

#include <mafwrenderer.h>

#include <QPointer>
#include <QStringList>

// A renderer driven by the test: it records every command with its arguments, keeps position
// requests until the test answers them, and emits whatever signal the test asks for.
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

    // Commands in the order received, e.g. "gotoIndex(2)"; takeCommands() also forgets them.
    QStringList commands;
    QStringList takeCommands();

    bool acceptPositionRequests = true;
    int openRequests() const { return m_requests.size(); }
    // Answers the oldest open request; false when none is open.
    bool answerPosition(uint seconds);
    void dropRequests() { m_requests.clear(); }

    void setState(MafwRenderer::State state) { Q_EMIT stateChanged(state); }

private:
    bool record(const QString& command);

    struct Request
    {
        QPointer<QObject> receiver;
        QByteArray member;
    };
    QList<Request> m_requests;
};

#endif
