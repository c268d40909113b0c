#ifndef MAFWLOGGING_P_H
#define MAFWLOGGING_P_H

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcMafw)

#endif
