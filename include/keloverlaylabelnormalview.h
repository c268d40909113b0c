#ifndef KELOVERLAYLABELNORMALVIEW_H
#define KELOVERLAYLABELNORMALVIEW_H

#include "keloverlaylabelview.h"

class MContentItem;

/// Shows the label's item as a content item: title, subtitle, picture and small image. The
/// content item's click is the label's clicked().
class KELMORA_EXPORT KelOverlayLabelNormalView : public KelOverlayLabelView
{
    Q_OBJECT
public:
    /// Builds the content item into @p controller's layout; the framework owns the view.
    explicit KelOverlayLabelNormalView(KelOverlayLabel* controller);
    /// Deletes the content item and takes its layout off the label.
    ~KelOverlayLabelNormalView() override;

    /// The content item, owned by the view.
    MContentItem* item() const { return m_contentItem; }

protected Q_SLOTS:
    /// Copies the named model members to the content item.
    void updateData(const QList<const char*>& modifications) override;

private:
    MContentItem* m_contentItem;
};

#endif
