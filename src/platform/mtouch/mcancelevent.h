#ifndef MCANCELEVENT_H
#define MCANCELEVENT_H

#include "mtouchglobal.h"

#include <QGraphicsSceneEvent>

// Sent to a widget whose press has been taken away before its release.
class MTOUCH_EXPORT MCancelEvent : public QGraphicsSceneEvent
{
public:
    MCancelEvent();
    static QEvent::Type eventNumber();
};

#endif
