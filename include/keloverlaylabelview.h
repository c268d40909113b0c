#ifndef KELOVERLAYLABELVIEW_H
#define KELOVERLAYLABELVIEW_H

#include "kelmora_export.h"

#include <mwidgetview.h>

class KelOverlayLabel;
class KelOverlayLabelModel;
class KelOverlayLabelStyle;

/// The base of the overlay label's views: ties the view to its label and routes the model's
/// notifications to updateData() from the first event-loop turn on.
class KELMORA_EXPORT KelOverlayLabelView : public MWidgetView
{
    Q_OBJECT
public:
    /// A view of @p controller; it listens to the model from the next event-loop turn.
    explicit KelOverlayLabelView(KelOverlayLabel* controller);
    /// Abstract: only the normal and overlay views are made.
    ~KelOverlayLabelView() override = 0;

    /// Walks every name of the model, so that a view installed late shows the current item.
    void setupModel() override;

protected:
    /// A new KelOverlayLabelStyleContainer, owned by the caller (the framework).
    MWidgetStyleContainer* createStyleContainer() const override;
    /// "KelOverlayLabelStyle".
    const char* styleType() const override;
    /// The label's model.
    KelOverlayLabelModel* labelModel() const;
    /// The current style of the label; owned by the theme.
    const KelOverlayLabelStyle* labelStyle() const;

    /// The label this view shows; it owns the view.
    KelOverlayLabel* const controller;

private Q_SLOTS:
    void connectModel();
};

#endif
