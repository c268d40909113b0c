#include "mapplication.h"

#include "mapplicationwindow.h"

MApplication::MApplication(int& argc, char** argv) : QApplication(argc, argv) {}

MApplication::~MApplication() = default;

MApplicationWindow* MApplication::activeWindow()
{
    return MApplicationWindow::mostRecent();
}
