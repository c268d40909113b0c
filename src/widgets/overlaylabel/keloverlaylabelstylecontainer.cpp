#include "keloverlaylabelstylecontainer.h"

#include "keloverlaylabelstyle.h"

class KelOverlayLabelStyleContainerPrivate
{
};

KelOverlayLabelStyleContainer::KelOverlayLabelStyleContainer()
    : MWidgetStyleContainer("KelOverlayLabelStyle"), m_d(new KelOverlayLabelStyleContainerPrivate)
{
}

KelOverlayLabelStyleContainer::~KelOverlayLabelStyleContainer()
{
    delete m_d;
}

const char* KelOverlayLabelStyleContainer::styleType() const
{
    return "KelOverlayLabelStyle";
}

const KelOverlayLabelStyle* KelOverlayLabelStyleContainer::operator->() const
{
    return currentStyleAs<KelOverlayLabelStyle>();
}
