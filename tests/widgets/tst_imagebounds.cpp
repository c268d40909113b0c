// The theme: styles from attribute files, shared images by id, creators; images from outside
// through every way in (the reader, the two labels, the theme): what is shown, what is refused
// with one warning, and that nothing waits or grows without bound.
#include "testfiles.h"
#include "testmain.h"

#include <kelmedialabel.h>
#include <kelmedialabelview.h>
#include <keloverlaylabel.h>
#include <mimagereader.h>
#include <mimagewidget.h>
#include <mstylecreator.h>
#include <mtheme.h>
#include <mwidgetstyle.h>

#include <sys/resource.h>
#include <sys/stat.h>

class TestStyle : public MWidgetStyle
{
    Q_OBJECT
    Q_PROPERTY(qreal ratio READ ratio WRITE setRatio)
    Q_PROPERTY(bool flag READ flag WRITE setFlag)
    Q_PROPERTY(QString caption READ caption WRITE setCaption)
public:
    qreal ratio() const { return m_ratio; }
    void setRatio(qreal ratio) { m_ratio = ratio; }
    bool flag() const { return m_flag; }
    void setFlag(bool flag) { m_flag = flag; }
    QString caption() const { return m_caption; }
    void setCaption(const QString& caption) { m_caption = caption; }

private:
    qreal m_ratio = 0;
    bool m_flag = false;
    QString m_caption;
};

