#ifndef KELMEDIALABELSTYLECONTAINER_P_H
#define KELMEDIALABELSTYLECONTAINER_P_H

#include <mwidgetstylecontainer.h>

// Nothing of its own yet; the place for the container's state when it needs some.
class KelMediaLabelStyleContainerPrivate : public MWidgetStyleContainerPrivate
{
};

#endif
