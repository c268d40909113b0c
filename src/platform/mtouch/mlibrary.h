#ifndef MLIBRARY_H
#define MLIBRARY_H

#include "mtouchglobal.h"

#include <QStringList>

// Marks a library of widgets as loaded, by id, for as long as the object exists.
class MTOUCH_EXPORT MLibrary
{
public:
    explicit MLibrary(const QString& id);
    ~MLibrary();
    MLibrary(const MLibrary&) = delete;
    MLibrary& operator=(const MLibrary&) = delete;

    QString id() const { return m_id; }
    static QStringList loaded();

private:
    QString m_id;
};

#endif
