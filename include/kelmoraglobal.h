#ifndef KELMORAGLOBAL_H
#define KELMORAGLOBAL_H

#include <QtCore/qglobal.h>

#if defined(KELMORA_BUILD)
#define KELMORA_EXPORT Q_DECL_EXPORT
#else
#define KELMORA_EXPORT Q_DECL_IMPORT
#endif

#endif
