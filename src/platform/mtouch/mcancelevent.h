#ifndef MCANCELEVENT_H
#define MCANCELEVENT_H

#include "mtouch_export.h"

#include <QGraphicsSceneEvent>

/// Sent to a widget whose press has been taken away before its release; MWidget hands it to
/// MWidget::cancelEvent(). Sent and delivered on the main thread.
class MTOUCH_EXPORT MCancelEvent : public QGraphicsSceneEvent
{
public:
    /// An event of type eventNumber().
    MCancelEvent();
    /// The event type of cancel events, registered with Qt on first use.
    static QEvent::Type eventNumber();
};

#endif
