#include "mprogressindicator.h"

#include "mwidgetview.h"

#include <QPainter>
#include <QTimer>
#include <QtMath>

const QString MProgressIndicator::spinnerType = QStringLiteral("spinner");
const QString MProgressIndicator::barType = QStringLiteral("bar");

namespace {
const int Spokes = 12;
}

MProgressIndicator::MProgressIndicator(QGraphicsItem* parent, const QString& viewType)
    : MStylableWidget(parent), m_viewType(viewType), m_timer(new QTimer(this))
{
    m_timer->setInterval(80);
    connect(m_timer, &QTimer::timeout, this, [this]() {
        m_phase = (m_phase + 1) % Spokes;
        update();
    });
}

MProgressIndicator::~MProgressIndicator() = default;

void MProgressIndicator::setUnknownDuration(bool unknown)
{
    m_unknownDuration = unknown;
    updateAnimation();
    update();
}

void MProgressIndicator::setValue(int value)
{
    m_value = qBound(0, value, 100);
    update();
}

bool MProgressIndicator::isAnimating() const
{
    return m_timer->isActive();
}

void MProgressIndicator::updateAnimation()
{
    // Turns only while it can be seen.
    if (m_unknownDuration && m_viewType == spinnerType && isVisible() && scene()) {
        m_timer->start();
    } else {
        m_timer->stop();
    }
}

QVariant MProgressIndicator::itemChange(GraphicsItemChange change, const QVariant& value)
{
    const QVariant result = MStylableWidget::itemChange(change, value);
    if (change == ItemVisibleHasChanged || change == ItemSceneHasChanged) {
        updateAnimation();
    }
    return result;
}

void MProgressIndicator::paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
                               QWidget* widget)
{
    MStylableWidget::paint(painter, option, widget);
    const MWidgetStyle* style = view()->style().widgetStyle();
    const QRectF area = rect().adjusted(style->marginLeft(), style->marginTop(),
                                        -style->marginRight(), -style->marginBottom());
    painter->setRenderHint(QPainter::Antialiasing, true);
    QColor color = style->color();
    if (m_viewType != spinnerType) {
        painter->fillRect(area, color.darker(300));
        painter->fillRect(
            QRectF(area.topLeft(), QSizeF(area.width() * m_value / 100, area.height())), color);
        return;
    }
    const qreal radius = qMin(area.width(), area.height()) / 2;
    painter->translate(area.center());
    QPen pen(color, qMax<qreal>(1, radius / 6), Qt::SolidLine, Qt::RoundCap);
    for (int i = 0; i < Spokes; ++i) {
        color.setAlphaF(qreal((i + Spokes - m_phase) % Spokes + 1) / Spokes);
        pen.setColor(color);
        painter->setPen(pen);
        painter->drawLine(QPointF(0, -radius * 0.5), QPointF(0, -radius * 0.95));
        painter->rotate(360.0 / Spokes);
    }
}

QSizeF MProgressIndicator::sizeHint(Qt::SizeHint which, const QSizeF& constraint) const
{
    if (which == Qt::PreferredSize) {
        const QSizeF styled = view()->sizeHint(which, constraint);
        return styled.isValid() ? styled : QSizeF(64, 64);
    }
    return MStylableWidget::sizeHint(which, constraint);
}
