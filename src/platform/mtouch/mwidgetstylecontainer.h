#ifndef MWIDGETSTYLECONTAINER_H
#define MWIDGETSTYLECONTAINER_H

#include "mstylecontainer.h"
#include "mwidgetstyle.h"

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

private:
    const char* m_type;
};

#endif
