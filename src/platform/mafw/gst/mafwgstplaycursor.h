#ifndef MAFWGSTPLAYCURSOR_H
#define MAFWGSTPLAYCURSOR_H

#include <mafwplaylist.h>

#include <QList>
#include <QPointer>
#include <QUrl>

// What the renderer plays and where it stands in it: a single URI, the items of an assigned
// playlist in play order, or the entries of a playlist file. Also what comes next: the items
// already handed to the pipeline for the gapless hand-over, which stay valid only while they
// still follow the current item. Positions are play-order indexes of the playlist, else
// indexes into the entries.
class MafwGstPlayCursor
{
public:
    enum Source { NoSource, UriSource, PlaylistSource, PlaylistUrlSource };

    Source source() const { return m_source; }
    MafwPlaylist* playlist() const { return m_playlist; }
    QUrl playlistUrl() const { return m_playlistUrl; }

    void setUri(const QUrl& uri);
    // Starts at the playlist's current item (none when it has none). The playlist stays
    // owned by its creator.
    void setPlaylist(MafwPlaylist* playlist);
    // Entries come later with setEntries().
    void setPlaylistUrl(const QUrl& url);
    void setEntries(const QList<QUrl>& entries);

    int count() const;
    // The current position, or -1 before the first.
    int position() const { return m_position; }
    // The index that mediaChanged() carries: the playlist index, -1 for other sources.
    int reportedIndex() const;
    QUrl currentUri() const { return uriAt(m_position); }
    QUrl uriAt(int position) const;
    // The position after the current one, or -1 at the end.
    int nextPosition() const;
    // The position a start begins with: the current one, else the first.
    int startPosition() const { return m_position < 0 ? 0 : m_position; }
    // Makes position current and keeps the playlist's current index on it; false when out
    // of range.
    bool moveTo(int position);
    // The playlist's order changed: follows its current item and checks the items handed
    // over. True when the current position changed.
    bool followPlaylist();

    // Whether the current item plays again when it ends, instead of the next; handed-over
    // items that no longer follow become stale (and valid again when it is turned back).
    bool repeatsCurrent() const { return m_repeat; }
    void setRepeatCurrent(bool repeat);
    // The position that plays when the current one ends: the current one again while it
    // repeats, else the next; -1 at the end.
    int followingPosition() const;
    // The items to offer for the hand-over, at most most, after the last one handed over;
    // none while a stale item is on its way (the order is mended when it starts).
    QList<QUrl> toOffer(int most) const;
    // The pipeline took uri: true when it is the item that follows, else it is stale.
    bool acceptHandOver(const QByteArray& uri);
    // A handed-over item started: it becomes current. -1 when none was handed over, or the
    // first one is stale.
    int startHandedOver();
    // A handed-over item failed before it started: forgets it; its position, or -1 when it
    // was stale or unknown.
    int dropHandOver(const QByteArray& uri);
    bool hasStaleHandOver() const { return m_handedOver.size() > m_valid; }
    // Items handed over, stale ones included, that have not started.
    int handedOver() const { return int(m_handedOver.size()); }
    void clearHandOvers();

private:
    // The position that follows position when it ends.
    int after(int position) const { return m_repeat ? position : position + 1; }
    // Tells the handed-over items that still follow in turn from the stale rest.
    void checkHandOvers();

    struct HandedOver
    {
        QUrl uri;
        int position;
    };

    Source m_source = NoSource;
    QPointer<MafwPlaylist> m_playlist;
    QUrl m_playlistUrl;
    QList<QUrl> m_entries; // the URI, or the entries of a playlist file
    int m_position = -1;
    QList<HandedOver> m_handedOver; // in the pipeline's order, each at a new stream group
    int m_valid = 0; // the first ones, that follow in turn; the rest are stale: not to be played
    bool m_repeat = false;
};

#endif
