#ifndef MAFWGLOBAL_H
#define MAFWGLOBAL_H

#include <QtCore/qglobal.h>

#if defined(KELMORA_MAFW_BUILD)
#define MAFW_EXPORT Q_DECL_EXPORT
#else
#define MAFW_EXPORT Q_DECL_IMPORT
#endif

#endif
