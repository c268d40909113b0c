#ifndef MAFWCONTENT_H
#define MAFWCONTENT_H

#include "mafw_export.h"

#include <QMetaType>
#include <QString>
#include <QVariantMap>

/// One media item: its id (usually its URI) and what is known about it.
///
/// A value type, registered as a metatype so that it travels in queued signals.
class MAFW_EXPORT MafwContent
{
public:
    /// An empty item: no id, no metadata.
    MafwContent() = default;
    /// An item of id \a uuid (a renderer reports the item's URI here), without metadata.
    explicit MafwContent(const QString& uuid);

    /// The id given at construction.
    QString uuid() const { return m_uuid; }
    /// What is known about the item, by key ("title", "artist", ...).
    QVariantMap metadata() const { return m_metadata; }
    /// Replaces all metadata.
    void setMetadata(const QVariantMap& metadata) { m_metadata = metadata; }
    /// Sets one metadata value, replacing the one of that key.
    void setMetadata(const QString& key, const QVariant& value) { m_metadata.insert(key, value); }
    /// True when the item has neither an id nor metadata.
    bool isEmpty() const { return m_uuid.isEmpty() && m_metadata.isEmpty(); }

    /// Equal when both id and metadata are equal.
    bool operator==(const MafwContent& other) const
    {
        return m_uuid == other.m_uuid && m_metadata == other.m_metadata;
    }
    /// The negation of operator==().
    bool operator!=(const MafwContent& other) const { return !(*this == other); }

private:
    QString m_uuid;
    QVariantMap m_metadata;
};

Q_DECLARE_METATYPE(MafwContent)

#endif
