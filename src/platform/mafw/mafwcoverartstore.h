#ifndef MAFWCOVERARTSTORE_H
#define MAFWCOVERARTSTORE_H

#include "mafwglobal.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

// Keeps embedded cover art as files in the user's cache, named after their content, so that
// the same picture is written once and applications get a URL like any other image.
class MAFW_EXPORT MafwCoverArtStore
{
public:
    // The file URL of the stored picture; empty when it cannot be written. mimeType
    // ("image/png", "image/jpeg", ...) gives the file name's suffix.
    static QUrl store(const QByteArray& image, const QString& mimeType);
    // Where the pictures go: "kelmora/covers" in the generic cache location.
    static QString directory();
};

#endif
