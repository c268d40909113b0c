// Position polling, duration and seekability, the error gate, phone calls and the task switcher.
#include "kelinternalplaycontrols.h"

#include <contextproperty.h>

void KelInternalPlayControls::startPositionTimer()
{
    if (rendererState == MafwRenderer::Playing) {
        positionTimer->start();
    } else {
        stopPositionTimer();
    }
}

void KelInternalPlayControls::stopPositionTimer()
{
    positionTimer->stop();
}

void KelInternalPlayControls::restartPositionTimer()
{
    getPosition();
    startPositionTimer();
}

void KelInternalPlayControls::getPosition()
{
    MafwRenderer* renderer = currentRendererInUse(contentType);
    if (renderer && renderer->requestPosition(this, "1updatePosition(uint)")) {
        ++pendingPositionRequests;
    }
}

void KelInternalPlayControls::updatePosition(uint position)
{
    // A reply nobody is waiting for (a renderer since removed, or one answering twice).
    if (pendingPositionRequests <= 0) {
        return;
    }
    --pendingPositionRequests;
    if (positionRepliesToSkip > 0) {
        --positionRepliesToSkip;
        return;
    }
    Q_EMIT positionChanged(position, duration);
}

void KelInternalPlayControls::disablePositionUpdates()
{
    positionStopTimer->start(PositionStopDelayMs);
}

void KelInternalPlayControls::enablePositionUpdates()
{
    if (positionStopTimer->isActive()) {
        positionStopTimer->stop();
        return;
    }
    restartPositionTimer();
}

void KelInternalPlayControls::handleSwitcherEntered()
{
    positionTimer->setInterval(switcherPositionInterval);
}

void KelInternalPlayControls::handleSwitcherExited()
{
    positionTimer->setInterval(positionInterval);
}

void KelInternalPlayControls::handleMetadataChange(const QString& metadata,
                                                   const QList<QVariant>& values)
{
    if (values.isEmpty()) {
        return;
    }
    if (metadata == durationKey) {
        duration = values.constFirst().toInt();
    } else if (metadata == seekableKey) {
        seekable = values.constFirst().toBool();
    }
}

void KelInternalPlayControls::handleMafwError(const MafwError& e)
{
    if (!errorsAllowed) {
        return;
    }
    if (e.code() != MafwError::TransientError) {
        blockErrors();
    }
    Q_EMIT error(e);
}

void KelInternalPlayControls::allowErrors()
{
    errorsAllowed = true;
}

void KelInternalPlayControls::blockErrors()
{
    errorsAllowed = false;
}

void KelInternalPlayControls::allowErrorsAfterTimeout(uint seconds)
{
    allowErrorsTimer.start(std::chrono::seconds(seconds));
}

void KelInternalPlayControls::callStatePropertyChecker()
{
    const QString value = callStateProperty ? callStateProperty->value().toString() : QString();
    if (value == QLatin1String("active")) {
        callActive = true;
        Q_EMIT callActivated(true);
    } else if (value == QLatin1String("inactive")) {
        callActive = false;
        if (resumeAfterCall) {
            resume();
            resumeAfterCall = false;
        }
        Q_EMIT callActivated(false);
    } else if (value == QLatin1String("alerting")) {
        callActive = true;
        Q_EMIT callActivated(true);
    } else {
        Q_EMIT callActivated(callActive);
    }
}

void KelInternalPlayControls::handleMafwPropertyChange(const QString& name, const QVariant& value)
{
    if (!currentRendererInUse(contentType) || !value.isValid() ||
        name != MafwRenderer::MAFW_RENDERER_PROPERTY_POLICY_OVERRIDE || value.toBool() ||
        rendererState != MafwRenderer::Paused) {
        return;
    }
    allowErrors();
    if (callActive) {
        resumeAfterCall = true;
    } else {
        resume();
    }
}
