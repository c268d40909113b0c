// The overlay label: pictures, touch, painting on real pixels, the text box, the normal view, and
// views replaced under it.
#include "testfiles.h"
#include "testmain.h"

#include <keloverlaylabel.h>
#include <keloverlaylabelmodel.h>
#include <keloverlaylabelnormalview.h>
#include <keloverlaylabeloverlayview.h>
#include <mcancelevent.h>
#include <mcontentitem.h>
#include <mfeedback.h>
#include <mimagewidget.h>
#include <mlabel.h>
#include <mprogressindicator.h>
#include <mtheme.h>

#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QGraphicsSceneMouseEvent>
#include <QGraphicsView>
#include <QPainter>
#include <QStyleOptionGraphicsItem>
#include <QTapAndHoldGesture>

class TestOverlayLabel : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    QGraphicsScene* scene = nullptr;
    KelOverlayLabel* label = nullptr;
    QStringList played; // touch feedback

    auto* overlay() const { return qobject_cast<KelOverlayLabelOverlayView*>(label->view()); }
    void makeLabel(const char* styleName,
                   KelOverlayLabel::ViewType type = KelOverlayLabel::OverlayView)
    {
        label = new KelOverlayLabel(type, QString::fromLatin1(styleName));
        scene->addItem(label);
        label->setPos(100, 100);
        label->resize(200, 200);
        QCoreApplication::processEvents(); // views finish their set-up on the first turn
    }
    // Through the scene's hit test and mouse grab, as a finger would.
    void mouse(QEvent::Type type, const QPointF& local)
    {
        QGraphicsSceneMouseEvent event(type);
        event.setButton(Qt::LeftButton);
        event.setButtons(type == QEvent::GraphicsSceneMouseRelease ? Qt::NoButton : Qt::LeftButton);
        event.setScenePos(label->mapToScene(local));
        QCoreApplication::sendEvent(scene, &event);
    }
    // The label painted, its colours at these points: #aarrggbb, or "none" where transparent.
    QString colours(const QVector<QPoint>& points)
    {
        QImage image(200, 200, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        QStyleOptionGraphicsItem option;
        label->paint(&painter, &option, nullptr);
        painter.end();
        QStringList seen;
        for (const QPoint& point : points) {
            const QColor colour = image.pixelColor(point);
            seen << (colour.alpha() ? colour.name(QColor::HexArgb) : QStringLiteral("none"));
        }
        return seen.join(QLatin1Char(' '));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(writeTheme(
            dir.path(),
            "KelOverlayLabelStyle#Plain { preferredSize: 200 200; overlayHeight: 40; }\n"
            "KelOverlayLabelStyle#Shifted { preferredSize: 200 120; marginLeft: 10; marginTop: 20;"
            " marginRight: 4; marginBottom: 6; overlayHeight: 30; overlayBottomMargin: 5; }\n",
            {{"test-green", Qt::green}, {"test-yellow", Qt::yellow}}));
        MTheme::addDirectory(dir.path());
        connect(MFeedback::instance(), &MFeedback::played, this,
                [this](const QString& name) { played << name; });
    }
    void init()
    {
        scene = new QGraphicsScene;
        played.clear();
    }
    void cleanup()
    {
        delete scene;
        label = nullptr;
    }

    // The release rule, the id rules of the setters, and theme pixmaps given back.
    void pictureRules()
    {
        makeLabel("Plain");
        KelOverlayLabelModel* m = label->labelModel();
        const int themed = MTheme::livePixmaps();
        m->setImageId(QStringLiteral("test-green"));
        m->setImage(nullptr); // the release rule runs without a stored pixmap too
        QVERIFY(m->imageId().isEmpty());
        label->setIcon(QStringLiteral("test-green"));
        label->setImage(QPixmap(4, 4));
        label->setImage(QStringLiteral("test-yellow")); // no pixmap, no icon
        QVERIFY(!m->image() && m->iconId().isEmpty());
        QCOMPARE(label->image()->toImage().pixel(0, 0), qRgb(255, 255, 0));
        label->setIcon(QStringLiteral("test-green")); // no theme picture
        QVERIFY(m->imageId().isEmpty());
        label->setImage(QImage(6, 6, QImage::Format_RGB32));
        m->setImageId(QStringLiteral("test-yellow")); // a theme id wins over a stored pixmap
        QCOMPARE(label->image()->size(), QSize(8, 8));
        delete label;
        QCOMPARE(MTheme::livePixmaps(), themed);
    }

    // Scripts: p (press at x,y), m (move), r (release), c (cancel), l (long tap on a real view).
    void touch_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<QStringList>("feedback");
        const QStringList both{"press", "release"};
        QTest::newRow("released within slop") << "p50,50 r-29,230" << 1 << both;
        QTest::newRow("released beyond slop") << "p50,50 r-31,50" << 0 << QStringList{"press"};
        QTest::newRow("out and back") << "p50,50 m250,50 m50,50 r50,50" << 1 << both;
        QTest::newRow("cancelled") << "p50,50 c r50,50" << 0 << QStringList{"press"};
        QTest::newRow("long tap") << "l50,50" << 0 << QStringList{"press"};
    }
    void touch()
    {
        QFETCH(QString, script);
        QFETCH(int, clicks);
        QFETCH(QStringList, feedback);
        makeLabel("Plain");
        QSignalSpy clicked(label, &KelOverlayLabel::clicked);
        for (const QString& step : script.split(QLatin1Char(' '))) {
            const QStringList xy = step.mid(1).split(QLatin1Char(','));
            const QPointF at(xy.value(0).toDouble(), xy.value(1).toDouble());
            const char kind = step.at(0).toLatin1();
            if (kind == 'c') {
                MCancelEvent cancel;
                cancel.ignore();
                QCoreApplication::sendEvent(label, &cancel);
                QVERIFY(cancel.isAccepted() && !overlay()->isPressed());
            } else if (kind == 'l') {
                // Held until Qt's gesture framework recognises it, then released.
                QSignalSpy longTapped(label, &KelOverlayLabel::longTapped);
                QGraphicsView view(scene);
                view.show();
                QTapAndHoldGesture::setTimeout(50);
                const QPoint onView = view.mapFromScene(label->mapToScene(at));
                QTest::mousePress(view.viewport(), Qt::LeftButton, {}, onView);
                QVERIFY(longTapped.wait(2000));
                QVERIFY(!label->isPressInProgress());
                QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, onView);
            } else {
                mouse(kind == 'p'   ? QEvent::GraphicsSceneMousePress
                      : kind == 'm' ? QEvent::GraphicsSceneMouseMove
                                    : QEvent::GraphicsSceneMouseRelease,
                      at);
                // The pressed look while the finger is on the label.
                QVERIFY(kind == 'r' || overlay()->isPressed() == label->rect().contains(at));
            }
        }
        QCOMPARE(clicked.size(), clicks);
        QCOMPARE(played, feedback);
        QVERIFY(!label->isPressInProgress());
        // The pressed look, if any, ends 300 ms after the release.
        QTRY_VERIFY_WITH_TIMEOUT(!overlay()->isPressed(), 1000);
    }

    // A pixmap stretched; while loading no picture, pressed: the white tint over nothing at the
    // corner and over the yellow overlay icon (50, 50, 100, 100) in the middle; an icon centred
    // by the margins at (mL + 100 - 32, mT + 100 - 32) = (78, 88), 64 by 64.
    void paints()
    {
        makeLabel("Plain");
        QImage halves(100, 50, QImage::Format_RGB32); // red left, blue right
        halves.fill(Qt::red);
        QPainter(&halves).fillRect(50, 0, 50, 50, Qt::blue);
        label->setImage(halves);
        QCOMPARE(colours({{2, 2}, {98, 197}, {102, 197}, {197, 2}}),
                 QStringLiteral("#ffff0000 #ffff0000 #ff0000ff #ff0000ff"));
        label->setOverlayImage(QStringLiteral("test-yellow"));
        label->setLoading(true);
        QMetaObject::invokeMethod(label, "setPressedState");
        QCOMPARE(colours({{5, 5}, {100, 100}}), QStringLiteral("#7fffffff #ffffff7f"));
        delete label;
        makeLabel("Shifted");
        label->setIcon(QStringLiteral("test-green"));
        QCOMPARE(colours({{79, 89}, {140, 150}, {76, 89}, {143, 153}}),
                 QStringLiteral("#ff00ff00 #ff00ff00 none none"));
    }

    // The text box: placed by the style's margins, shown while there is a title and after any
    // change but loading; the spinner.
    void overlayBox()
    {
        makeLabel("Shifted");
        QCOMPARE(label->preferredSize(), QSizeF(200, 200)); // square from the style's width
        MStylableWidget* box = overlay()->overlayBox();
        QCOMPARE(box->size(), QSizeF(186, 30));
        QCOMPARE(box->pos(), QPointF(10, 200 - 30 + 20 - 5));
        label->resize(200, 300);
        QCOMPARE(box->pos(), QPointF(10, 300 - 30 + 20 - 5));
        QVERIFY(!box->isVisible());
        label->setTitle(QStringLiteral("Song"));
        QVERIFY(box->isVisible());
        QCOMPARE(overlay()->textLabel()->text(), QStringLiteral("Song"));
        label->setLoading(true);
        QVERIFY(!box->isVisible());
        // The theme's 64 by 64 spinner at ((W - mR) / 2 - 32, (H - mB) / 2 - 32), by the margins
        // shifted 10 up and left.
        MProgressIndicator* spinner = label->labelModel()->spinner();
        QCOMPARE(overlay()->spinnerHolder()->pos(), QPointF(66, 115));
        label->setLoading(true, true);
        QCOMPARE(label->labelModel()->spinner(), spinner); // still the one
        QCOMPARE(overlay()->spinnerHolder()->pos(), QPointF(56, 105));
        QCOMPARE(spinner->parentItem(), overlay()->spinnerHolder());
        QCOMPARE(spinner->size(), QSizeF(64, 64));
        QVERIFY(spinner->isAnimating());
        label->setSubtitle(QStringLiteral("any notification"));
        QVERIFY(box->isVisible());
        label->setTitle(QString());
        QVERIFY(!box->isVisible());
        label->setLoading(false);
        QVERIFY(!label->labelModel()->spinner());
    }

    // Each view, installed over a filled model, shows it at once and follows it; the one replaced
    // leaves nothing behind (the spinner out of the scene, nothing over the picture); a small image
    // cleared stays the label's, hidden, and set again (out of a scene too) is back in its place.
    void normalViewBothWays()
    {
        makeLabel("Plain");
        label->setLoading(true);
        MProgressIndicator* spinner = label->labelModel()->spinner();
        label->setTitle(QStringLiteral("Song"));
        label->setSubtitle(QStringLiteral("Band"));
        label->setImage(QImage(4, 4, QImage::Format_RGB32));
        label->setSmallImage(QStringLiteral("test-green"));
        label->setTypeOfView(KelOverlayLabel::NormalView); // no event-loop turn after this
        MContentItem* item = qobject_cast<KelOverlayLabelNormalView*>(label->view())->item();
        QVERIFY(!spinner->scene() && !spinner->isAnimating() && !spinner->parentItem());
        QCOMPARE(item->title(), QStringLiteral("Song"));
        QCOMPARE(item->subtitle(), QStringLiteral("Band"));
        QCOMPARE(item->pixmap().size(), QSize(4, 4));
        QCOMPARE(QColor(item->optionalPixmap().toImage().pixel(0, 0)), QColor(Qt::green));
        label->setTitle(QStringLiteral("T"));
        QCOMPARE(item->title(), QStringLiteral("T"));
        label->setIcon(QStringLiteral("test-yellow")); // not shown by this view, but it clears
        QVERIFY(item->pixmap().isNull());              // the picture
        QCoreApplication::processEvents();             // the layout gives the item the label's area
        QSignalSpy clicked(label, &KelOverlayLabel::clicked);
        mouse(QEvent::GraphicsSceneMousePress, QPointF(100, 100));
        QCOMPARE(scene->mouseGrabberItem(), item); // its click is the label's
        mouse(QEvent::GraphicsSceneMouseRelease, QPointF(100, 100));
        QCOMPARE(clicked.size(), 1);
        label->setLoading(false);
        played.clear();
        label->setTypeOfView(KelOverlayLabel::OverlayView); // no event-loop turn after this
        QCOMPARE(overlay()->textLabel()->text(), QStringLiteral("T"));
        MStylableWidget* box = overlay()->overlayBox();
        MImageWidget* small = overlay()->smallImage();
        QVERIFY(box->isVisible());
        QCOMPARE(box->layout()->itemAt(0), small);
        QVERIFY(!label->layout());
        mouse(QEvent::GraphicsSceneMousePress, QPointF(100, 100));
        QVERIFY(overlay()->isPressed());
        QCOMPARE(played, QStringList{QStringLiteral("press")});
        label->setSmallImage(QString());
        QCOMPARE(box->layout()->count(), 1);
        QVERIFY(label->isAncestorOf(small) && !small->isVisibleTo(box));
        scene->removeItem(label);
        label->setSmallImage(QStringLiteral("test-yellow"));
        QCOMPARE(box->layout()->itemAt(0), small);
        QVERIFY(small->isVisibleTo(box));
        label->setTypeOfView(KelOverlayLabel::Undefined);
        label->setLoading(true); // and no view at all
        delete label;
    }
};

KELMORA_TEST_MAIN(TestOverlayLabel)
#include "tst_overlaylabel.moc"
