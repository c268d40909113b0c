#include "mcancelevent.h"

MCancelEvent::MCancelEvent() : QGraphicsSceneEvent(eventNumber()) {}

QEvent::Type MCancelEvent::eventNumber()
{
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}
