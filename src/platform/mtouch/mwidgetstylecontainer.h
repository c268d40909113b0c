#ifndef MWIDGETSTYLECONTAINER_H
#define MWIDGETSTYLECONTAINER_H

#include "mstylecontainer.h"
#include "mwidgetstyle.h"

class MTOUCH_EXPORT MWidgetStyleContainerPrivate : public MStyleContainerPrivate
{
public:
    ~MWidgetStyleContainerPrivate() override;
};

// The style container of a widget; its style class may be set by the widget that owns it.
class MTOUCH_EXPORT MWidgetStyleContainer : public MStyleContainer
{
public:
    explicit MWidgetStyleContainer(const char* styleType = "MWidgetStyle");
    ~MWidgetStyleContainer() override;

    const char* styleType() const override { return m_type; }
    // The current style; the framework's defaults when the theme's style is of another class.
    const MWidgetStyle* operator->() const;
    const MWidgetStyle* widgetStyle() const { return operator->(); }

protected:
    // Adopts dd, the private part of a derived container.
    MWidgetStyleContainer(MWidgetStyleContainerPrivate* dd, const char* styleType);

private:
    const char* m_type;
};

#endif
