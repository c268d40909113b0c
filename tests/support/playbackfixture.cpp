#include "playbackfixture.h"

#include <contextprovider.h>
#include <kelinternalplaycontrols.h>
#include <mafwplaylist.h>
#include <mafwregistry.h>
#include <mafwshared.h>

#include <QCoreApplication>
#include <QEvent>

void PlaybackFixture::setUpControls(bool initialise, bool withRenderer)
{
    if (withRenderer) {
        addRenderer();
    }
    controls = KelPlayControls::instance();
    using F = KelPlayControls;
    auto add = [this](const QString& text) { journal << text; };
    auto note = [add](const char* text) { return [add, text]() { add(QLatin1String(text)); }; };
    QObject::connect(controls, &F::stateChanged, controls,
                     [add](MafwRenderer::State s) { add(QStringLiteral("state%1").arg(int(s))); });
    QObject::connect(controls, &F::playlistChanged, controls, [add](MafwPlaylist* p) {
        add(QStringLiteral("list(%1)").arg(p ? p->name() : QStringLiteral("null")));
    });
    QObject::connect(controls, &F::positionChanged, controls,
                     [add](uint p, int d) { add(QStringLiteral("pos(%1,%2)").arg(p).arg(d)); });
    QObject::connect(controls, &F::bufferingChanged, controls,
                     [add](float f) { add(QStringLiteral("buf(%1)").arg(double(f))); });
    QObject::connect(controls, &F::callActivated, controls,
                     [add](bool b) { add(QStringLiteral("call%1").arg(int(b))); });
    QObject::connect(controls, &F::error, controls, [add](const MafwError& e) {
        add(QStringLiteral("err%1").arg(int(e.code())));
    });
    QObject::connect(controls, &F::playlistContentsChanged, controls, note("contents"));
    QObject::connect(controls, &F::mediaChanged, controls, note("media"));
    QObject::connect(controls, &F::metadataChanged, controls, note("meta"));
    QObject::connect(controls, &F::playbackCompleted, controls, note("done"));
    QObject::connect(controls, &F::contentTypeChanged, controls, note("type"));
    QObject::connect(controls, &F::playbackAboutToStart, controls, note("start"));
    QObject::connect(controls->findChild<KelInternalPlayControls*>(),
                     &KelInternalPlayControls::rendererLost, controls, note("lost"));
    if (initialise) {
        controls->init();
    }
    journal.clear();
}

ScriptedRenderer* PlaybackFixture::addRenderer()
{
    renderer = new ScriptedRenderer;
    renderer->journal = &journal;
    MafwRegistry::instance()->addRenderer(renderer);
    return renderer;
}

RecordingHandler* PlaybackFixture::handler(KelPlayControls::ContentType type)
{
    auto* handler = new RecordingHandler(&journal);
    controls->setMetadataHandler(handler, type);
    return handler;
}

void PlaybackFixture::tearDownControls()
{
    delete controls;
    controls = nullptr;
    delete renderer.data();
    MafwShared* shared = MafwShared::instance();
    for (const QString& name : shared->playlistNames()) {
        shared->unPublishPlaylist(name);
    }
    ContextProvider::setValue(QStringLiteral("Phone.Call"), QVariant());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    journal.clear();
}

MafwPlaylist* PlaybackFixture::makePlaylist(const QString& name, int items, bool permanent)
{
    MafwPlaylist* playlist = MafwShared::instance()->createPlaylist(name, permanent);
    for (int i = 0; i < items; ++i) {
        playlist->appendItem(QUrl(QStringLiteral("file:///%1%2").arg(name).arg(i)));
    }
    return playlist;
}

QStringList PlaybackFixture::takeCommands()
{
    QStringList out;
    for (const QString& entry : takeJournal()) {
        if (entry.startsWith(QLatin1Char('>'))) {
            out << entry.mid(1);
        }
    }
    return out;
}

QTimer* PlaybackFixture::engineTimer(const char* name) const
{
    return controls->findChild<QTimer*>(QLatin1String(name));
}

void PlaybackFixture::fire(const char* name) const
{
    QTimer* timer = engineTimer(name);
    if (timer && timer->isActive()) {
        timer->stop();
        QMetaObject::invokeMethod(timer, "timeout");
    }
}
