#include "kelmedialabelview.h"

#include "../../kelmoralogging_p.h"
#include "../kelthemepixmap_p.h"
#include "kelmedialabelmodel.h"
#include "kelmedialabelstyle.h"
#include "kelmedialabelstylecontainer.h"

#include <mimagewidget.h>
#include <mlabel.h>

#include <QGraphicsGridLayout>
#include <QPainter>

namespace {
using Label = KelMediaLabel;

// Cells as (column, row), per text position.
struct Cells
{
    QPoint image;
    QPoint labels[4]; // TopLeft, TopRight, BottomLeft, BottomRight
};
const Cells CellsByPosition[] = {
    {{2, 0}, {{0, 0}, {1, 0}, {0, 1}, {1, 1}}}, // TextLeftOfImage
    {{0, 0}, {{1, 0}, {2, 0}, {1, 1}, {2, 1}}}, // TextRightOfImage
    {{0, 2}, {{0, 0}, {1, 0}, {0, 1}, {1, 1}}}, // TextAboveImage
    {{0, 0}, {{0, 1}, {1, 1}, {0, 2}, {1, 2}}}, // TextBelowImage
};
const Label::TextLabel AllLabels[] = {Label::TopLeftLabel, Label::TopRightLabel,
                                      Label::BottomLeftLabel, Label::BottomRightLabel};

constexpr int IconSide = 25;
constexpr int OutlineGrey = 127;
constexpr int OutlineAlpha = 127;

Label::TextPosition known(Label::TextPosition position)
{
    if (position >= Label::TextLeftOfImage && position <= Label::TextBelowImage) {
        return position;
    }
    qCWarning(lcWidgets) << "media label: unknown text position" << int(position)
                         << "- text left of the image instead";
    return Label::TextLeftOfImage;
}

bool known(Label::TextLabel label)
{
    return label >= Label::TopLeftLabel && label <= Label::BottomRightLabel;
}

bool imageSpansColumns(Label::TextPosition position)
{
    return position == Label::TextAboveImage || position == Label::TextBelowImage;
}
} // namespace

KelMediaLabelView::KelMediaLabelView(KelMediaLabel* labelController)
    : MWidgetView(labelController), m_controller(labelController)
{
}

KelMediaLabelView::~KelMediaLabelView()
{
    // Replaced or gone: the label keeps nothing of this view. Only the framework's base of the
    // controller is used, as the rest of it may be torn down already.
    for (const QPointer<MLabel>& label : qAsConst(m_textLabels)) {
        delete label.data(); // one may be the image as well: the guard forgets it
    }
    delete m_imageWidget.data();
    if (m_gridLayout && controllerItem->layout() == m_gridLayout) {
        controllerItem->setLayout(nullptr);
    }
}

void KelMediaLabelView::setupTheView(TextPosition position)
{
    if (m_gridLayout) {
        setTextPosition(position);
        return;
    }
    m_textPosition = known(position);
    setWidgetPositions(m_textPosition);
    m_gridLayout = new QGraphicsGridLayout;
    m_gridLayout->setContentsMargins(0, 0, 0, 0);
    m_gridLayout->setSpacing(0);
    m_controller->setLayout(m_gridLayout);
}

void KelMediaLabelView::setWidgetPositions(TextPosition position)
{
    const Cells& cells = CellsByPosition[known(position)];
    for (TextLabel label : AllLabels) {
        m_labelPositions.insert(label, cells.labels[label]);
    }
    m_imagePosition = cells.image;
}

void KelMediaLabelView::setTextPosition(TextPosition position)
{
    m_textPosition = known(position);
    setWidgetPositions(m_textPosition);
    // Out with everything first: on the way, an item would land in a cell another still holds.
    if (m_imageWidget) {
        takeFromGrid(m_imageWidget);
    }
    forgetGoneLabels();
    for (MLabel* label : qAsConst(m_textLabels)) {
        takeFromGrid(label);
    }
    if (m_imageWidget) {
        setImageToLayout();
    }
    setTextLabelsToLayout();
    repaint();
}

void KelMediaLabelView::setImageToLayout()
{
    if (!m_imageWidget) {
        return;
    }
    const bool wide = imageSpansColumns(m_textPosition);
    place(m_imageWidget, m_imagePosition, wide ? 1 : 2, wide ? 2 : 1, Qt::AlignCenter);
}

void KelMediaLabelView::setLabelToLayout(TextLabel label)
{
    MLabel* item = m_textLabels.value(label);
    if (!item) {
        return;
    }
    // A left label takes its row's empty right cell when the other row has a right label.
    int columns = 1;
    if (label == KelMediaLabel::TopLeftLabel &&
        !m_textLabels.contains(KelMediaLabel::TopRightLabel) &&
        m_textLabels.contains(KelMediaLabel::BottomRightLabel)) {
        columns = 2;
    } else if (label == KelMediaLabel::BottomLeftLabel &&
               !m_textLabels.contains(KelMediaLabel::BottomRightLabel) &&
               m_textLabels.contains(KelMediaLabel::TopRightLabel)) {
        columns = 2;
    }
    place(item, m_labelPositions.value(label), 1, columns, Qt::Alignment());
}

