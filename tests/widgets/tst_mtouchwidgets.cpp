// The framework pieces the media label stands on: names that restyle, image widgets and labels.
// (The foreground over the children is checked on the media label's pixels, and the style
// container's adopted private part by the sanitizers under the media label.)
#include "testfiles.h"
#include "testmain.h"

#include <mimagewidget.h>
#include <mlabel.h>
#include <mtheme.h>
#include <mwidgetview.h>

#include <QBitmap>
#include <QPainter>

class TestMTouchWidgets : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(writeTheme(dir.path(), "MWidgetStyle#Big { fontSize: 40; }\n",
                           {{"test-red", Qt::red}}));
        MTheme::addDirectory(dir.path());
    }

    // Through QObject, whose setter is not virtual (the media label names its labels so).
    void objectNameRestyles()
    {
        MLabel label(QStringLiteral("Text"));
        const qreal before = label.effectiveSizeHint(Qt::PreferredSize).height();
        static_cast<QObject&>(label).setObjectName(QStringLiteral("Big"));
        QCOMPARE(label.view()->style()->fontSize(), 40);
        QVERIFY(label.effectiveSizeHint(Qt::PreferredSize).height() > before);
    }

    void imageWidgetCopies_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QSize>("requested");
        QTest::addColumn<QSize>("imageSize");
        QTest::newRow("from a QImage") << QString() << QSize() << QSize(30, 20);
        QTest::newRow("theme id at a size") << "test-red" << QSize(16, 12) << QSize(16, 12);
    }
    void imageWidgetCopies()
    {
        QFETCH(QString, id);
        QFETCH(QSize, requested);
        QFETCH(QSize, imageSize);
        QImage red(30, 20, QImage::Format_ARGB32);
        red.fill(Qt::red);
        MImageWidget original(red);
        if (!id.isEmpty()) {
            original.setImage(id, requested);
        }
        original.setStyleName(QStringLiteral("Framed"));
        MImageWidget copy(original);
        original.setImage(QImage(4, 4, QImage::Format_ARGB32)); // the copy is its own
        QCOMPARE(copy.imageSize(), imageSize);
        QCOMPARE(copy.image(), id);
        QCOMPARE(copy.styleName(), QStringLiteral("Framed"));
        QCOMPARE(QColor(copy.pixmap()->toImage().pixel(1, 1)), QColor(Qt::red));
        copy.setImage(QString()); // no id clears any image
        QCOMPARE(copy.imageSize(), QSize(0, 0));
    }

    // Right-aligned ink (the alignment reaches the painter); elided, a far smaller minimum.
    void labelAlignmentAndElide()
    {
        MLabel label(QStringLiteral("II"));
        label.resize(200, 40);
        label.setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        QImage image(200, 40, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        label.paint(&painter, nullptr);
        painter.end();
        const QRect ink = QRegion(QBitmap::fromImage(image.createAlphaMask())).boundingRect();
        QVERIFY2(!ink.isEmpty() && ink.left() >= 160, qPrintable(QString::number(ink.left())));
        label.setText(QStringLiteral("A text far too long for any narrow cell of a grid"));
        const qreal full = label.effectiveSizeHint(Qt::MinimumSize).width();
        label.setTextElide(true);
        QVERIFY(label.effectiveSizeHint(Qt::MinimumSize).width() < full / 4);
    }
};

KELMORA_TEST_MAIN(TestMTouchWidgets)
#include "tst_mtouchwidgets.moc"
