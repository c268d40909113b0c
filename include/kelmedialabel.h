#ifndef KELMEDIALABEL_H
#define KELMEDIALABEL_H

#include "kelmora_export.h"

#include <mwidgetcontroller.h>

class KelMediaLabelModel;
class KelMediaLabelView;
class MImageWidget;

/// @brief Shows one media item as an image with up to four texts beside, above or below it,
/// and a favourite mark, a play or pause mark and an outline over it.
///
/// Every release that reaches the label after a press on it emits clicked(). The label owns
/// its model and view through the widget framework; the texts and the image are items of the
/// view and go with it. Style class "KelMediaLabelStyle". Main thread only.
class KELMORA_EXPORT KelMediaLabel : public MWidgetController
{
    Q_OBJECT
public:
    /// Where the block of texts stands; any other value acts as TextLeftOfImage.
    enum TextPosition : int {
        /// Texts left of the image.
        TextLeftOfImage = 0,
        /// Texts right of the image.
        TextRightOfImage = 1,
        /// Texts above the image.
        TextAboveImage = 2,
        /// Texts below the image.
        TextBelowImage = 3
    };
    /// One text of the two-by-two block; operations with any other value do nothing.
    enum TextLabel : int {
        /// Upper row, first column.
        TopLeftLabel = 0,
        /// Upper row, second column.
        TopRightLabel = 1,
        /// Lower row, first column.
        BottomLeftLabel = 2,
        /// Lower row, second column.
        BottomRightLabel = 3
    };
    /// The mark drawn for the play status: none, play or pause. Any other value is stored and
    /// draws no mark.
    enum LabelPlayStatus : int { PlayStatusNone = 0, PlayStatusPlay = 1, PlayStatusPause = 2 };
    /** @var KelMediaLabel::PlayStatusNone
        No mark. */
    /** @var KelMediaLabel::PlayStatusPlay
        The play mark (style attribute "playIconId"). */
    /** @var KelMediaLabel::PlayStatusPause
        The pause mark (style attribute "pauseIconId"). */

    /// A label with texts at @p textPosition; owned by @p parent when given, as any graphics item.
    explicit KelMediaLabel(TextPosition textPosition = TextLeftOfImage, MWidget* parent = nullptr);
    /// The framework deletes the model and the view, and with it the texts and the image.
    ~KelMediaLabel() override;

    /// Creates and installs a new model and view (the framework owns both).
    void setupModelAndView(TextPosition textPosition);

    /// Moves the block of texts (and the image) to the cells of @p textPosition.
    void setTextPosition(TextPosition textPosition);
    /// An empty text removes that label.
    void setText(const QString& text, TextLabel label);
    /// Elides the text of @p label when it does not fit (creating an empty label if needed).
    void setTextElide(bool elide, TextLabel label);
    /// Aligns the text of @p label (creating an empty label if needed).
    void setTextAlignment(Qt::Alignment alignment, TextLabel label);
    /// Gives @p label the object name by which the theme styles it.
    void setTextLabelObjectName(const QString& name, TextLabel label);

    /// The image becomes a copy of image.
    void setImage(const MImageWidget& image);
    /// The image becomes the theme image with this id.
    void setIconAsImage(const QString& id);
    /// Gives the image the object name by which the theme styles it (makes an empty image when
    /// there is none).
    void setObjectNameOfImage(const QString& name);
    /// Takes ownership of widget, which replaces the image (the one there before is deleted);
    /// one of the label's own text labels handed in is a text label no more.
    void setWidgetToImageLocation(MWidget* widget);
    /// Sets the margins of the grid around the image and the texts.
    void setLayoutMargins(qreal left, qreal top, qreal right, qreal bottom);

    /// Shows the favourite mark.
    void setFavoriteMark();
    /// Hides the favourite mark.
    void removeFavoriteMark();
    /// Shows the play or pause mark (or none).
    void setPlayStatus(LabelPlayStatus status);
    /// Shows or hides the outline (shown by default).
    void setOutlineVisible(bool visible);

    /// The framework's current model and view when they are the label's own kind, else null.
    KelMediaLabelModel* labelModel() const;
    /// The view when it is a KelMediaLabelView, else null; owned by the framework.
    KelMediaLabelView* labelView() const;

Q_SIGNALS:
    /// A release reached the label after a press on it, wherever the pointer was lifted.
    void clicked();

public Q_SLOTS:
    /// Reads the image file (a path or a file: URL) through MImageReader, scaled down to fit
    /// 2048 by 2048; a refused one gives an empty image and one warning.
    void setImage(const QString& fileUri);

protected:
    /// Accepts the press so that the release comes here; no pressed look, no feedback.
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
    /// Emits clicked().
    void mouseReleaseEvent(QGraphicsSceneMouseEvent* event) override;
};

#endif
