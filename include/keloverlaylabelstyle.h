#ifndef KELOVERLAYLABELSTYLE_H
#define KELOVERLAYLABELSTYLE_H

#include "kelmora_export.h"

#include <mwidgetstyle.h>

/// The attributes of the overlay label's own.
class KELMORA_EXPORT KelOverlayLabelStyleData
{
public:
    /// Virtual, so that a style's data may be extended.
    virtual ~KelOverlayLabelStyleData();
    /// See KelOverlayLabelStyle::overlayHeight().
    qreal overlayHeight = 0.0;
    /// See KelOverlayLabelStyle::overlayBottomMargin().
    qreal overlayBottomMargin = 0.0;
};

/// @brief The theme style of the overlay label (style class "KelOverlayLabelStyle"): the
/// widget attributes and the text box's geometry. Made and owned by the theme.
class KELMORA_EXPORT KelOverlayLabelStyle : public MWidgetStyle
{
    Q_OBJECT
    // The height of the overlay text box.
    Q_PROPERTY(qreal overlayHeight READ overlayHeight WRITE setOverlayHeight)
    // The gap between the box and the lower edge of the picture.
    Q_PROPERTY(qreal overlayBottomMargin READ overlayBottomMargin WRITE setOverlayBottomMargin)

public:
    /// A style with the attributes zero.
    KelOverlayLabelStyle();
    /// Destroys the style; only the theme does.
    ~KelOverlayLabelStyle() override;

    /// The height of the overlay text box (theme attribute "overlayHeight").
    const qreal& overlayHeight() const { return m_data.overlayHeight; }
    /// Sets the text box's height.
    void setOverlayHeight(const qreal& height) { m_data.overlayHeight = height; }
    /// The gap between the box and the lower edge of the picture ("overlayBottomMargin").
    const qreal& overlayBottomMargin() const { return m_data.overlayBottomMargin; }
    /// Sets the gap.
    void setOverlayBottomMargin(const qreal& margin) { m_data.overlayBottomMargin = margin; }

private:
    KelOverlayLabelStyleData m_data;
};

#endif
