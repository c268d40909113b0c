#ifndef KELMEDIALABELSTYLECONTAINER_H
#define KELMEDIALABELSTYLECONTAINER_H

#include "kelmora_export.h"

#include <mwidgetstylecontainer.h>

class KelMediaLabelStyle;
class KelMediaLabelStyleContainerPrivate;

/// @brief Hands out the media label's current KelMediaLabelStyle from the theme, by the
/// widget's object name and mode.
class KELMORA_EXPORT KelMediaLabelStyleContainer : public MWidgetStyleContainer
{
public:
    /// An empty container; the framework initializes it for its widget.
    KelMediaLabelStyleContainer();
    /// Adopts dd (a new part when null).
    explicit KelMediaLabelStyleContainer(KelMediaLabelStyleContainerPrivate* dd);
    /// Deletes the private part.
    ~KelMediaLabelStyleContainer() override;

    /// "KelMediaLabelStyle".
    const char* styleType() const override;
    /// The current style; defaults when the theme has none of this class.
    const KelMediaLabelStyle* operator->() const;
};

#endif
