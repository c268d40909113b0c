#ifndef KELOVERLAYLABELVIEW_H
#define KELOVERLAYLABELVIEW_H

#include "kelmoraglobal.h"

#include <mwidgetview.h>

class KelOverlayLabel;
class KelOverlayLabelModel;
class KelOverlayLabelStyle;

// The base of the overlay label's views: ties the view to its label and routes the model's
// notifications to updateData() from the first event-loop turn on.
class KELMORA_EXPORT KelOverlayLabelView : public MWidgetView
{
    Q_OBJECT
public:
    explicit KelOverlayLabelView(KelOverlayLabel* controller);
    ~KelOverlayLabelView() override = 0;

    // Walks every name of the model, so that a view installed late shows the current item.
    void setupModel() override;

protected:
    MWidgetStyleContainer* createStyleContainer() const override;
    const char* styleType() const override;
    KelOverlayLabelModel* labelModel() const;
    const KelOverlayLabelStyle* labelStyle() const;

    KelOverlayLabel* const controller;

private Q_SLOTS:
    void connectModel();
};

#endif
