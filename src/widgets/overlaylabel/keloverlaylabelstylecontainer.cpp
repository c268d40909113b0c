#include "keloverlaylabelstylecontainer.h"

#include "keloverlaylabelstyle.h"

class KelOverlayLabelStyleContainerPrivate
{
};

KelOverlayLabelStyleContainer::KelOverlayLabelStyleContainer()
    : MWidgetStyleContainer("KelOverlayLabelStyle"), d(new KelOverlayLabelStyleContainerPrivate)
{
}

KelOverlayLabelStyleContainer::~KelOverlayLabelStyleContainer()
{
    delete d;
}

const char* KelOverlayLabelStyleContainer::styleType() const
{
    return "KelOverlayLabelStyle";
}

const KelOverlayLabelStyle* KelOverlayLabelStyleContainer::operator->() const
{
    return currentStyleAs<KelOverlayLabelStyle>();
}
