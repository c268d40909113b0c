#include "mwidgetview.h"

#include "mwidgetcontroller.h"
#include "mwidgetmodel.h"

#include <QPainter>

MWidgetView::MWidgetView(MWidgetController* controller) : controllerItem(controller) {}

MWidgetView::~MWidgetView()
{
    delete m_style;
}

MWidgetModel* MWidgetView::model() const
{
    return controllerItem->model();
}

const MWidgetStyleContainer& MWidgetView::style() const
{
    if (!m_style) {
        m_style = createStyleContainer();
        const QString name = controllerItem->styleName();
        m_style->setObjectName(name.isEmpty() ? controllerItem->objectName() : name);
    }
    return *m_style;
}

void MWidgetView::applyStyleName()
{
    if (m_style) {
        const QString name = controllerItem->styleName();
        m_style->setObjectName(name.isEmpty() ? controllerItem->objectName() : name);
    }
}

QRectF MWidgetView::rect() const
{
    return QRectF(QPointF(0, 0), controllerItem->size());
}

QSizeF MWidgetView::size() const
{
    return controllerItem->size();
}

void MWidgetView::update(const QRectF& rect)
{
    controllerItem->update(rect);
}

void MWidgetView::updateGeometry()
{
    controllerItem->updateGeometry();
}

void MWidgetView::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget*)
{
    drawBackground(painter, option);
    drawContents(painter, option);
}

void MWidgetView::paintForeground(QPainter* painter, const QStyleOptionGraphicsItem* option) const
{
    drawForeground(painter, option);
}

void MWidgetView::resizeEvent(QGraphicsSceneResizeEvent*) {}

QSizeF MWidgetView::sizeHint(Qt::SizeHint which, const QSizeF&) const
{
    const QSize preferred = style()->preferredSize();
    if (which == Qt::PreferredSize && preferred.isValid()) {
        return preferred;
    }
    return QSizeF();
}

void MWidgetView::setupModel() {}

void MWidgetView::updateData(const QList<const char*>&) {}

void MWidgetView::drawBackground(QPainter* painter, const QStyleOptionGraphicsItem*) const
{
    const QColor background = style()->backgroundColor();
    if (background.isValid()) {
        painter->fillRect(rect(), background);
    }
}

void MWidgetView::drawContents(QPainter*, const QStyleOptionGraphicsItem*) const {}

void MWidgetView::drawForeground(QPainter*, const QStyleOptionGraphicsItem*) const {}

MWidgetStyleContainer* MWidgetView::createStyleContainer() const
{
    return new MWidgetStyleContainer(styleType());
}

const char* MWidgetView::styleType() const
{
    return "MWidgetStyle";
}
