#ifndef MAFWPLAYLIST_H
#define MAFWPLAYLIST_H

#include "mafwglobal.h"

#include <QList>
#include <QObject>
#include <QUrl>
#include <QVector>

// An ordered list of media URIs. Index-based access follows the play order, which is the
// insertion order unless the playlist is shuffled.
class MAFW_EXPORT MafwPlaylist : public QObject
{
    Q_OBJECT
public:
    explicit MafwPlaylist(const QString& name, bool permanent = false, QObject* parent = nullptr);
    ~MafwPlaylist() override;

    QString name() const { return m_name; }
    bool isPermanent() const { return m_permanent; }
    void setPermanent(bool permanent) { m_permanent = permanent; }

    uint count() const { return uint(m_items.size()); }
    // The item at a play-order index; an empty URL when out of range.
    QUrl item(uint index) const;
    QList<QUrl> items() const;

    void appendItem(const QUrl& url);
    // An index past the end appends.
    void insertItem(uint index, const QUrl& url);
    bool removeItem(uint index);
    void clear();

    // The item being played, as a play-order index, or -1. Kept on the same item through
    // edits, shuffle and unshuffle; when that item is removed it becomes the one before, so
    // that the next item is the one that followed.
    int currentIndex() const { return m_current; }
    void setCurrentIndex(int index);

    // A new random play order whose first item is the current one.
    void shuffle();
    // Back to insertion order.
    void unshuffle();
    bool isShuffled() const { return m_shuffled; }

Q_SIGNALS:
    // Play-order position, number of items removed there, number added there.
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
