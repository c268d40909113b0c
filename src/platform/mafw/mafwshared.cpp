#include "mafwshared.h"

#include "mafwplaylist.h"

#include <QCoreApplication>

MafwShared* MafwShared::instance()
{
    static MafwShared* shared = new MafwShared;
    return shared;
}

MafwShared::MafwShared() = default;
MafwShared::~MafwShared() = default;

bool MafwShared::initialize(QFlags<TrackFlag> flags)
{
    // Tracking runs on the application's event loop.
    if ((int(flags) & ~int(TrackAll)) || !QCoreApplication::instance()) {
        return false;
    }
    m_flags |= flags;
    return true;
}

MafwPlaylist* MafwShared::createPlaylist(const QString& name, bool permanent)
{
    if (name.isEmpty()) {
        return nullptr;
    }
    if (MafwPlaylist* existing = m_playlists.value(name)) {
        return existing;
    }
    auto* playlist = new MafwPlaylist(name, permanent, this);
    m_playlists.insert(name, playlist);
    Q_EMIT playlistPublished(name);
    return playlist;
}

MafwPlaylist* MafwShared::findPlaylist(const QString& name) const
{
    return m_playlists.value(name);
}

QStringList MafwShared::playlistNames() const
{
    return m_playlists.keys();
}

bool MafwShared::unPublishPlaylist(const QString& name)
{
    MafwPlaylist* playlist = m_playlists.take(name);
    if (!playlist) {
        return false;
    }
    playlist->deleteLater();
    return true;
}
