#include "mimagereader.h"

#include "mtouchlogging_p.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QSvgRenderer>
#include <QUrl>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QByteArray Svg("svg");
const QByteArray Png("png");
const QByteArray Jpeg("jpeg");

quint32 bigEndian(const QByteArray& data, int at, int bytes)
{
    quint32 value = 0;
    for (int i = 0; i < bytes; ++i) {
        value = value << 8 | uchar(data.at(at + i));
    }
    return value;
}

// Every chunk lies within the data, and IEND ends it exactly.
bool pngIsWhole(const QByteArray& data)
{
    const int ChunkFrame = 12; // length, type and CRC
    bool pixels = false;
    for (int at = 8; at + ChunkFrame <= data.size();) {
        const quint32 length = bigEndian(data, at, 4);
        if (length > quint32(data.size() - at - ChunkFrame)) {
            return false;
        }
        const QByteArray type = data.mid(at + 4, 4);
        at += ChunkFrame + int(length);
        if (type == "IEND") {
            return pixels && at == data.size();
        }
        pixels = pixels || type == "IDAT";
    }
    return false;
}

// Every segment lies within the data up to the end marker (what follows it, decoders
// ignore); entropy-coded data holds no marker but restarts and stuffed bytes.
bool jpegIsWhole(const QByteArray& data)
{
    const int size = data.size();
    const char* bytes = data.constData();
    int at = 2; // after the start marker
    while (at + 1 < size && uchar(bytes[at]) == 0xFF) {
        const uchar marker = uchar(bytes[at + 1]);
        if (marker == 0xFF) { // fill byte
            ++at;
        } else if (marker == 0xD9) {
            return true;
        } else if ((marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
            at += 2; // no length
        } else if (at + 4 > size) {
            return false;
        } else {
            const int length = int(bigEndian(data, at + 2, 2));
            if (length < 2 || at + 2 + length > size) {
                return false;
            }
            at += 2 + length;
            if (marker == 0xDA) { // scan data up to the next marker
                for (;;) {
                    const void* ff = std::memchr(bytes + at, 0xFF, size_t(size - at));
                    if (!ff) {
                        return false;
                    }
                    at = int(static_cast<const char*>(ff) - bytes);
                    const uchar next = at + 1 < size ? uchar(bytes[at + 1]) : 0;
                    if (next != 0 && !(next >= 0xD0 && next <= 0xD7)) {
                        break;
                    }
                    at += 2;
                }
            }
        }
    }
    return false;
}

QString tooLarge(const QSize& size)
{
    return QStringLiteral("%1 by %2 pixels, more than an image may have")
        .arg(size.width())
        .arg(size.height());
}

// SVG is read as text only: a compressed one could inflate without bound.
bool looksLikeSvg(const QByteArray& data)
{
    int at = data.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (at < data.size() && QChar::isSpace(uchar(data.at(at)))) {
        ++at;
    }
    return at < data.size() && data.at(at) == '<';
}

// The bytes of a data: URI, or empty when it is none or too large.
QByteArray dataUriBytes(const QString& uri)
{
    const int comma = uri.indexOf(QLatin1Char(','));
    if (!uri.startsWith(QLatin1String("data:"), Qt::CaseInsensitive) || comma < 0 ||
        uri.size() > MImageReader::MaxDataUriSize * 2) {
        return QByteArray();
    }
    const QByteArray payload = uri.mid(comma + 1).toLatin1();
    const bool base64 = uri.left(comma).contains(QLatin1String(";base64"), Qt::CaseInsensitive);
    const QByteArray bytes =
        base64 ? QByteArray::fromBase64(payload) : QByteArray::fromPercentEncoding(payload);
    return bytes.size() <= MImageReader::MaxDataUriSize ? bytes : QByteArray();
}

// Pixels of a raster image in a data: URI that the SVG renderer would decode whole; 0 when
// it is not one that can be decoded within the bounds.
qint64 embeddedPixels(const QString& uri)
{
    QByteArray bytes = dataUriBytes(uri);
    if (bytes.isEmpty() || looksLikeSvg(bytes)) {
        return 0;
    }
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    const qint64 pixels = qint64(size.width()) * size.height();
    return reader.format().startsWith(Svg) || size.isEmpty() || pixels > MImageReader::MaxPixels
               ? 0
               : pixels;
}
// An image reader over data (held as an implicitly shared copy).
struct DataReader
{
    DataReader(const QByteArray& data, const QByteArray& format) : bytes(data), buffer(&bytes)
    {
        buffer.open(QIODevice::ReadOnly);
        reader.setDevice(&buffer);
        reader.setFormat(format);
    }
    QByteArray bytes;
    QBuffer buffer;
    QImageReader reader;
};
} // namespace

