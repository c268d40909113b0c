#ifndef MAFWPLAYLISTPARSER_H
#define MAFWPLAYLISTPARSER_H

#include "mafwglobal.h"

#include <QByteArray>
#include <QList>
#include <QUrl>

// Reads and writes playlist files: PLS ("audio/x-scpls") and M3U/M3U8 ("audio/x-mpegurl",
// "application/vnd.apple.mpegurl").
class MAFW_EXPORT MafwPlaylistParser
{
public:
    enum Format { Unknown, Pls, M3u };

    // The format a MIME type names; Unknown for others.
    static Format formatOf(const QString& mimeType);
    // The entries in order. Relative entries are resolved against base. Without a known MIME
    // type the format is told from the data.
    static QList<QUrl> parse(const QByteArray& data, const QUrl& base,
                             const QString& mimeType = QString());
    // Extended M3U; local files are written as paths.
    static QByteArray writeM3u(const QList<QUrl>& entries);

private:
    static QUrl resolve(const QString& entry, const QUrl& base);
};

#endif
