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

// "row column rowSpan columnSpan" -> the cells covered.
QSet<QPair<int, int>> cellsOf(const QString& spec)
{
    const QStringList n = spec.split(QLatin1Char(' '));
    QSet<QPair<int, int>> cells;
    for (int r = 0; r < n.value(2, QStringLiteral("1")).toInt(); ++r) {
        for (int c = 0; c < n.value(3, QStringLiteral("1")).toInt(); ++c) {
            cells.insert({n[0].toInt() + r, n[1].toInt() + c});
        }
    }
    return cells;
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
    QSet<QPair<int, int>> cellsIn(QGraphicsLayoutItem* item) const
    {
        QSet<QPair<int, int>> cells;
        for (int r = 0; item && r < view()->grid()->rowCount(); ++r) {
            for (int c = 0; c < view()->grid()->columnCount(); ++c) {
                if (view()->grid()->itemAt(r, c) == item) {
                    cells.insert({r, c});
                }
            }
        }
        return cells;
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
        for (int twice = 0; twice < 2; ++twice) {
            switch (operation) {
            case 0:
                label->setFavoriteMark();
                break;
            case 1:
                label->setPlayStatus(L::PlayStatusPlay);
                break;
            case 2:
                label->setPlayStatus(L::LabelPlayStatus(7));
                break;
            default:
                label->setOutlineVisible(false);
            }
        }
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
        const QStringList leftAbove{"0 0", "0 1", "1 0", "1 1"};
        QTest::newRow("left to above") << 0 << 2 << (QStringList{"2 0 1 2"} + leftAbove);
        QTest::newRow("above to right")
            << 2 << 1 << QStringList{"0 0 2 1", "0 1", "0 2", "1 1", "1 2"};
        QTest::newRow("right to below")
            << 1 << 3 << QStringList{"0 0 1 2", "1 0", "1 1", "2 0", "2 1"};
        QTest::newRow("below to left") << 3 << 0 << (QStringList{"0 2 2 1"} + leftAbove);
        QTest::newRow("below to other") << 3 << 9 << (QStringList{"0 2 2 1"} + leftAbove);
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
        QCOMPARE(cellsIn(view()->imageItem()), cellsOf(cells[0]));
        for (int which = L::TopLeftLabel; which <= L::BottomRightLabel; ++which) {
            QCOMPARE(cellsIn(view()->textLabel(L::TextLabel(which))), cellsOf(cells[which + 1]));
        }
    }

    // Texts set (letters of the labels), then texts cleared; the spans of the left labels.
    void leftLabelSpans_data()
    {
        QTest::addColumn<QString>("set");
        QTest::addColumn<QString>("cleared");
        QTest::addColumn<int>("topLeft");
        QTest::addColumn<int>("bottomLeft");
        QTest::newRow("top left and bottom right") << "ad"
                                                   << "" << 2 << 0;
        QTest::newRow("top left only") << "a"
                                       << "" << 1 << 0;
        QTest::newRow("bottom left and top right") << "bc"
                                                   << "" << 0 << 2;
        QTest::newRow("all four") << "abcd"
                                  << "" << 1 << 1;
        QTest::newRow("top right cleared") << "abcd"
                                           << "b" << 2 << 1;
        QTest::newRow("missing one cleared") << "ad"
                                             << "c" << 2 << 0;
    }
    void leftLabelSpans()
    {
        QFETCH(QString, set);
        QFETCH(QString, cleared);
        QFETCH(int, topLeft);
        QFETCH(int, bottomLeft);
        makeLabel(L::TextLeftOfImage);
        for (QChar c : set) {
            label->setText(QStringLiteral("x"), L::TextLabel(c.unicode() - 'a'));
        }
        for (QChar c : cleared) {
            label->setText(QString(), L::TextLabel(c.unicode() - 'a'));
        }
        QCOMPARE(cellsIn(view()->textLabel(L::TopLeftLabel)).size(), topLeft);
        QCOMPARE(cellsIn(view()->textLabel(L::BottomLeftLabel)).size(), bottomLeft);
        int alive = 0;
        for (int which = L::TopLeftLabel; which <= L::BottomRightLabel; ++which) {
            alive += view()->textLabel(L::TextLabel(which)) ? 1 : 0;
        }
        QCOMPARE(view()->grid()->count(), alive); // no entry left of a deleted label
    }

    void textOperationsMakeTheLabel()
    {
        makeLabel(L::TextLeftOfImage);
        label->setTextElide(true, L::BottomRightLabel);
        MLabel* made = view()->textLabel(L::BottomRightLabel);
        QVERIFY(made && made->text().isEmpty() && made->textElide());
        QCOMPARE(cellsIn(made), cellsOf(QStringLiteral("1 1")));
        label->setText(QStringLiteral("x"), L::TextLabel(4)); // no such label
        QCOMPARE(view()->grid()->count(), 1);
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
        QCOMPARE(cellsIn(themed), cellsOf(QStringLiteral("0 0 2 1")));
        QCOMPARE(view()->grid()->count(), 1);
        auto* other = new MStylableWidget;
        label->setWidgetToImageLocation(other);
        QVERIFY(!current);
        QCOMPARE(cellsIn(other), cellsOf(QStringLiteral("0 0 2 1")));
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
        auto is = [&image](const QPoint& at, Qt::GlobalColor colour) {
            return QColor(image.pixel(at)) == QColor(colour);
        };
        const QPoint inside(1, 1), far(23, 23), left(-1, 12), above(12, -1);
        QCOMPARE(is(favouriteAt + inside, Qt::green) && is(favouriteAt + far, Qt::green),
                 favourite);
        QVERIFY(!is(favouriteAt + left, Qt::green) && !is(favouriteAt + above, Qt::green));
        const Qt::GlobalColor mark = status == 2 ? Qt::yellow : Qt::blue;
        QCOMPARE(is(statusAt + inside, mark) && is(statusAt + far, mark),
                 status == 1 || status == 2);
        QVERIFY(!is(statusAt + left, mark) && !is(statusAt + above, mark));
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
