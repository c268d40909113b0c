// The media label: grid cells and spans, labels and image, touch, and the outline and marks on
// real pixels; the framework pieces it stands on: names that restyle, image widgets and labels.
#include "testfiles.h"
#include "testmain.h"

#include <kelmedialabel.h>
#include <kelmedialabelview.h>
#include <mimagewidget.h>
#include <mlabel.h>
#include <mtheme.h>
#include <mwidgetview.h>

#include <QGraphicsGridLayout>
#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>

using L = KelMediaLabel;

class TestMediaLabel : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    QGraphicsScene* scene = nullptr;
    KelMediaLabel* label = nullptr;

    KelMediaLabelView* view() const { return label->labelView(); }
    // A label with a white 60 by 40 image and texts in red cells: a to d set the four labels,
    // e sets elide on the bottom right one.
    void makeLabel(int position, const QString& texts = QStringLiteral("abcd"),
                   const QSize& size = QSize(400, 80))
    {
        label = new KelMediaLabel(L::TextPosition(position));
        scene->addItem(label);
        label->setObjectName(QStringLiteral("Marks"));
        label->resize(size);
        label->setImage(MImageWidget(QImage::fromData(encodedImage(60, 40, Qt::white))));
        for (QChar c : texts) {
            if (c == QLatin1Char('e')) {
                label->setTextElide(true, L::BottomRightLabel);
            } else {
                label->setText(QStringLiteral("Text"), L::TextLabel(c.unicode() - 'a'));
                label->setTextLabelObjectName(QStringLiteral("Cell"),
                                              L::TextLabel(c.unicode() - 'a'));
            }
        }
    }
    // "row column rowSpan columnSpan" of the cells an item covers, empty when it has none (one
    // placed twice shows in the grid's count).
    QString cellOf(QGraphicsLayoutItem* item) const
    {
        QRect covered;
        for (int r = 0; item && r < view()->grid()->rowCount(); ++r) {
            for (int c = 0; c < view()->grid()->columnCount(); ++c) {
                if (view()->grid()->itemAt(r, c) == item) {
                    covered |= QRect(c, r, 1, 1);
                }
            }
        }
        return !covered.isEmpty() ? QString::asprintf("%d %d %d %d", covered.y(), covered.x(),
                                                      covered.height(), covered.width())
                                  : QString();
    }
    // At a device-pixel ratio: that many image pixels to a label pixel.
    QImage render(int ratio = 1)
    {
        view()->grid()->activate();
        QImage image(label->size().toSize() * ratio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        scene->render(&painter, QRectF(QPointF(), label->size()), label->sceneBoundingRect());
        painter.end();
        return image.convertToFormat(QImage::Format_ARGB32);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(writeTheme(
            dir.path(),
            "KelMediaLabelStyle#Marks { favouriteIconId: test-fav; playIconId: test-play;"
            " pauseIconId: test-pause; }\nMWidgetStyle#Cell { backgroundColor: #ff0000; }\n"
            "MWidgetStyle#Big { fontSize: 40; }\n",
            {{"test-fav", Qt::green},
             {"test-play", Qt::blue},
             {"test-pause", Qt::yellow},
             {"test-red", Qt::red}}));
        MTheme::addDirectory(dir.path());
    }
    void init() { scene = new QGraphicsScene; }
    void cleanup()
    {
        delete scene;
        label = nullptr;
    }

    // The texts of makeLabel, then some cleared, then the text position switched (when it
    // differs); the cells of the image and the four labels after.
    void cells_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("texts");
        QTest::addColumn<QString>("cleared");
        QTest::addColumn<QStringList>("cells");
        const auto row = [](const char* name, int from, int to, const char* texts,
                            const char* cleared, const QStringList& cells) {
            QTest::newRow(name) << from << to << QString::fromLatin1(texts)
                                << QString::fromLatin1(cleared) << cells;
        };
        const QStringList block{"0 0 1 1", "0 1 1 1", "1 0 1 1", "1 1 1 1"};
        row("left to above", 0, 2, "abcd", "", QStringList{"2 0 1 2"} + block);
        row("above to right", 2, 1, "abcd", "",
            {"0 0 2 1", "0 1 1 1", "0 2 1 1", "1 1 1 1", "1 2 1 1"});
        row("right to below", 1, 3, "abcd", "",
            {"0 0 1 2", "1 0 1 1", "1 1 1 1", "2 0 1 1", "2 1 1 1"});
        // A left label spans its row's empty right cell when the other row has a right label.
        row("top left spans", 0, 0, "ad", "", {"0 2 2 1", "0 0 1 2", "", "", "1 1 1 1"});
        row("top left alone", 0, 0, "a", "", {"0 2 2 1", "0 0 1 1", "", "", ""});
        row("bottom left spans", 0, 0, "bc", "", {"0 2 2 1", "", "0 1 1 1", "1 0 1 2", ""});
        row("top right cleared", 0, 0, "abcd", "b",
            {"0 2 2 1", "0 0 1 2", "", "1 0 1 1", "1 1 1 1"});
        row("elide makes a label", 0, 0, "e", "", {"0 2 2 1", "", "", "", "1 1 1 1"});
    }
    void cells()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QString, texts);
        QFETCH(QString, cleared);
        QFETCH(QStringList, cells);
        const WarningCount warnings;
        makeLabel(from, texts);
        for (QChar c : cleared) {
            label->setText(QString(), L::TextLabel(c.unicode() - 'a'));
        }
        label->setText(QStringLiteral("x"), L::TextLabel(4)); // no such label: one warning
        if (to != from) {
            label->setTextPosition(L::TextPosition(to));
        }
        QCOMPARE(warnings.count(), 1); // and no item dropped on another's cell on the way
        QStringList seen{cellOf(view()->imageItem())};
        for (int which = L::TopLeftLabel; which <= L::BottomRightLabel; ++which) {
            seen << cellOf(view()->textLabel(L::TextLabel(which)));
        }
        QCOMPARE(seen, cells);
        QCOMPARE(view()->grid()->count(), cells.size() - cells.count(QString())); // none stale
        QVERIFY(!texts.contains(QLatin1Char('e')) ||
                view()->textLabel(L::BottomRightLabel)->textElide());
    }

    void imageReplacement()
    {
        makeLabel(L::TextRightOfImage, QString());
        label->setWidgetToImageLocation(nullptr);
        label->setObjectNameOfImage(QStringLiteral("Picture")); // makes an empty image
        label->setIconAsImage(QStringLiteral("test-fav"));
        QPointer<MWidget> themed = view()->imageItem();
        QCOMPARE(themed->objectName(), QStringLiteral("Picture"));
        label->setIconAsImage(QStringLiteral("test-fav")); // the same id: nothing happens
        QCOMPARE(view()->imageItem(), themed.data());
        label->setImage(MImageWidget(QImage(3, 3, QImage::Format_RGB32)));
        QVERIFY(!themed);
        label->setIconAsImage(QStringLiteral("test-fav")); // applied again after an image
        themed = view()->imageItem();
        QCOMPARE(qobject_cast<MImageWidget*>(themed)->image(), QStringLiteral("test-fav"));
        QCOMPARE(themed->objectName(), QStringLiteral("Picture"));
        label->setWidgetToImageLocation(themed); // kept, still in one cell
        QVERIFY(themed);
        QCOMPARE(cellOf(themed), QStringLiteral("0 0 2 1"));
        QCOMPARE(view()->grid()->count(), 1);
        auto* other = new MStylableWidget;
        label->setWidgetToImageLocation(other);
        QVERIFY(!themed);
        QCOMPARE(cellOf(other), QStringLiteral("0 0 2 1"));
        // A text label made the image is a text label no more; replaced, it is gone for good.
        label->setText(QStringLiteral("a"), L::TopLeftLabel);
        QPointer<MLabel> text = view()->textLabel(L::TopLeftLabel);
        label->setWidgetToImageLocation(text);
        QCOMPARE(view()->textLabel(L::TopLeftLabel), nullptr);
        label->setWidgetToImageLocation(new MStylableWidget);
        QVERIFY(!text);
        label->setText(QStringLiteral("b"), L::TopLeftLabel);
        QCOMPARE(view()->textLabel(L::TopLeftLabel)->text(), QStringLiteral("b"));
        QCOMPARE(cellOf(view()->textLabel(L::TopLeftLabel)), QStringLiteral("0 1 1 1"));
        // Pressed on a text label and released far outside, a click.
        text = view()->textLabel(L::TopLeftLabel);
        view()->grid()->activate();
        QSignalSpy clicked(label, &KelMediaLabel::clicked);
        for (const auto& [type, at] :
             {std::pair{QEvent::GraphicsSceneMousePress, text->sceneBoundingRect().center()},
              {QEvent::GraphicsSceneMouseRelease, QPointF(900, 500)}}) {
            QGraphicsSceneMouseEvent event(type);
            event.setButton(Qt::LeftButton);
            event.setScenePos(at);
            QCoreApplication::sendEvent(scene, &event);
        }
        QCOMPARE(clicked.size(), 1);
        // Replaced by the framework, the view takes its items along.
        themed = view()->imageItem();
        label->setView(nullptr);
        QVERIFY(!text && !themed && !label->layout());
        label->setText(QStringLiteral("nowhere"), L::TopLeftLabel);
    }

    // The marks over the red cells: favourite green, play blue, pause yellow; the status mark
    // one icon (25) left of the favourite.
    void marks_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("status"); // 1: play, with the favourite mark; 2: pause, without
        QTest::addColumn<QPoint>("favouriteAt");
        QTest::addColumn<int>("imageSide"); // 0: the 60 by 40 image of makeLabel
        QTest::addColumn<int>("ratio");     // device-pixel ratio
        QTest::newRow("right of image") << 1 << 80 << 1 << QPoint(375, 27) << 0 << 1;
        QTest::newRow("right of image, pixel ratio 2") << 1 << 80 << 1 << QPoint(375, 27) << 0 << 2;
        // Left of the image as drawn (scaled up into its cell, from 255), or centred under it
        // (drawn down to 91).
        QTest::newRow("left of image") << 0 << 80 << 1 << QPoint(229, 27) << 0 << 1;
        QTest::newRow("below image") << 3 << 200 << 1 << QPoint(375, 132) << 0 << 1;
        QTest::newRow("pause, no favourite") << 1 << 80 << 2 << QPoint(375, 27) << 0 << 1;
        // Placed by the image as drawn (scaled into its cell), never outside the widget.
        QTest::newRow("large image left") << 0 << 80 << 1 << QPoint(175, 27) << 500 << 1;
        QTest::newRow("large image below") << 3 << 80 << 1 << QPoint(375, 43) << 500 << 1;
    }
    void marks()
    {
        QFETCH(int, position);
        QFETCH(int, height);
        QFETCH(int, status);
        QFETCH(QPoint, favouriteAt);
        QFETCH(int, imageSide);
        QFETCH(int, ratio);
        makeLabel(position, QStringLiteral("abcd"), QSize(400, height));
        if (imageSide) {
            label->setImage(
                MImageWidget(QImage::fromData(encodedImage(imageSide, imageSide, Qt::white))));
        }
        const bool favourite = status == 1;
        if (favourite) {
            label->setFavoriteMark();
        }
        label->setPlayStatus(L::LabelPlayStatus(status));
        const QImage image = render(ratio);
        auto is = [&image, ratio](const QPoint& point, Qt::GlobalColor colour) {
            return QColor(image.pixel(point * ratio)) == QColor(colour);
        };
        // Inside at two corners, and not just left of or above the point.
        using Mark = std::tuple<QPoint, Qt::GlobalColor, bool>;
        for (const auto& [point, colour, shown] :
             {Mark{favouriteAt, Qt::green, favourite},
              Mark{favouriteAt - QPoint(25, 0), favourite ? Qt::blue : Qt::yellow, true}}) {
            QCOMPARE(is(point + QPoint(1, 1), colour) && is(point + QPoint(23, 23), colour), shown);
            QVERIFY(!is(point + QPoint(-1, 12), colour) && !is(point + QPoint(12, -1), colour));
        }
    }

    // On a new label, and none once switched off.
    void outline()
    {
        makeLabel(L::TextLeftOfImage, QString());
        label->setWidgetToImageLocation(nullptr);
        for (const bool visible : {true, false}) {
            if (!visible) {
                label->setOutlineVisible(false);
            }
            const QImage image = render();
            for (const QPoint& edge :
                 {QPoint(0, 40), QPoint(399, 40), QPoint(200, 0), QPoint(200, 79)}) {
                const QColor seen = QColor::fromRgba(image.pixel(edge));
                QCOMPARE(seen.alpha(), visible ? 127 : 0);
                QVERIFY(!visible || qAbs(seen.red() - 127) <= 1);
            }
            QCOMPARE(qAlpha(image.pixel(200, 40)), 0);
        }
    }

    void defaultThemeHasTheMarks()
    {
        const MStyle* style = MTheme::style("KelMediaLabelStyle", QString());
        QVERIFY(style);
        for (const char* attribute : {"favouriteIconId", "playIconId", "pauseIconId"}) {
            QVERIFY2(MTheme::hasPixmap(style->property(attribute).toString()), attribute);
        }
        MTheme::releaseStyle(style);
    }

    // A copy is its own, of an image or a theme id at a size; no id clears any image.
    void imageWidgetCopies()
    {
        QImage red(30, 20, QImage::Format_ARGB32);
        red.fill(Qt::red);
        MImageWidget original(red);
        original.setStyleName(QStringLiteral("Framed"));
        MImageWidget copy(original);
        original.setImage(QStringLiteral("test-red"), QSize(16, 12));
        MImageWidget themed(original);
        original.setImage(QImage(4, 4, QImage::Format_ARGB32));
        QCOMPARE(copy.imageSize(), QSize(30, 20));
        QCOMPARE(themed.imageSize(), QSize(16, 12));
        QCOMPARE(copy.image() + themed.image(), QStringLiteral("test-red"));
        for (const MImageWidget* each : {&copy, &themed}) {
            QCOMPARE(each->styleName(), QStringLiteral("Framed"));
            QCOMPARE(QColor(each->pixmap()->toImage().pixel(1, 1)), QColor(Qt::red));
        }
        copy.setImage(QString());
        QCOMPARE(copy.imageSize(), QSize(0, 0));
    }

    // Named through QObject, whose setter is not virtual (the media label names its labels so),
    // restyled; elided, a far smaller minimum.
    void labelRestyledAndElided()
    {
        MLabel text(QStringLiteral("A text far too long for any narrow cell of a grid"));
        const qreal before = text.effectiveSizeHint(Qt::PreferredSize).height();
        static_cast<QObject&>(text).setObjectName(QStringLiteral("Big"));
        QCOMPARE(text.view()->style()->fontSize(), 40);
        QVERIFY(text.effectiveSizeHint(Qt::PreferredSize).height() > before);
        const qreal full = text.effectiveSizeHint(Qt::MinimumSize).width();
        text.setTextElide(true);
        QVERIFY(text.effectiveSizeHint(Qt::MinimumSize).width() < full / 4);
    }
};

KELMORA_TEST_MAIN(TestMediaLabel)
#include "tst_medialabel.moc"
