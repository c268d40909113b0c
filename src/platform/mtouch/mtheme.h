#ifndef MTHEME_H
#define MTHEME_H

#include "mtouchglobal.h"

#include <QPixmap>
#include <QSize>
#include <QStringList>

class MStyle;
class MStyleCreatorBase;
class MViewCreatorBase;
class MWidgetController;
class MWidgetView;

// The process-wide theme: styles built from theme attribute files, images by id, and the
// style and view creators of the widget libraries.
//
// A theme directory holds "theme.conf" (attributes, see docs/theme.md) and "icons/" with
// "<id>.svg" or "<id>.png". Directories added later are searched first.
class MTOUCH_EXPORT MTheme
{
public:
    // A style of the class with the attributes of the class (and its base classes), overridden
    // by those given for the object name; shared and counted. Null when no creator is
    // registered for the class. Give it back with releaseStyle().
    static const MStyle* style(const char* styleClass, const QString& objectName);
    static void releaseStyle(const MStyle* style);

    // The image with that id, scaled to size (0 by 0: its own size); shared and counted, never
    // null: a missing id, or an image that cannot be used (not a regular file, too large a
    // file or size, see docs/theme.md), gives a visible placeholder and one warning. Give it
    // back with releasePixmap().
    static const QPixmap* pixmap(const QString& id, const QSize& size = QSize(0, 0));
    static void releasePixmap(const QPixmap* pixmap);
    static bool hasPixmap(const QString& id);

    static void addDirectory(const QString& directory);
    // Searched after every other directory (a library's own default theme).
    static void addDefaultDirectory(const QString& directory);
    static QStringList directories();

    static void registerStyleCreator(const MStyleCreatorBase* creator);
    static void unregisterStyleCreator(const MStyleCreatorBase* creator);
    static const MStyleCreatorBase* styleCreator(const QString& styleClass);
    static void registerViewCreator(const MViewCreatorBase* creator);
    static void unregisterViewCreator(const MViewCreatorBase* creator);
    static const MViewCreatorBase* viewCreator(const QString& viewClass);
    // A new view of that class for controller, or null.
    static MWidgetView* view(const QString& viewClass, const MWidgetController* controller);

    // For tests and diagnostics: shared objects alive now.
    static int liveStyles();
    static int livePixmaps();
};

#endif
