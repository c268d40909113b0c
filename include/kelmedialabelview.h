#ifndef KELMEDIALABELVIEW_H
#define KELMEDIALABELVIEW_H

#include "kelmedialabel.h"

#include <mlabel.h>
#include <mwidgetview.h>

#include <QHash>
#include <QPoint>
#include <QPointer>

class KelMediaLabelModel;
class KelMediaLabelStyle;
class MImageWidget;

class MWidget;
class QGraphicsGridLayout;
class QGraphicsWidget;

/// The media label's only view: one grid with the image in one cell and up to four text labels
/// in a two-by-two block beside, above or below it; paints the outline and the favourite and
/// play-status marks over the finished widget. Labels and the image are created here, live in
/// the label's item tree and go with this view.
class KELMORA_EXPORT KelMediaLabelView : public MWidgetView
{
    Q_OBJECT
public:
    /// See KelMediaLabel::TextPosition.
    using TextPosition = KelMediaLabel::TextPosition;
    /// See KelMediaLabel::TextLabel.
    using TextLabel = KelMediaLabel::TextLabel;

    /// A view of @p controller, without cells until setupTheView(); the framework owns it.
    explicit KelMediaLabelView(KelMediaLabel* controller);
    /// Deletes the texts and the image and takes the grid off the label.
    ~KelMediaLabelView() override;

    /// Once, by the label: the cells and the grid layout, installed on the label.
    void setupTheView(TextPosition position);
    /// Moves the texts and the image to the cells of @p position.
    void setTextPosition(TextPosition position);
    /// Records the cells of @p position without moving anything.
    void setWidgetPositions(TextPosition position);

    /// Sets the text of @p label, making the label when needed; an empty text deletes it.
    void setText(const QString& text, TextLabel label);
    /// A new label in its cell; one there before under that name is deleted.
    MLabel* createLabel(TextLabel label, const QString& text);
    /// See KelMediaLabel::setTextElide().
    void setTextElide(bool elide, TextLabel label);
    /// See KelMediaLabel::setTextAlignment().
    void setTextAlignment(Qt::Alignment alignment, TextLabel label);
    /// See KelMediaLabel::setTextLabelObjectName().
    void setTextLabelObjectName(const QString& name, TextLabel label);
    /// Puts @p label in its cell (a left label spans its row when only the other row has a
    /// right label).
    void setLabelToLayout(TextLabel label);
    /// Puts every text label in its cell again.
    void setTextLabelsToLayout();

    /// A copy of @p image replaces the image (keeping its object name).
    void setImage(const MImageWidget& image);
    /// Without an image yet, makes one.
    void setImage(const QString& id);
    /// See KelMediaLabel::setObjectNameOfImage().
    void setObjectNameOfImage(const QString& name);
    /// Takes ownership of widget; the widget already there is kept, null removes the image.
    void setWidgetToImageLocation(MWidget* widget);
    /// Puts the image in its cell.
    void setImageToLayout();
    /// Sets the grid's margins (nothing before setupTheView()).
    void setLayoutMargins(qreal left, qreal top, qreal right, qreal bottom);

    /// Top-left points of the marks for an icon of that pixmap's size (in device-independent
    /// pixels): at the right edge, centred vertically; left of the image as drawn when it is
    /// on the right, centred in the room under it when it is on top; always inside the widget.
    QPoint locationOfFavouriteIcon(const QPixmap* icon) const;
    /// The same for the play-status mark, drawn left of the favourite mark.
    QPoint locationOfPlayStatusIcon(const QPixmap* icon) const;

    /// For tests and diagnostics.
    TextPosition position() const { return m_textPosition; }
    /// The label of @p which, owned by the view; null when none.
    MLabel* textLabel(TextLabel which) const { return m_textLabels.value(which).data(); }
    /// The image (or the widget put in its place), owned by the view; null when none.
    MWidget* imageItem() const { return m_imageWidget; }
    /// The grid, owned by the label; null before setupTheView().
    QGraphicsGridLayout* grid() const { return m_gridLayout; }

protected:
    /// A new KelMediaLabelStyleContainer, owned by the caller (the framework).
    MWidgetStyleContainer* createStyleContainer() const override;
    /// "KelMediaLabelStyle".
    const char* styleType() const override;
    /// Draws the outline, then the favourite and play-status marks over the finished widget.
    void drawForeground(QPainter* painter, const QStyleOptionGraphicsItem* option) const override;

private:
    KelMediaLabelModel* labelModel() const;
    const KelMediaLabelStyle* labelStyle() const;
    void replaceImage(MWidget* widget);
    void place(QGraphicsWidget* item, const QPoint& cell, int rowSpan, int columnSpan,
               Qt::Alignment alignment);
    void takeFromGrid(QGraphicsWidget* item);
    QPoint iconLocation(const QPixmap* icon, int iconsFromRight) const;
    void repaint();
    void forgetGoneLabels();

    KelMediaLabel* const m_controller;
    TextPosition m_textPosition = KelMediaLabel::TextLeftOfImage;
    QGraphicsGridLayout* m_gridLayout = nullptr;
    // Guarded: textLabel() hands them out, and a label may become the image or be deleted.
    QHash<TextLabel, QPointer<MLabel>> m_textLabels;
    QHash<TextLabel, QPoint> m_labelPositions;
    // Guarded: a widget handed in may be deleted by its giver.
    QPointer<MWidget> m_imageWidget;
    QPoint m_imagePosition;
    QString m_currentIconId;
};

#endif
