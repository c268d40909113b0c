#ifndef KELOVERLAYLABELNORMALVIEW_H
#define KELOVERLAYLABELNORMALVIEW_H

#include "keloverlaylabelview.h"

class MContentItem;

// Shows the label's item as a content item: title, subtitle, picture and small image. The
// content item's click is the label's clicked().
class KELMORA_EXPORT KelOverlayLabelNormalView : public KelOverlayLabelView
{
    Q_OBJECT
public:
    explicit KelOverlayLabelNormalView(KelOverlayLabel* controller);
    ~KelOverlayLabelNormalView() override;

    MContentItem* item() const { return contentItem; }

protected Q_SLOTS:
    void updateData(const QList<const char*>& modifications) override;

private:
    MContentItem* contentItem;
};

#endif
