#ifndef MAPPLICATION_H
#define MAPPLICATION_H

#include "mtouchglobal.h"

#include <QApplication>

class MApplicationWindow;

class MTOUCH_EXPORT MApplication : public QApplication
{
    Q_OBJECT
public:
    MApplication(int& argc, char** argv);
    ~MApplication() override;

    // The application window last activated, else the one created last; null when there is
    // none. Works with or without an MApplication instance.
    static MApplicationWindow* activeWindow();
};

#endif
