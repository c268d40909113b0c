// The framework pieces the media label stands on: names that restyle, image widgets, labels and
// style containers with private parts. (The foreground over the children is checked on the
// media label's pixels.)
#include "testmain.h"

#include <mimagewidget.h>
#include <mlabel.h>
#include <mtheme.h>
#include <mwidgetstylecontainer.h>
#include <mwidgetview.h>

#include <QPainter>

namespace {
class CountedPart : public MWidgetStyleContainerPrivate
{
public:
    explicit CountedPart(int* alive) : m_alive(alive) { ++*m_alive; }
    ~CountedPart() override { --*m_alive; }

private:
    int* m_alive;
};

class PartContainer : public MWidgetStyleContainer
{
public:
    explicit PartContainer(CountedPart* part) : MWidgetStyleContainer(part, "MWidgetStyle") {}
    const MStyleContainerPrivate* part() const { return privatePart(); }
};

} // namespace

class TestMTouchWidgets : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;

private Q_SLOTS:
    void initTestCase()
    {
        QDir(dir.path()).mkpath(QStringLiteral("icons"));
        QFile conf(dir.filePath(QStringLiteral("theme.conf")));
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write("MWidgetStyle#Big { fontSize: 40; }\n");
        conf.close();
        QImage red(10, 10, QImage::Format_ARGB32);
        red.fill(Qt::red);
        QVERIFY(red.save(dir.filePath(QStringLiteral("icons/test-red.png"))));
        MTheme::addDirectory(dir.path());
    }

    void objectNameRestyles_data()
    {
        QTest::addColumn<int>("through");
        QTest::newRow("controller") << 0;
        QTest::newRow("MWidget pointer") << 1;
        QTest::newRow("QObject pointer") << 2;
    }
    void objectNameRestyles()
    {
        QFETCH(int, through);
        MLabel label(QStringLiteral("Text"));
        const qreal before = label.effectiveSizeHint(Qt::PreferredSize).height();
        const QString name = QStringLiteral("Big");
        switch (through) {
        case 0:
            label.setObjectName(name);
            break;
        case 1:
            static_cast<MWidget&>(label).setObjectName(name);
            break;
        default:
            static_cast<QObject&>(label).setObjectName(name);
        }
        QCOMPARE(label.view()->style()->fontSize(), 40);
        QVERIFY(label.effectiveSizeHint(Qt::PreferredSize).height() > before);
    }

    void imageWidgetCopies_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QSize>("requested");
        QTest::addColumn<QSize>("imageSize");
        QTest::newRow("from a QImage") << QString() << QSize() << QSize(30, 20);
        QTest::newRow("theme id") << "test-red" << QSize(0, 0) << QSize(10, 10);
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
        QCOMPARE(original.imageSize(), imageSize);
        MImageWidget copy(original);
        QCOMPARE(copy.imageSize(), imageSize);
        QCOMPARE(copy.image(), id);
        QCOMPARE(copy.styleName(), QStringLiteral("Framed"));
        QCOMPARE(QColor(copy.pixmap()->toImage().pixel(1, 1)), QColor(Qt::red));
        original.setImage(QImage(4, 4, QImage::Format_ARGB32)); // the copy is its own
        QCOMPARE(copy.imageSize(), imageSize);
        copy.setImage(QString()); // no id clears any image
        QCOMPARE(copy.imageSize(), QSize(0, 0));
    }

    void labelElideShrinksMinimum()
    {
        MLabel label(QStringLiteral("A text far too long for any narrow cell of a grid"));
        const qreal full = label.effectiveSizeHint(Qt::MinimumSize).width();
        label.setTextElide(true);
        QVERIFY(label.effectiveSizeHint(Qt::MinimumSize).width() < full / 4);
    }

    void labelAlignment_data()
    {
        QTest::addColumn<int>("alignment");
        QTest::addColumn<int>("inkFrom");
        QTest::addColumn<int>("inkTo");
        QTest::newRow("left") << int(Qt::AlignLeft | Qt::AlignVCenter) << 0 << 40;
        QTest::newRow("centre") << int(Qt::AlignCenter) << 80 << 120;
        QTest::newRow("right") << int(Qt::AlignRight | Qt::AlignVCenter) << 160 << 200;
    }
    void labelAlignment()
    {
        QFETCH(int, alignment);
        QFETCH(int, inkFrom);
        QFETCH(int, inkTo);
        MLabel label(QStringLiteral("II"));
        label.resize(200, 40);
        label.setAlignment(Qt::Alignment(alignment));
        QImage image(200, 40, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        label.paint(&painter, nullptr);
        painter.end();
        QVector<int> inked; // columns with ink
        for (int x = 0; x < image.width(); ++x) {
            for (int y = 0; y < image.height() && inked.value(inked.size() - 1, -1) != x; ++y) {
                if (qAlpha(image.pixel(x, y)) > 0) {
                    inked << x;
                }
            }
        }
        QVERIFY(!inked.isEmpty());
        QVERIFY2(inked.first() >= inkFrom && inked.last() < inkTo,
                 qPrintable(QStringLiteral("ink %1..%2").arg(inked.first()).arg(inked.last())));
    }

    void styleContainerAdoptsPrivatePart()
    {
        int alive = 0;
        {
            PartContainer container(new CountedPart(&alive));
            QVERIFY(container.part());
            QCOMPARE(alive, 1);
        }
        QCOMPARE(alive, 0);
    }
};

KELMORA_TEST_MAIN(TestMTouchWidgets)
#include "tst_mtouchwidgets.moc"
