#ifndef MAFWSHARED_H
#define MAFWSHARED_H

#include "mafw_export.h"

#include <QFlags>
#include <QMap>
#include <QObject>

class MafwPlaylist;

/// The process-wide service of shared playlists, published by name.
///
/// MafwShared owns every playlist it publishes; MafwRegistry::findPlaylist() finds them too.
/// Main thread only.
class MAFW_EXPORT MafwShared : public QObject
{
    Q_OBJECT
public:
    /// What an application asks the service to keep track of. Recorded in trackedFlags(); the
    /// service publishes, unpublishes and signals the same whatever is asked.
    enum TrackFlag {
        TrackPlaylists = 0x01,        ///< playlists published and unpublished
        TrackPlaylistContents = 0x02, ///< edits of published playlists
        TrackRenderers = 0x04,        ///< renderers added to and removed from the registry
        TrackPermanent = 0x08,        ///< permanent playlists
        TrackShuffle = 0x10,          ///< shuffle and unshuffle of published playlists
        TrackFiles = 0x20,            ///< playlists loaded from and saved to files
        TrackAll = 0x3F,              ///< all of the above
    };
    /// A combination of TrackFlag values.
    Q_DECLARE_FLAGS(TrackFlags, TrackFlag)
    Q_FLAG(TrackFlags)

    /// Never null; created on first use and kept for the life of the process.
    static MafwShared* instance();

    /// Adds \a flags to trackedFlags(); may be called again. False when flags holds a bit that
    /// names nothing to track, or before the application object exists.
    bool initialize(QFlags<TrackFlag> flags);
    /// Everything that successful initialize() calls asked for.
    TrackFlags trackedFlags() const { return m_flags; }

    /// Creates and publishes a playlist (emitting playlistPublished() before returning), or
    /// returns the one already published under that name (whose permanent flag is left as it
    /// is). Null for an empty name. MafwShared owns it.
    MafwPlaylist* createPlaylist(const QString& name, bool permanent = false);
    /// The playlist published under \a name, or null. Owned by MafwShared.
    MafwPlaylist* findPlaylist(const QString& name) const;
    /// The names of all published playlists, sorted.
    QStringList playlistNames() const;
    /// Takes the playlist of that name out of publication; it is deleted later (deleteLater()),
    /// never under a caller's feet. False when no playlist has that name.
    bool unPublishPlaylist(const QString& name);

Q_SIGNALS:
    /// A playlist was published under \a name (from inside createPlaylist()).
    void playlistPublished(const QString& name);

private:
    MafwShared();
    ~MafwShared() override;

    TrackFlags m_flags;
    QMap<QString, MafwPlaylist*> m_playlists;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(MafwShared::TrackFlags)

#endif
