#ifndef MSPINNERSTYLE_H
#define MSPINNERSTYLE_H

#include "mwidgetstyle.h"

/// The theme's style of spinners (MProgressIndicator's spinner view); the attributes of
/// MWidgetStyle.
class MTOUCH_EXPORT MSpinnerStyle : public MWidgetStyle
{
    Q_OBJECT
public:
    /// A style with the defaults of MWidgetStyle.
    MSpinnerStyle();
    /// Called by MTheme when the last user gives the style back.
    ~MSpinnerStyle() override;
};

#endif
