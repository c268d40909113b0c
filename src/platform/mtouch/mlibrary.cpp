#include "mlibrary.h"

namespace {
QStringList& libraries()
{
    static QStringList list;
    return list;
}
} // namespace

MLibrary::MLibrary(const QString& id) : m_id(id)
{
    libraries().append(id);
}

MLibrary::~MLibrary()
{
    libraries().removeOne(m_id);
}

QStringList MLibrary::loaded()
{
    return libraries();
}
