#ifndef MLIBRARY_H
#define MLIBRARY_H

#include "mtouch_export.h"

#include <QStringList>

/// Marks a library of widgets as loaded, by id, for as long as the object exists.
///
/// Widget libraries keep one static MLibrary. Not copyable.
class MTOUCH_EXPORT MLibrary
{
public:
    /// Marks the library \a id as loaded.
    explicit MLibrary(const QString& id);
    /// Marks it unloaded again.
    ~MLibrary();
    MLibrary(const MLibrary&) = delete;
    MLibrary& operator=(const MLibrary&) = delete;

    /// The id given at construction.
    QString id() const { return m_id; }
    /// The ids of every library marked loaded now, in the order they came.
    static QStringList loaded();

private:
    QString m_id;
};

#endif
