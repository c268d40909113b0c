#include "mwidgetcontroller.h"

#include "mwidgetmodel.h"
#include "mwidgetview.h"

#include <QGraphicsSceneResizeEvent>

#include <limits>

namespace {
// The topmost child of a controller: its view's foreground goes over the finished widget.
// Takes no input, so presses reach the controller and its children as before.
class ForegroundItem : public QGraphicsItem
{
public:
    explicit ForegroundItem(MWidgetController* controller)
        : QGraphicsItem(controller), m_controller(controller), m_rect(controller->rect())
    {
        setZValue(std::numeric_limits<qreal>::max());
        setAcceptedMouseButtons(Qt::NoButton);
    }
    // Kept here, so that a controller being torn down is never asked.
    QRectF boundingRect() const override { return m_rect; }
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget*) override
    {
        if (const MWidgetView* view = m_controller->view()) {
            view->paintForeground(painter, option);
        }
    }
    void setRect(const QRectF& rect)
    {
        prepareGeometryChange();
        m_rect = rect;
    }

private:
    MWidgetController* const m_controller;
    QRectF m_rect;
};
} // namespace

MWidgetController::MWidgetController(QGraphicsItem* parent) : MWidget(parent)
{
    // QObject::setObjectName is not virtual: follow the name by its signal.
    connect(this, &QObject::objectNameChanged, this, &MWidgetController::styleNameChanged);
}

MWidgetController::~MWidgetController()
{
    // The view reads the model while it goes.
    delete m_view;
    m_view = nullptr;
    delete m_model;
}

void MWidgetController::setModel(MWidgetModel* model)
{
    if (model == m_model) {
        return;
    }
    delete m_model;
    m_model = model;
    connectModelToView();
}

void MWidgetController::setView(MWidgetView* view)
{
    if (view == m_view) {
        return;
    }
    delete m_view;
    m_view = view;
    if (m_view && !m_foreground) {
        m_foreground = new ForegroundItem(this);
    }
    connectModelToView();
    updateGeometry();
    update();
}

void MWidgetController::connectModelToView()
{
    if (m_model && m_view) {
        MWidgetView* view = m_view;
        connect(m_model, &MWidgetModel::modified, view, [view](const QList<const char*>& names) {
            view->updateData(names);
            view->update();
        });
        m_view->setupModel();
    }
}

void MWidgetController::setStyleName(const QString& name)
{
    if (name != m_styleName) {
        m_styleName = name;
        styleNameChanged();
    }
}

void MWidgetController::setObjectName(const QString& name)
{
    QGraphicsWidget::setObjectName(name);
}

void MWidgetController::styleNameChanged()
{
    if (m_view) {
        m_view->applyStyleName();
    }
    updateGeometry();
    update();
}

void MWidgetController::updateGeometry()
{
    MWidget::updateGeometry();
}

void MWidgetController::paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
                              QWidget* widget)
{
    if (m_view) {
        m_view->paint(painter, option, widget);
    }
}

QSizeF MWidgetController::sizeHint(Qt::SizeHint which, const QSizeF& constraint) const
{
    if (m_view) {
        const QSizeF hint = m_view->sizeHint(which, constraint);
        if (hint.isValid()) {
            return hint;
        }
    }
    return MWidget::sizeHint(which, constraint);
}

void MWidgetController::resizeEvent(QGraphicsSceneResizeEvent* event)
{
    MWidget::resizeEvent(event);
    if (m_foreground) {
        static_cast<ForegroundItem*>(m_foreground)->setRect(rect());
    }
    if (m_view) {
        m_view->resizeEvent(event);
    }
}
