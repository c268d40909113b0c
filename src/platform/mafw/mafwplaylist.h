#ifndef MAFWPLAYLIST_H
#define MAFWPLAYLIST_H

#include "mafw_export.h"

#include <QList>
#include <QObject>
#include <QUrl>
#include <QVector>

/// An ordered list of media URIs.
///
/// Index-based access follows the play order, which is the insertion order unless the playlist
/// is shuffled. Every edit and every change of order is reported by contentsChanged() before
/// the call returns. Shared playlists are created and owned by MafwShared; a renderer that
/// plays a playlist never owns it. Main thread only.
class MAFW_EXPORT MafwPlaylist : public QObject
{
    Q_OBJECT
public:
    /// An empty playlist called \a name; \a parent owns it.
    explicit MafwPlaylist(const QString& name, bool permanent = false, QObject* parent = nullptr);
    ~MafwPlaylist() override;

    /// The name given at construction (a shared playlist's id).
    QString name() const { return m_name; }
    /// Whether the playlist is permanent: kept by its users rather than dropped when they are
    /// done with it (a mark only; nothing is saved).
    bool isPermanent() const { return m_permanent; }
    /// Sets whether the playlist is permanent.
    void setPermanent(bool permanent) { m_permanent = permanent; }

    /// The number of items.
    uint count() const { return uint(m_items.size()); }
    /// The item at a play-order index; an empty URL when out of range.
    QUrl item(uint index) const;
    /// All items in play order.
    QList<QUrl> items() const;

    /// Adds \a url at the end of the play order; reports contentsChanged(count() - 1, 0, 1).
    void appendItem(const QUrl& url);
    /// Inserts \a url at the play-order \a index; an index past the end appends. Reports
    /// contentsChanged(index, 0, 1).
    void insertItem(uint index, const QUrl& url);
    /// Removes the item at a play-order index; reports contentsChanged(index, 1, 0). False,
    /// with nothing reported, when out of range.
    bool removeItem(uint index);
    /// Removes every item; reports contentsChanged(0, removed, 0) unless it was empty already.
    void clear();

    /// The item being played, as a play-order index, or -1. Kept on the same item through
    /// edits, shuffle and unshuffle; when that item is removed it becomes the one before, so
    /// that the next item is the one that followed. The renderer playing the list keeps it.
    int currentIndex() const { return m_current; }
    /// Sets the current item; an index out of range gives -1. Reports nothing.
    void setCurrentIndex(int index);

    /// A new random play order whose first item is the current one. Reports
    /// contentsChanged(0, count(), count()) unless the list is empty.
    void shuffle();
    /// Back to insertion order. Reports contentsChanged(0, count(), count()) when the list was
    /// shuffled and is not empty; nothing otherwise.
    void unshuffle();
    /// Whether the play order is a shuffled one.
    bool isShuffled() const { return m_shuffled; }

Q_SIGNALS:
    /// The list changed at play-order position \a from: \a removed items went and \a added
    /// items came there. A new order reports the whole list as removed and added.
    void contentsChanged(uint from, uint removed, uint added);

private:
    int storageIndex(uint index) const;

    QString m_name;
    bool m_permanent;
    bool m_shuffled = false;
    int m_current = -1;
    QList<QUrl> m_items;  // insertion order
    QVector<int> m_order; // play order while shuffled: indexes into m_items
};

#endif
