#include "mlabel.h"

#include "mwidgetview.h"

#include <QFontMetricsF>
#include <QPainter>

// The base asked for size hints before this class existed: those were not ours.
MLabel::MLabel(QGraphicsItem* parent) : MStylableWidget(parent)
{
    updateGeometry();
}

MLabel::MLabel(const QString& text, QGraphicsItem* parent) : MStylableWidget(parent), m_text(text)
{
    updateGeometry();
}

MLabel::~MLabel() = default;

void MLabel::setText(const QString& text)
{
    if (text != m_text) {
        m_text = text;
        updateGeometry();
        update();
    }
}

void MLabel::setTextElide(bool elide)
{
    m_elide = elide;
    updateGeometry(); // the minimum width depends on it
    update();
}

void MLabel::setAlignment(Qt::Alignment alignment)
{
    m_alignment = alignment;
    update();
}

QFont MLabel::font() const
{
    QFont font;
    font.setPixelSize(qMax(1, view()->style()->fontSize()));
    return font;
}

void MLabel::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget)
{
    MStylableWidget::paint(painter, option, widget);
    const MWidgetStyle* style = view()->style().widgetStyle();
    const QRectF area = rect().adjusted(style->marginLeft(), style->marginTop(),
                                        -style->marginRight(), -style->marginBottom());
    painter->setFont(font());
    painter->setPen(style->color());
    const QString shown =
        m_elide ? QFontMetricsF(font()).elidedText(m_text, Qt::ElideRight, area.width()) : m_text;
    painter->drawText(area, int(m_alignment), shown);
}

QSizeF MLabel::sizeHint(Qt::SizeHint which, const QSizeF& constraint) const
{
    if (which == Qt::PreferredSize || which == Qt::MinimumSize) {
        const MWidgetStyle* style = view()->style().widgetStyle();
        const QFontMetricsF metrics(font());
        const qreal width = which == Qt::MinimumSize && m_elide ? metrics.averageCharWidth() * 3
                                                                : metrics.horizontalAdvance(m_text);
        return QSizeF(width + style->marginLeft() + style->marginRight(),
                      metrics.height() + style->marginTop() + style->marginBottom());
    }
    return MStylableWidget::sizeHint(which, constraint);
}
