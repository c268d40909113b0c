#ifndef MTHEME_P_H
#define MTHEME_P_H

// What the theme's parts share: the search path, the rules, the caches and the registries.
// mtheme.cpp: search path, caches and the public lookups; mthemestyles.cpp: attribute files
// applied to styles; mthemeimages.cpp: images by id; mthemecreators.cpp: creator registries.

#include "mthemerules_p.h"

#include <QCache>
#include <QHash>
#include <QPixmap>
#include <QSet>
#include <QSize>
#include <QString>
#include <QStringList>

class MStyle;
class MStyleCreatorBase;
class MViewCreatorBase;

namespace MThemeInternal {

// Theme files are input: read whole only when regular and small, images made only up to a
// size that costs little memory.
constexpr qint64 BytesPerMiB = 1024 * 1024;
constexpr qint64 MaxAttributeFileSize = 1 * BytesPerMiB;
constexpr qint64 MaxImageFileSize = 4 * BytesPerMiB;
constexpr int PlaceholderSide = 32;
// Pixmaps nobody uses are kept up to this many KiB, so that a view that takes its icons for
// one paint does not read and render them again on every frame.
constexpr int SparePixmapKiB = 8 * 1024;

// What an unused object costs in a spare budget: KiB of a pixmap.
inline int spareCost(const QPixmap& pixmap)
{
    return int(
        qMax<qint64>(1, qint64(pixmap.width()) * pixmap.height() * pixmap.depth() / 8 / 1024));
}
inline int spareCost(const MStyle&)
{
    return 1;
}

// Objects shared by key and counted. The last user's release deletes one, or with a spare
// budget keeps it, least recently given back dropped first, until the next take() of its key.
template <typename T> class SharedCache
{
public:
    explicit SharedCache(int spareBudget = 0) : m_spare(spareBudget) {}

    // The object under key with one more user, or null.
    T* take(const QString& key)
    {
        if (T* shared = m_byKey.value(key)) {
            ++m_use[shared].refs;
            return shared;
        }
        T* kept = m_spare.take(key);
        return kept ? insert(key, kept) : nullptr;
    }
    T* insert(const QString& key, T* made)
    {
        m_byKey.insert(key, made);
        m_use.insert(made, {1, key});
        return made;
    }
    void release(const T* object)
    {
        auto it = m_use.find(object);
        if (it == m_use.end() || --it->refs > 0) {
            return;
        }
        const QString key = it->key;
        m_use.erase(it);
        T* unused = m_byKey.take(key);
        if (m_spare.maxCost() > 0) {
            m_spare.insert(key, unused, spareCost(*unused)); // deletes what does not fit
        } else {
            delete unused;
        }
    }
    // Forgets the unused objects, for when what a key stands for may have changed.
    void dropSpares() { m_spare.clear(); }
    // Objects in use.
    int size() const { return m_byKey.size(); }

private:
    struct Use
    {
        int refs;
        QString key;
    };
    QHash<QString, T*> m_byKey;
    QHash<const T*, Use> m_use;
    QCache<QString, T> m_spare;
};

struct ThemeData
{
    QStringList directories;        // searched first to last
    QStringList defaultDirectories; // after all others
    bool rulesLoaded = false;
    MThemeRules::Rules rules;
    QHash<QString, const MStyleCreatorBase*> styleCreators;
    QHash<QString, const MViewCreatorBase*> viewCreators;
    SharedCache<MStyle> styles;
    SharedCache<QPixmap> pixmaps{SparePixmapKiB};
    QSet<QString> warned;
};

ThemeData& theme();
// The theme directories, first to last: added ones, $KELMORA_THEME_PATH, the defaults.
QStringList searchPath();
// Writes the warning once per key for the life of the process.
void warnOnce(const QString& key, const QString& warning);

// Reads the attribute files of the search path once (again after a directory was added).
void loadRules();
// Sets the attributes of selector ("Class" or "Class#name") on style.
void applyRules(MStyle* style, const QString& selector);

// The first usable image with that id; else false, and problem tells why when an image was
// there but could not be used.
bool loadImage(const QString& id, const QSize& size, QPixmap& out, QString& problem);
// Whether an image of that size may be made (MImageReader::MaxSide a side).
bool withinBounds(const QSize& size);
// Shown for an image that is missing or refused: of the size asked for, within the bounds.
QPixmap placeholder(const QSize& size);

} // namespace MThemeInternal

#endif
