#ifndef MIMAGEREADER_H
#define MIMAGEREADER_H

#include "mtouchglobal.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

// Makes images from outside (files, downloads, theme files) within fixed bounds: files are
// read only when regular and small, opened without waiting (a named pipe or a device is
// refused, never waited on); an image's size is read from its header and checked before any
// pixel is decoded. SVG images are drawn only after every reference outside the document is
// dropped (an <image> is kept only when it is a small data: URI within the same bounds).
// Every refusal gives a null image and a readable errorString().
class QImageReader;

class MTOUCH_EXPORT MImageReader
{
public:
    // A file (or a data: URI in an SVG) larger than this is not read.
    static constexpr qint64 MaxFileSize = 16 * 1024 * 1024;
    static constexpr qint64 MaxDataUriSize = 1024 * 1024;
    // No image made is wider or higher than this.
    static constexpr int MaxSide = 4096;
    // An image whose header claims more pixels is refused, unless its format decodes at a
    // reduced scale (JPEG, by up to MaxScaleDown per side), then it is decoded that way.
    static constexpr qint64 MaxPixels = qint64(MaxSide) * MaxSide;
    static constexpr int MaxScaleDown = 8;

    MImageReader() = default;

    // The image fits inside size keeping its proportions and is never enlarged
    // (Qt::KeepAspectRatio), or is made exactly that size (Qt::IgnoreAspectRatio).
    // An empty size: the image's own size, shrunk to fit MaxSide by MaxSide.
    void setSize(const QSize& size, Qt::AspectRatioMode mode = Qt::KeepAspectRatio);
    // Only images of this format ("png", "svg", "jpeg", ...); empty (the default): any.
    void setFormat(const QByteArray& format) { m_format = format; }
    void setMaxFileSize(qint64 bytes) { m_maxFileSize = bytes; }

    // A local path, a file: URL or a Qt resource (":/...").
    QImage read(const QString& path);
    QImage fromData(const QByteArray& data);
    // read(), and on refusal one warning (category kelmora.mtouch) naming the file and why.
    QImage load(const QString& path);
    QString errorString() const { return m_error; }
    // Whether data (a file's bytes for checkFile) is one whole image within the bounds: for
    // PNG and JPEG told from the header and the layout without decoding pixels (PNG: every
    // chunk in place and IEND last; JPEG: every segment in place up to the end marker), so a
    // body cut short never passes; other formats are decoded. Pixel data itself is checked
    // when the image is made.
    bool isWholeImage(const QByteArray& data);
    bool checkFile(const QString& path);

    // Reads a whole regular file (or resource) of at most maxSize bytes without ever waiting
    // on a pipe or a device; false with a readable reason otherwise.
    static bool readFile(const QString& path, qint64 maxSize, QByteArray* data, QString* error);
    // The SVG document without its references to anything outside it; empty when the data
    // is not a well-formed SVG document.
    static QByteArray withoutExternalReferences(const QByteArray& svg, QString* error = nullptr);

private:
    QImage fail(const QString& error);
    // The format of a raster image within the bounds, from its header; empty when refused.
    QByteArray probe(QImageReader* reader, QSize* own);
    QImage renderSvg(const QByteArray& data);
    QSize targetSize(const QSize& own) const;

    QSize m_size;
    Qt::AspectRatioMode m_mode = Qt::KeepAspectRatio;
    QByteArray m_format;
    qint64 m_maxFileSize = MaxFileSize;
    QString m_error;
};

#endif
