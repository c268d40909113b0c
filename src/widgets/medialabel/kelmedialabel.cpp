#include "kelmedialabel.h"

#include "kelmedialabelmodel.h"
#include "kelmedialabelview.h"

#include <mimagereader.h>
#include <mimagewidget.h>

#include <QGraphicsSceneMouseEvent>

namespace {
// A label shows a thumbnail: larger images are kept scaled down to fit this.
const int MaxImageSide = 2048;
} // namespace

KelMediaLabel::KelMediaLabel(TextPosition textPosition, MWidget* parent) : MWidgetController(parent)
{
    setupModelAndView(textPosition);
}

KelMediaLabel::~KelMediaLabel() = default;

void KelMediaLabel::setupModelAndView(TextPosition textPosition)
{
    auto* freshModel = new KelMediaLabelModel;
    auto* freshView = new KelMediaLabelView(this);
    setModel(freshModel);
    setView(freshView);
    freshView->setupTheView(textPosition);
}

KelMediaLabelModel* KelMediaLabel::labelModel() const
{
    return qobject_cast<KelMediaLabelModel*>(model());
}

KelMediaLabelView* KelMediaLabel::labelView() const
{
    // Always the framework's current view: one installed by setView() replaces ours.
    return qobject_cast<KelMediaLabelView*>(view());
}

void KelMediaLabel::setTextPosition(TextPosition textPosition)
{
    if (KelMediaLabelView* v = labelView()) {
        v->setTextPosition(textPosition);
    }
}

void KelMediaLabel::setText(const QString& text, TextLabel label)
{
    if (KelMediaLabelView* v = labelView()) {
        v->setText(text, label);
    }
}

void KelMediaLabel::setTextElide(bool elide, TextLabel label)
{
    if (KelMediaLabelView* v = labelView()) {
        v->setTextElide(elide, label);
    }
}

void KelMediaLabel::setTextAlignment(Qt::Alignment alignment, TextLabel label)
{
    if (KelMediaLabelView* v = labelView()) {
        v->setTextAlignment(alignment, label);
    }
}

void KelMediaLabel::setTextLabelObjectName(const QString& name, TextLabel label)
{
    if (KelMediaLabelView* v = labelView()) {
        v->setTextLabelObjectName(name, label);
    }
}

void KelMediaLabel::setImage(const QString& fileUri)
{
    MImageReader reader;
    reader.setSize(QSize(MaxImageSide, MaxImageSide));
    const MImageWidget image(reader.load(fileUri));
    setImage(image);
}

void KelMediaLabel::setImage(const MImageWidget& image)
{
    if (KelMediaLabelView* v = labelView()) {
        v->setImage(image);
    }
}

void KelMediaLabel::setIconAsImage(const QString& id)
{
    if (KelMediaLabelView* v = labelView()) {
        v->setImage(id);
    }
}

void KelMediaLabel::setObjectNameOfImage(const QString& name)
{
    if (KelMediaLabelView* v = labelView()) {
        v->setObjectNameOfImage(name);
    }
}

void KelMediaLabel::setWidgetToImageLocation(MWidget* widget)
{
    if (KelMediaLabelView* v = labelView()) {
        v->setWidgetToImageLocation(widget);
    } else {
        delete widget; // ours all the same
    }
}

void KelMediaLabel::setLayoutMargins(qreal left, qreal top, qreal right, qreal bottom)
{
    if (KelMediaLabelView* v = labelView()) {
        v->setLayoutMargins(left, top, right, bottom);
    }
}

void KelMediaLabel::setFavoriteMark()
{
    if (KelMediaLabelModel* m = labelModel()) {
        m->setIsFavourite(true);
    }
}

void KelMediaLabel::removeFavoriteMark()
{
    if (KelMediaLabelModel* m = labelModel()) {
        m->setIsFavourite(false);
    }
}

void KelMediaLabel::setPlayStatus(LabelPlayStatus status)
{
    if (KelMediaLabelModel* m = labelModel()) {
        m->setPlayStatus(int(status));
    }
}

void KelMediaLabel::setOutlineVisible(bool visible)
{
    if (KelMediaLabelModel* m = labelModel()) {
        m->setOutlineVisible(visible);
    }
}

void KelMediaLabel::mousePressEvent(QGraphicsSceneMouseEvent* event)
{
    // Accepted so that the release comes here; no pressed look, no feedback.
    event->accept();
}

void KelMediaLabel::mouseReleaseEvent(QGraphicsSceneMouseEvent* event)
{
    Q_UNUSED(event)
    // Wherever the finger is lifted.
    Q_EMIT clicked();
}
