#ifndef KELOVERLAYLABELSTYLECONTAINER_H
#define KELOVERLAYLABELSTYLECONTAINER_H

#include "kelmoraglobal.h"

#include <mwidgetstylecontainer.h>

class KelOverlayLabelStyle;
class KelOverlayLabelStyleContainerPrivate;

class KELMORA_EXPORT KelOverlayLabelStyleContainer : public MWidgetStyleContainer
{
public:
    KelOverlayLabelStyleContainer();
    ~KelOverlayLabelStyleContainer() override;

    const char* styleType() const override;
    // The current style; defaults when the theme has none of this class.
    const KelOverlayLabelStyle* operator->() const;

private:
    KelOverlayLabelStyleContainerPrivate* const d;
};

#endif
