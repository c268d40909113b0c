// The media label: model, grid cells and spans, labels and image, touch, and the outline and
// marks on real pixels.
#include "testmain.h"

#include <kelmedialabel.h>
#include <kelmedialabelmodel.h>
#include <kelmedialabelview.h>
#include <mimagewidget.h>
#include <mlabel.h>
#include <mstylecreator.h>
#include <mtheme.h>

#include <QGraphicsGridLayout>
#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QPainter>

using L = KelMediaLabel;
using M = KelMediaLabelModel;

namespace {
QStringList g_warnings;
void collectWarnings(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtWarningMsg) {
        g_warnings << text;
    }
}

} // namespace

class TestMediaLabel : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    QGraphicsScene* scene = nullptr;
    KelMediaLabel* label = nullptr;

    KelMediaLabelView* view() const { return qobject_cast<KelMediaLabelView*>(label->view()); }
    void makeLabel(int position, const QSize& size = QSize(400, 80))
    {
        label = new KelMediaLabel(L::TextPosition(position));
        scene->addItem(label);
        label->setObjectName(QStringLiteral("Marks"));
        label->resize(size);
    }
    void fill(const QSize& imageSize)
    {
        for (int which = L::TopLeftLabel; which <= L::BottomRightLabel; ++which) {
            label->setText(QStringLiteral("Text %1").arg(which), L::TextLabel(which));
            label->setTextLabelObjectName(QStringLiteral("Cell"), L::TextLabel(which));
        }
        QImage white(imageSize, QImage::Format_ARGB32);
        white.fill(Qt::white);
        label->setImage(MImageWidget(white));
    }
    // "row column rowSpan columnSpan" of the cells an item covers, also counting that it
    // covers nothing else; empty when it has none.
    QString cellOf(QGraphicsLayoutItem* item) const
    {
        QRect covered;
        int cells = 0;
        for (int r = 0; item && r < view()->grid()->rowCount(); ++r) {
            for (int c = 0; c < view()->grid()->columnCount(); ++c) {
                if (view()->grid()->itemAt(r, c) == item) {
                    covered |= QRect(c, r, 1, 1);
                    ++cells;
                }
            }
        }
        if (!cells || cells != covered.width() * covered.height()) {
            return cells ? QStringLiteral("scattered") : QString();
        }
        return QStringLiteral("%1 %2 %3 %4")
            .arg(covered.y())
            .arg(covered.x())
            .arg(covered.height())
            .arg(covered.width());
    }
    QImage render()
    {
        view()->grid()->activate();
        QImage image(label->size().toSize(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        scene->render(&painter, QRectF(image.rect()), label->sceneBoundingRect());
        painter.end();
        return image.convertToFormat(QImage::Format_ARGB32);
    }
    void sceneMouse(QEvent::Type type, const QPointF& local)
    {
        QGraphicsSceneMouseEvent event(type);
        event.setButton(Qt::LeftButton);
        event.setButtons(type == QEvent::GraphicsSceneMousePress ? Qt::LeftButton : Qt::NoButton);
        event.setScenePos(label->mapToScene(local));
        QCoreApplication::sendEvent(scene, &event);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QDir(dir.path()).mkpath(QStringLiteral("icons"));
        QFile conf(dir.filePath(QStringLiteral("theme.conf")));
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write("KelMediaLabelStyle#Marks { favouriteIconId: test-fav; playIconId: test-play;"
                   " pauseIconId: test-pause; }\n"
                   "MWidgetStyle#Cell { backgroundColor: #ff0000; }\n");
        conf.close();
        for (const auto& [id, colour] : {std::pair<const char*, Qt::GlobalColor>{"fav", Qt::green},
                                         {"play", Qt::blue},
                                         {"pause", Qt::yellow}}) {
            QImage icon(8, 8, QImage::Format_ARGB32);
            icon.fill(colour);
            QVERIFY(icon.save(dir.filePath(QStringLiteral("icons/test-%1.png").arg(id))));
        }
        MTheme::addDirectory(dir.path());
    }
    void init() { scene = new QGraphicsScene; }
    void cleanup()
    {
        delete scene;
        label = nullptr;
    }

    void modelNotifiesOnce_data()
    {
        QTest::addColumn<int>("operation");
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("stored");
        QTest::newRow("favourite") << 0 << QByteArray("isFavourite") << QVariant(true);
        QTest::newRow("play") << 1 << QByteArray("playStatus") << QVariant(1);
        QTest::newRow("unknown status") << 2 << QByteArray("playStatus") << QVariant(7);
        QTest::newRow("outline off") << 3 << QByteArray("outlineVisible") << QVariant(false);
    }
    void modelNotifiesOnce()
    {
        QFETCH(int, operation);
        QFETCH(QByteArray, property);
        QFETCH(QVariant, stored);
        makeLabel(L::TextLeftOfImage);
        KelMediaLabelModel* m = label->labelModel();
        QCOMPARE(m->isFavourite(), false);
        QCOMPARE(m->playStatus(), int(L::PlayStatusNone));
        QCOMPARE(m->outlineVisible(), true);
        QList<const char*> seen;
        connect(m, &MWidgetModel::modified, this,
                [&seen](const QList<const char*>& names) { seen += names; });
        const std::function<void()> operations[] = {
            [this] { label->setFavoriteMark(); },
            [this] { label->setPlayStatus(L::PlayStatusPlay); },
            [this] { label->setPlayStatus(L::LabelPlayStatus(7)); },
            [this] { label->setOutlineVisible(false); }};
        operations[operation]();
        operations[operation](); // the same value again
        QCOMPARE(seen.size(), 1);
        const char* constants[] = {M::IsFavourite, M::PlayStatus, M::PlayStatus, M::OutlineVisible};
        QVERIFY(seen.first() == constants[operation]);
        QCOMPARE(m->property(property.constData()), stored);
        // An adopted record is given the defaults.
        auto* data = new KelMediaLabelModelData;
        data->isFavourite = true;
        data->outlineVisible = false;
        KelMediaLabelModel adopted(data);
        QVERIFY(!adopted._isFavourite() && adopted._outlineVisible());
    }
    // Each row: the cells after the switch, "row column rowSpan columnSpan" for the image and
    // the four labels.
    void gridFollowsTextPosition_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QStringList>("cells");
        const QStringList block{"0 0 1 1", "0 1 1 1", "1 0 1 1", "1 1 1 1"};
        QTest::newRow("left to above") << 0 << 2 << QStringList{"2 0 1 2"} + block;
        QTest::newRow("above to right")
            << 2 << 1 << QStringList{"0 0 2 1", "0 1 1 1", "0 2 1 1", "1 1 1 1", "1 2 1 1"};
        QTest::newRow("right to below")
            << 1 << 3 << QStringList{"0 0 1 2", "1 0 1 1", "1 1 1 1", "2 0 1 1", "2 1 1 1"};
        QTest::newRow("below to left") << 3 << 0 << QStringList{"0 2 2 1"} + block;
        QTest::newRow("below to other") << 3 << 9 << QStringList{"0 2 2 1"} + block;
    }
    void gridFollowsTextPosition()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QStringList, cells);
        g_warnings.clear();
        const QtMessageHandler previous = qInstallMessageHandler(collectWarnings);
        makeLabel(from);
        fill(QSize(60, 40));
        label->setTextPosition(L::TextPosition(to));
        qInstallMessageHandler(previous);
        QCOMPARE(g_warnings, QStringList());  // no item dropped on another's cell on the way
        QCOMPARE(view()->grid()->count(), 5); // each item exactly once
        QStringList seen{cellOf(view()->imageItem())};
        for (int which = L::TopLeftLabel; which <= L::BottomRightLabel; ++which) {
            seen << cellOf(view()->textLabel(L::TextLabel(which)));
        }
        QCOMPARE(seen, cells);
    }

    // Texts set (letters of the labels), then texts cleared; the left labels' cells.
    void leftLabelSpans_data()
    {
        QTest::addColumn<QString>("set");
        QTest::addColumn<QString>("cleared");
        QTest::addColumn<QString>("topLeft");
        QTest::addColumn<QString>("bottomLeft");
        QTest::newRow("top left, bottom right") << "ad"
                                                << ""
                                                << "0 0 1 2"
                                                << "";
        QTest::newRow("top left only") << "a"
                                       << ""
                                       << "0 0 1 1"
                                       << "";
        QTest::newRow("bottom left, top right") << "bc"
                                                << ""
                                                << ""
                                                << "1 0 1 2";
        QTest::newRow("all four") << "abcd"
                                  << ""
                                  << "0 0 1 1"
                                  << "1 0 1 1";
        QTest::newRow("top right cleared") << "abcd"
                                           << "b"
                                           << "0 0 1 2"
                                           << "1 0 1 1";
        QTest::newRow("missing one cleared") << "ad"
                                             << "c"
                                             << "0 0 1 2"
                                             << "";
        QTest::newRow("elide makes one") << "e"
                                         << ""
                                         << ""
                                         << "";
    }
    void leftLabelSpans()
    {
        QFETCH(QString, set);
        QFETCH(QString, cleared);
        QFETCH(QString, topLeft);
        QFETCH(QString, bottomLeft);
        makeLabel(L::TextLeftOfImage);
        for (QChar c : set) {
            if (c == QLatin1Char('e')) { // an empty label in its cell, bottom right
                label->setTextElide(true, L::BottomRightLabel);
                QVERIFY(view()->textLabel(L::BottomRightLabel)->textElide());
                QCOMPARE(cellOf(view()->textLabel(L::BottomRightLabel)), QStringLiteral("1 1 1 1"));
            } else {
                label->setText(QStringLiteral("x"), L::TextLabel(c.unicode() - 'a'));
            }
        }
        QString left = set;
        for (QChar c : cleared) {
            label->setText(QString(), L::TextLabel(c.unicode() - 'a'));
            left.remove(c);
        }
        label->setText(QStringLiteral("x"), L::TextLabel(4)); // no such label
        QCOMPARE(cellOf(view()->textLabel(L::TopLeftLabel)), topLeft);
        QCOMPARE(cellOf(view()->textLabel(L::BottomLeftLabel)), bottomLeft);
        QCOMPARE(view()->grid()->count(), left.size()); // nothing stale
    }

    void imageReplacement()
    {
        makeLabel(L::TextRightOfImage);
        label->setObjectNameOfImage(QStringLiteral("Picture")); // makes an empty image
        label->setIconAsImage(QStringLiteral("test-fav"));
        QPointer<MWidget> first = view()->imageItem();
        QCOMPARE(first->objectName(), QStringLiteral("Picture"));
        label->setIconAsImage(QStringLiteral("test-fav")); // the same id: nothing happens
        QCOMPARE(view()->imageItem(), first.data());
        label->setImage(MImageWidget(QImage(3, 3, QImage::Format_RGB32)));
        QVERIFY(!first);
        label->setIconAsImage(QStringLiteral("test-fav")); // applied again after an image
        auto* themed = qobject_cast<MImageWidget*>(view()->imageItem());
        QCOMPARE(themed->image(), QStringLiteral("test-fav"));
        QCOMPARE(themed->objectName(), QStringLiteral("Picture"));
        QPointer<MWidget> current = themed;
        label->setWidgetToImageLocation(themed); // kept, still in one cell
        QVERIFY(current);
        QCOMPARE(cellOf(themed), QStringLiteral("0 0 2 1"));
        QCOMPARE(view()->grid()->count(), 1);
        auto* other = new MStylableWidget;
        label->setWidgetToImageLocation(other);
        QVERIFY(!current);
        QCOMPARE(cellOf(other), QStringLiteral("0 0 2 1"));
    }

    void imageFromFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QSize>("size");
        QTest::newRow("missing") << "missing.png" << QSize(0, 0);
        QTest::newRow("not an image") << "theme.conf" << QSize(0, 0);
        QTest::newRow("oversized, read scaled") << "big.png" << QSize(2896, 1448);
    }
    void imageFromFile()
    {
        QFETCH(QString, file);
        QFETCH(QSize, size);
        QImage big(2900, 1450, QImage::Format_RGB32);
        big.fill(Qt::gray);
        QVERIFY(big.save(dir.filePath(QStringLiteral("big.png"))));
        makeLabel(L::TextLeftOfImage);
        label->setIconAsImage(QStringLiteral("test-play"));
        QPointer<MWidget> before = view()->imageItem();
        label->setImage(QUrl::fromLocalFile(dir.filePath(file)).toString());
        QVERIFY(!before);
        QCOMPARE(qobject_cast<MImageWidget*>(view()->imageItem())->imageSize(), size);
    }

    void releaseOutsideStillClicks()
    {
        makeLabel(L::TextLeftOfImage);
        fill(QSize(60, 40));
        view()->grid()->activate();
        QSignalSpy clicked(label, &KelMediaLabel::clicked);
        sceneMouse(QEvent::GraphicsSceneMousePress, QPointF(20, 20)); // on a text label
        sceneMouse(QEvent::GraphicsSceneMouseRelease, QPointF(900, 500));
        QCOMPARE(clicked.size(), 1);
    }

    void viewReplacedByFramework()
    {
        makeLabel(L::TextLeftOfImage);
        fill(QSize(10, 10));
        QPointer<MLabel> text = view()->textLabel(L::TopLeftLabel);
        label->setView(nullptr);
        QVERIFY(!text);
        QVERIFY(!label->layout());
        label->setText(QStringLiteral("nowhere"), L::TopLeftLabel);
        label->setFavoriteMark();
        QVERIFY(label->labelModel()->isFavourite());
    }

    // The marks, over the labels' red cells: favourite green, play blue, pause yellow.
    void marks_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("favourite");
        QTest::addColumn<int>("status");
        QTest::addColumn<QPoint>("favouriteAt");
        QTest::addColumn<QPoint>("statusAt");
        const QSize wide(400, 80);
        QTest::newRow("right of image")
            << 1 << wide << true << 1 << QPoint(375, 27) << QPoint(350, 27);
        QTest::newRow("above image")
            << 2 << wide << true << 1 << QPoint(375, 27) << QPoint(350, 27);
        // Left by the image's width (60), up by its height (40).
        QTest::newRow("left of image")
            << 0 << wide << true << 1 << QPoint(315, 27) << QPoint(290, 27);
        QTest::newRow("below image")
            << 3 << QSize(400, 200) << true << 1 << QPoint(375, 47) << QPoint(350, 47);
        QTest::newRow("other position")
            << 6 << wide << true << 1 << QPoint(315, 27) << QPoint(290, 27);
        QTest::newRow("pause, no favourite")
            << 1 << wide << false << 2 << QPoint(375, 27) << QPoint(350, 27);
        QTest::newRow("unknown status")
            << 1 << wide << true << 5 << QPoint(375, 27) << QPoint(350, 27);
    }
    void marks()
    {
        QFETCH(int, position);
        QFETCH(QSize, size);
        QFETCH(bool, favourite);
        QFETCH(int, status);
        QFETCH(QPoint, favouriteAt);
        QFETCH(QPoint, statusAt);
        makeLabel(position, size);
        fill(QSize(60, 40));
        if (favourite) {
            label->setFavoriteMark();
        }
        label->setPlayStatus(L::LabelPlayStatus(status));
        const QImage image = render();
        auto is = [&image](const QPoint& point, Qt::GlobalColor colour) {
            return QColor(image.pixel(point)) == QColor(colour);
        };
        // Inside at two corners, and not just left of or above the point.
        using Mark = std::tuple<QPoint, Qt::GlobalColor, bool>;
        for (const auto& [point, colour, shown] :
             {Mark{favouriteAt, Qt::green, favourite},
              Mark{statusAt, status == 2 ? Qt::yellow : Qt::blue, status == 1 || status == 2}}) {
            QCOMPARE(is(point + QPoint(1, 1), colour) && is(point + QPoint(23, 23), colour), shown);
            QVERIFY(!is(point + QPoint(-1, 12), colour) && !is(point + QPoint(12, -1), colour));
        }
    }

    void outline_data()
    {
        QTest::addColumn<bool>("visible");
        QTest::newRow("new label") << true;
        QTest::newRow("switched off") << false;
    }
    void outline()
    {
        QFETCH(bool, visible);
        makeLabel(L::TextLeftOfImage);
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

    void registration()
    {
        const MStyleCreatorBase* creator =
            MTheme::styleCreator(QStringLiteral("KelMediaLabelStyle"));
        QVERIFY(creator);
        QCOMPARE(creator->library(), QStringLiteral("libkelmora"));
        QCOMPARE(QByteArray(creator->attributeType("pauseIconId")), QByteArray("QString"));
        QCOMPARE(QByteArray(creator->attributeType("marginTop")), QByteArray("int"));
        QVERIFY(!creator->attributeType("nothing"));
        const MStyle* style = MTheme::style("KelMediaLabelStyle", QString());
        for (const char* attribute : {"favouriteIconId", "playIconId", "pauseIconId"}) {
            const QString id = style->property(attribute).toString();
            QVERIFY2(MTheme::hasPixmap(id), attribute);
        }
        MTheme::releaseStyle(style);
    }
};

KELMORA_TEST_MAIN(TestMediaLabel)
#include "tst_medialabel.moc"
