#include "scriptedrenderer.h"

#include <mafwplaylist.h>

ScriptedRenderer::ScriptedRenderer(const QString& uuid, QObject* parent)
    : MafwRenderer(uuid, QStringLiteral("Scripted ") + uuid, parent)
{
}

bool ScriptedRenderer::record(const QString& command)
{
    commands << command;
    return true;
}

QStringList ScriptedRenderer::takeCommands()
{
    QStringList taken;
    taken.swap(commands);
    return taken;
}

bool ScriptedRenderer::play()
{
    return record(QStringLiteral("play"));
}

bool ScriptedRenderer::playUri(const QUrl& uri, const MafwContent* content)
{
    return record(
        QStringLiteral("playUri(%1,%2)")
            .arg(uri.toString(), content ? QStringLiteral("content") : QStringLiteral("null")));
}

bool ScriptedRenderer::playPlaylistUri(const QUrl& url, const QString& mimeType)
{
    return record(QStringLiteral("playPlaylistUri(%1,%2)").arg(url.toString(), mimeType));
}

bool ScriptedRenderer::stop()
{
    return record(QStringLiteral("stop"));
}

bool ScriptedRenderer::pause()
{
    return record(QStringLiteral("pause"));
}

bool ScriptedRenderer::pauseAt(uint seconds)
{
    return record(QStringLiteral("pauseAt(%1)").arg(seconds));
}

bool ScriptedRenderer::resume()
{
    return record(QStringLiteral("resume"));
}

bool ScriptedRenderer::next()
{
    return record(QStringLiteral("next"));
}

bool ScriptedRenderer::previous()
{
    return record(QStringLiteral("previous"));
}

bool ScriptedRenderer::gotoIndex(uint index)
{
    return record(QStringLiteral("gotoIndex(%1)").arg(index));
}

bool ScriptedRenderer::seekTo(int seconds, SeekMode mode)
{
    return record(QStringLiteral("seekTo(%1,%2)").arg(seconds).arg(int(mode)));
}

bool ScriptedRenderer::assignPlaylist(MafwPlaylist* playlist)
{
    return record(QStringLiteral("assignPlaylist(%1)")
                      .arg(playlist ? playlist->name() : QStringLiteral("null")));
}

bool ScriptedRenderer::requestPosition(QObject* receiver, const char* member)
{
    if (!acceptPositionRequests) {
        return false;
    }
    m_requests.append({receiver, QByteArray(member)});
    return true;
}

bool ScriptedRenderer::answerPosition(uint seconds)
{
    if (m_requests.isEmpty()) {
        return false;
    }
    const Request request = m_requests.takeFirst();
    return deliverPosition(request.receiver, request.member, seconds);
}