void KelMediaLabelView::setTextLabelsToLayout()
{
    forgetGoneLabels();
    // All out first: a span that shrinks frees the cell another label is about to take.
    for (MLabel* label : qAsConst(m_textLabels)) {
        takeFromGrid(label);
    }
    for (auto it = m_textLabels.cbegin(); it != m_textLabels.cend(); ++it) {
        setLabelToLayout(it.key());
    }
}

MLabel* KelMediaLabelView::createLabel(TextLabel label, const QString& text)
{
    if (!known(label)) {
        qCWarning(lcWidgets) << "media label: unknown text label" << int(label) << "ignored";
        return nullptr;
    }
    // One label per name: a label there before would stay in the grid unreachable.
    delete m_textLabels.value(label);
    auto* made = new MLabel(text, m_controller);
    m_textLabels.insert(label, made);
    setTextLabelsToLayout();
    return made;
}

void KelMediaLabelView::forgetGoneLabels()
{
    for (auto it = m_textLabels.begin(); it != m_textLabels.end();) {
        if (it->isNull()) {
            it = m_textLabels.erase(it);
        } else {
            ++it;
        }
    }
}

void KelMediaLabelView::setText(const QString& text, TextLabel label)
{
    forgetGoneLabels();
    if (text.isEmpty()) {
        if (MLabel* gone = m_textLabels.take(label)) {
            delete gone;
            // The left labels' spans depend on which labels exist.
            setTextLabelsToLayout();
        }
    } else if (MLabel* existing = m_textLabels.value(label)) {
        existing->setText(text);
    } else {
        createLabel(label, text);
    }
    repaint();
}

void KelMediaLabelView::setTextElide(bool elide, TextLabel label)
{
    forgetGoneLabels();
    MLabel* item =
        m_textLabels.contains(label) ? m_textLabels.value(label).data() : createLabel(label, {});
    if (item) {
        item->setTextElide(elide);
    }
}

void KelMediaLabelView::setTextAlignment(Qt::Alignment alignment, TextLabel label)
{
    forgetGoneLabels();
    MLabel* item =
        m_textLabels.contains(label) ? m_textLabels.value(label).data() : createLabel(label, {});
    if (item) {
        item->setAlignment(alignment);
    }
}

void KelMediaLabelView::setTextLabelObjectName(const QString& name, TextLabel label)
{
    forgetGoneLabels();
    MLabel* item =
        m_textLabels.contains(label) ? m_textLabels.value(label).data() : createLabel(label, {});
    if (item) {
        item->setObjectName(name);
    }
}

void KelMediaLabelView::setImage(const MImageWidget& image)
{
    m_currentIconId.clear();
    replaceImage(new MImageWidget(image));
    repaint();
}

void KelMediaLabelView::setImage(const QString& id)
{
    // The id already shown, or no id for a label without an image: nothing to do.
    if (m_imageWidget ? id == m_currentIconId : id.isEmpty()) {
        return;
    }
    m_currentIconId = id;
    auto* made = new MImageWidget;
    made->setImage(id);
    replaceImage(made);
    repaint();
}

void KelMediaLabelView::replaceImage(MWidget* widget)
{
    // Made before the old one goes, which may be what it was copied from.
    const QString name = m_imageWidget ? m_imageWidget->objectName() : QString();
    delete m_imageWidget.data();
    m_imageWidget = widget;
    widget->setObjectName(name);
    setImageToLayout();
}

void KelMediaLabelView::setObjectNameOfImage(const QString& name)
{
    if (!m_imageWidget) {
        m_imageWidget = new MImageWidget;
        setImageToLayout();
    }
    m_imageWidget->setObjectName(name);
}

void KelMediaLabelView::setWidgetToImageLocation(MWidget* widget)
{
    if (widget != m_imageWidget) {
        delete m_imageWidget.data();
        m_imageWidget = widget;
    }
    // A text label handed in is a text label no more.
    forgetGoneLabels();
    for (auto it = m_textLabels.begin(); it != m_textLabels.end(); ++it) {
        if (widget && it->data() == widget) {
            m_textLabels.erase(it);
            setTextLabelsToLayout();
            break;
        }
    }
    // The cell no longer shows a theme id: the next setImage(id) applies whatever it is.
    m_currentIconId.clear();
    setImageToLayout();
    repaint();
}

void KelMediaLabelView::setLayoutMargins(qreal left, qreal top, qreal right, qreal bottom)
{
    if (m_gridLayout) {
        m_gridLayout->setContentsMargins(left, top, right, bottom);
    }
}

void KelMediaLabelView::place(QGraphicsWidget* item, const QPoint& cell, int rowSpan,
                              int columnSpan, Qt::Alignment alignment)
{
    if (!m_gridLayout) {
        // Not set up: under the label all the same, so that it goes with it.
        item->setParentItem(controllerItem);
        return;
    }
    // Each item in exactly one cell: its old entry goes first.
    takeFromGrid(item);
    m_gridLayout->addItem(item, cell.y(), cell.x(), rowSpan, columnSpan, alignment);
}

