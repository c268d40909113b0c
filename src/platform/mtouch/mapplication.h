#ifndef MAPPLICATION_H
#define MAPPLICATION_H

#include "mtouch_export.h"

#include <QApplication>

class MApplicationWindow;

/// The application object of a program built on the widget framework: a QApplication that
/// finds the application's window. Create one on the main thread before any widget.
class MTOUCH_EXPORT MApplication : public QApplication
{
    Q_OBJECT
public:
    /// As QApplication: \a argc and \a argv must outlive the application object.
    MApplication(int& argc, char** argv);
    /// Destroys the application object; windows should be gone first.
    ~MApplication() override;

    /// The application window last activated, else the one created last; null when there is
    /// none. Works with or without an MApplication instance. Not owned by the caller.
    static MApplicationWindow* activeWindow();
};

#endif
