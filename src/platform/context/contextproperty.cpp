#include "contextproperty.h"

#include "contextstore_p.h"

ContextProperty::ContextProperty(const QString& key, QObject* parent) : QObject(parent), m_key(key)
{
    ContextStore::instance().subscribe(this);
}

ContextProperty::~ContextProperty()
{
    ContextStore::instance().unsubscribe(this);
}

QVariant ContextProperty::value() const
{
    return ContextStore::instance().value(m_key);
}
