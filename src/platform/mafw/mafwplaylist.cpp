#include "mafwplaylist.h"

#include <QRandomGenerator>

#include <algorithm>
#include <numeric>

MafwPlaylist::MafwPlaylist(const QString& name, bool permanent, QObject* parent)
    : QObject(parent), m_name(name), m_permanent(permanent)
{
}

MafwPlaylist::~MafwPlaylist() = default;

int MafwPlaylist::storageIndex(uint index) const
{
    if (index >= count()) {
        return -1;
    }
    return m_shuffled ? m_order.at(int(index)) : int(index);
}

QUrl MafwPlaylist::item(uint index) const
{
    const int i = storageIndex(index);
    return i < 0 ? QUrl() : m_items.at(i);
}

QList<QUrl> MafwPlaylist::items() const
{
    QList<QUrl> result;
    result.reserve(m_items.size());
    for (uint i = 0; i < count(); ++i) {
        result.append(item(i));
    }
    return result;
}

void MafwPlaylist::appendItem(const QUrl& url)
{
    insertItem(count(), url);
}

void MafwPlaylist::insertItem(uint index, const QUrl& url)
{
    index = std::min(index, count());
    if (m_shuffled) {
        m_items.append(url);
        m_order.insert(int(index), m_items.size() - 1);
    } else {
        m_items.insert(int(index), url);
    }
    if (m_current >= int(index)) {
        ++m_current;
    }
    Q_EMIT contentsChanged(index, 0, 1);
}

bool MafwPlaylist::removeItem(uint index)
{
    const int i = storageIndex(index);
    if (i < 0) {
        return false;
    }
    m_items.removeAt(i);
    if (m_shuffled) {
        m_order.removeAt(int(index));
        for (int& o : m_order) {
            if (o > i) {
                --o;
            }
        }
    }
    if (m_current >= int(index)) {
        --m_current;
    }
    Q_EMIT contentsChanged(index, 1, 0);
    return true;
}

void MafwPlaylist::clear()
{
    const uint removed = count();
    m_items.clear();
    m_order.clear();
    m_current = -1;
    if (removed > 0) {
        Q_EMIT contentsChanged(0, removed, 0);
    }
}

void MafwPlaylist::setCurrentIndex(int index)
{
    m_current = (index >= 0 && uint(index) < count()) ? index : -1;
}

void MafwPlaylist::shuffle()
{
    const int current = m_current >= 0 ? storageIndex(uint(m_current)) : -1;
    m_order.resize(m_items.size());
    std::iota(m_order.begin(), m_order.end(), 0);
    auto* random = QRandomGenerator::global();
    for (int i = m_order.size() - 1; i > 0; --i) {
        std::swap(m_order[i], m_order[int(random->bounded(i + 1))]);
    }
    if (current >= 0) {
        std::swap(m_order[0], m_order[m_order.indexOf(current)]);
        m_current = 0;
    }
    m_shuffled = true;
    if (count() > 0) {
        Q_EMIT contentsChanged(0, count(), count());
    }
}

void MafwPlaylist::unshuffle()
{
    if (!m_shuffled) {
        return;
    }
    if (m_current >= 0) {
        m_current = m_order.at(m_current);
    }
    m_shuffled = false;
    m_order.clear();
    if (count() > 0) {
        Q_EMIT contentsChanged(0, count(), count());
    }
}
