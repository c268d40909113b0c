#ifndef MWIDGETCONTROLLER_H
#define MWIDGETCONTROLLER_H

#include "mwidget.h"

class MWidgetModel;
class MWidgetView;

/// A widget split into a model (its state) and a view (its look).
///
/// Both are owned by the controller once installed; painting, resizing and size hints go to
/// the view. Whenever both are installed the view is connected to the model's modified()
/// and shown the whole model (MWidgetView::setupModel()). Main thread only.
class MTOUCH_EXPORT MWidgetController : public MWidget
{
    Q_OBJECT
public:
    /// A controller without model or view; \a parent (an item) owns it.
    explicit MWidgetController(QGraphicsItem* parent = nullptr);
    /// Deletes the view, then the model (the view reads the model while it goes).
    ~MWidgetController() override;

    /// Installs \a model. Takes ownership; the model installed before is deleted.
    void setModel(MWidgetModel* model);
    /// The installed model, or null; owned by the controller.
    MWidgetModel* model() const { return m_model; }
    /// Installs \a view, which must have been made for this controller. Takes ownership; the
    /// view installed before is deleted.
    virtual void setView(MWidgetView* view);
    /// The installed view, or null; owned by the controller.
    MWidgetView* view() const { return m_view; }

    /// Sets the object name the view's style is looked up with, and restyles.
    void setStyleName(const QString& name);
    /// The object name the view's style is looked up with; empty by default.
    QString styleName() const { return m_styleName; }
    /// Sets the object name and restyles, as does a name set through a QObject or MWidget
    /// pointer.
    void setObjectName(const QString& name);

    /// Lets the view paint background and contents; the view's foreground is painted over
    /// the children.
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget = nullptr) override;
    /// Public so that views can ask for a new layout.
    void updateGeometry() override;

protected:
    /// The view's size hint when it gives a valid one, else the widget's own.
    QSizeF sizeHint(Qt::SizeHint which, const QSizeF& constraint = QSizeF()) const override;
    /// Passes the new size on to the view.
    void resizeEvent(QGraphicsSceneResizeEvent* event) override;

private:
    void connectModelToView();
    void styleNameChanged();

    MWidgetModel* m_model = nullptr;
    MWidgetView* m_view = nullptr;
    QString m_styleName;
    // Paints the view's foreground over the children; a child item of ours.
    QGraphicsItem* m_foreground = nullptr;
};

#endif
