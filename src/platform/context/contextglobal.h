#ifndef CONTEXTGLOBAL_H
#define CONTEXTGLOBAL_H

#include <QtCore/qglobal.h>

#if defined(KELMORA_CONTEXT_BUILD)
#define CONTEXT_EXPORT Q_DECL_EXPORT
#else
#define CONTEXT_EXPORT Q_DECL_IMPORT
#endif

#endif
