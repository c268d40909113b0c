#include "kelinternalplaycontrols.h"

#include "kelmetadatahandler.h"
#include "../kelmoralogging_p.h"

#include <contextproperty.h>
#include <mafwplaylist.h>
#include <mafwplugincontrol.h>
#include <mafwregistry.h>
#include <mafwshared.h>
#include <mapplication.h>
#include <mapplicationwindow.h>

#include <QGuiApplication>
#include <QSet>
#include <QWindow>

using Type = KelPlayControls::ContentType;

KelInternalPlayControls::KelInternalPlayControls(QObject* parent)
    : QObject(parent), gstRendererId(QStringLiteral("mafw_gst_renderer")),
      seekableKey(QStringLiteral("is-seekable")), durationKey(QStringLiteral("duration")),
      positionTimer(new QTimer(this)), positionStopTimer(new QTimer(this)),
      callStateKey(QStringLiteral("Phone.Call")), allowErrorsTimer(this)
{
    // Named, as children, so that diagnostics and tests can tell the timers apart.
    positionTimer->setObjectName(QStringLiteral("positionPoll"));
    positionStopTimer->setObjectName(QStringLiteral("positionStop"));
    allowErrorsTimer.setObjectName(QStringLiteral("errorGate"));
}

KelInternalPlayControls::~KelInternalPlayControls()
{
    // One handler may stand under two types; delete each once.
    QSet<KelMetadataHandler*> owned;
    for (KelMetadataHandler* handler : qAsConst(metadataHandlers)) {
        if (handler) {
            owned.insert(handler);
        }
    }
    metadataHandlers.clear();
    qDeleteAll(owned);
}

void KelInternalPlayControls::init()
{
    if (initialised) {
        return;
    }
    if (!MafwShared::instance()->initialize(MafwShared::TrackAll)) {
        qCWarning(lcPlayback).noquote()
            << QStringLiteral("void KelInternalPlayControls::init() initTracking failed!");
    }
    MafwRegistry* registry = MafwRegistry::instance();
    const QString pluginName = QStringLiteral("libqmafw_gst_renderer_plugin");
    MafwPluginControl* control = registry ? registry->pluginControlInterface(pluginName) : nullptr;
    if (!control) {
        qCWarning(lcPlayback).noquote()
            << QStringLiteral("void KelInternalPlayControls::init() could get "
                              "pluginControlInterface for \"%1\" from MafwRegistry")
                   .arg(pluginName);
    } else {
        control->loadPlugin();
    }
    getRenderers();

    positionTimer->setInterval(positionInterval);
    connect(positionTimer, &QTimer::timeout, this, &KelInternalPlayControls::getPosition);
    positionStopTimer->setSingleShot(true);
    connect(positionStopTimer, &QTimer::timeout, this, &KelInternalPlayControls::stopPositionTimer);

    followActiveWindow();
    // Queued: the window list learns of the activation during the same notification.
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::focusWindowChanged, this,
                &KelInternalPlayControls::followActiveWindow, Qt::QueuedConnection);
    }

    callStateProperty = new ContextProperty(callStateKey, this);
    connect(callStateProperty, &ContextProperty::valueChanged, this,
            &KelInternalPlayControls::callStatePropertyChecker);

    allowErrorsTimer.setSingleShot(true);
    connect(&allowErrorsTimer, &QTimer::timeout, this, &KelInternalPlayControls::allowErrors);

    initialised = true;
    callStatePropertyChecker();
}

bool KelInternalPlayControls::getRenderers()
{
    MafwRegistry* registry = MafwRegistry::instance();
    if (!registry) {
        return false;
    }
    MafwRenderer* renderer = registry->findRenderer(gstRendererId);
    if (renderer) {
        renderers.insert(KelPlayControls::PlaylistContent, renderer);
        renderers.insert(KelPlayControls::UriContent, renderer);
        connectRendererSignals(renderer);
    }
    const bool added = connect(registry, &MafwRegistry::rendererAdded, this,
                               &KelInternalPlayControls::addRenderer, Qt::UniqueConnection);
    const bool removed = connect(registry, &MafwRegistry::rendererRemoved, this,
                                 &KelInternalPlayControls::removeRenderer, Qt::UniqueConnection);
    return renderer || (added && removed);
}

void KelInternalPlayControls::addRenderer(const QString& id, const QString& name)
{
    Q_UNUSED(name)
    if (id != gstRendererId || renderers.contains(KelPlayControls::PlaylistContent)) {
        return;
    }
    MafwRegistry* registry = MafwRegistry::instance();
    MafwRenderer* renderer = registry->findRenderer(id);
    if (!renderer) {
        return;
    }
    renderers.insert(KelPlayControls::PlaylistContent, renderer);
    connectRendererSignals(renderer);
    connectMetadataHandlerSignals(KelPlayControls::PlaylistContent);
    renderers.insert(KelPlayControls::UriContent, registry->findRenderer(id));
    connectMetadataHandlerSignals(KelPlayControls::UriContent);

    // Played once: a renderer that comes back later does not play it again.
    const QUrl uri = std::exchange(pendingUri, QUrl());
    if (uri.isEmpty()) {
        handlePendingPlaylist();
    } else if (!pendingUriIsPlaylist) {
        playUriWithGstRenderer(uri);
    } else {
        playPlaylistWithGstRenderer(uri, pendingMimeType);
    }
}

