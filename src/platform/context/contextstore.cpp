#include "contextproperty.h"
#include "contextstore_p.h"

#include <QPointer>

ContextStore& ContextStore::instance()
{
    static ContextStore store;
    return store;
}

void ContextStore::setValue(const QString& key, const QVariant& value)
{
    const QVariant old = m_values.value(key);
    if (old.isValid() == value.isValid() && old == value) {
        return;
    }
    if (value.isValid()) {
        m_values.insert(key, value);
    } else {
        m_values.remove(key);
    }
    // A subscriber may delete properties or publish again while being told.
    QList<QPointer<ContextProperty>> told;
    for (ContextProperty* property : m_subscribers.value(key)) {
        told.append(property);
    }
    for (const QPointer<ContextProperty>& property : told) {
        if (property) {
            Q_EMIT property->valueChanged();
        }
    }
}

void ContextStore::subscribe(ContextProperty* property)
{
    m_subscribers[property->key()].append(property);
}

void ContextStore::unsubscribe(ContextProperty* property)
{
    auto it = m_subscribers.find(property->key());
    if (it != m_subscribers.end()) {
        it->removeOne(property);
        if (it->isEmpty()) {
            m_subscribers.erase(it);
        }
    }
}
