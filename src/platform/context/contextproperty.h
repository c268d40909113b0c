#ifndef CONTEXTPROPERTY_H
#define CONTEXTPROPERTY_H

#include "contextglobal.h"

#include <QObject>
#include <QVariant>

// Subscribes to one context property of the process-wide store.
class CONTEXT_EXPORT ContextProperty : public QObject
{
    Q_OBJECT
public:
    explicit ContextProperty(const QString& key, QObject* parent = nullptr);
    ~ContextProperty() override;

    QString key() const { return m_key; }
    // Invalid while the value is unknown.
    QVariant value() const;

Q_SIGNALS:
    // Emitted once for each change of the value.
    void valueChanged();

private:
    QString m_key;
};

#endif
