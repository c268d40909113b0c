#include "mimagewidget.h"

#include "mtheme.h"
#include "mwidgetview.h"

#include <QPainter>

// The base asked for size hints before this class existed: those were not ours.
MImageWidget::MImageWidget(QGraphicsItem* parent) : MStylableWidget(parent)
{
    updateGeometry();
}

MImageWidget::MImageWidget(const QString& id, QGraphicsItem* parent) : MStylableWidget(parent)
{
    setImage(id);
}

MImageWidget::MImageWidget(const QImage& image, QGraphicsItem* parent) : MStylableWidget(parent)
{
    setImage(image);
}

MImageWidget::MImageWidget(const MImageWidget& other) : MStylableWidget(nullptr)
{
    *this = other;
    updateGeometry();
}

MImageWidget& MImageWidget::operator=(const MImageWidget& other)
{
    if (this != &other) {
        if (!other.m_id.isEmpty()) {
            setImage(other.m_id, other.m_requestedSize);
        } else {
            releaseTheme();
            m_ownPixmap = other.m_ownPixmap;
            updateGeometry();
            update();
        }
        setStyleName(other.styleName());
    }
    return *this;
}

MImageWidget::~MImageWidget()
{
    releaseTheme();
}

void MImageWidget::releaseTheme()
{
    if (m_themePixmap) {
        MTheme::releasePixmap(m_themePixmap);
        m_themePixmap = nullptr;
    }
    m_id.clear();
}

void MImageWidget::setImage(const QString& id, const QSize& size)
{
    // An empty id also clears an image given as a QImage.
    if (id == m_id && size == m_requestedSize && m_ownPixmap.isNull() &&
        (m_themePixmap || id.isEmpty())) {
        return;
    }
    releaseTheme();
    m_ownPixmap = QPixmap();
    m_id = id;
    m_requestedSize = size;
    if (!id.isEmpty()) {
        m_themePixmap = MTheme::pixmap(id, size);
    }
    updateGeometry();
    update();
}

void MImageWidget::setImage(const QImage& image)
{
    releaseTheme();
    m_ownPixmap = QPixmap::fromImage(image);
    updateGeometry();
    update();
}

const QPixmap* MImageWidget::pixmap() const
{
    return m_themePixmap ? m_themePixmap : &m_ownPixmap;
}

QSize MImageWidget::imageSize() const
{
    return pixmap()->size();
}

QRectF MImageWidget::drawnRect() const
{
    const QPixmap* shown = pixmap();
    if (shown->isNull()) {
        return QRectF();
    }
    const MWidgetStyle* style = view()->style().widgetStyle();
    const QRectF area = rect().adjusted(style->marginLeft(), style->marginTop(),
                                        -style->marginRight(), -style->marginBottom());
    QSizeF target = shown->size();
    target.scale(area.size(), Qt::KeepAspectRatio);
    QRectF placed(QPointF(0, 0), target);
    placed.moveCenter(area.center());
    return placed;
}

void MImageWidget::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget)
{
    MStylableWidget::paint(painter, option, widget);
    const QPixmap* shown = pixmap();
    if (shown->isNull()) {
        return;
    }
    painter->setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter->drawPixmap(drawnRect(), *shown, shown->rect());
    painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
}

QSizeF MImageWidget::sizeHint(Qt::SizeHint which, const QSizeF& constraint) const
{
    if (which == Qt::PreferredSize) {
        const QSizeF styled = view()->sizeHint(which, constraint);
        return styled.isValid() ? styled : QSizeF(imageSize());
    }
    if (which == Qt::MinimumSize) {
        return QSizeF(0, 0);
    }
    return MStylableWidget::sizeHint(which, constraint);
}