void MImageReader::setSize(const QSize& size, Qt::AspectRatioMode mode)
{
    m_size = size;
    m_mode = mode;
}

QImage MImageReader::fail(const QString& error)
{
    m_error = error;
    return QImage();
}

QSize MImageReader::targetSize(const QSize& own) const
{
    if (m_mode == Qt::IgnoreAspectRatio && !m_size.isEmpty()) {
        return m_size;
    }
    const QSize bound =
        (m_size.isEmpty() ? QSize(MaxSide, MaxSide) : m_size).boundedTo(QSize(MaxSide, MaxSide));
    if (own.width() <= bound.width() && own.height() <= bound.height()) {
        return own;
    }
    return own.scaled(bound, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

bool MImageReader::readFile(const QString& path, qint64 maxSize, QByteArray* data, QString* error)
{
    const QString tooLargeFile = QStringLiteral("larger than %1 bytes").arg(maxSize);
    QFile file;
    if (path.startsWith(QLatin1Char(':'))) {
        file.setFileName(path);
        if (!file.open(QIODevice::ReadOnly)) {
            *error = file.errorString();
            return false;
        }
    } else {
        // Looked at before opening (opening a device may act), then opened without waiting
        // and checked again, in case it was swapped for a pipe meanwhile.
        if (!QFileInfo(path).isFile()) {
            *error = QStringLiteral("not a regular file");
            return false;
        }
        const int fd = ::open(QFile::encodeName(path).constData(),
                              O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) {
            *error = qt_error_string(errno);
            return false;
        }
        struct stat status;
        const bool regular = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
        if (!regular || status.st_size > maxSize ||
            !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
            *error = !regular                   ? QStringLiteral("not a regular file")
                     : status.st_size > maxSize ? tooLargeFile
                                                : file.errorString();
            ::close(fd);
            return false;
        }
    }
    *data = file.read(maxSize + 1);
    if (data->size() > maxSize) {
        data->clear();
        *error = tooLargeFile;
        return false;
    }
    return true;
}

QImage MImageReader::read(const QString& path)
{
    m_error.clear();
    const QUrl url(path);
    QByteArray data;
    if (!readFile(url.isLocalFile() ? url.toLocalFile() : path, m_maxFileSize, &data, &m_error)) {
        return QImage();
    }
    return fromData(data);
}

QImage MImageReader::load(const QString& path)
{
    const QImage image = read(path);
    if (image.isNull()) {
        qCWarning(lcMTouch).noquote()
            << QStringLiteral("image %1 not shown: %2").arg(path, m_error);
    }
    return image;
}

QImage MImageReader::fromData(const QByteArray& data)
{
    m_error.clear();
    if (data.size() > m_maxFileSize) {
        return fail(QStringLiteral("larger than %1 bytes").arg(m_maxFileSize));
    }
    const bool svg = looksLikeSvg(data);
    if (!m_format.isEmpty() && svg != (m_format == Svg)) {
        return fail(QStringLiteral("not a %1 image").arg(QString::fromLatin1(m_format)));
    }
    if (svg) {
        return renderSvg(data);
    }
    DataReader in(data, m_format);
    QImageReader& reader = in.reader;
    QSize own;
    const QByteArray format = probe(&reader, &own);
    if (format.isEmpty()) {
        return QImage();
    }
    const bool scalesWhileDecoding = format == Jpeg;
    const QSize target = targetSize(own);
    if (scalesWhileDecoding && target != own) {
        reader.setScaledSize(target);
    }
    QImage image;
    if (!reader.read(&image)) {
        return fail(QStringLiteral("not a usable %1 image: %2")
                        .arg(QString::fromLatin1(format), reader.errorString()));
    }
    if (image.size() != target) {
        image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return image;
}

QByteArray MImageReader::probe(QImageReader* reader, QSize* own)
{
    reader->setAutoDetectImageFormat(m_format.isEmpty());
    const QByteArray format = reader->format();
    if (format.isEmpty() || format.startsWith(Svg)) {
        fail(QStringLiteral("not an image"));
        return QByteArray();
    }
    // The header tells the size before anything is decoded.
    *own = reader->size();
    if (own->isEmpty()) {
        fail(QStringLiteral("not a usable %1 image").arg(QString::fromLatin1(format)));
        return QByteArray();
    }
    const qint64 pixels = qint64(own->width()) * own->height();
    // Only the JPEG decoder makes fewer pixels when asked for fewer; others decode whole.
    const qint64 limit = format == Jpeg ? MaxPixels * MaxScaleDown * MaxScaleDown : MaxPixels;
    if (pixels > limit) {
        fail(tooLarge(*own));
        return QByteArray();
    }
    return format;
}

bool MImageReader::isWholeImage(const QByteArray& data)
{
    m_error.clear();
    if (data.size() > m_maxFileSize || looksLikeSvg(data)) {
        return !fromData(data).isNull();
    }
    DataReader in(data, m_format);
    QSize own;
    const QByteArray format = probe(&in.reader, &own);
    if (format.isEmpty()) {
        return false;
    }
    // Told by the layout (a JPEG decoder fills in what is cut off); other formats decoded.
    const bool whole = format == Png    ? pngIsWhole(data)
                       : format == Jpeg ? jpegIsWhole(data)
                                        : !fromData(data).isNull();
    if (!whole && m_error.isEmpty()) {
        m_error = QStringLiteral("a %1 image cut short").arg(QString::fromLatin1(format));
    }
    return whole;
}

bool MImageReader::checkFile(const QString& path)
{
    QByteArray data;
    m_error.clear();
    return readFile(path, m_maxFileSize, &data, &m_error) && isWholeImage(data);
}

QImage MImageReader::renderSvg(const QByteArray& data)
{
    const QByteArray clean = withoutExternalReferences(data, &m_error);
    if (clean.isEmpty()) {
        return QImage();
    }
    QSvgRenderer renderer(clean);
    const QSize own = renderer.defaultSize();
    const bool exact = m_mode == Qt::IgnoreAspectRatio && !m_size.isEmpty();
    if (!renderer.isValid() || (!exact && own.isEmpty())) {
        return fail(QStringLiteral("not a usable SVG image"));
    }
    // Its declared size stands for the header's unless an exact size is asked for.
    if (!exact && (own.width() > MaxSide || own.height() > MaxSide)) {
        return fail(tooLarge(own));
    }
    QImage image(targetSize(own), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        return fail(QStringLiteral("out of memory"));
    }
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

QByteArray MImageReader::withoutExternalReferences(const QByteArray& svg, QString* error)
{
    QXmlStreamReader in(svg);
    QByteArray out;
    QXmlStreamWriter writer(&out);
    bool seenRoot = false;
    qint64 embedded = 0; // the renderer decodes every kept image whole
    while (!in.atEnd()) {
        switch (in.readNext()) {
        case QXmlStreamReader::StartElement: {
            if (!seenRoot && in.name() != QLatin1String("svg")) {
                in.raiseError(QStringLiteral("not an SVG document"));
                break;
            }
            seenRoot = true;
            // Only references inside the document, and images embedded within the bounds.
            const bool image = in.name() == QLatin1String("image");
            bool kept = true;
            qint64 pixels = 0;
            for (const QXmlStreamAttribute& attribute : in.attributes()) {
                const QString value = attribute.value().toString();
                // A link (<a>) is drawn as a group and never followed.
                if (attribute.name() != QLatin1String("href") || in.name() == QLatin1String("a") ||
                    (!image && value.startsWith(QLatin1Char('#')))) {
                    continue;
                }
                const qint64 more = image ? embeddedPixels(value) : 0;
                kept = kept && more > 0;
                pixels += more;
            }
            if (kept && embedded + pixels <= MaxPixels) {
                embedded += pixels;
                writer.writeCurrentToken(in);
            } else {
                in.skipCurrentElement(); // dropped with its content
            }
            break;
        }
        // Declarations, stylesheets and entities can point outside: none is kept.
        case QXmlStreamReader::DTD:
        case QXmlStreamReader::ProcessingInstruction:
        case QXmlStreamReader::EntityReference:
            break;
        default:
            writer.writeCurrentToken(in);
            break;
        }
    }
    if (in.hasError() || !seenRoot) {
        if (error) {
            *error = QStringLiteral("not a usable SVG image: %1")
                         .arg(in.hasError() ? in.errorString() : QStringLiteral("empty"));
        }
        return QByteArray();
    }
    return out;
}
