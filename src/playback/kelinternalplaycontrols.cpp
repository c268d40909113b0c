#include "kelinternalplaycontrols.h"

#include "../kelmoralogging_p.h"
#include "kelmetadatahandler.h"

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
    : QObject(parent), m_gstRendererId(QStringLiteral("mafw_gst_renderer")),
      m_seekableKey(QStringLiteral("is-seekable")), m_durationKey(QStringLiteral("duration")),
      m_positionTimer(new QTimer(this)), m_positionStopTimer(new QTimer(this)),
      m_callStateKey(QStringLiteral("Phone.Call")), m_allowErrorsTimer(this)
{
    // Named, as children, so that diagnostics and tests can tell the timers apart.
    m_positionTimer->setObjectName(QStringLiteral("positionPoll"));
    m_positionStopTimer->setObjectName(QStringLiteral("positionStop"));
    m_allowErrorsTimer.setObjectName(QStringLiteral("errorGate"));
}

KelInternalPlayControls::~KelInternalPlayControls()
{
    // One handler may stand under two types; delete each once.
    QSet<KelMetadataHandler*> owned;
    for (KelMetadataHandler* handler : qAsConst(m_metadataHandlers)) {
        if (handler) {
            owned.insert(handler);
        }
    }
    m_metadataHandlers.clear();
    qDeleteAll(owned);
}

void KelInternalPlayControls::init()
{
    if (m_initialised) {
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

    m_positionTimer->setInterval(m_positionInterval);
    connect(m_positionTimer, &QTimer::timeout, this, &KelInternalPlayControls::getPosition);
    m_positionStopTimer->setSingleShot(true);
    connect(m_positionStopTimer, &QTimer::timeout, this,
            &KelInternalPlayControls::stopPositionTimer);

    followActiveWindow();
    // Queued: the window list learns of the activation during the same notification.
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::focusWindowChanged, this,
                &KelInternalPlayControls::followActiveWindow, Qt::QueuedConnection);
    }

    m_callStateProperty = new ContextProperty(m_callStateKey, this);
    connect(m_callStateProperty, &ContextProperty::valueChanged, this,
            &KelInternalPlayControls::callStatePropertyChecker);

    m_allowErrorsTimer.setSingleShot(true);
    connect(&m_allowErrorsTimer, &QTimer::timeout, this, &KelInternalPlayControls::allowErrors);

    m_initialised = true;
    callStatePropertyChecker();
}

bool KelInternalPlayControls::getRenderers()
{
    MafwRegistry* registry = MafwRegistry::instance();
    if (!registry) {
        return false;
    }
    MafwRenderer* renderer = registry->findRenderer(m_gstRendererId);
    if (renderer) {
        m_renderers.insert(KelPlayControls::PlaylistContent, renderer);
        m_renderers.insert(KelPlayControls::UriContent, renderer);
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
    if (id != m_gstRendererId || m_renderers.contains(KelPlayControls::PlaylistContent)) {
        return;
    }
    MafwRegistry* registry = MafwRegistry::instance();
    MafwRenderer* renderer = registry->findRenderer(id);
    if (!renderer) {
        return;
    }
    m_renderers.insert(KelPlayControls::PlaylistContent, renderer);
    connectRendererSignals(renderer);
    connectMetadataHandlerSignals(KelPlayControls::PlaylistContent);
    m_renderers.insert(KelPlayControls::UriContent, registry->findRenderer(id));
    connectMetadataHandlerSignals(KelPlayControls::UriContent);

    // Played once: a renderer that comes back later does not play it again.
    const QUrl uri = std::exchange(m_pendingUri, QUrl());
    if (uri.isEmpty()) {
        handlePendingPlaylist();
    } else if (!m_pendingUriIsPlaylist) {
        playUriWithGstRenderer(uri);
    } else {
        playPlaylistWithGstRenderer(uri, m_pendingMimeType);
    }
}

void KelInternalPlayControls::followActiveWindow()
{
    MApplicationWindow* window = MApplication::activeWindow();
    if (window == m_switcherWindow) {
        return;
    }
    if (m_switcherWindow) {
        disconnect(m_switcherWindow, nullptr, this, nullptr);
    }
    m_switcherWindow = window;
    if (!window) {
        return;
    }
    connect(window, &MApplicationWindow::switcherEntered, this,
            &KelInternalPlayControls::handleSwitcherEntered);
    connect(window, &MApplicationWindow::switcherExited, this,
            &KelInternalPlayControls::handleSwitcherExited);
    if (m_initialised) {
        window->isInSwitcher() ? handleSwitcherEntered() : handleSwitcherExited();
    }
}

void KelInternalPlayControls::removeRenderer(const QString& id, const QString& name)
{
    Q_UNUSED(name)
    if (id != m_gstRendererId || !m_renderers.contains(KelPlayControls::PlaylistContent)) {
        return;
    }
    for (Type type : {KelPlayControls::PlaylistContent, KelPlayControls::UriContent}) {
        // Only our own connections go: others may still listen to the renderer.
        if (MafwRenderer* renderer = m_renderers.value(type)) {
            disconnect(renderer, nullptr, this, nullptr);
            for (KelMetadataHandler* handler : qAsConst(m_metadataHandlers)) {
                if (handler) {
                    disconnect(renderer, &MafwRenderer::metadataChanged, handler,
                               &KelMetadataHandler::onMetadataChange);
                }
            }
        }
        m_renderers.remove(type);
    }
    // Requests sent to the lost renderer will not be answered.
    m_pendingPositionRequests = 0;
    m_positionRepliesToSkip = 0;
    if (m_rendererState != MafwRenderer::Stopped) {
        applyRendererState(MafwRenderer::Stopped);
    }
    Q_EMIT rendererLost();
}

MafwRenderer* KelInternalPlayControls::currentRendererInUse(KelPlayControls::ContentType type)
{
    if (!m_renderers.contains(type)) {
        getRenderers();
        if (!m_renderers.contains(type)) {
            return nullptr;
        }
    }
    return m_renderers.value(type);
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
    if (m_contentType != type) {
        m_contentType = type;
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
    const bool inUse = from == currentRendererInUse(m_contentType);
    if (newState == MafwRenderer::Playing && inUse) {
        shuffleNow();
    }
    if (!inUse && !m_completionPending) {
        return;
    }
    applyRendererState(newState);
}

void KelInternalPlayControls::applyRendererState(MafwRenderer::State newState)
{
    m_rendererState = newState;
    startPositionTimer();
    if (newState == MafwRenderer::Stopped && m_completionPending) {
        m_completionPending = false;
        Q_EMIT playbackCompleted();
    }
    Q_EMIT stateChanged(newState);
}
