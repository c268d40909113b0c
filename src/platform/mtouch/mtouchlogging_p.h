#ifndef MTOUCHLOGGING_P_H
#define MTOUCHLOGGING_P_H

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcMTouch) // kelmora.mtouch: theme and image reading

#endif