void KelMediaLabelView::takeFromGrid(QGraphicsWidget* item)
{
    if (!m_gridLayout) {
        return;
    }
    for (int i = m_gridLayout->count() - 1; i >= 0; --i) {
        if (m_gridLayout->itemAt(i) == item) {
            m_gridLayout->removeAt(i);
        }
    }
}

void KelMediaLabelView::repaint()
{
    m_controller->update(QRectF());
}

KelMediaLabelModel* KelMediaLabelView::labelModel() const
{
    return qobject_cast<KelMediaLabelModel*>(model());
}

const KelMediaLabelStyle* KelMediaLabelView::labelStyle() const
{
    return static_cast<const KelMediaLabelStyleContainer&>(style()).operator->();
}

MWidgetStyleContainer* KelMediaLabelView::createStyleContainer() const
{
    return new KelMediaLabelStyleContainer;
}

const char* KelMediaLabelView::styleType() const
{
    return "KelMediaLabelStyle";
}

QPoint KelMediaLabelView::locationOfFavouriteIcon(const QPixmap* icon) const
{
    return iconLocation(icon, 1);
}

QPoint KelMediaLabelView::locationOfPlayStatusIcon(const QPixmap* icon) const
{
    return iconLocation(icon, 2);
}

QPoint KelMediaLabelView::iconLocation(const QPixmap* icon, int iconsFromRight) const
{
    // Drawn at its size in device-independent pixels.
    const QSize iconSize =
        icon ? (QSizeF(icon->size()) / icon->devicePixelRatioF()).toSize() : QSize(0, 0);
    // The image where it is drawn (scaled into its cell), not its own size.
    QRectF image;
    if (const auto* picture = qobject_cast<const MImageWidget*>(m_imageWidget.data())) {
        image = picture->mapRectToItem(m_controller, picture->drawnRect());
    } else if (m_imageWidget) {
        image = m_imageWidget->mapRectToItem(m_controller, m_imageWidget->rect());
    }
    // Centred vertically, at the right edge; every step truncated toward zero.
    const QRectF area = rect();
    int y = int((area.height() - iconSize.height()) * 0.5);
    int x = int(area.width() - iconsFromRight * iconSize.width());
    if (!image.isEmpty() && m_textPosition == KelMediaLabel::TextBelowImage) {
        // Centred in the room under the image.
        y = int(image.bottom() + (area.height() - image.bottom() - iconSize.height()) * 0.5);
    } else if (!image.isEmpty() && m_textPosition != KelMediaLabel::TextRightOfImage &&
               m_textPosition != KelMediaLabel::TextAboveImage) {
        // Left of the image on the right.
        x = int(image.left() - iconsFromRight * iconSize.width());
    }
    // Always within the widget.
    return QPoint(qBound(0, x, qMax(0, int(area.width()) - iconSize.width())),
                  qBound(0, y, qMax(0, int(area.height()) - iconSize.height())));
}

void KelMediaLabelView::drawForeground(QPainter* painter,
                                       const QStyleOptionGraphicsItem* option) const
{
    const KelMediaLabelModel* m = labelModel();
    if (m && m->outlineVisible()) {
        // Four one-pixel strips inside the widget: filled rectangles take the raster engine's
        // direct path, where a stroked outline is rasterized as a path (and, on Qt 6, farmed
        // out to its thread pool for every label in a list).
        const QColor grey(OutlineGrey, OutlineGrey, OutlineGrey, OutlineAlpha);
        const QRectF r = rect();
        painter->fillRect(QRectF(r.left(), r.top(), r.width(), 1), grey);
        painter->fillRect(QRectF(r.left(), r.bottom() - 1, r.width(), 1), grey);
        painter->fillRect(QRectF(r.left(), r.top() + 1, 1, r.height() - 2), grey);
        painter->fillRect(QRectF(r.right() - 1, r.top() + 1, 1, r.height() - 2), grey);
    }
    MWidgetView::drawForeground(painter, option);
    if (!m) {
        return;
    }
    const KelMediaLabelStyle* s = labelStyle();
    const QSize iconSize(IconSide, IconSide);
    if (m->isFavourite()) {
        const KelThemePixmap icon(s->favouriteIconId(), iconSize, painter);
        painter->drawPixmap(locationOfFavouriteIcon(icon.get()), *icon);
    }
    const int status = m->playStatus();
    if (status == KelMediaLabel::PlayStatusPlay || status == KelMediaLabel::PlayStatusPause) {
        const KelThemePixmap icon(status == KelMediaLabel::PlayStatusPlay ? s->playIconId()
                                                                          : s->pauseIconId(),
                                  iconSize, painter);
        painter->drawPixmap(locationOfPlayStatusIcon(icon.get()), *icon);
    }
}
