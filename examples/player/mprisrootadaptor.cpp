#include "mprisrootadaptor.h"

#include "mprisservice.h"
#include "player.h"

MprisRootAdaptor::MprisRootAdaptor(MprisService* service)
    : QDBusAbstractAdaptor(service), m_service(service)
{
}

bool MprisRootAdaptor::canRaise() const
{
    return m_service->canRaise();
}

QString MprisRootAdaptor::identity() const
{
    return QStringLiteral("Kelmora Player");
}

QStringList MprisRootAdaptor::supportedUriSchemes() const
{
    return {QStringLiteral("file"), QStringLiteral("http"), QStringLiteral("https")};
}

QStringList MprisRootAdaptor::supportedMimeTypes() const
{
    return m_service->supportedMimeTypes();
}

void MprisRootAdaptor::Raise()
{
    Q_EMIT m_service->raiseRequested();
}

void MprisRootAdaptor::Quit()
{
    m_service->player()->quit();
}
