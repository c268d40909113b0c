#ifndef MAFWSHARED_H
#define MAFWSHARED_H

#include "mafwglobal.h"

#include <QFlags>
#include <QMap>
#include <QObject>

class MafwPlaylist;

// The process-wide service of shared playlists, published by name.
class MAFW_EXPORT MafwShared : public QObject
{
    Q_OBJECT
public:
    // What the service keeps track of once initialised.
    enum TrackFlag {
        TrackPlaylists = 0x01,        // playlists published and unpublished
        TrackPlaylistContents = 0x02, // edits of published playlists
        TrackRenderers = 0x04,        // renderers added to and removed from the registry
        TrackPermanent = 0x08,        // permanent playlists
        TrackShuffle = 0x10,          // shuffle and unshuffle of published playlists
        TrackFiles = 0x20,            // playlists loaded from and saved to files
        TrackAll = 0x3F,
    };
    Q_DECLARE_FLAGS(TrackFlags, TrackFlag)
    Q_FLAG(TrackFlags)

    // Never null; created on first use and kept for the life of the process.
    static MafwShared* instance();

    // False when flags holds a bit that names nothing to track, or before the application
    // object exists.
    bool initialize(QFlags<TrackFlag> flags);
    TrackFlags trackedFlags() const { return m_flags; }

    // Creates and publishes a playlist, or returns the one already published under that name
    // (whose permanent flag is left as it is). Null for an empty name. MafwShared owns it.
    MafwPlaylist* createPlaylist(const QString& name, bool permanent = false);
    MafwPlaylist* findPlaylist(const QString& name) const;
    QStringList playlistNames() const;
    // The playlist is deleted later (deleteLater()), never under a caller's feet.
    bool unPublishPlaylist(const QString& name);

Q_SIGNALS:
    void playlistPublished(const QString& name);

private:
    MafwShared();
    ~MafwShared() override;

    TrackFlags m_flags;
    QMap<QString, MafwPlaylist*> m_playlists;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(MafwShared::TrackFlags)

#endif
