#ifndef KELMORALOGGING_P_H
#define KELMORALOGGING_P_H

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcPlayback)

#endif
