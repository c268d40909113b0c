#ifndef MIMAGEWIDGET_H
#define MIMAGEWIDGET_H

#include "mstylablewidget.h"

#include <QImage>
#include <QPixmap>

/// An image from the theme (by id) or from a QImage, drawn inside the margins, scaled to fit
/// with its aspect ratio kept.
///
/// A theme image is shared with MTheme and given back when the image changes or the widget
/// goes. Main thread only.
class MTOUCH_EXPORT MImageWidget : public MStylableWidget
{
    Q_OBJECT
public:
    /// A widget without image; \a parent (an item) owns it.
    explicit MImageWidget(QGraphicsItem* parent = nullptr);
    /// A widget showing the theme image \a id at its own size; \a parent (an item) owns it.
    explicit MImageWidget(const QString& id, QGraphicsItem* parent = nullptr);
    /// A widget showing a copy of \a image; \a parent (an item) owns it.
    explicit MImageWidget(const QImage& image, QGraphicsItem* parent = nullptr);
    /// A new widget, without parent, showing the same image under the same style name.
    MImageWidget(const MImageWidget& other);
    /// Shows the image of \a other and takes its style name; parent and geometry stay.
    MImageWidget& operator=(const MImageWidget& other);
    /// Gives a theme image back to MTheme.
    ~MImageWidget() override;

    /// Shows the theme image \a id at \a size (0 by 0: its own size; see MTheme::pixmap()); an
    /// empty id clears the image.
    void setImage(const QString& id, const QSize& size = QSize(0, 0));
    /// Shows a copy of \a image instead of a theme image.
    void setImage(const QImage& image);
    /// The theme image's id; empty when none (also while a QImage is shown).
    QString image() const { return m_id; }
    /// The size of the image shown, before scaling; empty when none.
    QSize imageSize() const;
    /// Where paint() draws the image: its size scaled to fit inside the margins, centred.
    QRectF drawnRect() const;
    /// The image shown, never null (a null pixmap when none); owned by the widget or the theme
    /// and valid until the image changes.
    const QPixmap* pixmap() const;

    /// Paints the view's background, then the image in drawnRect().
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget = nullptr) override;

protected:
    /// Preferred: the style's preferred size, else the image's; minimum: nothing.
    QSizeF sizeHint(Qt::SizeHint which, const QSizeF& constraint = QSizeF()) const override;

private:
    void releaseTheme();

    QString m_id;
    QSize m_requestedSize;
    const QPixmap* m_themePixmap = nullptr; // owned by the theme
    QPixmap m_ownPixmap;
};

#endif
