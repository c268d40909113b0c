#include "scriptedrenderer.h"

#include <mafwplaylist.h>

ScriptedRenderer::ScriptedRenderer(const QString& uuid, QObject* parent)
    : MafwRenderer(uuid, QStringLiteral("Scripted ") + uuid, parent)
{
}

QStringList ScriptedRenderer::takeCommands()
{
    QStringList taken;
    taken.swap(commands);
    return taken;
}

bool ScriptedRenderer::play()
{
    commands << QStringLiteral("play");
    return true;
}

bool ScriptedRenderer::playUri(const QUrl& uri, const MafwContent* content)
{
    commands << QStringLiteral("playUri(%1,%2)")
                    .arg(uri.toString(),
                         content ? QStringLiteral("content") : QStringLiteral("null"));
    return true;
}

bool ScriptedRenderer::playPlaylistUri(const QUrl& url, const QString& mimeType)
{
    commands << QStringLiteral("playPlaylistUri(%1,%2)").arg(url.toString(), mimeType);
    return true;
}

bool ScriptedRenderer::stop()
{
    commands << QStringLiteral("stop");
    return true;
}

bool ScriptedRenderer::pause()
{
    commands << QStringLiteral("pause");
    return true;
}

bool ScriptedRenderer::pauseAt(uint seconds)
{
    commands << QStringLiteral("pauseAt(%1)").arg(seconds);
    return true;
}

bool ScriptedRenderer::resume()
{
    commands << QStringLiteral("resume");
    return true;
}

bool ScriptedRenderer::next()
{
    commands << QStringLiteral("next");
    return true;
}

bool ScriptedRenderer::previous()
{
    commands << QStringLiteral("previous");
    return true;
}

bool ScriptedRenderer::gotoIndex(uint index)
{
    commands << QStringLiteral("gotoIndex(%1)").arg(index);
    return true;
}

bool ScriptedRenderer::seekTo(int seconds, SeekMode mode)
{
    commands << QStringLiteral("seekTo(%1,%2)").arg(seconds).arg(int(mode));
    return true;
}

bool ScriptedRenderer::assignPlaylist(MafwPlaylist* playlist)
{
    commands << QStringLiteral("assignPlaylist(%1)")
                    .arg(playlist ? playlist->name() : QStringLiteral("null"));
    return true;
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
