// The library's widget registrations and default theme, made when the library is loaded.
#include "keloverlaylabel.h"
#include "keloverlaylabelnormalview.h"
#include "keloverlaylabeloverlayview.h"
#include "keloverlaylabelstyle.h"

#include <mlibrary.h>
#include <mstylecreator.h>
#include <mtheme.h>
#include <mviewcreator.h>

namespace {
const MLibrary library(QStringLiteral("libkelmora"));
const MStyleCreator<KelOverlayLabelStyle> overlayLabelStyleCreator("KelOverlayLabelStyle",
                                                                   "libkelmora", 0);
const MViewCreator<KelOverlayLabelNormalView, KelOverlayLabel>
    normalViewCreator("KelOverlayLabelNormalView");
const MViewCreator<KelOverlayLabelOverlayView, KelOverlayLabel>
    overlayViewCreator("KelOverlayLabelOverlayView");

void addTheme()
{
    MTheme::addDefaultDirectory(QStringLiteral(":/kelmora/theme"));
}
} // namespace

Q_CONSTRUCTOR_FUNCTION(addTheme)
