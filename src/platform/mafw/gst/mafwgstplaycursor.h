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

    // The first position to offer for the hand-over (after the last one handed over), or -1
    // when there is none or a stale item is on its way (the order is mended when it starts).
    int nextToOffer() const;
    // The pipeline took uri: true when it is the item that follows, else it is stale.
    bool acceptHandOver(const QByteArray& uri);
    // A handed-over item started: it becomes current. -1 when none was handed over.
    int startHandedOver();
    // A handed-over item failed before it started: forgets it; its position, or -1.
    int dropHandOver(const QByteArray& uri);
    bool hasStaleHandOver() const { return m_stale > 0; }
    void clearHandOvers();

private:
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
    QList<HandedOver> m_handedOver; // each starts at a new stream group
    int m_stale = 0;                // handed over before the order changed: not to be played
};

#endif