namespace {
const MStyleCreator<TestStyle> testStyleCreator("TestStyle", "tests", 0);

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
        QVERIFY(writeTheme(
            dir.path(),
            "# test theme\n"
            "MWidgetStyle { marginLeft: 3; }\n"
            "TestStyle { ratio: 1.5; preferredSize: 10 20; flag: true; caption: \"a b\"; }\n"
            "TestStyle#special { ratio: 2.5; backgroundColor: #80ff0000; marginLeft: 7; }\n"
            "TestStyle#broken { ratio: lots; }\n",
            {{"test-red", Qt::red}}));
        QVERIFY(writeFile(dir.filePath(QStringLiteral("icons/test-square.svg")),
                          "<svg xmlns='http://www.w3.org/2000/svg' width='16' height='8'>"
                          "<rect width='16' height='8' fill='#00ff00'/></svg>"));
        QVERIFY(writeFile(red, encodedImage(8, 8, Qt::red)));
        QCOMPARE(
            ::mkfifo(QFile::encodeName(dir.filePath(QStringLiteral("pipe"))).constData(), 0600), 0);
        MTheme::addDirectory(dir.path());
    }

    void stylesFromAttributes()
    {
        const auto* plain = qobject_cast<const TestStyle*>(MTheme::style("TestStyle", QString()));
        QVERIFY(plain);
        QCOMPARE(plain->ratio(), 1.5);
        QCOMPARE(plain->flag(), true);
        QCOMPARE(plain->caption(), QStringLiteral("a b"));
        QCOMPARE(plain->preferredSize(), QSize(10, 20));
        QCOMPARE(plain->marginLeft(), 3); // from the base class
        const auto* special =
            qobject_cast<const TestStyle*>(MTheme::style("TestStyle", QStringLiteral("special")));
        QCOMPARE(special->ratio(), 2.5);
        QCOMPARE(special->marginLeft(), 7);
        QCOMPARE(special->backgroundColor(), QColor(255, 0, 0, 128));
        QCOMPARE(special->preferredSize(), QSize(10, 20)); // class value kept

        const int live = MTheme::liveStyles();
        QCOMPARE(MTheme::style("TestStyle", QString()), plain);
        MTheme::releaseStyle(plain);
        MTheme::releaseStyle(plain);
        MTheme::releaseStyle(special);
        QCOMPARE(MTheme::liveStyles(), live - 2);
        QVERIFY(!MTheme::style("NoSuchStyle", QString()));

        // An attribute that cannot be used is reported once and leaves the default.
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral("TestStyle#broken.ratio")));
        const auto* broken =
            qobject_cast<const TestStyle*>(MTheme::style("TestStyle", QStringLiteral("broken")));
        QCOMPARE(broken->ratio(), 1.5);
        MTheme::releaseStyle(broken);

        // A directory added later overrides what the earlier ones say.
        QTemporaryDir later;
        QVERIFY(writeTheme(later.path(), "TestStyle { ratio: 9; }\n"));
        MTheme::addDirectory(later.path());
        const MStyle* style = MTheme::style("TestStyle", QStringLiteral("fresh"));
        QCOMPARE(style->property("ratio").toReal(), 9.0);
        QCOMPARE(style->property("caption").toString(), QStringLiteral("a b"));
        MTheme::releaseStyle(style);
    }

    // An SVG rendered at the size asked for, shared and counted (a PNG scaled: the overlay label's
    // icon; own sizes: images()). Given back, it is kept, not read again, until a directory is
    // added.
    void svgAtSizeShared()
    {
        const int live = MTheme::livePixmaps();
        const QString id = QStringLiteral("test-square");
        const auto colourOf = [&id]() {
            const QPixmap* pixmap = MTheme::pixmap(id, QSize(64, 32));
            const QColor colour = pixmap->toImage().pixel(1, 1);
            MTheme::releasePixmap(pixmap);
            return colour;
        };
        const QPixmap* pixmap = MTheme::pixmap(id, QSize(64, 32));
        QCOMPARE(pixmap->size(), QSize(64, 32));
        QCOMPARE(QColor(pixmap->toImage().pixel(1, 1)), QColor(Qt::green));
        QCOMPARE(MTheme::pixmap(id, QSize(64, 32)), pixmap);
        MTheme::releasePixmap(pixmap);
        MTheme::releasePixmap(pixmap);
        QCOMPARE(MTheme::livePixmaps(), live);
        // For a device of twice the pixel density: twice the pixels, drawn at the same size;
        // beyond the bounds at twice, made as for a ratio of 1.
        for (const QSize& asked : {QSize(64, 32), QSize(3000, 8)}) {
            const QPixmap* dense = MTheme::pixmap(id, asked, 2.0);
            const int ratio = asked.width() * 2 <= MImageReader::MaxSide ? 2 : 1;
            QCOMPARE(dense->size(), asked * ratio);
            QCOMPARE(dense->devicePixelRatio(), qreal(ratio));
            MTheme::releasePixmap(dense);
        }

        QVERIFY(writeFile(dir.filePath(QStringLiteral("icons/test-square.svg")),
                          "<svg xmlns='http://www.w3.org/2000/svg' width='16' height='8'>"
                          "<rect width='16' height='8' fill='#0000ff'/></svg>"));
        QCOMPARE(colourOf(), QColor(Qt::green));
        QTemporaryDir empty;
        MTheme::addDirectory(empty.path());
        QCOMPARE(colourOf(), QColor(Qt::blue));
    }

    // Missing ids, theme files that are not small regular files, and images beyond the bounds:
    // one warning however often, and the placeholder of the size asked for (or the other
    // directories' attributes), at once, with no huge allocation.
    void hostileFiles_data()
    {
        QTest::addColumn<QString>("file");       // in a theme directory of its own
        QTest::addColumn<QByteArray>("content"); // null: the file is the id, none is written
        QTest::addColumn<QSize>("asked");
        QTest::addColumn<QSize>("got"); // invalid: a style is asked for
        const auto row = [](const char* name, const char* file, const QByteArray& content,
                            const QSize& asked, const QSize& got) {
            QTest::newRow(name) << QString::fromLatin1(file) << content << asked << got;
        };
        const QByteArray svg("<svg xmlns='http://www.w3.org/2000/svg' width='%1' height='%1'/>");
        const QSize placeholder(24, 12), none;
        row("unknown id", "no-such-icon", {}, placeholder, placeholder);
        row("path as id", "../icons/test-red", {}, placeholder, placeholder);
        row("svg of 100000 by 100000", "icons/huge.svg", QByteArray(svg).replace("%1", "100000"),
            none, QSize(32, 32));
        row("asked beyond the bounds", "icons/small.svg", QByteArray(svg).replace("%1", "8"),
            QSize(100000, 50000), QSize(4096, 2048));
        row("named pipe as theme.conf", "theme.conf", "pipe", none, none);
        row("theme.conf over the size cap", "theme.conf", QByteArray(2 * 1024 * 1024, ' '), none,
            none);
    }
    void hostileFiles()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, content);
        QFETCH(QSize, asked);
        QFETCH(QSize, got);
        QTemporaryDir hostile;
        const QString path = hostile.filePath(file);
        QVERIFY(QDir(hostile.path()).mkpath(QStringLiteral("icons")));
        if (content == "pipe") {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (!content.isNull()) {
            QVERIFY(writeFile(path, content));
        }
        MTheme::addDirectory(hostile.path());
        const QString id = content.isNull() ? file : QFileInfo(file).baseName();
        const WarningCount warnings;
        if (got.isValid()) {
            const QPixmap* first = MTheme::pixmap(id, asked);
            const QPixmap* again = MTheme::pixmap(id, asked);
            QCOMPARE(first->size(), got);
            QCOMPARE(QColor(first->toImage().pixel(got.width() / 2, 1)), QColor(255, 0, 255));
            MTheme::releasePixmap(first);
            MTheme::releasePixmap(again);
        } else {
            const MStyle* style =
                MTheme::style("TestStyle", QString::fromLatin1(QTest::currentDataTag()));
            QVERIFY(style->property("ratio").toReal() > 0);
            MTheme::releaseStyle(style);
        }
        QCOMPARE(warnings.count(), 1);
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
        // Each row its own id, so that the theme caches nothing across rows.
        const QString id = QStringLiteral("row%1").arg(QTest::currentDataTag()).remove(' ');
        const QString path = dir.filePath(QStringLiteral("icons/") + id +
                                          (file.endsWith(QLatin1String(".svg")) ? ".svg" : ".png"));
        if (data.isEmpty()) {
            const QString target = file == QLatin1String("png link") ? red
                                   : file == QLatin1String("zero link")
                                       ? QStringLiteral("/dev/zero")
                                       : dir.filePath(QStringLiteral("pipe"));
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
