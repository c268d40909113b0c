#ifndef CONTEXTPROPERTY_H
#define CONTEXTPROPERTY_H

#include "context_export.h"

#include <QObject>
#include <QVariant>

/// Subscribes to one context property of the process-wide store.
///
/// Values are published with ContextProvider::setValue() (or by any other source that feeds the
/// same store); every ContextProperty of the key then emits valueChanged(). Main thread only.
class CONTEXT_EXPORT ContextProperty : public QObject
{
    Q_OBJECT
public:
    /// Subscribes to \a key; the value may already be known. \a parent owns the property.
    explicit ContextProperty(const QString& key, QObject* parent = nullptr);
    /// Unsubscribes; the stored value stays for other subscribers.
    ~ContextProperty() override;

    /// The key given at construction.
    QString key() const { return m_key; }
    /// The current value; invalid while the value is unknown.
    QVariant value() const;

Q_SIGNALS:
    /// Emitted once for each change of the value (including to and from unknown), synchronously
    /// from inside the ContextProvider::setValue() call that made it.
    void valueChanged();

private:
    QString m_key;
};

#endif
