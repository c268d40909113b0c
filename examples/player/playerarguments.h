#ifndef PLAYERARGUMENTS_H
#define PLAYERARGUMENTS_H

#include "playeritem.h"

#include <QList>
#include <QStringList>

// The command line: what to play and how. Local files are checked here, so that a missing
// file is reported before anything plays; local playlist files among several arguments are
// read here and their entries join the shared playlist.
class PlayerArguments
{
public:
    enum Mode {
        NothingToPlay,
        PlaySingleUri,      // one file or stream: KelPlayControls::play(QUrl)
        PlayPlaylistFile,   // one playlist URL: fetched, then played as a shared playlist
        PlaySharedPlaylist, // several items or a local playlist file: a shared playlist
    };

    // The largest playlist file read here; a bigger one is refused.
    static constexpr qint64 MaxPlaylistBytes = 1024 * 1024;
    static constexpr int DefaultScreenshotDelayMs = 2000;

    // args without the program name; defaultPlaylist is played when no item is given.
    static PlayerArguments parse(const QStringList& args, const QString& defaultPlaylist);
    static QString usage();
    // The MIME type of a playlist file or URL by its name; empty when it is not one.
    static QString playlistMimeType(const QUrl& url);
    // Entries of a local playlist file, with the titles, lengths and pictures an M3U file
    // gives (#EXTINF with a tvg-logo attribute, #EXTIMG) and the titles of a PLS file.
    static QList<PlayerItem> readPlaylistFile(const QString& path, QString* error);

    Mode mode() const { return m_mode; }
    QList<PlayerItem> items() const { return m_items; }
    // For PlayPlaylistFile.
    QString playlistMimeType() const { return m_mimeType; }
    // Arguments that cannot be played, one readable line each.
    QStringList problems() const { return m_problems; }
    bool usageError() const { return m_usageError; }
    bool helpRequested() const { return m_help; }
    bool window() const { return m_window; }
    // With --window: the window stays after the end of the list.
    bool stay() const { return m_stay; }
    // Fills item's artist and title from a playlist's "Artist - Title" name.
    static void setNames(const QString& names, PlayerItem* item);
    QString screenshotFile() const { return m_screenshotFile; }
    int screenshotDelayMs() const { return m_screenshotDelayMs; }

private:
    void addArgument(const QString& argument, bool several);

    Mode m_mode = NothingToPlay;
    QList<PlayerItem> m_items;
    QString m_mimeType;
    QStringList m_problems;
    bool m_usageError = false;
    bool m_help = false;
    bool m_window = false;
    bool m_stay = false;
    bool m_expanded = false; // a local playlist file gave the items
    QString m_screenshotFile;
    int m_screenshotDelayMs = DefaultScreenshotDelayMs;
};

#endif
