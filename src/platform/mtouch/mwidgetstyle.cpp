#include "mwidgetstyle.h"

MWidgetStyle::MWidgetStyle() = default;
MWidgetStyle::~MWidgetStyle() = default;
