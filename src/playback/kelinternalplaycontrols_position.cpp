// Position polling, duration and seekability, the error gate, phone calls and the task switcher.
#include "kelinternalplaycontrols.h"

#include <contextproperty.h>

void KelInternalPlayControls::startPositionTimer()
{
    if (m_rendererState == MafwRenderer::Playing) {
        m_positionTimer->start();
    } else {
        stopPositionTimer();
    }
}

void KelInternalPlayControls::stopPositionTimer()
{
    m_positionTimer->stop();
}

void KelInternalPlayControls::restartPositionTimer()
{
    getPosition();
    startPositionTimer();
}

void KelInternalPlayControls::getPosition()
{
    MafwRenderer* renderer = currentRendererInUse(m_contentType);
    if (renderer && renderer->requestPosition(this, "1updatePosition(uint)")) {
        ++m_pendingPositionRequests;
    }
}

void KelInternalPlayControls::updatePosition(uint position)
{
    // A reply nobody is waiting for (a renderer since removed, or one answering twice).
    if (m_pendingPositionRequests <= 0) {
        return;
    }
    --m_pendingPositionRequests;
    if (m_positionRepliesToSkip > 0) {
        --m_positionRepliesToSkip;
        return;
    }
    Q_EMIT positionChanged(position, m_duration);
}

void KelInternalPlayControls::disablePositionUpdates()
{
    m_positionStopTimer->start(PositionStopDelayMs);
}

void KelInternalPlayControls::enablePositionUpdates()
{
    if (m_positionStopTimer->isActive()) {
        m_positionStopTimer->stop();
        return;
    }
    restartPositionTimer();
}

void KelInternalPlayControls::handleSwitcherEntered()
{
    m_positionTimer->setInterval(m_switcherPositionInterval);
}

void KelInternalPlayControls::handleSwitcherExited()
{
    m_positionTimer->setInterval(m_positionInterval);
}

void KelInternalPlayControls::handleMetadataChange(const QString& metadata,
                                                   const QList<QVariant>& values)
{
    if (values.isEmpty()) {
        return;
    }
    if (metadata == m_durationKey) {
        m_duration = values.constFirst().toInt();
    } else if (metadata == m_seekableKey) {
        m_seekable = values.constFirst().toBool();
    }
}

void KelInternalPlayControls::handleMafwError(const MafwError& e)
{
    if (!m_errorsAllowed) {
        return;
    }
    if (e.code() != MafwError::TransientError) {
        blockErrors();
    }
    Q_EMIT error(e);
}

void KelInternalPlayControls::allowErrors()
{
    m_errorsAllowed = true;
}

void KelInternalPlayControls::blockErrors()
{
    m_errorsAllowed = false;
}

void KelInternalPlayControls::allowErrorsAfterTimeout(uint seconds)
{
    m_allowErrorsTimer.start(std::chrono::seconds(seconds));
}

void KelInternalPlayControls::callStatePropertyChecker()
{
    const QString value = m_callStateProperty ? m_callStateProperty->value().toString() : QString();
    if (value == QLatin1String("active")) {
        m_callActive = true;
        Q_EMIT callActivated(true);
    } else if (value == QLatin1String("inactive")) {
        m_callActive = false;
        if (m_resumeAfterCall) {
            resume();
            m_resumeAfterCall = false;
        }
        Q_EMIT callActivated(false);
    } else if (value == QLatin1String("alerting")) {
        m_callActive = true;
        Q_EMIT callActivated(true);
    } else {
        Q_EMIT callActivated(m_callActive);
    }
}

void KelInternalPlayControls::handleMafwPropertyChange(const QString& name, const QVariant& value)
{
    if (!currentRendererInUse(m_contentType) || !value.isValid() ||
        name != MafwRenderer::MAFW_RENDERER_PROPERTY_POLICY_OVERRIDE || value.toBool() ||
        m_rendererState != MafwRenderer::Paused) {
        return;
    }
    allowErrors();
    if (m_callActive) {
        m_resumeAfterCall = true;
    } else {
        resume();
    }
}
