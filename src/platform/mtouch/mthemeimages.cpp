#include "mtheme_p.h"

#include "mimagereader.h"

#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>

namespace {

constexpr int MaxImageSide = MImageReader::MaxSide;

QString tooLargeImage(const QSize& size)
{
    return QStringLiteral("%1 by %2 pixels, more than the %3 by %3 a theme image may have")
        .arg(size.width())
        .arg(size.height())
        .arg(MaxImageSide);
}

// SVG rendered at the size asked for, PNG (read as PNG only) scaled to it; both within the
// bounds, SVG without references outside the file.
bool makeImage(const QByteArray& data, const QByteArray& format, const QSize& size, QImage& out,
               QString& problem)
{
    MImageReader reader;
    reader.setFormat(format);
    reader.setSize(size, Qt::IgnoreAspectRatio);
    out = reader.fromData(data);
    problem = reader.errorString();
    return !out.isNull();
}

} // namespace

namespace MThemeInternal {

bool withinBounds(const QSize& size)
{
    return size.width() <= MaxImageSide && size.height() <= MaxImageSide;
}

// Of the size asked for (32 by 32 for its own size), within the bounds.
QPixmap placeholder(const QSize& size)
{
    QSize s = size.isEmpty() ? QSize(PlaceholderSide, PlaceholderSide) : size;
    if (!withinBounds(s)) {
        s = s.scaled(MaxImageSide, MaxImageSide, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    }
    QPixmap pixmap(s);
    pixmap.fill(QColor(255, 0, 255));
    QPainter painter(&pixmap);
    painter.setPen(QPen(Qt::black, 2));
    painter.drawLine(0, 0, s.width(), s.height());
    painter.drawLine(0, s.height(), s.width(), 0);
    return pixmap;
}

// The first usable image with that id; else false, and problem tells why when an image was
// there but could not be used.
bool loadImage(const QString& id, const QSize& size, QPixmap& out, QString& problem)
{
    // Ids are names, never paths.
    if (id.isEmpty() || id.contains(QLatin1Char('/')) || id.contains(QLatin1String(".."))) {
        return false;
    }
    if (!withinBounds(size)) {
        problem = QStringLiteral("asked for ") + tooLargeImage(size);
        return false;
    }
    for (const QString& dir : searchPath()) {
        const QString base = QDir(dir).filePath(QStringLiteral("icons/") + id);
        for (const QString& suffix : {QStringLiteral(".svg"), QStringLiteral(".png")}) {
            const QString path = base + suffix;
            if (!QFileInfo::exists(path)) {
                continue;
            }
            QByteArray data;
            QString reason;
            QImage image;
            const bool made = MImageReader::readFile(path, MaxImageFileSize, &data, &reason) &&
                              makeImage(data, suffix.mid(1).toLatin1(), size, image, reason);
            if (made) {
                out = QPixmap::fromImage(image);
                return true;
            }
            if (problem.isEmpty()) {
                problem = QStringLiteral("%1: %2").arg(path, reason);
            }
        }
    }
    return false;
}

} // namespace MThemeInternal
