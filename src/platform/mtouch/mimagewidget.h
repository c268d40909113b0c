#ifndef MIMAGEWIDGET_H
#define MIMAGEWIDGET_H

#include "mstylablewidget.h"

#include <QImage>
#include <QPixmap>

// An image from the theme (by id) or from a QImage, drawn inside the margins, scaled to fit
// with its aspect ratio kept.
class MTOUCH_EXPORT MImageWidget : public MStylableWidget
{
    Q_OBJECT
public:
    explicit MImageWidget(QGraphicsItem* parent = nullptr);
    explicit MImageWidget(const QString& id, QGraphicsItem* parent = nullptr);
    explicit MImageWidget(const QImage& image, QGraphicsItem* parent = nullptr);
    // A new widget showing the same image.
    MImageWidget(const MImageWidget& other);
    MImageWidget& operator=(const MImageWidget& other);
    ~MImageWidget() override;

    void setImage(const QString& id, const QSize& size = QSize(0, 0));
    void setImage(const QImage& image);
    QString image() const { return m_id; }
    QSize imageSize() const;
    // Where paint() draws the image: its size scaled to fit inside the margins, centred.
    QRectF drawnRect() const;
    const QPixmap* pixmap() const;

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option,
               QWidget* widget = nullptr) override;

protected:
    QSizeF sizeHint(Qt::SizeHint which, const QSizeF& constraint = QSizeF()) const override;

private:
    void releaseTheme();

    QString m_id;
    QSize m_requestedSize;
    const QPixmap* m_themePixmap = nullptr; // owned by the theme
    QPixmap m_ownPixmap;
};

#endif
