// The overlay label: model, touch handling, painting on real pixels, the text box and the
// normal view.
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
#include <mlibrary.h>
#include <mprogressindicator.h>
#include <mstylecreator.h>
#include <mtheme.h>

#include <QGraphicsLinearLayout>
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

    KelOverlayLabelOverlayView* overlay() const
    {
        return qobject_cast<KelOverlayLabelOverlayView*>(label->view());
    }
    KelOverlayLabel* makeLabel(const QString& styleName,
                               KelOverlayLabel::ViewType type = KelOverlayLabel::OverlayView)
    {
        label = new KelOverlayLabel(type, styleName);
        scene->addItem(label);
        label->setPos(100, 100);
        label->resize(200, 200);
        QCoreApplication::processEvents(); // views finish their set-up on the first turn
        return label;
    }
    void mouse(QEvent::Type type, const QPointF& local)
    {
        QGraphicsSceneMouseEvent event(type);
        event.setButton(Qt::LeftButton);
        event.setButtons(type == QEvent::GraphicsSceneMouseRelease ? Qt::NoButton : Qt::LeftButton);
        event.setPos(local);
        event.setScenePos(label->mapToScene(local));
        scene->sendEvent(label, &event);
    }
    // Through the scene's own hit test, as a finger would.
    void scenePress(const QPointF& local)
    {
        QGraphicsSceneMouseEvent event(QEvent::GraphicsSceneMousePress);
        event.setButton(Qt::LeftButton);
        event.setButtons(Qt::LeftButton);
        event.setScenePos(label->mapToScene(local));
        QCoreApplication::sendEvent(scene, &event);
    }
    QImage paintLabel()
    {
        QImage image(200, 200, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        QStyleOptionGraphicsItem option;
        label->paint(&painter, &option, nullptr);
        painter.end();
        return image.convertToFormat(QImage::Format_ARGB32);
    }
    static QImage halves(int width, int height)
    {
        QImage image(width, height, QImage::Format_ARGB32);
        QPainter painter(&image);
        painter.fillRect(0, 0, width / 2, height, Qt::red);
        painter.fillRect(width / 2, 0, width - width / 2, height, Qt::blue);
        return image;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QDir(dir.path()).mkpath(QStringLiteral("icons"));
        QFile conf(dir.filePath(QStringLiteral("theme.conf")));
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write(
            "KelOverlayLabelStyle#Plain { preferredSize: 200 200; overlayHeight: 40; }\n"
            "KelOverlayLabelStyle#Shifted { preferredSize: 200 120; marginLeft: 10; marginTop: 20;"
            " marginRight: 4; marginBottom: 6; overlayHeight: 30; overlayBottomMargin: 5; }\n");
        conf.close();
        for (const auto& [id, colour] :
             {std::pair<const char*, Qt::GlobalColor>{"test-green", Qt::green},
              {"test-yellow", Qt::yellow}}) {
            QImage icon(8, 8, QImage::Format_ARGB32);
            icon.fill(colour);
            QVERIFY(icon.save(dir.filePath(QStringLiteral("icons/%1.png").arg(QLatin1String(id)))));
        }
        MTheme::addDirectory(dir.path());
    }
    void init() { scene = new QGraphicsScene; }
    void cleanup()
    {
        delete scene;
        label = nullptr;
    }

    void modelNotifiesByPointerOnChange_data()
    {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<int>("which");
        int i = 0;
        for (const char* name : {"title", "subtitle", "imageId", "smallImageId", "overlayImageId",
                                 "imageUri", "iconId"}) {
            QTest::newRow(name) << QByteArray(name) << i++;
        }
    }
    void modelNotifiesByPointerOnChange()
    {
        QFETCH(QByteArray, property);
        QFETCH(int, which);
        using M = KelOverlayLabelModel;
        const char* const constants[] = {M::Title,        M::Subtitle,       M::ImageId,
                                         M::SmallImageId, M::OverlayImageId, M::ImageUri,
                                         M::IconId};
        KelOverlayLabelModel model;
        QList<const char*> seen;
        connect(&model, &MWidgetModel::modified, this,
                [&seen](const QList<const char*>& names) { seen += names; });
        QVERIFY(model.setProperty(property.constData(), QStringLiteral("value")));
        QVERIFY(model.setProperty(property.constData(), QStringLiteral("value"))); // unchanged
        QCOMPARE(seen.size(), 1);
        QVERIFY(seen.first() == constants[which]); // the very pointer
        QCOMPARE(model.property(property.constData()).toString(), QStringLiteral("value"));
    }

    // Pixmaps the label makes are always its own: deleted, never handed to the theme.
    void pictureSetters()
    {
        makeLabel(QStringLiteral("Plain"));
        KelOverlayLabelModel* m = label->labelModel();
        const int themed = MTheme::livePixmaps();
        m->setImageId(QStringLiteral("test-green"));
        m->setImage(nullptr); // the release rule runs without a stored pixmap too
        QVERIFY(m->imageId().isEmpty());
        label->setIcon(QStringLiteral("test-green"));
        label->setImage(QPixmap(4, 4));
        QCOMPARE(m->iconId(), QStringLiteral("test-green")); // kept
        QVERIFY(m->image());
        label->setImage(QStringLiteral("test-yellow"));
        QVERIFY(!m->image());
        QVERIFY(m->iconId().isEmpty());
        QCOMPARE(label->image()->toImage().pixel(0, 0), qRgb(255, 255, 0));
        label->setIcon(QStringLiteral("test-green"));
        QVERIFY(m->imageId().isEmpty());
        label->setImage(QImage(6, 6, QImage::Format_RGB32));
        QVERIFY(m->imageId().isEmpty());
        m->setImageId(QStringLiteral("test-yellow")); // a theme id wins over a stored pixmap
        QCOMPARE(label->image()->size(), QSize(8, 8));
        label->loadImage(dir.filePath(QStringLiteral("missing.png")));
        QVERIFY(label->image() && label->image()->isNull());
        QCOMPARE(label->imageUri(), dir.filePath(QStringLiteral("missing.png")));
        delete label;
        label = nullptr;
        QCOMPARE(MTheme::livePixmaps(), themed);
    }

    void loadingKeepsOneSpinner_data()
    {
        QTest::addColumn<int>("view");
        QTest::newRow("overlay") << int(KelOverlayLabel::OverlayView);
        QTest::newRow("normal") << int(KelOverlayLabel::NormalView);
    }
    void loadingKeepsOneSpinner()
    {
        QFETCH(int, view);
        makeLabel(QStringLiteral("Plain"), KelOverlayLabel::ViewType(view));
        KelOverlayLabelModel* m = label->labelModel();
        QSignalSpy modified(m, &MWidgetModel::modified);
        label->setLoading(true);
        MProgressIndicator* spinner = m->spinner();
        QVERIFY(spinner);
        label->setLoading(true);
        QCOMPARE(m->spinner(), spinner);
        QVERIFY(m->loading());
        // Shown only by the overlay view.
        QCOMPARE(spinner->parentItem() != nullptr, view == KelOverlayLabel::OverlayView);
        label->setLoading(false);
        QVERIFY(!m->spinner());
        label->setLoading(false);
        QCOMPARE(modified.size(), 4);
        for (const QVariantList& args : qAsConst(modified)) {
            QVERIFY(args.first().value<QList<const char*>>().first() ==
                    KelOverlayLabelModel::Spinner);
        }
    }

    // Scripts: p (press at x,y), m (move), r (release), c (cancel), l (long tap finished).
    void touch_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<QStringList>("feedback");
        QTest::addColumn<bool>("pressedAfter");
        const QStringList both{"press", "release"};
        QTest::newRow("inside") << "p50,50 r50,50" << 1 << both << true;
        QTest::newRow("within slop") << "p50,50 r-29,230" << 1 << both << true;
        QTest::newRow("beyond slop") << "p50,50 r-31,50" << 0 << QStringList{"press"} << true;
        QTest::newRow("moved out, released near") << "p50,50 m-10,50 r-10,50" << 1 << both << true;
        QTest::newRow("out and back") << "p50,50 m250,50 m50,50 r50,50" << 1 << both << true;
        QTest::newRow("cancel") << "p50,50 c r50,50" << 0 << QStringList{"press"} << true;
        QTest::newRow("long tap then release")
            << "p50,50 l r50,50" << 0 << QStringList{"press"} << true;
    }
    void touch()
    {
        QFETCH(QString, script);
        QFETCH(int, clicks);
        QFETCH(QStringList, feedback);
        QFETCH(bool, pressedAfter);
        makeLabel(QStringLiteral("Plain"));
        QSignalSpy clicked(label, &KelOverlayLabel::clicked);
        QStringList played;
        auto connection = connect(MFeedback::instance(), &MFeedback::played, this,
                                  [&played](const QString& name) { played << name; });
        for (const QString& step : script.split(QLatin1Char(' '))) {
            const QStringList xy = step.mid(1).split(QLatin1Char(','));
            const QPointF at(xy.value(0).toDouble(), xy.value(1).toDouble());
            switch (step.at(0).toLatin1()) {
            case 'p':
                mouse(QEvent::GraphicsSceneMousePress, at);
                QVERIFY(overlay()->isPressed());
                break;
            case 'm':
                mouse(QEvent::GraphicsSceneMouseMove, at);
                QCOMPARE(overlay()->isPressed(), label->rect().contains(at));
                QVERIFY(label->isPressInProgress());
                break;
            case 'r':
                mouse(QEvent::GraphicsSceneMouseRelease, at);
                break;
            case 'c': {
                MCancelEvent cancel;
                cancel.ignore();
                QCoreApplication::sendEvent(label, &cancel);
                QVERIFY(cancel.isAccepted());
                QVERIFY(!overlay()->isPressed());
                break;
            }
            case 'l': {
                // A held press, recognised by Qt's gesture framework on a real view.
                QSignalSpy longTapped(label, &KelOverlayLabel::longTapped);
                QGraphicsView view(scene);
                view.show();
                QTapAndHoldGesture::setTimeout(50);
                QTest::mousePress(view.viewport(), Qt::LeftButton, {},
                                  view.mapFromScene(label->mapToScene(at)));
                QVERIFY(longTapped.wait(2000));
                QVERIFY(!label->isPressInProgress());
                QTest::mouseRelease(view.viewport(), Qt::LeftButton, {},
                                    view.mapFromScene(label->mapToScene(at)));
                clicked.clear();
                played = QStringList{"press"};
                break;
            }
            }
        }
        disconnect(connection);
        QCOMPARE(clicked.size(), clicks);
        QCOMPARE(played, feedback);
        QVERIFY(!label->isPressInProgress());
        // The pressed look, if any, ends 300 ms after the release.
        if (pressedAfter && overlay()->isPressed()) {
            QTRY_VERIFY_WITH_TIMEOUT(!overlay()->isPressed(), 1000);
        }
        QVERIFY(!overlay()->isPressed());
    }

    void paintsStretchedPixmap()
    {
        makeLabel(QStringLiteral("Plain"));
        label->setImage(halves(100, 50));
        const QImage image = paintLabel();
        QCOMPARE(QColor(image.pixel(2, 2)), QColor(Qt::red));
        QCOMPARE(QColor(image.pixel(98, 197)), QColor(Qt::red));
        QCOMPARE(QColor(image.pixel(102, 197)), QColor(Qt::blue));
        QCOMPARE(QColor(image.pixel(197, 2)), QColor(Qt::blue));
    }

    void paintsIconCentredByMargins()
    {
        makeLabel(QStringLiteral("Shifted"));
        label->setIcon(QStringLiteral("test-green"));
        const QImage image = paintLabel();
        // (mL + 100 - 32, mT + 100 - 32) = (78, 88), 64 by 64.
        QCOMPARE(QColor(image.pixel(79, 89)), QColor(Qt::green));
        QCOMPARE(QColor(image.pixel(140, 150)), QColor(Qt::green));
        QCOMPARE(qAlpha(image.pixel(76, 89)), 0);
        QCOMPARE(qAlpha(image.pixel(143, 153)), 0);
    }

    void pressedTintAndLoading()
    {
        makeLabel(QStringLiteral("Plain"));
        label->setImage(halves(10, 10));
        label->setOverlayImage(QStringLiteral("test-yellow"));
        label->setLoading(true);
        QMetaObject::invokeMethod(label, "setPressedState");
        const QImage image = paintLabel();
        // No picture while loading: the tint over nothing at the corner...
        const QColor corner = QColor::fromRgba(image.pixel(5, 5));
        QCOMPARE(corner.alpha(), 127);
        QCOMPARE(corner.red(), 255);
        QCOMPARE(corner.blue(), 255);
        // ...and over the overlay icon in the middle (50, 50, 100, 100).
        const QColor middle(image.pixel(100, 100));
        QCOMPARE(middle, QColor(255, 255, 127));
    }

    void spinnerPlacement_data()
    {
        QTest::addColumn<QString>("style");
        QTest::addColumn<bool>("marginShift");
        QTest::addColumn<QPointF>("holder");
        // ((W - mR) / 2 - 32 - a, (H - mB) / 2 - 32 - a) for the theme's 64 by 64 spinner.
        QTest::newRow("plain") << "Plain" << false << QPointF(68, 68);
        QTest::newRow("margins") << "Shifted" << false << QPointF(66, 65);
        QTest::newRow("margins, shifted") << "Shifted" << true << QPointF(56, 55);
    }
    void spinnerPlacement()
    {
        QFETCH(QString, style);
        QFETCH(bool, marginShift);
        QFETCH(QPointF, holder);
        makeLabel(style);
        label->setLoading(true, marginShift);
        QCOMPARE(overlay()->spinnerHolder()->pos(), holder);
        MProgressIndicator* spinner = label->labelModel()->spinner();
        QCOMPARE(spinner->parentItem(), overlay()->spinnerHolder());
        QCOMPARE(spinner->size(), QSizeF(64, 64));
        QVERIFY(spinner->isAnimating());
    }

    void overlayBoxGeometry()
    {
        makeLabel(QStringLiteral("Shifted"));
        QCOMPARE(label->preferredSize(), QSizeF(200, 200)); // square from the style's width
        MStylableWidget* box = overlay()->overlayBox();
        QCOMPARE(box->size(), QSizeF(186, 30));
        QCOMPARE(box->pos(), QPointF(10, 200 - 30 + 20 - 5));
        label->resize(200, 300);
        QCOMPARE(box->pos(), QPointF(10, 300 - 30 + 20 - 5));
    }

    void overlayBoxFollowsTitle()
    {
        makeLabel(QStringLiteral("Plain"));
        MStylableWidget* box = overlay()->overlayBox();
        QVERIFY(!box->isVisible());
        label->setTitle(QStringLiteral("Song"));
        QVERIFY(box->isVisible());
        QCOMPARE(overlay()->textLabel()->text(), QStringLiteral("Song"));
        label->setLoading(true);
        QVERIFY(!box->isVisible());
        label->setSubtitle(QStringLiteral("any notification")); // shows it again
        QVERIFY(box->isVisible());
        label->setSmallImage(QStringLiteral("test-green"));
        auto* layout = static_cast<QGraphicsLinearLayout*>(box->layout());
        QCOMPARE(layout->count(), 2);
        QCOMPARE(layout->itemAt(0), overlay()->smallImage());
        QVERIFY(overlay()->smallImage()->isVisible());
        label->setSmallImage(QString());
        QCOMPARE(layout->count(), 1);
        QVERIFY(!overlay()->smallImage()->isVisible());
        label->setTitle(QString());
        QVERIFY(!box->isVisible());
    }

    void normalView()
    {
        makeLabel(QStringLiteral("Plain"), KelOverlayLabel::NormalView);
        auto* normal = qobject_cast<KelOverlayLabelNormalView*>(label->view());
        QVERIFY(normal);
        QCOMPARE(label->objectName(), QStringLiteral("CommonPanel"));
        QVERIFY(label->styleName().isEmpty());
        MContentItem* item = normal->item();
        label->setTitle(QStringLiteral("T"));
        label->setSubtitle(QStringLiteral("S"));
        label->setImage(halves(4, 4));
        label->setSmallImage(QStringLiteral("test-green"));
        label->setIcon(QStringLiteral("test-yellow")); // not shown by this view...
        QCOMPARE(item->title(), QStringLiteral("T"));
        QCOMPARE(item->subtitle(), QStringLiteral("S"));
        QVERIFY(item->pixmap().isNull()); // ...but it clears the picture
        QCOMPARE(QColor(item->optionalPixmap().toImage().pixel(0, 0)), QColor(Qt::green));
        QSignalSpy clicked(label, &KelOverlayLabel::clicked);
        Q_EMIT item->clicked();
        QCOMPARE(clicked.size(), 1);
        label->setTypeOfView(KelOverlayLabel::Undefined);
        QCOMPARE(label->typeOfView(), KelOverlayLabel::Undefined);
        label->setLoading(true); // only the model
        QVERIFY(label->labelModel()->spinner());
    }

    // The label drives whatever view the framework holds, also one installed without it.
    void drivesViewInstalledByFramework()
    {
        makeLabel(QStringLiteral("Plain"));
        label->setView(MTheme::view(QStringLiteral("KelOverlayLabelOverlayView"), label));
        label->setLoading(true);
        label->setSmallImageStyleName(QStringLiteral("Other"));
        mouse(QEvent::GraphicsSceneMousePress, QPointF(50, 50));
        QVERIFY(overlay()->isPressed());
        QCOMPARE(overlay()->smallImage()->styleName(), QStringLiteral("Other"));
        QCOMPARE(label->labelModel()->spinner()->parentItem(), overlay()->spinnerHolder());
        mouse(QEvent::GraphicsSceneMouseRelease, QPointF(50, 50));
    }

    void replacedOverlayViewTakesSpinnerOutOfScene()
    {
        makeLabel(QStringLiteral("Plain"));
        label->setLoading(true);
        MProgressIndicator* spinner = label->labelModel()->spinner();
        QVERIFY(spinner->isAnimating());
        label->setTypeOfView(KelOverlayLabel::NormalView);
        QVERIFY(!spinner->scene());
        QVERIFY(!spinner->isAnimating());
        delete scene; // the label and its model go, the spinner once
        scene = nullptr;
    }

    void clearedSmallImageStaysUnderLabel()
    {
        makeLabel(QStringLiteral("Plain"));
        label->setSmallImage(QStringLiteral("test-green"));
        label->setSmallImage(QString());
        MImageWidget* small = overlay()->smallImage();
        QVERIFY(label->isAncestorOf(small));
        QVERIFY(!small->isVisibleTo(overlay()->overlayBox()));
        scene->removeItem(label);
        delete scene;
        scene = nullptr;
        label->setSmallImage(QStringLiteral("test-yellow"));
        QCOMPARE(overlay()->overlayBox()->layout()->itemAt(0), small);
        QVERIFY(small->isVisibleTo(overlay()->overlayBox()));
        delete label;
    }

    void replacedNormalViewLeavesNothingBehind()
    {
        makeLabel(QStringLiteral("Plain"), KelOverlayLabel::NormalView);
        label->setTypeOfView(KelOverlayLabel::OverlayView);
        QVERIFY(!label->layout());
        QStringList played;
        auto connection = connect(MFeedback::instance(), &MFeedback::played, this,
                                  [&played](const QString& name) { played << name; });
        scenePress(QPointF(100, 100));
        disconnect(connection);
        QVERIFY(overlay()->isPressed());
        QCOMPARE(played, QStringList{QStringLiteral("press")});
    }

    // A view shows the model's state as soon as it is installed, before any change.
    void newViewShowsModelAtOnce_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::newRow("normal to overlay")
            << int(KelOverlayLabel::NormalView) << int(KelOverlayLabel::OverlayView);
        QTest::newRow("overlay to normal")
            << int(KelOverlayLabel::OverlayView) << int(KelOverlayLabel::NormalView);
        QTest::newRow("none to overlay")
            << int(KelOverlayLabel::Undefined) << int(KelOverlayLabel::OverlayView);
    }
    void newViewShowsModelAtOnce()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        makeLabel(QStringLiteral("Plain"), KelOverlayLabel::ViewType(from));
        label->setTitle(QStringLiteral("Song"));
        label->setSubtitle(QStringLiteral("Band"));
        label->setImage(halves(4, 4));
        label->setSmallImage(QStringLiteral("test-green"));
        label->setTypeOfView(KelOverlayLabel::ViewType(to)); // no event-loop turn after this
        if (auto* normal = qobject_cast<KelOverlayLabelNormalView*>(label->view())) {
            QCOMPARE(normal->item()->title(), QStringLiteral("Song"));
            QCOMPARE(normal->item()->subtitle(), QStringLiteral("Band"));
            QCOMPARE(normal->item()->pixmap().size(), QSize(4, 4));
            QVERIFY(!normal->item()->optionalPixmap().isNull());
        } else {
            QCOMPARE(overlay()->textLabel()->text(), QStringLiteral("Song"));
            QVERIFY(overlay()->overlayBox()->isVisible());
            QCOMPARE(overlay()->overlayBox()->layout()->itemAt(0), overlay()->smallImage());
        }
    }

    void registeredCreators()
    {
        makeLabel(QStringLiteral("Plain"));
        QVERIFY(MStylableWidget::isStylableWidgetTypeRegistered(QStringLiteral("KelOverlayLabel")));
        MWidgetView* made = MTheme::view(QStringLiteral("KelOverlayLabelNormalView"), label);
        QVERIFY(qobject_cast<KelOverlayLabelNormalView*>(made));
        label->setView(made);
        QCOMPARE(label->typeOfView(), KelOverlayLabel::NormalView);
        MStylableWidget other;
        QVERIFY(!MTheme::view(QStringLiteral("KelOverlayLabelOverlayView"), &other));
        QVERIFY(MTheme::viewCreator(QStringLiteral("KelOverlayLabelOverlayView")));
        QVERIFY(MLibrary::loaded().contains(QStringLiteral("libkelmora")));
        const MStyleCreatorBase* creator =
            MTheme::styleCreator(QStringLiteral("KelOverlayLabelStyle"));
        QCOMPARE(QByteArray(creator->attributeType("overlayBottomMargin")), QByteArray("double"));
        QCOMPARE(creator->library(), QStringLiteral("libkelmora"));
        // The library's default theme has the label's attributes and icons.
        const MStyle* style = MTheme::style("KelOverlayLabelStyle", QString());
        QCOMPARE(style->property("overlayHeight").toReal(), 48.0);
        MTheme::releaseStyle(style);
        QVERIFY(MTheme::hasPixmap(QStringLiteral("icon-m-toolbar-mediacontrol-play")));
    }
};

KELMORA_TEST_MAIN(TestOverlayLabel)
#include "tst_overlaylabel.moc"
