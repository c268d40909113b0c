#ifndef CONTEXTSTORE_P_H
#define CONTEXTSTORE_P_H

#include <QHash>
#include <QList>
#include <QVariant>

class ContextProperty;

// The values and subscribers of all context properties of the process.
class ContextStore
{
public:
    static ContextStore& instance();

    QVariant value(const QString& key) const { return m_values.value(key); }
    void setValue(const QString& key, const QVariant& value);
    void subscribe(ContextProperty* property);
    void unsubscribe(ContextProperty* property);

private:
    QHash<QString, QVariant> m_values;
    QHash<QString, QList<ContextProperty*>> m_subscribers;
};

#endif
