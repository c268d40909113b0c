#ifndef KELMEDIALABELSTYLECONTAINER_H
#define KELMEDIALABELSTYLECONTAINER_H

#include "kelmoraglobal.h"

#include <mwidgetstylecontainer.h>

class KelMediaLabelStyle;
class KelMediaLabelStyleContainerPrivate;

class KELMORA_EXPORT KelMediaLabelStyleContainer : public MWidgetStyleContainer
{
public:
    KelMediaLabelStyleContainer();
    /// Adopts dd (a new part when null).
    explicit KelMediaLabelStyleContainer(KelMediaLabelStyleContainerPrivate* dd);
    ~KelMediaLabelStyleContainer() override;

    const char* styleType() const override;
    /// The current style; defaults when the theme has none of this class.
    const KelMediaLabelStyle* operator->() const;
};

#endif
