#include "kelmedialabelview.h"

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
    return position >= Label::TextLeftOfImage && position <= Label::TextBelowImage
               ? position
               : Label::TextLeftOfImage;
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
    : MWidgetView(labelController), controller(labelController)
{
}

KelMediaLabelView::~KelMediaLabelView()
{
    // Replaced or gone: the label keeps nothing of this view. Only the framework's base of the
    // controller is used, as the rest of it may be torn down already.
    for (const QPointer<MLabel>& label : qAsConst(textLabels)) {
        delete label.data(); // one may be the image as well: the guard forgets it
    }
    delete imageWidget.data();
    if (gridLayout && controllerItem->layout() == gridLayout) {
        controllerItem->setLayout(nullptr);
    }
}

void KelMediaLabelView::setupTheView(TextPosition position)
{
    if (gridLayout) {
        setTextPosition(position);
        return;
    }
    textPosition = known(position);
    setWidgetPositions(textPosition);
    gridLayout = new QGraphicsGridLayout;
    gridLayout->setContentsMargins(0, 0, 0, 0);
    gridLayout->setSpacing(0);
    controller->setLayout(gridLayout);
}

void KelMediaLabelView::setWidgetPositions(TextPosition position)
{
    const Cells& cells = CellsByPosition[known(position)];
    for (TextLabel label : AllLabels) {
        labelPositions.insert(label, cells.labels[label]);
    }
    imagePosition = cells.image;
}

void KelMediaLabelView::setTextPosition(TextPosition position)
{
    textPosition = known(position);
    setWidgetPositions(textPosition);
    // Out with everything first: on the way, an item would land in a cell another still holds.
    if (imageWidget) {
        takeFromGrid(imageWidget);
    }
    forgetGoneLabels();
    for (MLabel* label : qAsConst(textLabels)) {
        takeFromGrid(label);
    }
    if (imageWidget) {
        setImageToLayout();
    }
    setTextLabelsToLayout();
    repaint();
}

void KelMediaLabelView::setImageToLayout()
{
    if (!imageWidget) {
        return;
    }
    const bool wide = imageSpansColumns(textPosition);
    place(imageWidget, imagePosition, wide ? 1 : 2, wide ? 2 : 1, Qt::AlignCenter);
}

void KelMediaLabelView::setLabelToLayout(TextLabel label)
{
    MLabel* item = textLabels.value(label);
    if (!item) {
        return;
    }
    // A left label takes its row's empty right cell when the other row has a right label.
    int columns = 1;
    if (label == KelMediaLabel::TopLeftLabel &&
        !textLabels.contains(KelMediaLabel::TopRightLabel) &&
        textLabels.contains(KelMediaLabel::BottomRightLabel)) {
        columns = 2;
    } else if (label == KelMediaLabel::BottomLeftLabel &&
               !textLabels.contains(KelMediaLabel::BottomRightLabel) &&
               textLabels.contains(KelMediaLabel::TopRightLabel)) {
        columns = 2;
    }
    place(item, labelPositions.value(label), 1, columns, Qt::Alignment());
}

void KelMediaLabelView::setTextLabelsToLayout()
{
    forgetGoneLabels();
    // All out first: a span that shrinks frees the cell another label is about to take.
    for (MLabel* label : qAsConst(textLabels)) {
        takeFromGrid(label);
    }
    for (auto it = textLabels.cbegin(); it != textLabels.cend(); ++it) {
        setLabelToLayout(it.key());
    }
}

MLabel* KelMediaLabelView::createLabel(TextLabel label, const QString& text)
{
    if (!known(label)) {
        return nullptr;
    }
    // One label per name: a label there before would stay in the grid unreachable.
    delete textLabels.value(label);
    auto* made = new MLabel(text, controller);
    textLabels.insert(label, made);
    setTextLabelsToLayout();
    return made;
}

void KelMediaLabelView::forgetGoneLabels()
{
    for (auto it = textLabels.begin(); it != textLabels.end();) {
        if (it->isNull()) {
            it = textLabels.erase(it);
        } else {
            ++it;
        }
    }
}

