#ifndef MAFWPLAYLISTPARSER_H
#define MAFWPLAYLISTPARSER_H

#include "mafw_export.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QUrl>

/// Reads and writes playlist files: PLS ("audio/x-scpls") and M3U/M3U8 ("audio/x-mpegurl",
/// "application/vnd.apple.mpegurl").
///
/// Static functions without state, safe on any thread; they never touch the file system or
/// the network (MafwPlaylistFetcher reads the files).
class MAFW_EXPORT MafwPlaylistParser
{
public:
    /// A playlist file format.
    enum Format { Unknown, Pls, M3u };

    /// At most this many entries are taken from one file (the first ones; in a PLS file those
    /// of the lowest numbers); the rest are left out.
    static constexpr int MaxEntries = 10000;

    /// What a parse found beside the entries, for diagnostics.
    struct Report
    {
        Format format = Unknown;   ///< the format the data was read as
        bool notAPlaylist = false; ///< a web page, other markup or binary data
        bool hls = false;          ///< an HLS playlist: its own URL is the one entry
        int beyondLimit = 0;       ///< entries left out after MaxEntries
        /// Entries that name nothing here: Windows drive paths, relative entries without a
        /// base, malformed URLs.
        int unusable = 0;
        /// One per returned entry: the name an M3U "#EXTINF:length,name" line or a PLS
        /// "TitleN=name" gives it, else empty.
        QStringList titles;
    };

    /// The format a MIME type names; Unknown for others.
    static Format formatOf(const QString& mimeType);

    /// The text of a playlist file: UTF-8 or UTF-16 after a byte order mark, else UTF-8 when it
    /// is valid UTF-8, else Latin-1. Unpaired surrogates and noncharacters become U+FFFD.
    static QString decode(const QByteArray& data);

    /// The entries in order. The data decides the format (a "[playlist]" or "\#EXTM3U" header,
    /// else the shape of its lines); mimeType counts only where the data fits either. Markup
    /// (an HTML page) and binary data give no entry. Relative entries are resolved against
    /// base; without a base (empty or relative) they are left out, and rooted paths are local
    /// files. PLS entries come in the order of their numbers, of any length; entries with the
    /// same number are all kept, in the order of the file. An HLS playlist (\#EXTM3U with
    /// \#EXT-X- tags) gives base itself as its one entry. \a report, when given, receives what
    /// else the parse found.
    static QList<QUrl> parse(const QByteArray& data, const QUrl& base,
                             const QString& mimeType = QString(), Report* report = nullptr);

    /// Extended M3U that parse() reads back to the same URLs: local files are written as paths,
    /// or as file URLs when the path would not survive as a line (line breaks, control
    /// characters, spaces at either end).
    static QByteArray writeM3u(const QList<QUrl>& entries);

    /// The origin policy: whether an entry of the playlist read from playlistUrl may be played.
    /// A playlist from a server (http, https) may name only http and https entries; a local
    /// playlist file also local files. No other scheme (fd:, data:, appsink:, ...) ever.
    static bool isAllowedEntry(const QUrl& playlistUrl, const QUrl& entry);
};

#endif
