#include "scriptedrenderer.h"

#include <mafwplaylist.h>
#include <mafwplaylistparser.h>

#include <QFile>
#include <QUrlQuery>

ScriptedRenderer::ScriptedRenderer(const QString& uuid, QObject* parent)
    : MafwRenderer(uuid, QStringLiteral("Scripted ") + uuid, parent)
{
    m_dueTimer.setSingleShot(true);
    connect(&m_dueTimer, &QTimer::timeout, this, &ScriptedRenderer::settle);
    m_itemTimer.setSingleShot(true);
    connect(&m_itemTimer, &QTimer::timeout, this, &ScriptedRenderer::endItem);
}

void ScriptedRenderer::record(const QString& command)
{
    if (journal) {
        *journal << QLatin1Char('>') + command;
    }
}

void ScriptedRenderer::later(const std::function<void()>& step, bool forThisItem)
{
    const int generation = m_generation;
    m_due << [this, step, forThisItem, generation]() {
        if (!forThisItem || generation == m_generation) {
            step();
        }
    };
    m_dueTimer.start(0);
}

void ScriptedRenderer::settle()
{
    while (!m_due.isEmpty()) {
        m_due.takeFirst()();
    }
}

int ScriptedRenderer::count() const
{
    return m_playlist ? int(m_playlist->count()) : m_entries.size();
}

QUrl ScriptedRenderer::current() const
{
    return m_playlist ? m_playlist->item(uint(m_index)) : m_entries.value(m_index);
}

void ScriptedRenderer::change(State state)
{
    if (state != Playing) {
        m_itemTimer.stop();
    }
    if (m_state != state) {
        m_state = state;
        Q_EMIT stateChanged(state);
    }
}

void ScriptedRenderer::setState(State state)
{
    ++m_generation;
    if (m_state == Stopped && state != Stopped) {
        change(Transitioning);
    }
    change(state);
}

void ScriptedRenderer::report()
{
    m_reportedIndex = m_playlist ? m_index : -1;
    m_reportedUri = current();
    Q_EMIT mediaChanged(m_reportedIndex, MafwContent(m_reportedUri.toString()));
}

void ScriptedRenderer::start(State target)
{
    const bool reported = m_movedStopped && m_reportedUri == current() &&
                          m_reportedIndex == (m_playlist ? m_index : -1);
    const bool fromStopped = m_state == Stopped;
    m_movedStopped = false;
    m_target = target;
    ++m_generation;
    if (!(fromStopped && reported)) {
        report();
    }
    if (fromStopped) {
        change(Transitioning);
    }
    arrive();
}

// Later on, reaches the state asked for (or fails there).
void ScriptedRenderer::arrive()
{
    later([this]() {
        const QUrl uri = current();
        if (uri.path().contains(QLatin1String("missing"))) {
            return fail(MafwError::ResourceNotFound);
        }
        change(m_target);
        const int ms = QUrlQuery(uri).queryItemValue(QStringLiteral("ms")).toInt();
        if (m_state == Playing && ms > 0) {
            m_itemTimer.start(ms);
        }
    });
}

bool ScriptedRenderer::moveTo(int index)
{
    if (index < 0 || index >= count()) {
        return false;
    }
    m_index = index;
    if (m_playlist) {
        m_playlist->setCurrentIndex(index);
    }
    if (m_state != Stopped) {
        start(m_state == Paused ? Paused : m_target);
    } else {
        report();
        m_movedStopped = true;
    }
    return true;
}

bool ScriptedRenderer::startCurrent(State target)
{
    if (count() == 0) {
        return false;
    }
    m_index = qMax(0, m_index);
    start(target);
    return true;
}

bool ScriptedRenderer::play()
{
    record(QStringLiteral("play"));
    if (m_state == Paused) {
        return resume();
    }
    return m_state != Stopped || startCurrent(Playing);
}

bool ScriptedRenderer::playUri(const QUrl& uri, const MafwContent* content)
{
    record(QStringLiteral("playUri(%1,%2)")
               .arg(uri.toString(), content ? QStringLiteral("content") : QStringLiteral("null")));
    if (!uri.isValid() || uri.isEmpty()) {
        return false;
    }
    use(nullptr, false);
    m_entries = {uri};
    return startCurrent(Playing);
}

bool ScriptedRenderer::playPlaylistUri(const QUrl& url, const QString& mimeType)
{
    record(QStringLiteral("playPlaylistUri(%1,%2)").arg(url.toString(), mimeType));
    if (!url.isValid() || url.isEmpty()) {
        return false;
    }
    use(nullptr, true);
    ++m_generation;
    m_target = Playing;
    change(Transitioning);
    later([this, url, mimeType]() {
        // A remote playlist stands for a stream of its own.
        QFile file(url.toLocalFile());
        m_entries = !url.isLocalFile() ? QList<QUrl>{url}
                    : file.open(QIODevice::ReadOnly)
                        ? MafwPlaylistParser::parse(file.readAll(), url, mimeType)
                        : QList<QUrl>();
        if (!startCurrent(m_target)) {
            fail(MafwError::PlaylistUnreadable);
        }
    });
    return true;
}

