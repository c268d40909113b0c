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
    using TextPosition = KelMediaLabel::TextPosition;
    using TextLabel = KelMediaLabel::TextLabel;

    explicit KelMediaLabelView(KelMediaLabel* controller);
    ~KelMediaLabelView() override;

    /// Once, by the label: the cells and the grid layout, installed on the label.
    void setupTheView(TextPosition position);
    void setTextPosition(TextPosition position);
    void setWidgetPositions(TextPosition position);

    void setText(const QString& text, TextLabel label);
    /// A new label in its cell; one there before under that name is deleted.
    MLabel* createLabel(TextLabel label, const QString& text);
    void setTextElide(bool elide, TextLabel label);
    void setTextAlignment(Qt::Alignment alignment, TextLabel label);
    void setTextLabelObjectName(const QString& name, TextLabel label);
    void setLabelToLayout(TextLabel label);
    void setTextLabelsToLayout();

    void setImage(const MImageWidget& image);
    /// Without an image yet, makes one.
    void setImage(const QString& id);
    void setObjectNameOfImage(const QString& name);
    /// Takes ownership of widget; the widget already there is kept, null removes the image.
    void setWidgetToImageLocation(MWidget* widget);
    void setImageToLayout();
    void setLayoutMargins(qreal left, qreal top, qreal right, qreal bottom);

    /// Top-left points of the marks for an icon of that pixmap's size: at the right edge,
    /// centred vertically; left of the image as drawn when it is on the right, centred in the
    /// room under it when it is on top; always inside the widget.
    QPoint locationOfFavouriteIcon(const QPixmap* icon) const;
    QPoint locationOfPlayStatusIcon(const QPixmap* icon) const;

    /// For tests and diagnostics.
    TextPosition position() const { return textPosition; }
    MLabel* textLabel(TextLabel which) const { return textLabels.value(which).data(); }
    MWidget* imageItem() const { return imageWidget; }
    QGraphicsGridLayout* grid() const { return gridLayout; }

protected:
    MWidgetStyleContainer* createStyleContainer() const override;
    const char* styleType() const override;
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

    KelMediaLabel* const controller;
    TextPosition textPosition = KelMediaLabel::TextLeftOfImage;
    QGraphicsGridLayout* gridLayout = nullptr;
    // Guarded: textLabel() hands them out, and a label may become the image or be deleted.
    QHash<TextLabel, QPointer<MLabel>> textLabels;
    QHash<TextLabel, QPoint> labelPositions;
    // Guarded: a widget handed in may be deleted by its giver.
    QPointer<MWidget> imageWidget;
    QPoint imagePosition;
    QString currentIconId;
};

#endif
