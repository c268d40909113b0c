#ifndef CONTEXTPROVIDER_H
#define CONTEXTPROVIDER_H

#include "context_export.h"

#include <QString>
#include <QVariant>

/// Publishes values to the process-wide store of context properties.
///
/// A static interface only; the store lives as long as the process. Main thread only.
class CONTEXT_EXPORT ContextProvider
{
public:
    /// Stores \a value under \a key. Every ContextProperty of that key emits valueChanged() once,
    /// before this returns, when the value differs from the one stored; an invalid value makes
    /// the property unknown again.
    static void setValue(const QString& key, const QVariant& value);
    /// The value stored under \a key; invalid when unknown.
    static QVariant value(const QString& key);
};

#endif
