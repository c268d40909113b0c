#ifndef KELOVERLAYLABELSTYLECONTAINER_H
#define KELOVERLAYLABELSTYLECONTAINER_H

#include "kelmora_export.h"

#include <mwidgetstylecontainer.h>

class KelOverlayLabelStyle;
class KelOverlayLabelStyleContainerPrivate;

/// @brief Hands out the overlay label's current KelOverlayLabelStyle from the theme, by the
/// widget's object name and mode.
class KELMORA_EXPORT KelOverlayLabelStyleContainer : public MWidgetStyleContainer
{
public:
    /// An empty container; the framework initializes it for its widget.
    KelOverlayLabelStyleContainer();
    /// Deletes the private part.
    ~KelOverlayLabelStyleContainer() override;

    /// "KelOverlayLabelStyle".
    const char* styleType() const override;
    /// The current style; defaults when the theme has none of this class.
    const KelOverlayLabelStyle* operator->() const;

private:
    KelOverlayLabelStyleContainerPrivate* const m_d;
};

#endif
