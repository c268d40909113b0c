#include "kelplaycontrols.h"

#include "../kelmoralogging_p.h"
#include "kelinternalplaycontrols.h"
#include "kelmetadatahandler.h"

#include <mafwplaylist.h>

namespace {
KelPlayControls* instanceToThis = nullptr;
}

KelPlayControls* KelPlayControls::instance()
{
    if (!instanceToThis) {
        instanceToThis = new KelPlayControls;
    }
    return instanceToThis;
}

KelPlayControls::KelPlayControls() : m_engine(new KelInternalPlayControls(this))
{
    using E = KelInternalPlayControls;
    using F = KelPlayControls;
    const auto unique = Qt::UniqueConnection;
    connect(m_engine, &E::stateChanged, this, &F::stateChanged, unique);
    connect(m_engine, &E::playlistChanged, this, &F::playlistChanged, unique);
    connect(m_engine, &E::playlistContentsChanged, this, &F::playlistContentsChanged, unique);
    connect(m_engine, &E::mediaChanged, this, &F::mediaChanged, unique);
    connect(m_engine, &E::metadataChanged, this, &F::metadataChanged, unique);
    connect(m_engine, &E::positionChanged, this, &F::positionChanged, unique);
    connect(m_engine, &E::bufferingChanged, this, &F::bufferingChanged, unique);
    connect(m_engine, &E::playbackCompleted, this, &F::playbackCompleted, unique);
    connect(m_engine, &E::callActivated, this, &F::callActivated, unique);
    connect(m_engine, &E::error, this, &F::error, unique);
    connect(m_engine, &E::contentTypeChanged, this, &F::contentTypeChanged, unique);
    connect(m_engine, &E::playbackAboutToStart, this, &F::playbackAboutToStart, unique);
}

KelPlayControls::~KelPlayControls()
{
    // The next instance() makes a new facade rather than hand out this one.
    if (instanceToThis == this) {
        instanceToThis = nullptr;
    }
}

void KelPlayControls::init()
{
    m_engine->init();
}

void KelPlayControls::setMetadataHandler(KelMetadataHandler* handler,
                                         KelPlayControls::ContentType type)
{
    m_engine->setMetadataHandler(handler, type);
}

bool KelPlayControls::isSeekable() const
{
    return m_engine->m_seekable;
}
double KelPlayControls::volume() const
{
    const MafwRenderer* renderer = m_engine->m_renderers.value(PlaylistContent);
    return renderer ? renderer->volume() : MafwRenderer::FullVolume;
}
bool KelPlayControls::setVolume(double volume)
{
    MafwRenderer* renderer = m_engine->m_renderers.value(PlaylistContent);
    const double before = this->volume();
    if (!renderer || !renderer->setVolume(volume)) {
        return false;
    }
    if (renderer->volume() != before) {
        Q_EMIT volumeChanged(renderer->volume());
    }
    return true;
}
MafwRenderer::State KelPlayControls::state() const
{
    return m_engine->m_rendererState;
}
KelPlayControls::ContentType KelPlayControls::contentType()
{
    return m_engine->m_contentType;
}
bool KelPlayControls::isGoingToBeShuffled()
{
    return m_engine->m_shuffleState != KelInternalPlayControls::NoShufflePending;
}
QString KelPlayControls::mimeType()
{
    return m_engine->m_mimeType;
}
int KelPlayControls::startingIndexOfPlay()
{
    return m_engine->m_startingIndex;
}
bool KelPlayControls::isPlaylistNew()
{
    return m_engine->m_playlistNew;
}
void KelPlayControls::setPlaylistState(bool isNew)
{
    m_engine->m_playlistNew = isNew;
}
bool KelPlayControls::isCallActive() const
{
    return m_engine->m_callActive;
}

MafwPlaylist* KelPlayControls::playlist()
{
    return qobject_cast<MafwPlaylist*>(m_engine->m_playlist.data());
}

KelMetadataHandler* KelPlayControls::metaDataHandler(KelPlayControls::ContentType type) const
{
    return m_engine->m_metadataHandlers.value(type);
}

const KelMetadataHandler* KelPlayControls::item() const
{
    return m_engine->metadataHandler();
}
KelMetadataHandler* KelPlayControls::mutableItem() const
{
    return m_engine->mutableMetadataHandler();
}

bool KelPlayControls::setPlaylist(const QString& playlistId, bool deletePlaylistOnComplete)
{
    m_engine->m_playlistNew = true;
    return m_engine->setPlaylist(playlistId, deletePlaylistOnComplete);
}

void KelPlayControls::play(uint index)
{
    m_engine->play(index);
}
void KelPlayControls::shufflePlay(int index)
{
    m_engine->shufflePlay(index);
}
void KelPlayControls::stop()
{
    m_engine->stop();
}
void KelPlayControls::pause()
{
    m_engine->pause();
}
void KelPlayControls::pauseAt(uint seconds)
{
    m_engine->pauseAt(seconds);
}
void KelPlayControls::resume()
{
    m_engine->resume();
}
void KelPlayControls::next()
{
    m_engine->next();
}
void KelPlayControls::previous()
{
    m_engine->previous();
}
void KelPlayControls::setPosition(uint seconds)
{
    m_engine->setPosition(seconds);
}
void KelPlayControls::setPlaylistIndex(int index)
{
    m_engine->setPlaylistIndex(index);
}
void KelPlayControls::play(const QUrl& uri)
{
    m_engine->playUri(uri);
}

void KelPlayControls::playPlaylist(const QUrl& url, const QString& mimeType)
{
    if (url.isEmpty() || !url.isValid() || mimeType.isEmpty()) {
        qCWarning(lcPlayback).noquote()
            << QStringLiteral("void KelPlayControls::playPlaylist(const QUrl&, const QString&) "
                              "the supplied url, mime type or both are invalid or empty!");
        return;
    }
    m_engine->playPlaylist(url, mimeType);
}

void KelPlayControls::clearPlaylist()
{
    m_engine->clearPlaylist();
}
void KelPlayControls::position()
{
    m_engine->getPosition();
}
void KelPlayControls::enablePositionUpdates()
{
    m_engine->enablePositionUpdates();
}
void KelPlayControls::disablePositionUpdates()
{
    m_engine->disablePositionUpdates();
}
void KelPlayControls::emitAboutToPlayRadioStream()
{
    Q_EMIT aboutToPlayRadioStream();
}
