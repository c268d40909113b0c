#ifndef MWIDGETCONTROLLER_H
#define MWIDGETCONTROLLER_H

#include "mwidget.h"

class MWidgetModel;
class MWidgetView;

// A widget split into a model (its state) and a view (its look). Both are owned by the
// controller once installed; painting, resizing and size hints go to the view.
class MTOUCH_EXPORT MWidgetController : public MWidget
{
    Q_OBJECT
public:
    explicit MWidgetController(QGraphicsItem* parent = nullptr);
    ~MWidgetController() override;

    // Takes ownership; the model installed before is deleted.
    void setModel(MWidgetModel* model);
    MWidgetModel* model() const { return m_model; }
    // Takes ownership; the view installed before is deleted.
    virtual void setView(MWidgetView* view);
    MWidgetView* view() const { return m_view; }

    // The object name the view's style is looked up with.
    void setStyleName(const QString& name);
    QString styleName() const { return m_styleName; }
    // Restyles, as does a name set through a QObject or MWidget pointer.
    void setObjectName(const QString& name);

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget = nullptr) override;
    // Public so that views can ask for a new layout.
    void updateGeometry() override;

protected:
    QSizeF sizeHint(Qt::SizeHint which, const QSizeF& constraint = QSizeF()) const override;
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