void KelInternalPlayControls::followActiveWindow()
{
    MApplicationWindow* window = MApplication::activeWindow();
    if (window == switcherWindow) {
        return;
    }
    if (switcherWindow) {
        disconnect(switcherWindow, nullptr, this, nullptr);
    }
    switcherWindow = window;
    if (!window) {
        return;
    }
    connect(window, &MApplicationWindow::switcherEntered, this,
            &KelInternalPlayControls::handleSwitcherEntered);
    connect(window, &MApplicationWindow::switcherExited, this,
            &KelInternalPlayControls::handleSwitcherExited);
    if (initialised) {
        window->isInSwitcher() ? handleSwitcherEntered() : handleSwitcherExited();
    }
}

void KelInternalPlayControls::removeRenderer(const QString& id, const QString& name)
{
    Q_UNUSED(name)
    if (id != gstRendererId || !renderers.contains(KelPlayControls::PlaylistContent)) {
        return;
    }
    for (Type type : {KelPlayControls::PlaylistContent, KelPlayControls::UriContent}) {
        // Only our own connections go: others may still listen to the renderer.
        if (MafwRenderer* renderer = renderers.value(type)) {
            disconnect(renderer, nullptr, this, nullptr);
            for (KelMetadataHandler* handler : qAsConst(metadataHandlers)) {
                if (handler) {
                    disconnect(renderer, &MafwRenderer::metadataChanged, handler,
                               &KelMetadataHandler::onMetadataChange);
                }
            }
        }
        renderers.remove(type);
    }
    // Requests sent to the lost renderer will not be answered.
    pendingPositionRequests = 0;
    positionRepliesToSkip = 0;
    if (rendererState != MafwRenderer::Stopped) {
        applyRendererState(MafwRenderer::Stopped);
    }
    Q_EMIT rendererLost();
}

MafwRenderer* KelInternalPlayControls::currentRendererInUse(KelPlayControls::ContentType type)
{
    if (!renderers.contains(type)) {
        getRenderers();
        if (!renderers.contains(type)) {
            return nullptr;
        }
    }
    return renderers.value(type);
}

void KelInternalPlayControls::changeContentType(KelPlayControls::ContentType type)
{
    switch (type) {
    case KelPlayControls::PlaylistContent:
        disconnectMetadataHandlerSignals(KelPlayControls::UriContent);
        connectMetadataHandlerSignals(KelPlayControls::PlaylistContent);
        break;
    case KelPlayControls::UriContent:
        disconnectMetadataHandlerSignals(KelPlayControls::PlaylistContent);
        connectMetadataHandlerSignals(KelPlayControls::UriContent);
        break;
    case KelPlayControls::NoContent:
        disconnectMetadataHandlerSignals(KelPlayControls::PlaylistContent);
        disconnectMetadataHandlerSignals(KelPlayControls::UriContent);
        break;
    }
    if (contentType != type) {
        contentType = type;
        Q_EMIT contentTypeChanged();
    }
}

KelPlayControls::ContentType KelInternalPlayControls::playlistContent(MafwPlaylist* list)
{
    Q_UNUSED(list)
    return KelPlayControls::PlaylistContent;
}

void KelInternalPlayControls::connectRendererSignals(MafwRenderer* renderer)
{
    if (!renderer) {
        return;
    }
    using E = KelInternalPlayControls;
    const auto unique = Qt::UniqueConnection;
    // These two need to know which renderer spoke; the lambdas cannot be unique connections.
    disconnect(renderer, &MafwRenderer::playlistChanged, this, nullptr);
    disconnect(renderer, &MafwRenderer::stateChanged, this, nullptr);
    connect(renderer, &MafwRenderer::playlistChanged, this,
            [this, renderer](MafwPlaylist* list) { handlePlaylistChange(renderer, list); });
    connect(renderer, &MafwRenderer::stateChanged, this,
            [this, renderer](MafwRenderer::State state) {
                handleRendererStateChange(renderer, state);
            });
    connect(renderer, &MafwRenderer::mafwPropertyChanged, this, &E::handleMafwPropertyChange,
            unique);
    connect(renderer, &MafwRenderer::metadataChanged, this, &E::handleMetadataChange, unique);
    connect(renderer, &MafwRenderer::bufferingInfo, this, &E::bufferingChanged, unique);
    connect(renderer, &MafwRenderer::playbackCompleted, this, &E::clearPlaylist, unique);
    connect(renderer, &MafwRenderer::error, this, &E::handleMafwError, unique);
}

void KelInternalPlayControls::handleRendererStateChange(MafwRenderer* from,
                                                        MafwRenderer::State newState)
{
    const bool inUse = from == currentRendererInUse(contentType);
    if (newState == MafwRenderer::Playing && inUse) {
        shuffleNow();
    }
    if (!inUse && !completionPending) {
        return;
    }
    applyRendererState(newState);
}

void KelInternalPlayControls::applyRendererState(MafwRenderer::State newState)
{
    rendererState = newState;
    startPositionTimer();
    if (newState == MafwRenderer::Stopped && completionPending) {
        completionPending = false;
        Q_EMIT playbackCompleted();
    }
    Q_EMIT stateChanged(newState);
}
