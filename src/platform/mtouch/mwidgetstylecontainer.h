#ifndef MWIDGETSTYLECONTAINER_H
#define MWIDGETSTYLECONTAINER_H

#include "mstylecontainer.h"
#include "mwidgetstyle.h"

/// The private part of a widget style container; those of derived containers derive from it.
class MTOUCH_EXPORT MWidgetStyleContainerPrivate : public MStyleContainerPrivate
{
public:
    /// Deleted by the container that adopted it.
    ~MWidgetStyleContainerPrivate() override;
};

/// The style container of a widget; its style class may be set by the widget that owns it.
///
/// Made by MWidgetView::createStyleContainer() and owned by the view.
class MTOUCH_EXPORT MWidgetStyleContainer : public MStyleContainer
{
public:
    /// A container for the style class \a styleType, a string that must outlive it (a literal).
    explicit MWidgetStyleContainer(const char* styleType = "MWidgetStyle");
    /// Gives the style back to MTheme.
    ~MWidgetStyleContainer() override;

    /// The style class given at construction.
    const char* styleType() const override { return m_type; }
    /// The current style; the framework's defaults when the theme's style is of another class.
    /// Owned by MTheme and valid while the container keeps its name.
    const MWidgetStyle* operator->() const;
    /// The same as operator->().
    const MWidgetStyle* widgetStyle() const { return operator->(); }

protected:
    /// Adopts \a dd, the private part of a derived container, for the style class \a styleType.
    MWidgetStyleContainer(MWidgetStyleContainerPrivate* dd, const char* styleType);

private:
    const char* m_type;
};

#endif
