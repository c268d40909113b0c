#include "mafwgstplaycursor.h"

#include <mafwplaylist.h>

void MafwGstPlayCursor::setUri(const QUrl& uri)
{
    m_source = UriSource;
    m_playlist = nullptr;
    m_entries = {uri};
    m_position = 0;
}

void MafwGstPlayCursor::setPlaylist(MafwPlaylist* playlist)
{
    m_source = playlist ? PlaylistSource : NoSource;
    m_playlist = playlist;
    m_entries.clear();
    m_position = playlist ? playlist->currentIndex() : -1;
}

void MafwGstPlayCursor::setPlaylistUrl(const QUrl& url)
{
    m_source = PlaylistUrlSource;
    m_playlist = nullptr;
    m_playlistUrl = url;
    m_entries.clear();
    m_position = -1;
}

void MafwGstPlayCursor::setEntries(const QList<QUrl>& entries)
{
    m_entries = entries;
}

int MafwGstPlayCursor::count() const
{
    if (m_source == PlaylistSource) {
        return m_playlist ? int(m_playlist->count()) : 0;
    }
    return m_entries.size();
}

int MafwGstPlayCursor::reportedIndex() const
{
    return m_source == PlaylistSource ? m_position : -1;
}

QUrl MafwGstPlayCursor::uriAt(int position) const
{
    if (position < 0 || position >= count()) {
        return QUrl();
    }
    return m_source == PlaylistSource ? m_playlist->item(uint(position)) : m_entries.at(position);
}

int MafwGstPlayCursor::nextPosition() const
{
    return m_position + 1 < count() ? m_position + 1 : -1;
}

bool MafwGstPlayCursor::moveTo(int position)
{
    if (position < 0 || position >= count()) {
        return false;
    }
    m_position = position;
    if (m_source == PlaylistSource) {
        m_playlist->setCurrentIndex(position);
    }
    return true;
}

bool MafwGstPlayCursor::followPlaylist()
{
    if (m_source != PlaylistSource || !m_playlist) {
        return false;
    }
    const int current = m_playlist->currentIndex();
    const bool moved = current != m_position;
    m_position = current;
    checkHandOvers();
    return moved;
}

void MafwGstPlayCursor::setRepeatCurrent(bool repeat)
{
    m_repeat = repeat;
    checkHandOvers();
}

void MafwGstPlayCursor::checkHandOvers()
{
    // The pipeline plays what it took in turn: items are valid while each follows the one
    // before it (the current item first) in the order as it is now; the rest are stale, and
    // may become valid again when the order or the repeat changes back.
    int expected = m_position;
    m_valid = 0;
    for (HandedOver& item : m_handedOver) {
        expected = after(expected);
        if (uriAt(expected) != item.uri) {
            break;
        }
        item.position = expected;
        ++m_valid;
    }
}

int MafwGstPlayCursor::followingPosition() const
{
    return m_repeat && m_position >= 0 && m_position < count() ? m_position : nextPosition();
}

QList<QUrl> MafwGstPlayCursor::toOffer(int most) const
{
    QList<QUrl> uris;
    if (hasStaleHandOver()) {
        return uris;
    }
    const int first =
        m_handedOver.isEmpty() ? followingPosition() : after(m_handedOver.constLast().position);
    // A repeat is offered once: the one after it is itself again.
    for (int p = first; p >= 0 && p < count() && uris.size() < (m_repeat ? 1 : most); ++p) {
        uris.append(uriAt(p));
    }
    return uris;
}

bool MafwGstPlayCursor::acceptHandOver(const QByteArray& uri)
{
    // Offered before the order changed, it may no longer be the item that follows.
    m_handedOver.append({QUrl::fromEncoded(uri), -1});
    checkHandOvers();
    return !hasStaleHandOver();
}

int MafwGstPlayCursor::startHandedOver()
{
    if (m_valid == 0) {
        return -1;
    }
    --m_valid;
    const int position = m_handedOver.takeFirst().position;
    moveTo(position);
    return position;
}

int MafwGstPlayCursor::dropHandOver(const QByteArray& uri)
{
    for (int i = 0; i < m_handedOver.size(); ++i) {
        if (m_handedOver.at(i).uri.toEncoded() == uri) {
            const int position = i < m_valid ? m_handedOver.at(i).position : -1;
            m_handedOver.removeAt(i);
            checkHandOvers();
            return position;
        }
    }
    return -1;
}

void MafwGstPlayCursor::clearHandOvers()
{
    m_handedOver.clear();
    m_valid = 0;
}
