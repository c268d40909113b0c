#ifndef MSPINNERSTYLE_H
#define MSPINNERSTYLE_H

#include "mwidgetstyle.h"

// The theme's style of spinners.
class MTOUCH_EXPORT MSpinnerStyle : public MWidgetStyle
{
    Q_OBJECT
public:
    MSpinnerStyle();
    ~MSpinnerStyle() override;
};

#endif
