#include "keloverlaylabelnormalview.h"

#include "keloverlaylabel.h"
#include "keloverlaylabelmodel.h"

#include <mcontentitem.h>
#include <mtheme.h>

#include <QGraphicsLinearLayout>

namespace {
// A copy for the content item; an empty id (a cleared image) is no image.
QPixmap themePixmap(const QString& id)
{
    if (id.isEmpty()) {
        return QPixmap();
    }
    const QPixmap* themed = MTheme::pixmap(id);
    QPixmap copy = *themed;
    MTheme::releasePixmap(themed);
    return copy;
}
} // namespace

KelOverlayLabelNormalView::KelOverlayLabelNormalView(KelOverlayLabel* labelController)
    : KelOverlayLabelView(labelController)
{
    auto* layout = new QGraphicsLinearLayout(Qt::Vertical);
    layout->setContentsMargins(0, 0, 0, 0);
    controller->setLayout(layout);
    controller->setObjectName(QStringLiteral("CommonPanel"));
    contentItem = new MContentItem(MContentItem::TwoIconsTwoWidgets);
    contentItem->setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::MinimumExpanding,
                               QSizePolicy::DefaultType);
    contentItem->setItemMode(MContentItem::SingleColumnTop);
    connect(contentItem, &MContentItem::clicked, controller, &KelOverlayLabel::clicked);
    layout->addItem(contentItem);
}

KelOverlayLabelNormalView::~KelOverlayLabelNormalView()
{
    // Replaced or gone: the label keeps nothing of this view, so that the next view gets the
    // presses and the whole area. The controller is reached as the framework's base only, as
    // it may be half torn down.
    QGraphicsLayoutItem* layout = contentItem->parentLayoutItem();
    delete contentItem;
    if (layout && controllerItem->layout() == layout) {
        controllerItem->setLayout(nullptr);
    }
}

void KelOverlayLabelNormalView::updateData(const QList<const char*>& modifications)
{
    const KelOverlayLabelModel* m = labelModel();
    for (const char* name : modifications) {
        if (name == KelOverlayLabelModel::Title) {
            contentItem->setTitle(m->title());
        } else if (name == KelOverlayLabelModel::Subtitle) {
            contentItem->setSubtitle(m->subtitle());
        } else if (name == KelOverlayLabelModel::Image) {
            contentItem->setPixmap(m->image() ? *m->image() : QPixmap());
        } else if (name == KelOverlayLabelModel::ImageId) {
            contentItem->setPixmap(themePixmap(m->imageId()));
        } else if (name == KelOverlayLabelModel::SmallImageId) {
            contentItem->setOptionalPixmap(themePixmap(m->smallImageId()));
        }
    }
}
