// Images from outside through every way in (the reader, the two labels, the theme): what is
// shown, what is refused with one warning, and that nothing waits or grows without bound.
#include "testfiles.h"
#include "testmain.h"

#include <kelmedialabel.h>
#include <kelmedialabelview.h>
#include <keloverlaylabel.h>
#include <mimagereader.h>
#include <mimagewidget.h>
#include <mtheme.h>

#include <sys/resource.h>
#include <sys/stat.h>

namespace {
enum Source { Reader, MediaLabel, OverlayLabel, Theme };

// 16 by 16, transparent but for whatever <image> draws over its top left 8 by 8.
QByteArray svgWithImage(const QByteArray& href)
{
    return "<svg xmlns='http://www.w3.org/2000/svg' xmlns:xlink='http://www.w3.org/1999/xlink'"
           " width='16' height='16'><image x='0' y='0' width='8' height='8' xlink:href='" +
           href + "'/></svg>";
}

QByteArray dataUri(const QByteArray& png)
{
    return "data:image/png;base64," + png.toBase64();
}

long peakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}
} // namespace

class TestImageBounds : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    const QString red = dir.filePath(QStringLiteral("red.png"));

    // The image a source makes of the file at path; null when refused.
    QImage through(Source source, const QString& path, const QString& id)
    {
        switch (source) {
        case Reader:
            return MImageReader().read(path);
        case MediaLabel: {
            KelMediaLabel label;
            label.setImage(path);
            const auto* image = qobject_cast<MImageWidget*>(label.labelView()->imageItem());
            return image && image->pixmap() ? image->pixmap()->toImage() : QImage();
        }
        case OverlayLabel: {
            KelOverlayLabel label(QStringLiteral("Bounds"));
            label.loadImage(path);
            return label.image() ? label.image()->toImage() : QImage();
        }
        case Theme: {
            const QPixmap* pixmap = MTheme::pixmap(id);
            const QImage image = pixmap->toImage();
            MTheme::releasePixmap(pixmap);
            const bool placeholder = image.pixelColor(image.width() / 2, 1) == QColor(255, 0, 255);
            return placeholder ? QImage() : image;
        }
        }
        return QImage();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("icons")));
        QVERIFY(writeFile(red, encodedImage(8, 8, Qt::red)));
        MTheme::addDirectory(dir.path());
    }

    void images_data()
    {
        QTest::addColumn<QString>("file");    // "fifo", "fifo link", "zero link", "png link"
        QTest::addColumn<QByteArray>("data"); // otherwise the file's bytes
        QTest::addColumn<QSize>("own");       // empty: refused; the labels fit it into 2048 by 2048
        QTest::addColumn<int>("topLeftAlpha"); // of the image shown, -1: not checked
        const auto row = [](const char* name, const char* file, const QByteArray& data,
                            const QSize& own, int alpha) {
            QTest::newRow(name) << QString::fromLatin1(file) << data << own << alpha;
        };
        const QByteArray small = encodedImage(8, 4, Qt::blue);
        // One pixel over the limit, yet cheap: 1 bit per pixel, highly compressible.
        const QByteArray overLimit = encodedImage(MImageReader::MaxSide + 1, MImageReader::MaxSide,
                                                  Qt::color1, "png", QImage::Format_Mono);
        const QSize none, square(16, 16);
        row("small png", "a.png", small, QSize(8, 4), 255);
        row("wide png", "b.png", encodedImage(2100, 50, Qt::blue), QSize(2100, 50), 255);
        row("png over the pixel limit", "c.png", overLimit, none, -1);
        row("link to a png", "png link", {}, QSize(8, 8), 255);
        row("named pipe", "fifo", {}, none, -1);
        row("link to a named pipe", "fifo link", {}, none, -1);
        row("link to a device", "zero link", {}, none, -1);
        row("png over the file size", "d.png", QByteArray(MImageReader::MaxFileSize + 1, 'x'), none,
            -1);
        // Drawn without what the <image> points to outside; a small embedded one is kept.
        row("svg with an outside file", "e.svg", svgWithImage(QFile::encodeName(red)), square, 0);
        row("svg with a data: image over the limit", "g.svg", svgWithImage(dataUri(overLimit)),
            square, 0);
        row("svg with a small data: image", "h.svg", svgWithImage(dataUri(small)), square, 255);
    }
    void images()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, data);
        QFETCH(QSize, own);
        QFETCH(int, topLeftAlpha);
        const QString pipe = dir.filePath(QStringLiteral("pipe"));
        if (!QFileInfo::exists(pipe)) {
            QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        }
        // Each row its own id, so that the theme caches nothing across rows.
        const QString id = QStringLiteral("row%1").arg(QTest::currentDataTag()).remove(' ');
        const QString suffix =
            file.endsWith(QLatin1String(".svg")) ? QStringLiteral(".svg") : QStringLiteral(".png");
        const QString path = dir.filePath(QStringLiteral("icons/") + id + suffix);
        if (data.isEmpty()) {
            const QString target = file == QLatin1String("png link") ? red
                                   : file == QLatin1String("zero link")
                                       ? QStringLiteral("/dev/zero")
                                       : pipe;
            QVERIFY(file == QLatin1String("fifo")
                        ? ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0
                        : QFile::link(target, path));
        } else {
            QVERIFY(writeFile(path, data));
        }
        const long before = peakKiB();
        for (Source source : {Reader, MediaLabel, OverlayLabel, Theme}) {
            const WarningCount warnings;
            const QImage image = through(source, path, id);
            const bool label = source == MediaLabel || source == OverlayLabel;
            const QSize expected =
                label && own.width() > 2048 ? own.scaled(2048, 2048, Qt::KeepAspectRatio) : own;
            QCOMPARE(image.isNull() ? QSize() : image.size(), expected);
            QCOMPARE(warnings.count(), expected.isEmpty() && source != Reader ? 1 : 0);
            if (topLeftAlpha >= 0) {
                QCOMPARE(qAlpha(image.pixel(1, 1)), topLeftAlpha);
            }
        }
        QVERIFY2(peakKiB() - before < 100 * 1024, "more than 100 MiB for one file");
    }

    // Bytes from a download: the same bounds; a JPEG over the pixel limit decodes scaled. A
    // PNG or JPEG cut short is no whole image, whatever its decoder makes of it.
    void fromData_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("whole");
        const auto row = [](const char* name, const QByteArray& data, const QSize& size,
                            bool whole) { QTest::newRow(name) << data << size << whole; };
        const QByteArray jpeg =
            encodedImage(8200, 2050, Qt::white, "jpeg", QImage::Format_Grayscale8);
        const QByteArray png = encodedImage(64, 64, Qt::red);
        row("jpeg over the pixel limit, bytes after its end", jpeg + "junk", QSize(2048, 512),
            true);
        row("jpeg cut short", jpeg.left(jpeg.size() * 2 / 3), QSize(2048, 512), false);
        row("png", png, QSize(64, 64), true);
        row("png cut short", png.left(png.size() - 12), QSize(), false);
        row("png, bytes after its end", png + "junk", QSize(64, 64), false);
        row("not an image", "\x89PNG\r\n\x1a\n garbage", QSize(), false);
        row("compressed svg", qCompress(svgWithImage("x")), QSize(), false);
    }
    void fromData()
    {
        QFETCH(QByteArray, data);
        QFETCH(QSize, size);
        QFETCH(bool, whole);
        MImageReader reader;
        reader.setSize(QSize(2048, 2048));
        const QImage image = reader.fromData(data);
        QCOMPARE(image.isNull() ? QSize() : image.size(), size);
        QCOMPARE(reader.errorString().isEmpty(), !size.isEmpty());
        QCOMPARE(reader.isWholeImage(data), whole);
        QCOMPARE(reader.errorString().isEmpty(), whole);
    }
};

KELMORA_TEST_MAIN(TestImageBounds)
#include "tst_imagebounds.moc"
