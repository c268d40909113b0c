#include "kelplaycontrols.h"

#include "kelinternalplaycontrols.h"
#include "kelmetadatahandler.h"
#include "../kelmoralogging_p.h"

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

KelPlayControls::KelPlayControls() : engine(new KelInternalPlayControls(this))
{
    using E = KelInternalPlayControls;
    using F = KelPlayControls;
    const auto unique = Qt::UniqueConnection;
    connect(engine, &E::stateChanged, this, &F::stateChanged, unique);
    connect(engine, &E::playlistChanged, this, &F::playlistChanged, unique);
    connect(engine, &E::playlistContentsChanged, this, &F::playlistContentsChanged, unique);
    connect(engine, &E::mediaChanged, this, &F::mediaChanged, unique);
    connect(engine, &E::metadataChanged, this, &F::metadataChanged, unique);
    connect(engine, &E::positionChanged, this, &F::positionChanged, unique);
    connect(engine, &E::bufferingChanged, this, &F::bufferingChanged, unique);
    connect(engine, &E::playbackCompleted, this, &F::playbackCompleted, unique);
    connect(engine, &E::callActivated, this, &F::callActivated, unique);
    connect(engine, &E::error, this, &F::error, unique);
    connect(engine, &E::contentTypeChanged, this, &F::contentTypeChanged, unique);
    connect(engine, &E::playbackAboutToStart, this, &F::playbackAboutToStart, unique);
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
    engine->init();
}

void KelPlayControls::setMetadataHandler(KelMetadataHandler* handler,
                                         KelPlayControls::ContentType type)
{
    engine->setMetadataHandler(handler, type);
}

bool KelPlayControls::isSeekable() const
{
    return engine->seekable;
}
double KelPlayControls::volume() const
{
    const MafwRenderer* renderer = engine->renderers.value(PlaylistContent);
    return renderer ? renderer->volume() : MafwRenderer::FullVolume;
}
bool KelPlayControls::setVolume(double volume)
{
    MafwRenderer* renderer = engine->renderers.value(PlaylistContent);
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
    return engine->rendererState;
}
KelPlayControls::ContentType KelPlayControls::contentType()
{
    return engine->contentType;
}
bool KelPlayControls::isGoingToBeShuffled()
{
    return engine->shuffleState != KelInternalPlayControls::NoShufflePending;
}
QString KelPlayControls::mimeType()
{
    return engine->mimeType;
}
int KelPlayControls::startingIndexOfPlay()
{
    return engine->startingIndex;
}
bool KelPlayControls::isPlaylistNew()
{
    return engine->playlistNew;
}
void KelPlayControls::setPlaylistState(bool isNew)
{
    engine->playlistNew = isNew;
}
bool KelPlayControls::isCallActive() const
{
    return engine->callActive;
}

MafwPlaylist* KelPlayControls::playlist()
{
    return qobject_cast<MafwPlaylist*>(engine->playlist.data());
}

KelMetadataHandler* KelPlayControls::metaDataHandler(KelPlayControls::ContentType type) const
{
    return engine->metadataHandlers.value(type);
}

const KelMetadataHandler* KelPlayControls::item() const
{
    return engine->metadataHandler();
}
KelMetadataHandler* KelPlayControls::mutableItem() const
{
    return engine->mutableMetadataHandler();
}

bool KelPlayControls::setPlaylist(const QString& playlistId, bool deletePlaylistOnComplete)
{
    engine->playlistNew = true;
    return engine->setPlaylist(playlistId, deletePlaylistOnComplete);
}

void KelPlayControls::play(uint index)
{
    engine->play(index);
}
void KelPlayControls::shufflePlay(int index)
{
    engine->shufflePlay(index);
}
void KelPlayControls::stop()
{
    engine->stop();
}
void KelPlayControls::pause()
{
    engine->pause();
}
void KelPlayControls::pauseAt(uint seconds)
{
    engine->pauseAt(seconds);
}
void KelPlayControls::resume()
{
    engine->resume();
}
void KelPlayControls::next()
{
    engine->next();
}
void KelPlayControls::previous()
{
    engine->previous();
}
void KelPlayControls::setPosition(uint seconds)
{
    engine->setPosition(seconds);
}
void KelPlayControls::setPlaylistIndex(int index)
{
    engine->setPlaylistIndex(index);
}
void KelPlayControls::play(const QUrl& uri)
{
    engine->playUri(uri);
}

void KelPlayControls::playPlaylist(const QUrl& url, const QString& mimeType)
{
    if (url.isEmpty() || !url.isValid() || mimeType.isEmpty()) {
        qCWarning(lcPlayback).noquote()
            << QStringLiteral("void KelPlayControls::playPlaylist(const QUrl&, const QString&) "
                              "the supplied url, mime type or both are invalid or empty!");
        return;
    }
    engine->playPlaylist(url, mimeType);
}

void KelPlayControls::clearPlaylist()
{
    engine->clearPlaylist();
}
void KelPlayControls::position()
{
    engine->getPosition();
}
void KelPlayControls::enablePositionUpdates()
{
    engine->enablePositionUpdates();
}
void KelPlayControls::disablePositionUpdates()
{
    engine->disablePositionUpdates();
}
void KelPlayControls::emitAboutToPlayRadioStream()
{
    Q_EMIT aboutToPlayRadioStream();
}
