#ifndef MAFWGSTLOGGING_P_H
#define MAFWGSTLOGGING_P_H

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcGst)

#endif
