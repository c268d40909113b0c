// The framework's own styles and default theme, registered when the library is loaded.
#include "mspinnerstyle.h"
#include "mstylecreator.h"
#include "mtheme.h"

#include <QMetaType>

MSpinnerStyle::MSpinnerStyle() = default;
MSpinnerStyle::~MSpinnerStyle() = default;

namespace {
const MStyleCreator<MWidgetStyle> widgetStyleCreator("MWidgetStyle", "libmeegotouchcore", 0);
const MStyleCreator<MSpinnerStyle> spinnerStyleCreator("MSpinnerStyle", "libmeegotouchcore", 0);

void registerFramework()
{
    MTheme::addDefaultDirectory(QStringLiteral(":/mtouch/theme"));
    qRegisterMetaType<QList<const char*>>("QList<const char*>");
}
} // namespace

Q_CONSTRUCTOR_FUNCTION(registerFramework)
