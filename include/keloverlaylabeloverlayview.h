#ifndef KELOVERLAYLABELOVERLAYVIEW_H
#define KELOVERLAYLABELOVERLAYVIEW_H

#include "keloverlaylabelview.h"

class MImageWidget;
class MLabel;
class MStylableWidget;
class QGraphicsLinearLayout;

// Paints the label's picture over the whole label, an overlay icon in the middle and a white
// tint while pressed, and keeps a text box (title, optional small image) over the lower part
// of the picture. While loading it shows a spinner instead of the picture.
class KELMORA_EXPORT KelOverlayLabelOverlayView : public KelOverlayLabelView
{
    Q_OBJECT
public:
    explicit KelOverlayLabelOverlayView(KelOverlayLabel* controller);
    ~KelOverlayLabelOverlayView() override;

    void setPressedState(bool pressed);
    bool isPressed() const { return pressed; }
    void setSmallImageStyleName(const QString& name);
    void setOverlayTextLabelStyleName(const QString& name);
    void setOverlayBackgroundStyleName(const QString& name);
    void setLoadingGraphics(bool marginShift);

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;
    void setupModel() override;
    void resizeEvent(QGraphicsSceneResizeEvent* event) override;

    // For tests: the parts of the text box and the spinner's holder.
    MStylableWidget* overlayBox() const { return overlayBackground; }
    MLabel* textLabel() const { return overlayTextLabel; }
    MImageWidget* smallImage() const { return smallImageWidget; }
    MStylableWidget* spinnerHolder() const { return spinnerContainer; }

protected Q_SLOTS:
    void updateData(const QList<const char*>& modifications) override;

private Q_SLOTS:
    void resizeOverlayBox();

private:
    void drawImage(QPainter* painter);
    void drawOverlayIcon(QPainter* painter);
    void drawPressedState(QPainter* painter);

    MStylableWidget* overlayBackground;
    MStylableWidget* spinnerContainer;
    QGraphicsLinearLayout* backgroundLayout;
    QGraphicsLinearLayout* spinnerLayout;
    MLabel* overlayTextLabel;
    MImageWidget* smallImageWidget;
    bool pressed;
};

#endif
