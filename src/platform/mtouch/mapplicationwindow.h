#ifndef MAPPLICATIONWINDOW_H
#define MAPPLICATIONWINDOW_H

#include "mtouchglobal.h"

#include <QGraphicsView>

// The top-level window of an application. It is "in the task switcher" while minimized or
// hidden; entering and leaving are signalled once each.
class MTOUCH_EXPORT MApplicationWindow : public QGraphicsView
{
    Q_OBJECT
public:
    explicit MApplicationWindow(QWidget* parent = nullptr);
    ~MApplicationWindow() override;

    bool isInSwitcher() const { return m_inSwitcher; }

    // The window activated last, else the one created last, or null.
    static MApplicationWindow* mostRecent();

Q_SIGNALS:
    void switcherEntered();
    void switcherExited();

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void setInSwitcher(bool inSwitcher);

    bool m_inSwitcher = false;
};

#endif
