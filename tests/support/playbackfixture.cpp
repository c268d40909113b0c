#include "playbackfixture.h"

#include <contextprovider.h>
#include <mafwplaylist.h>
#include <mafwregistry.h>
#include <mafwshared.h>

#include <QCoreApplication>
#include <QEvent>

SignalLog::SignalLog(KelPlayControls* c) : QObject(c)
{
    using F = KelPlayControls;
    auto add = [this](const QString& text) { entries << text; };
    connect(c, &F::stateChanged, this,
            [add](MafwRenderer::State s) { add(QStringLiteral("stateChanged(%1)").arg(int(s))); });
    connect(c, &F::playlistChanged, this, [add](MafwPlaylist* p) {
        add(QStringLiteral("playlistChanged(%1)").arg(p ? p->name() : QStringLiteral("null")));
    });
    connect(c, &F::playlistContentsChanged, this,
            [add](MafwPlaylist*) { add(QStringLiteral("playlistContentsChanged")); });
    connect(c, &F::mediaChanged, this,
            [add](const KelMetadataHandler*) { add(QStringLiteral("mediaChanged")); });
    connect(c, &F::metadataChanged, this,
            [add](const KelMetadataHandler*) { add(QStringLiteral("metadataChanged")); });
    connect(c, &F::positionChanged, this,
            [add](uint p, int d) { add(QStringLiteral("positionChanged(%1,%2)").arg(p).arg(d)); });
    connect(c, &F::bufferingChanged, this,
            [add](float f) { add(QStringLiteral("bufferingChanged(%1)").arg(double(f))); });
    connect(c, &F::callActivated, this,
            [add](bool b) { add(QStringLiteral("callActivated(%1)").arg(int(b))); });
    connect(c, &F::playbackCompleted, this, [add]() { add(QStringLiteral("playbackCompleted")); });
    connect(c, &F::error, this,
            [add](const MafwError& e) { add(QStringLiteral("error(%1)").arg(int(e.code()))); });
    connect(c, &F::contentTypeChanged, this,
            [add]() { add(QStringLiteral("contentTypeChanged")); });
    connect(c, &F::playbackAboutToStart, this,
            [add]() { add(QStringLiteral("playbackAboutToStart")); });
    connect(c, &F::aboutToPlayRadioStream, this,
            [add]() { add(QStringLiteral("aboutToPlayRadioStream")); });
}

QStringList SignalLog::take()
{
    QStringList taken;
    taken.swap(entries);
    return taken;
}

QStringList SignalLog::only(const QString& prefix) const
{
    QStringList result;
    for (const QString& entry : entries) {
        if (entry.startsWith(prefix)) {
            result << entry;
        }
    }
    return result;
}

void PlaybackFixture::setUpControls(bool initialise, bool withRenderer)
{
    if (withRenderer) {
        addRenderer();
    }
    controls = KelPlayControls::instance();
    log = new SignalLog(controls);
    if (initialise) {
        controls->init();
    }
    if (renderer) {
        renderer->takeCommands();
    }
    log->take();
}

ScriptedRenderer* PlaybackFixture::addRenderer()
{
    renderer = new ScriptedRenderer;
    MafwRegistry::instance()->addRenderer(renderer);
    return renderer;
}

void PlaybackFixture::tearDownControls()
{
    delete controls;
    controls = nullptr;
    log = nullptr;
    delete renderer.data();
    MafwShared* shared = MafwShared::instance();
    for (const QString& name : shared->playlistNames()) {
        shared->unPublishPlaylist(name);
    }
    ContextProvider::setValue(QStringLiteral("Phone.Call"), QVariant());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

MafwPlaylist* PlaybackFixture::makePlaylist(const QString& name, int items, bool permanent)
{
    MafwPlaylist* playlist = MafwShared::instance()->createPlaylist(name, permanent);
    for (int i = 0; i < items; ++i) {
        playlist->appendItem(QUrl(QStringLiteral("file:///media/%1-%2.ogg").arg(name).arg(i)));
    }
    return playlist;
}

MafwPlaylist* PlaybackFixture::installPlaylist(const QString& name, int items,
                                               bool deleteOnComplete)
{
    MafwPlaylist* playlist = makePlaylist(name, items);
    controls->setPlaylist(name, deleteOnComplete);
    Q_EMIT renderer->playlistChanged(playlist);
    renderer->takeCommands();
    log->take();
    return playlist;
}

void PlaybackFixture::rendererState(MafwRenderer::State state)
{
    renderer->setState(state);
    renderer->takeCommands();
}
