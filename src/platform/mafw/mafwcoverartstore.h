#ifndef MAFWCOVERARTSTORE_H
#define MAFWCOVERARTSTORE_H

#include "mafw_export.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

/// Keeps embedded cover art as files in the user's cache, named after their content, so that
/// the same picture is written once and applications get a URL like any other image.
///
/// The store is bounded: at most MaxFiles pictures and MaxTotalBytes in all, the least recently
/// stored going first; a picture larger than MaxImageBytes is not stored. Files are written
/// atomically and never through a symlink. A static interface, called on the main thread (the
/// GStreamer renderer calls it for the pictures it finds in a stream's tags and reports the URL
/// as the "image-url" metadata).
class MAFW_EXPORT MafwCoverArtStore
{
public:
    /// Most pictures kept at once.
    static constexpr int MaxFiles = 32;
    /// Most bytes kept in all.
    static constexpr qint64 MaxTotalBytes = 16 * 1024 * 1024;
    /// Largest picture stored.
    static constexpr qint64 MaxImageBytes = 4 * 1024 * 1024;

    /// Stores the encoded picture \a image and returns the file URL of the stored picture;
    /// empty when it cannot be written. \a mimeType ("image/png", "image/jpeg", ...) gives the
    /// file name's suffix.
    static QUrl store(const QByteArray& image, const QString& mimeType);
    /// Where the pictures go: "kelmora/covers" in the generic cache location.
    static QString directory();
};

#endif
