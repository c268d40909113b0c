#ifndef GALLERYRENDER_H
#define GALLERYRENDER_H

#include <QColor>
#include <QDir>
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

// Draws offscreen unless a platform is set; call before the application is made.
inline void useOffscreenUnlessSet()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
}

// The output directory from the first argument ("gallery" without one), made if missing.
inline QString outputDirectory(int argc, char** argv)
{
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("gallery");
    QDir().mkpath(out);
    return out;
}

#endif
