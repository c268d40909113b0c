#include "mwidgetcontroller.h"

#include "mwidgetmodel.h"
#include "mwidgetview.h"

#include <QGraphicsSceneResizeEvent>

MWidgetController::MWidgetController(QGraphicsItem* parent) : MWidget(parent) {}

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
    styleNameChanged();
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
    if (m_view) {
        m_view->resizeEvent(event);
    }
}
