#ifndef KELOVERLAYLABELSTYLE_H
#define KELOVERLAYLABELSTYLE_H

#include "kelmoraglobal.h"

#include <mwidgetstyle.h>

// The attributes of the overlay label's own.
class KELMORA_EXPORT KelOverlayLabelStyleData
{
public:
    virtual ~KelOverlayLabelStyleData();
    qreal overlayHeight = 0.0;
    qreal overlayBottomMargin = 0.0;
};

class KELMORA_EXPORT KelOverlayLabelStyle : public MWidgetStyle
{
    Q_OBJECT
    // The height of the overlay text box.
    Q_PROPERTY(qreal overlayHeight READ overlayHeight WRITE setOverlayHeight)
    // The gap between the box and the lower edge of the picture.
    Q_PROPERTY(qreal overlayBottomMargin READ overlayBottomMargin WRITE setOverlayBottomMargin)

public:
    KelOverlayLabelStyle();
    ~KelOverlayLabelStyle() override;

    const qreal& overlayHeight() const { return data.overlayHeight; }
    void setOverlayHeight(const qreal& height) { data.overlayHeight = height; }
    const qreal& overlayBottomMargin() const { return data.overlayBottomMargin; }
    void setOverlayBottomMargin(const qreal& margin) { data.overlayBottomMargin = margin; }

private:
    KelOverlayLabelStyleData data;
};

#endif
