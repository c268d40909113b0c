// The media label's style creator, registered when the library is loaded. The label makes its
// one view itself: no view creator.
#include "kelmedialabelstyle.h"

#include <mstylecreator.h>

namespace {
const MStyleCreator<KelMediaLabelStyle> mediaLabelStyleCreator("KelMediaLabelStyle", "libkelmora",
                                                               0);
} // namespace
