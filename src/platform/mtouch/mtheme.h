#ifndef MTHEME_H
#define MTHEME_H

#include "mtouch_export.h"

#include <QPixmap>
#include <QSize>
#include <QStringList>

class MStyle;
class MStyleCreatorBase;
class MViewCreatorBase;
class MWidgetController;
class MWidgetView;

/// The process-wide theme: styles built from theme attribute files, images by id, and the
/// style and view creators of the widget libraries.
///
/// A theme directory holds "theme.conf" (attributes, see docs/theme.md) and "icons/" with
/// "<id>.svg" or "<id>.png". Directories added later are searched first. Styles and pixmaps
/// are shared and counted: every one handed out is given back once with releaseStyle() or
/// releasePixmap(), never deleted by the caller. The last user's release deletes a style; a
/// pixmap nobody uses is kept (up to 8 MiB of them) for the next request of its id, size and
/// pixel ratio, until a theme directory is added. A static interface, main thread only
/// (QPixmap needs the GUI thread).
class MTOUCH_EXPORT MTheme
{
public:
    /// A style of the class with the attributes of the class (and its base classes), overridden
    /// by those given for the object name; shared and counted. Null when no creator is
    /// registered for the class. Give it back with releaseStyle().
    static const MStyle* style(const char* styleClass, const QString& objectName);
    /// Gives back a style from style(); the last user's release deletes it.
    static void releaseStyle(const MStyle* style);

    /// The image with that id, scaled to size (0 by 0: its own size); shared and counted, never
    /// null: a missing id, or an image that cannot be used (not a regular file, too large a
    /// file or size, see docs/theme.md), gives a visible placeholder and one warning. Give it
    /// back with releasePixmap().
    static const QPixmap* pixmap(const QString& id, const QSize& size = QSize(0, 0));
    /// The same for a device of that pixel ratio (QPaintDevice::devicePixelRatioF()): made
    /// at size times the ratio in device pixels and tagged with it, so that it is drawn at
    /// size, sharp on a high-density screen. Within the bounds only; beyond them, or for its
    /// own size, as pixmap(id, size).
    static const QPixmap* pixmap(const QString& id, const QSize& size, qreal devicePixelRatio);
    /// Gives back a pixmap from pixmap(); after the last user's release it may be kept for a
    /// later request, or deleted.
    static void releasePixmap(const QPixmap* pixmap);
    /// Whether a usable image of that id exists in the search path (it is read to tell).
    static bool hasPixmap(const QString& id);

    /// Adds an application's theme directory, searched before every other one. Styles made
    /// from now on see its attributes.
    static void addDirectory(const QString& directory);
    /// Adds a directory searched after every other one (a library's own default theme).
    static void addDefaultDirectory(const QString& directory);
    /// The search path in order: added directories (latest first), those of KELMORA_THEME_PATH
    /// (colon-separated), then the default directories.
    static QStringList directories();

    /// Called by MStyleCreatorBase; the creator is not taken over and replaces one of the
    /// same class.
    static void registerStyleCreator(const MStyleCreatorBase* creator);
    /// Called by ~MStyleCreatorBase; forgets the creator if it is the one of its class.
    static void unregisterStyleCreator(const MStyleCreatorBase* creator);
    /// The creator registered for \a styleClass, or null.
    static const MStyleCreatorBase* styleCreator(const QString& styleClass);
    /// Called by MViewCreatorBase; the creator is not taken over and replaces one of the
    /// same class.
    static void registerViewCreator(const MViewCreatorBase* creator);
    /// Called by ~MViewCreatorBase; forgets the creator if it is the one of its class.
    static void unregisterViewCreator(const MViewCreatorBase* creator);
    /// The creator registered for \a viewClass, or null.
    static const MViewCreatorBase* viewCreator(const QString& viewClass);
    /// A new view of that class for controller, or null; the caller takes it over (usually by
    /// MWidgetController::setView()).
    static MWidgetView* view(const QString& viewClass, const MWidgetController* controller);

    /// For tests and diagnostics: shared styles alive now.
    static int liveStyles();
    /// For tests and diagnostics: shared pixmaps in use now (kept unused ones not counted).
    static int livePixmaps();
};

#endif
