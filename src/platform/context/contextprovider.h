#ifndef CONTEXTPROVIDER_H
#define CONTEXTPROVIDER_H

#include "contextglobal.h"

#include <QString>
#include <QVariant>

// Publishes values to the process-wide store of context properties.
class CONTEXT_EXPORT ContextProvider
{
public:
    // Every ContextProperty of that key emits valueChanged() once when the value differs from
    // the one stored; an invalid value makes the property unknown again.
    static void setValue(const QString& key, const QVariant& value);
    static QVariant value(const QString& key);
};

#endif
