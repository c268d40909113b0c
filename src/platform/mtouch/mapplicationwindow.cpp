#include "mapplicationwindow.h"

#include <QEvent>
#include <QGraphicsScene>

namespace {
// Live windows, the one to report as active last.
QList<MApplicationWindow*>& windows()
{
    static QList<MApplicationWindow*> list;
    return list;
}
} // namespace

MApplicationWindow::MApplicationWindow(QWidget* parent) : QGraphicsView(parent)
{
    setScene(new QGraphicsScene(this));
    windows().append(this);
}

MApplicationWindow::~MApplicationWindow()
{
    windows().removeOne(this);
}

MApplicationWindow* MApplicationWindow::mostRecent()
{
    return windows().isEmpty() ? nullptr : windows().constLast();
}

bool MApplicationWindow::event(QEvent* event)
{
    if (event->type() == QEvent::WindowActivate) {
        windows().removeOne(this);
        windows().append(this);
    }
    return QGraphicsView::event(event);
}

void MApplicationWindow::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::WindowStateChange) {
        if (isMinimized()) {
            setInSwitcher(true);
        } else if (isVisible()) {
            setInSwitcher(false);
        }
    }
    QGraphicsView::changeEvent(event);
}

void MApplicationWindow::showEvent(QShowEvent* event)
{
    QGraphicsView::showEvent(event);
    if (!isMinimized()) {
        setInSwitcher(false);
    }
}

void MApplicationWindow::hideEvent(QHideEvent* event)
{
    QGraphicsView::hideEvent(event);
    setInSwitcher(true);
}

void MApplicationWindow::setInSwitcher(bool inSwitcher)
{
    if (m_inSwitcher == inSwitcher) {
        return;
    }
    m_inSwitcher = inSwitcher;
    if (inSwitcher) {
        Q_EMIT switcherEntered();
    } else {
        Q_EMIT switcherExited();
    }
}
