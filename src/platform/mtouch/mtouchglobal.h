#ifndef MTOUCHGLOBAL_H
#define MTOUCHGLOBAL_H

#include <QtCore/qglobal.h>

#if defined(KELMORA_MTOUCH_BUILD)
#define MTOUCH_EXPORT Q_DECL_EXPORT
#else
#define MTOUCH_EXPORT Q_DECL_IMPORT
#endif

#endif
