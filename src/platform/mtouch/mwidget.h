#ifndef MWIDGET_H
#define MWIDGET_H

#include "mtouch_export.h"

#include <QGraphicsWidget>

class MCancelEvent;
class QGestureEvent;
class QTapAndHoldGesture;

/// The base of all widgets: a graphics widget that also receives cancel events and
/// tap-and-hold gestures through virtual handlers.
///
/// Lives in a QGraphicsScene, usually that of an MApplicationWindow; main thread only.
/// Ownership follows QGraphicsItem: the parent item deletes its children.
class MTOUCH_EXPORT MWidget : public QGraphicsWidget
{
    Q_OBJECT
public:
    /// A widget with \a parent as parent item (which then owns it).
    explicit MWidget(QGraphicsItem* parent = nullptr);
    /// Deletes the child items, as any graphics item does.
    ~MWidget() override;

protected:
    /// Hands cancel events and tap-and-hold gestures to their handlers (they may come
    /// through either path); everything else to QGraphicsWidget.
    bool event(QEvent* event) override;
    /// As event(), for events that come through the scene.
    bool sceneEvent(QEvent* event) override;
    /// The press in progress was taken away (for example by a gesture or a scroll): undo what
    /// the press showed. The default ignores the event.
    virtual void cancelEvent(MCancelEvent* event);
    /// A tap-and-hold \a gesture on the widget; the default ignores it so that it reaches
    /// the parent.
    virtual void tapAndHoldGestureEvent(QGestureEvent* event, QTapAndHoldGesture* gesture);

private:
    bool dispatchOwnEvent(QEvent* event);
};

#endif