void KelMediaLabelView::setText(const QString& text, TextLabel label)
{
    forgetGoneLabels();
    if (text.isEmpty()) {
        if (MLabel* gone = textLabels.take(label)) {
            delete gone;
            // The left labels' spans depend on which labels exist.
            setTextLabelsToLayout();
        }
    } else if (MLabel* existing = textLabels.value(label)) {
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
        textLabels.contains(label) ? textLabels.value(label).data() : createLabel(label, {});
    if (item) {
        item->setTextElide(elide);
    }
}

void KelMediaLabelView::setTextAlignment(Qt::Alignment alignment, TextLabel label)
{
    forgetGoneLabels();
    MLabel* item =
        textLabels.contains(label) ? textLabels.value(label).data() : createLabel(label, {});
    if (item) {
        item->setAlignment(alignment);
    }
}

void KelMediaLabelView::setTextLabelObjectName(const QString& name, TextLabel label)
{
    forgetGoneLabels();
    MLabel* item =
        textLabels.contains(label) ? textLabels.value(label).data() : createLabel(label, {});
    if (item) {
        item->setObjectName(name);
    }
}

void KelMediaLabelView::setImage(const MImageWidget& image)
{
    currentIconId.clear();
    replaceImage(new MImageWidget(image));
    repaint();
}

void KelMediaLabelView::setImage(const QString& id)
{
    // The id already shown, or no id for a label without an image: nothing to do.
    if (imageWidget ? id == currentIconId : id.isEmpty()) {
        return;
    }
    currentIconId = id;
    auto* made = new MImageWidget;
    made->setImage(id);
    replaceImage(made);
    repaint();
}

void KelMediaLabelView::replaceImage(MWidget* widget)
{
    // Made before the old one goes, which may be what it was copied from.
    const QString name = imageWidget ? imageWidget->objectName() : QString();
    delete imageWidget.data();
    imageWidget = widget;
    widget->setObjectName(name);
    setImageToLayout();
}

void KelMediaLabelView::setObjectNameOfImage(const QString& name)
{
    if (!imageWidget) {
        imageWidget = new MImageWidget;
        setImageToLayout();
    }
    imageWidget->setObjectName(name);
}

void KelMediaLabelView::setWidgetToImageLocation(MWidget* widget)
{
    if (widget != imageWidget) {
        delete imageWidget.data();
        imageWidget = widget;
    }
    // A text label handed in is a text label no more.
    forgetGoneLabels();
    for (auto it = textLabels.begin(); it != textLabels.end(); ++it) {
        if (widget && it->data() == widget) {
            textLabels.erase(it);
            setTextLabelsToLayout();
            break;
        }
    }
    // The cell no longer shows a theme id: the next setImage(id) applies whatever it is.
    currentIconId.clear();
    setImageToLayout();
    repaint();
}

void KelMediaLabelView::setLayoutMargins(qreal left, qreal top, qreal right, qreal bottom)
{
    if (gridLayout) {
        gridLayout->setContentsMargins(left, top, right, bottom);
    }
}

void KelMediaLabelView::place(QGraphicsWidget* item, const QPoint& cell, int rowSpan,
                              int columnSpan, Qt::Alignment alignment)
{
    if (!gridLayout) {
        // Not set up: under the label all the same, so that it goes with it.
        item->setParentItem(controllerItem);
        return;
    }
    // Each item in exactly one cell: its old entry goes first.
    takeFromGrid(item);
    gridLayout->addItem(item, cell.y(), cell.x(), rowSpan, columnSpan, alignment);
}

void KelMediaLabelView::takeFromGrid(QGraphicsWidget* item)
{
    if (!gridLayout) {
        return;
    }
    for (int i = gridLayout->count() - 1; i >= 0; --i) {
        if (gridLayout->itemAt(i) == item) {
            gridLayout->removeAt(i);
        }
    }
}

void KelMediaLabelView::repaint()
{
    controller->update(QRectF());
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
    const QSize iconSize = icon ? icon->size() : QSize(0, 0);
    // The image where it is drawn (scaled into its cell), not its own size.
    QRectF image;
    if (const auto* picture = qobject_cast<const MImageWidget*>(imageWidget.data())) {
        image = picture->mapRectToItem(controller, picture->drawnRect());
    } else if (imageWidget) {
        image = imageWidget->mapRectToItem(controller, imageWidget->rect());
    }
    // Centred vertically, at the right edge; every step truncated toward zero.
    const QRectF area = rect();
    int y = int((area.height() - iconSize.height()) * 0.5);
    int x = int(area.width() - iconsFromRight * iconSize.width());
    if (!image.isEmpty() && textPosition == KelMediaLabel::TextBelowImage) {
        // Centred in the room under the image.
        y = int(image.bottom() + (area.height() - image.bottom() - iconSize.height()) * 0.5);
    } else if (!image.isEmpty() && textPosition != KelMediaLabel::TextRightOfImage &&
               textPosition != KelMediaLabel::TextAboveImage) {
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
        painter->setPen(QColor(OutlineGrey, OutlineGrey, OutlineGrey, OutlineAlpha));
        painter->setBrush(Qt::NoBrush);
        // Half a pixel in, so that all four one-pixel edges fall inside the widget.
        painter->drawRect(rect().adjusted(0.5, 0.5, -0.5, -0.5));
    }
    MWidgetView::drawForeground(painter, option);
    if (!m) {
        return;
    }
    const KelMediaLabelStyle* s = labelStyle();
    const QSize iconSize(IconSide, IconSide);
    if (m->isFavourite()) {
        const KelThemePixmap icon(s->favouriteIconId(), iconSize);
        painter->drawPixmap(locationOfFavouriteIcon(icon.get()), *icon);
    }
    const int status = m->playStatus();
    if (status == KelMediaLabel::PlayStatusPlay || status == KelMediaLabel::PlayStatusPause) {
        const KelThemePixmap icon(
            status == KelMediaLabel::PlayStatusPlay ? s->playIconId() : s->pauseIconId(), iconSize);
        painter->drawPixmap(locationOfPlayStatusIcon(icon.get()), *icon);
    }
}
