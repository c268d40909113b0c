#ifndef KELOVERLAYLABELOVERLAYVIEW_H
#define KELOVERLAYLABELOVERLAYVIEW_H

#include "keloverlaylabelview.h"

class MImageWidget;
class MLabel;
class MStylableWidget;
class QGraphicsLinearLayout;

/// Paints the label's picture over the whole label, an overlay icon in the middle and a white
/// tint while pressed, and keeps a text box (title, optional small image) over the lower part
/// of the picture. While loading it shows a spinner instead of the picture.
class KELMORA_EXPORT KelOverlayLabelOverlayView : public KelOverlayLabelView
{
    Q_OBJECT
public:
    /// Builds the text box and the spinner's holder as children of @p controller and applies the
    /// label's construction style name; the framework owns the view.
    explicit KelOverlayLabelOverlayView(KelOverlayLabel* controller);
    /// The text box and the holder go with the label's item tree.
    ~KelOverlayLabelOverlayView() override;

    /// Shows or hides the white pressed tint from the next paint.
    void setPressedState(bool pressed);
    /// Whether the pressed tint is shown.
    bool isPressed() const { return m_pressed; }
    /// Style name of the small image.
    void setSmallImageStyleName(const QString& name);
    /// Style name of the text box's label (default "OverlayText").
    void setOverlayTextLabelStyleName(const QString& name);
    /// Style name of the text box's background.
    void setOverlayBackgroundStyleName(const QString& name);
    /// Places the model's spinner in the middle of the label (moved up and left by the left
    /// margin with @p marginShift) and hides the text box; nothing without a spinner.
    void setLoadingGraphics(bool marginShift);

    /// Draws the picture (none while loading), the overlay icon and the pressed tint.
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;
    /// Shows the current item and, while loading, the spinner.
    void setupModel() override;
    /// Keeps the text box over the lower part of the picture.
    void resizeEvent(QGraphicsSceneResizeEvent* event) override;

    /// For tests: the parts of the text box and the spinner's holder.
    MStylableWidget* overlayBox() const { return m_overlayBackground; }
    /// The text box's label, owned by the view.
    MLabel* textLabel() const { return m_overlayTextLabel; }
    /// The small image, owned by the view.
    MImageWidget* smallImage() const { return m_smallImageWidget; }
    /// The spinner's holder, a child of the label.
    MStylableWidget* spinnerHolder() const { return m_spinnerContainer; }

protected Q_SLOTS:
    /// Shows the named model members.
    void updateData(const QList<const char*>& modifications) override;

private Q_SLOTS:
    void resizeOverlayBox();

private:
    void drawImage(QPainter* painter);
    void drawOverlayIcon(QPainter* painter);
    void drawPressedState(QPainter* painter);

    MStylableWidget* m_overlayBackground;
    MStylableWidget* m_spinnerContainer;
    QGraphicsLinearLayout* m_backgroundLayout;
    QGraphicsLinearLayout* m_spinnerLayout;
    MLabel* m_overlayTextLabel;
    MImageWidget* m_smallImageWidget;
    bool m_pressed;
};

#endif
