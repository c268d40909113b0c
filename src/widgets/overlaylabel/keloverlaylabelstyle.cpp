#include "keloverlaylabelstyle.h"

KelOverlayLabelStyleData::~KelOverlayLabelStyleData() = default;

KelOverlayLabelStyle::KelOverlayLabelStyle() = default;
KelOverlayLabelStyle::~KelOverlayLabelStyle() = default;
