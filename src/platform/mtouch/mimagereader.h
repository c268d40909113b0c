#ifndef MIMAGEREADER_H
#define MIMAGEREADER_H

#include "mtouch_export.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

class QImageReader;

/// Makes images from outside (files, downloads, theme files) within fixed bounds: files are
/// read only when regular and small, opened without waiting (a named pipe or a device is
/// refused, never waited on); an image's size is read from its header and checked before any
/// pixel is decoded. SVG images are drawn only after every reference outside the document is
/// dropped (an \<image\> is kept only when it is a small data: URI within the same bounds).
/// Every refusal gives a null image and a readable errorString().
///
/// A value object for one caller at a time; QImage only, so it works on any thread (the
/// library uses it on the main thread, where reading a bounded regular file is brief).
class MTOUCH_EXPORT MImageReader
{
public:
    /// A file (or a data: URI in an SVG) larger than this is not read.
    static constexpr qint64 MaxFileSize = 16 * 1024 * 1024;
    /// The largest data: URI an SVG \<image\> may hold.
    static constexpr qint64 MaxDataUriSize = 1024 * 1024;
    /// No image made is wider or higher than this.
    static constexpr int MaxSide = 4096;
    /// An image whose header claims more pixels is refused, unless its format decodes at a
    /// reduced scale (JPEG, by up to MaxScaleDown per side), then it is decoded that way.
    static constexpr qint64 MaxPixels = qint64(MaxSide) * MaxSide;
    /// The largest reduction per side at which a format that can is decoded.
    static constexpr int MaxScaleDown = 8;

    /// A reader of any format at the image's own size, with MaxFileSize.
    MImageReader() = default;

    /// The image fits inside size keeping its proportions and is never enlarged
    /// (Qt::KeepAspectRatio), or is made exactly that size (Qt::IgnoreAspectRatio).
    /// An empty size: the image's own size, shrunk to fit MaxSide by MaxSide.
    void setSize(const QSize& size, Qt::AspectRatioMode mode = Qt::KeepAspectRatio);
    /// Only images of this format ("png", "svg", "jpeg", ...); empty (the default): any.
    void setFormat(const QByteArray& format) { m_format = format; }
    /// Lowers (or raises) the largest file read, MaxFileSize by default.
    void setMaxFileSize(qint64 bytes) { m_maxFileSize = bytes; }

    /// The image of \a path: a local path, a file: URL or a Qt resource (":/..."); null on
    /// refusal, with errorString() saying why.
    QImage read(const QString& path);
    /// The image encoded in \a data, within the same bounds; null on refusal.
    QImage fromData(const QByteArray& data);
    /// read(), and on refusal one warning (category kelmora.mtouch) naming the file and why.
    QImage load(const QString& path);
    /// Why the last read() or fromData() gave a null image; empty after success.
    QString errorString() const { return m_error; }
    /// Whether data (a file's bytes for checkFile) is one whole image within the bounds: for
    /// PNG and JPEG told from the header and the layout without decoding pixels (PNG: every
    /// chunk in place and IEND last; JPEG: every segment in place up to the end marker), so a
    /// body cut short never passes; other formats are decoded. Pixel data itself is checked
    /// when the image is made.
    bool isWholeImage(const QByteArray& data);
    /// The same check on the file at \a path, read within the file bounds.
    bool checkFile(const QString& path);

    /// Reads a whole regular file (or resource) of at most maxSize bytes into \a data without
    /// ever waiting on a pipe or a device; false with a readable reason in \a error otherwise.
    static bool readFile(const QString& path, qint64 maxSize, QByteArray* data, QString* error);
    /// The SVG document without its references to anything outside it; empty when the data
    /// is not a well-formed SVG document (\a error, when given, says why).
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
