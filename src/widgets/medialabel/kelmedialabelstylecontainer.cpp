#include "kelmedialabelstylecontainer.h"

#include "kelmedialabelstyle.h"
#include "kelmedialabelstylecontainer_p.h"

namespace {
const char* const StyleType = "KelMediaLabelStyle";
}

KelMediaLabelStyleContainer::KelMediaLabelStyleContainer()
    : MWidgetStyleContainer(new KelMediaLabelStyleContainerPrivate, StyleType)
{
}

KelMediaLabelStyleContainer::KelMediaLabelStyleContainer(KelMediaLabelStyleContainerPrivate* dd)
    : MWidgetStyleContainer(dd ? dd : new KelMediaLabelStyleContainerPrivate, StyleType)
{
}

KelMediaLabelStyleContainer::~KelMediaLabelStyleContainer() = default;

const char* KelMediaLabelStyleContainer::styleType() const
{
    return StyleType;
}

const KelMediaLabelStyle* KelMediaLabelStyleContainer::operator->() const
{
    return currentStyleAs<KelMediaLabelStyle>();
}
