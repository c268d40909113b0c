#ifndef KELMEDIALABEL_H
#define KELMEDIALABEL_H

#include "kelmoraglobal.h"

#include <mwidgetcontroller.h>

class KelMediaLabelModel;
class KelMediaLabelView;
class MImageWidget;

/// Shows one media item as an image with up to four texts beside, above or below it, and a
/// favourite mark, a play or pause mark and an outline over it. Every release that reaches the
/// label after a press on it emits clicked().
class KELMORA_EXPORT KelMediaLabel : public MWidgetController
{
    Q_OBJECT
public:
    /// Where the block of texts stands; any other value acts as TextLeftOfImage.
    enum TextPosition : int {
        TextLeftOfImage = 0,
        TextRightOfImage = 1,
        TextAboveImage = 2,
        TextBelowImage = 3
    };
    /// One text of the two-by-two block; operations with any other value do nothing.
    enum TextLabel : int {
        TopLeftLabel = 0,
        TopRightLabel = 1,
        BottomLeftLabel = 2,
        BottomRightLabel = 3
    };
    /// Any other value is stored and draws no mark.
    enum LabelPlayStatus : int { PlayStatusNone = 0, PlayStatusPlay = 1, PlayStatusPause = 2 };

    explicit KelMediaLabel(TextPosition textPosition = TextLeftOfImage, MWidget* parent = nullptr);
    ~KelMediaLabel() override;

    /// Creates and installs a new model and view (the framework owns both).
    void setupModelAndView(TextPosition textPosition);

    void setTextPosition(TextPosition textPosition);
    /// An empty text removes that label.
    void setText(const QString& text, TextLabel label);
    void setTextElide(bool elide, TextLabel label);
    void setTextAlignment(Qt::Alignment alignment, TextLabel label);
    void setTextLabelObjectName(const QString& name, TextLabel label);

    /// The image becomes a copy of image.
    void setImage(const MImageWidget& image);
    /// The image becomes the theme image with this id.
    void setIconAsImage(const QString& id);
    void setObjectNameOfImage(const QString& name);
    /// Takes ownership of widget, which replaces the image (the one there before is deleted);
    /// one of the label's own text labels handed in is a text label no more.
    void setWidgetToImageLocation(MWidget* widget);
    void setLayoutMargins(qreal left, qreal top, qreal right, qreal bottom);

    void setFavoriteMark();
    void removeFavoriteMark();
    void setPlayStatus(LabelPlayStatus status);
    void setOutlineVisible(bool visible);

    /// The framework's current model and view when they are the label's own kind, else null.
    KelMediaLabelModel* labelModel() const;
    KelMediaLabelView* labelView() const;

Q_SIGNALS:
    void clicked();

public Q_SLOTS:
    /// Reads the image file (a path or a file: URL) through MImageReader, scaled down to fit
    /// 2048 by 2048; a refused one gives an empty image and one warning.
    void setImage(const QString& fileUri);

protected:
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent* event) override;
};

#endif
