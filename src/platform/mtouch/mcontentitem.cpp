#include "mcontentitem.h"

#include "mwidgetview.h"

#include <QGraphicsSceneMouseEvent>
#include <QPainter>

MContentItem::MContentItem(ContentItemStyle itemStyle, QGraphicsItem* parent)
    : MStylableWidget(parent), m_itemStyle(itemStyle)
{
    setStyleName(QStringLiteral("CommonContentItem"));
}

MContentItem::~MContentItem() = default;

void MContentItem::setItemMode(ContentItemMode mode)
{
    m_mode = mode;
    update();
}

void MContentItem::setTitle(const QString& title)
{
    m_title = title;
    update();
}

void MContentItem::setSubtitle(const QString& subtitle)
{
    m_subtitle = subtitle;
    update();
}

void MContentItem::setPixmap(const QPixmap& pixmap)
{
    m_pixmap = pixmap;
    update();
}

void MContentItem::setOptionalPixmap(const QPixmap& pixmap)
{
    m_optionalPixmap = pixmap;
    update();
}

void MContentItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget)
{
    MStylableWidget::paint(painter, option, widget);
    const MWidgetStyle* style = view()->style().widgetStyle();
    QRectF area = rect().adjusted(style->marginLeft(), style->marginTop(), -style->marginRight(),
                                  -style->marginBottom());
    const qreal side = area.height();
    painter->setRenderHint(QPainter::SmoothPixmapTransform, true);
    if (!m_pixmap.isNull()) {
        painter->drawPixmap(QRectF(area.topLeft(), QSizeF(side, side)), m_pixmap, m_pixmap.rect());
        area.setLeft(area.left() + side + style->marginLeft());
    }
    if (!m_optionalPixmap.isNull()) {
        const qreal small = side / 2;
        painter->drawPixmap(
            QRectF(area.right() - small, area.center().y() - small / 2, small, small),
            m_optionalPixmap, m_optionalPixmap.rect());
        area.setRight(area.right() - small - style->marginRight());
    }
    painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
    QFont font;
    font.setPixelSize(qMax(1, style->fontSize()));
    painter->setFont(font);
    painter->setPen(style->color());
    const QFontMetricsF metrics(font);
    const QRectF titleArea(area.left(), area.top(), area.width(), area.height() / 2);
    const QRectF subtitleArea(area.left(), area.center().y(), area.width(), area.height() / 2);
    painter->drawText(titleArea, Qt::AlignLeft | Qt::AlignBottom,
                      metrics.elidedText(m_title, Qt::ElideRight, area.width()));
    QColor dimmed = style->color();
    dimmed.setAlphaF(dimmed.alphaF() * 0.7);
    painter->setPen(dimmed);
    painter->drawText(subtitleArea, Qt::AlignLeft | Qt::AlignTop,
                      metrics.elidedText(m_subtitle, Qt::ElideRight, area.width()));
}

void MContentItem::mousePressEvent(QGraphicsSceneMouseEvent* event)
{
    m_pressed = true;
    event->accept();
}

void MContentItem::mouseReleaseEvent(QGraphicsSceneMouseEvent* event)
{
    const bool inside = rect().contains(event->pos());
    if (m_pressed && inside) {
        Q_EMIT clicked();
    }
    m_pressed = false;
    event->accept();
}

QSizeF MContentItem::sizeHint(Qt::SizeHint which, const QSizeF& constraint) const
{
    if (which == Qt::PreferredSize) {
        const QSizeF styled = view()->sizeHint(which, constraint);
        return styled.isValid() ? styled : QSizeF(300, 80);
    }
    return MStylableWidget::sizeHint(which, constraint);
}
