// Metadata handlers: registration, ownership, wiring per content type and item changes.
#include "kelinternalplaycontrols.h"

#include "kelmetadatahandler.h"

void KelInternalPlayControls::setMetadataHandler(KelMetadataHandler* handler,
                                                 KelPlayControls::ContentType type)
{
    auto it = m_metadataHandlers.find(type);
    if (it != m_metadataHandlers.end()) {
        if (it.value() == handler) {
            return; // registered already; deleting it now would leave a dead entry
        }
        KelMetadataHandler* old = it.value();
        m_metadataHandlers.erase(it);
        // A handler that still stands under another type stays alive.
        if (old && !m_metadataHandlers.values().contains(old)) {
            delete old;
        }
    }
    m_metadataHandlers.insert(type, handler);
    if (handler) {
        connect(handler, &QObject::destroyed, this, &KelInternalPlayControls::forgetMetadataHandler,
                Qt::UniqueConnection);
    }
}

void KelInternalPlayControls::forgetMetadataHandler(QObject* handler)
{
    for (auto it = m_metadataHandlers.begin(); it != m_metadataHandlers.end(); ++it) {
        if (static_cast<QObject*>(it.value()) == handler) {
            it.value() = nullptr;
        }
    }
}

void KelInternalPlayControls::clearMetadataHandler(KelPlayControls::ContentType type)
{
    if (KelMetadataHandler* handler = m_metadataHandlers.value(type)) {
        handler->clear();
    }
}

const KelMetadataHandler* KelInternalPlayControls::metadataHandler() const
{
    return m_metadataHandlers.value(m_contentType);
}

KelMetadataHandler* KelInternalPlayControls::mutableMetadataHandler() const
{
    return m_metadataHandlers.value(m_contentType);
}

bool KelInternalPlayControls::connectMetadataHandlerSignals(KelPlayControls::ContentType type)
{
    if (type == KelPlayControls::NoContent || !m_renderers.contains(type)) {
        return false;
    }
    MafwRenderer* renderer = m_renderers.value(type);
    KelMetadataHandler* handler = m_metadataHandlers.value(type);
    if (!renderer || !handler) {
        return false;
    }
    using E = KelInternalPlayControls;
    const auto unique = Qt::UniqueConnection;
    connect(renderer, &MafwRenderer::mediaChanged, this, &E::onMediaChanged, unique);
    connect(handler, &KelMetadataHandler::mediaChanged, this, &E::mediaChanged, unique);
    connect(renderer, &MafwRenderer::metadataChanged, handler,
            &KelMetadataHandler::onMetadataChange, unique);
    connect(handler, &KelMetadataHandler::metadataChanged, this, &E::metadataChanged, unique);
    return true;
}

void KelInternalPlayControls::disconnectMetadataHandlerSignals(KelPlayControls::ContentType type)
{
    if (type == KelPlayControls::NoContent) {
        return;
    }
    MafwRenderer* renderer = m_renderers.value(type);
    KelMetadataHandler* handler = m_metadataHandlers.value(type);
    using E = KelInternalPlayControls;
    if (renderer) {
        disconnect(renderer, &MafwRenderer::mediaChanged, this, &E::onMediaChanged);
    }
    if (handler) {
        disconnect(handler, &KelMetadataHandler::mediaChanged, this, &E::mediaChanged);
        disconnect(handler, &KelMetadataHandler::metadataChanged, this, &E::metadataChanged);
    }
    if (renderer && handler) {
        disconnect(renderer, &MafwRenderer::metadataChanged, handler,
                   &KelMetadataHandler::onMetadataChange);
    }
}

void KelInternalPlayControls::onMediaChanged(int index, const MafwContent& content)
{
    // Reports come only when the item really changed (also while paused or stopped), so
    // all but the items passed on the way to an awaited starting index are taken.
    if (index == NoIndex) {
        return;
    }
    if (m_awaitingStartingIndex && index != m_startingIndex) {
        return;
    }
    m_awaitingStartingIndex = false;
    KelMetadataHandler* handler = m_metadataHandlers[m_contentType];
    if (!handler) {
        return;
    }
    handler->setDataFromIndex(index, content);
    Q_EMIT mediaChanged(handler);
}
