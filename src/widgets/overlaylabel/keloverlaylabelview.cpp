#include "keloverlaylabelview.h"

#include "keloverlaylabel.h"
#include "keloverlaylabelmodel.h"
#include "keloverlaylabelstylecontainer.h"

#include <QTimer>

KelOverlayLabelView::KelOverlayLabelView(KelOverlayLabel* labelController)
    : MWidgetView(labelController), controller(labelController)
{
    QTimer::singleShot(0, this, &KelOverlayLabelView::connectModel);
}

KelOverlayLabelView::~KelOverlayLabelView() = default;

void KelOverlayLabelView::connectModel()
{
    connect(controller->model(), &MWidgetModel::modified, this, &KelOverlayLabelView::updateData);
}

void KelOverlayLabelView::setupModel()
{
    using M = KelOverlayLabelModel;
    QList<const char*> names{M::Title,          M::Subtitle, M::Image,    M::SmallImageId,
                             M::OverlayImageId, M::IconId,   M::ImageUri, M::Spinner};
    // A theme picture wins over a stored pixmap: its name comes last.
    if (!labelModel()->imageId().isEmpty()) {
        names << M::ImageId;
    }
    updateData(names);
}

MWidgetStyleContainer* KelOverlayLabelView::createStyleContainer() const
{
    return new KelOverlayLabelStyleContainer;
}

const char* KelOverlayLabelView::styleType() const
{
    return "KelOverlayLabelStyle";
}

KelOverlayLabelModel* KelOverlayLabelView::labelModel() const
{
    return static_cast<KelOverlayLabelModel*>(model());
}

const KelOverlayLabelStyle* KelOverlayLabelView::labelStyle() const
{
    return static_cast<const KelOverlayLabelStyleContainer&>(style()).operator->();
}
