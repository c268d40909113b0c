#include "contextprovider.h"

#include "contextstore_p.h"

void ContextProvider::setValue(const QString& key, const QVariant& value)
{
    ContextStore::instance().setValue(key, value);
}

QVariant ContextProvider::value(const QString& key)
{
    return ContextStore::instance().value(key);
}
