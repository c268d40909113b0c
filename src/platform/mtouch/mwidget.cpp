#include "mwidget.h"

#include "mcancelevent.h"

#include <QGestureEvent>
#include <QTapAndHoldGesture>

MWidget::MWidget(QGraphicsItem* parent) : QGraphicsWidget(parent) {}

MWidget::~MWidget() = default;

bool MWidget::event(QEvent* event)
{
    return dispatchOwnEvent(event) || QGraphicsWidget::event(event);
}

bool MWidget::sceneEvent(QEvent* event)
{
    return dispatchOwnEvent(event) || QGraphicsWidget::sceneEvent(event);
}

bool MWidget::dispatchOwnEvent(QEvent* event)
{
    if (event->type() == MCancelEvent::eventNumber()) {
        cancelEvent(static_cast<MCancelEvent*>(event));
        return true;
    }
    if (event->type() == QEvent::Gesture) {
        auto* gestureEvent = static_cast<QGestureEvent*>(event);
        if (auto* gesture =
                static_cast<QTapAndHoldGesture*>(gestureEvent->gesture(Qt::TapAndHoldGesture))) {
            tapAndHoldGestureEvent(gestureEvent, gesture);
            return true;
        }
    }
    return false;
}

void MWidget::cancelEvent(MCancelEvent* event)
{
    event->ignore();
}

void MWidget::tapAndHoldGestureEvent(QGestureEvent* event, QTapAndHoldGesture* gesture)
{
    event->ignore(gesture);
}
