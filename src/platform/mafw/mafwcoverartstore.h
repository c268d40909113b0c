#ifndef MAFWCOVERARTSTORE_H
#define MAFWCOVERARTSTORE_H

#include "mafwglobal.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

// Keeps embedded cover art as files in the user's cache, named after their content, so that
// the same picture is written once and applications get a URL like any other image. The store
// is bounded: at most MaxFiles pictures and MaxTotalBytes in all, the least recently stored
// going first; a picture larger than MaxImageBytes is not stored.
class MAFW_EXPORT MafwCoverArtStore
{
public:
    static constexpr int MaxFiles = 32;
    static constexpr qint64 MaxTotalBytes = 16 * 1024 * 1024;
    static constexpr qint64 MaxImageBytes = 4 * 1024 * 1024;

    // The file URL of the stored picture; empty when it cannot be written. mimeType
    // ("image/png", "image/jpeg", ...) gives the file name's suffix.
    static QUrl store(const QByteArray& image, const QString& mimeType);
    // Where the pictures go: "kelmora/covers" in the generic cache location.
    static QString directory();
};

#endif
