#ifndef GALLERYRENDER_H
#define GALLERYRENDER_H

#include <QColor>
#include <QGraphicsScene>
#include <QGraphicsWidget>
#include <QImage>
#include <QPainter>
#include <QString>

// Renders a widget, with what its scene shows over it, into a PNG file on a plain background.
inline bool renderToPng(QGraphicsWidget* widget, const QString& path, const QColor& background)
{
    QImage image(widget->size().toSize(), QImage::Format_ARGB32_Premultiplied);
    image.fill(background);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    widget->scene()->render(&painter, QRectF(image.rect()), widget->sceneBoundingRect());
    painter.end();
    return image.save(path);
}

#endif
