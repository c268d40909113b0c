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
    m_contentItem = new MContentItem(MContentItem::TwoIconsTwoWidgets);
    m_contentItem->setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::MinimumExpanding,
                                 QSizePolicy::DefaultType);
    m_contentItem->setItemMode(MContentItem::SingleColumnTop);
    connect(m_contentItem, &MContentItem::clicked, controller, &KelOverlayLabel::clicked);
    layout->addItem(m_contentItem);
}

KelOverlayLabelNormalView::~KelOverlayLabelNormalView()
{
    // Replaced or gone: the label keeps nothing of this view, so that the next view gets the
    // presses and the whole area. The controller is reached as the framework's base only, as
    // it may be half torn down.
    QGraphicsLayoutItem* layout = m_contentItem->parentLayoutItem();
    delete m_contentItem;
    if (layout && controllerItem->layout() == layout) {
        controllerItem->setLayout(nullptr);
    }
}

void KelOverlayLabelNormalView::updateData(const QList<const char*>& modifications)
{
    const KelOverlayLabelModel* m = labelModel();
    for (const char* name : modifications) {
        if (name == KelOverlayLabelModel::Title) {
            m_contentItem->setTitle(m->title());
        } else if (name == KelOverlayLabelModel::Subtitle) {
            m_contentItem->setSubtitle(m->subtitle());
        } else if (name == KelOverlayLabelModel::Image) {
            m_contentItem->setPixmap(m->image() ? *m->image() : QPixmap());
        } else if (name == KelOverlayLabelModel::ImageId) {
            m_contentItem->setPixmap(themePixmap(m->imageId()));
        } else if (name == KelOverlayLabelModel::SmallImageId) {
            m_contentItem->setOptionalPixmap(themePixmap(m->smallImageId()));
        }
    }
}
