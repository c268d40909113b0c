#ifndef MWIDGET_H
#define MWIDGET_H

#include "mtouchglobal.h"

#include <QGraphicsWidget>

class MCancelEvent;
class QGestureEvent;
class QTapAndHoldGesture;

// The base of all widgets: a graphics widget that also receives cancel events and
// tap-and-hold gestures through virtual handlers.
class MTOUCH_EXPORT MWidget : public QGraphicsWidget
{
    Q_OBJECT
public:
    explicit MWidget(QGraphicsItem* parent = nullptr);
    ~MWidget() override;

protected:
    // Cancel events and tap-and-hold gestures may come through either path.
    bool event(QEvent* event) override;
    bool sceneEvent(QEvent* event) override;
    // The press in progress was taken away (for example by a gesture or a scroll).
    virtual void cancelEvent(MCancelEvent* event);
    virtual void tapAndHoldGestureEvent(QGestureEvent* event, QTapAndHoldGesture* gesture);

private:
    bool dispatchOwnEvent(QEvent* event);
};

#endif
