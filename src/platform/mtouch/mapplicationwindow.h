#ifndef MAPPLICATIONWINDOW_H
#define MAPPLICATIONWINDOW_H

#include "mtouch_export.h"

#include <QGraphicsView>

/// The top-level window of an application: a view of its own QGraphicsScene, where the
/// application puts its widgets.
///
/// It is "in the task switcher" while minimized or hidden; entering and leaving are signalled
/// once each, switcherEntered() and switcherExited() alternating. Main thread only.
class MTOUCH_EXPORT MApplicationWindow : public QGraphicsView
{
    Q_OBJECT
public:
    /// A window with a new scene that it owns; \a parent (usually none) owns the window.
    explicit MApplicationWindow(QWidget* parent = nullptr);
    /// Deletes the scene and its items; the window is no longer mostRecent().
    ~MApplicationWindow() override;

    /// Whether the window is minimized or hidden (false until it is first hidden or minimized).
    bool isInSwitcher() const { return m_inSwitcher; }

    /// The window activated last, else the one created last, or null.
    static MApplicationWindow* mostRecent();

Q_SIGNALS:
    /// The window was minimized or hidden.
    void switcherEntered();
    /// The window came back: shown again, not minimized.
    void switcherExited();

protected:
    /// Notes the window's activation for mostRecent().
    bool event(QEvent* event) override;
    /// Follows minimizing and restoring.
    void changeEvent(QEvent* event) override;
    /// Leaves the switcher unless minimized.
    void showEvent(QShowEvent* event) override;
    /// Enters the switcher.
    void hideEvent(QHideEvent* event) override;

private:
    void setInSwitcher(bool inSwitcher);

    bool m_inSwitcher = false;
};

#endif
