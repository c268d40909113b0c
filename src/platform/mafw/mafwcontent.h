#ifndef MAFWCONTENT_H
#define MAFWCONTENT_H

#include "mafwglobal.h"

#include <QMetaType>
#include <QString>
#include <QVariantMap>

// One media item: its id (usually its URI) and what is known about it.
class MAFW_EXPORT MafwContent
{
public:
    MafwContent() = default;
    explicit MafwContent(const QString& uuid);

    QString uuid() const { return m_uuid; }
    QVariantMap metadata() const { return m_metadata; }
    void setMetadata(const QVariantMap& metadata) { m_metadata = metadata; }
    void setMetadata(const QString& key, const QVariant& value) { m_metadata.insert(key, value); }
    bool isEmpty() const { return m_uuid.isEmpty() && m_metadata.isEmpty(); }

    bool operator==(const MafwContent& other) const
    {
        return m_uuid == other.m_uuid && m_metadata == other.m_metadata;
    }
    bool operator!=(const MafwContent& other) const { return !(*this == other); }

private:
    QString m_uuid;
    QVariantMap m_metadata;
};

Q_DECLARE_METATYPE(MafwContent)

#endif