bool ScriptedRenderer::stop()
{
    record(QStringLiteral("stop"));
    halt();
    return true;
}

void ScriptedRenderer::halt()
{
    ++m_generation;
    // Stopped while reporting the end: the end's own Stopped follows the completion.
    if (!m_finishing) {
        change(Stopped);
    }
}

bool ScriptedRenderer::pause()
{
    record(QStringLiteral("pause"));
    return (m_state == Playing || m_state == Transitioning) && pauseHere();
}

bool ScriptedRenderer::pauseHere()
{
    m_target = Paused;
    if (m_state == Playing) {
        arrive();
    }
    return true;
}

bool ScriptedRenderer::resume()
{
    record(QStringLiteral("resume"));
    if (m_state != Paused) {
        return false;
    }
    m_target = Playing;
    ++m_generation;
    change(Transitioning);
    arrive();
    return true;
}

bool ScriptedRenderer::pauseAt(uint seconds)
{
    record(QStringLiteral("pauseAt(%1)").arg(seconds));
    m_position = seconds;
    return m_state == Stopped ? startCurrent(Paused) : pauseHere();
}

bool ScriptedRenderer::next()
{
    record(QStringLiteral("next"));
    return moveTo(m_index + 1);
}

bool ScriptedRenderer::previous()
{
    record(QStringLiteral("previous"));
    return (m_playlist || m_fromFile) && moveTo(qMax(0, m_index - 1));
}

bool ScriptedRenderer::gotoIndex(uint index)
{
    record(QStringLiteral("gotoIndex(%1)").arg(index));
    return m_playlist && index < uint(count()) && moveTo(int(index));
}

bool ScriptedRenderer::seekTo(int seconds, SeekMode mode)
{
    record(QStringLiteral("seekTo(%1,%2)").arg(seconds).arg(int(mode)));
    if (m_state == Stopped) {
        return false;
    }
    m_position = uint(qMax(0, mode == SeekRelative ? int(m_position) + seconds : seconds));
    return true;
}

bool ScriptedRenderer::assignPlaylist(MafwPlaylist* playlist)
{
    record(QStringLiteral("assignPlaylist(%1)")
               .arg(playlist ? playlist->name() : QStringLiteral("null")));
    if (playlist != m_playlist || !playlist) {
        if (m_state != Stopped) {
            halt();
        }
        use(playlist, false);
    }
    if (playlist) {
        QPointer<MafwPlaylist> held(playlist);
        later(
            [this, held]() {
                if (held && held == m_playlist) {
                    Q_EMIT playlistChanged(held);
                }
            },
            false);
    }
    return true;
}

void ScriptedRenderer::use(MafwPlaylist* playlist, bool fromFile)
{
    if (m_playlist) {
        disconnect(m_playlist, nullptr, this, nullptr);
    }
    m_playlist = playlist;
    m_fromFile = fromFile;
    m_entries.clear();
    m_index = playlist ? playlist->currentIndex() : -1;
    if (playlist) {
        connect(playlist, &MafwPlaylist::contentsChanged, this, [this]() {
            const int index = m_playlist->currentIndex();
            const bool moved = index != m_index;
            m_index = index;
            // The same item under a new index: said where it is now.
            if (moved && m_state != Stopped && index >= 0 && current() == m_reportedUri) {
                report();
            }
        });
    }
}

bool ScriptedRenderer::requestPosition(QObject* receiver, const char* member)
{
    if (!acceptPositionRequests) {
        return false;
    }
    m_requests.append({receiver, QByteArray(member)});
    if (answerWhenSettling) {
        later([this]() { answerPosition(m_position); }, false);
    }
    return true;
}

bool ScriptedRenderer::requestMetadata(const QUrl& uri, QObject* context, MetadataAnswer answer)
{
    if (!tags.contains(uri)) {
        return false;
    }
    ++metadataRequests;
    const QVariantMap read = tags.value(uri);
    QTimer::singleShot(0, context, [uri, answer, read]() { answer(uri, read); });
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

bool ScriptedRenderer::setRepeatCurrent(bool repeat)
{
    record(QStringLiteral("setRepeatCurrent(%1)").arg(repeat));
    m_repeat = canRepeat && repeat;
    return canRepeat;
}

void ScriptedRenderer::endItem()
{
    if (m_state == Stopped || moveTo(m_repeat ? m_index : m_index + 1)) {
        return;
    }
    ++m_generation;
    m_finishing = true;
    Q_EMIT playbackCompleted();
    m_finishing = false;
    change(Stopped);
}

void ScriptedRenderer::fail(MafwError::Code code)
{
    if (code != MafwError::TransientError) {
        ++m_generation;
    }
    Q_EMIT error(MafwError(code, current().toString()));
    if (code != MafwError::TransientError) {
        change(Stopped);
    }
}
