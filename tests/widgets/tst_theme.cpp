// The theme: styles from attribute files, shared images by id, creators.
#include "testfiles.h"
#include "testmain.h"

#include <mstylecreator.h>
#include <mtheme.h>
#include <mwidgetstyle.h>

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
} // namespace

class TestTheme : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;

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

        // Shared and counted.
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

    // Scaled or rendered at the size asked for (own sizes: tst_imagebounds), shared and counted.
    void pixmapsById()
    {
        for (const auto& [id, colour] :
             {std::pair{"test-red", Qt::red}, {"test-square", Qt::green}}) {
            const int live = MTheme::livePixmaps();
            const QPixmap* pixmap = MTheme::pixmap(QString::fromLatin1(id), QSize(64, 32));
            QCOMPARE(pixmap->size(), QSize(64, 32));
            QCOMPARE(QColor(pixmap->toImage().pixel(1, 1)), QColor(colour));
            QCOMPARE(MTheme::pixmap(QString::fromLatin1(id), QSize(64, 32)), pixmap);
            MTheme::releasePixmap(pixmap);
            MTheme::releasePixmap(pixmap);
            QCOMPARE(MTheme::livePixmaps(), live);
        }
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
        const QByteArray svg("<svg xmlns='http://www.w3.org/2000/svg' width='%1' height='%1'/>");
        // Pipes, devices and images over the pixel limit: in tst_imagebounds.
        QTest::newRow("unknown id")
            << "no-such-icon" << QByteArray() << QSize(24, 12) << QSize(24, 12);
        QTest::newRow("path as id")
            << "../icons/test-red" << QByteArray() << QSize(24, 12) << QSize(24, 12);
        QTest::newRow("svg of 100000 by 100000")
            << "icons/huge.svg" << QByteArray(svg).replace("%1", "100000") << QSize()
            << QSize(32, 32);
        QTest::newRow("asked beyond the bounds")
            << "icons/small.svg" << QByteArray(svg).replace("%1", "8") << QSize(100000, 50000)
            << QSize(4096, 2048);
        QTest::newRow("named pipe as theme.conf")
            << "theme.conf" << QByteArray("pipe") << QSize() << QSize();
        QTest::newRow("theme.conf over the size cap")
            << "theme.conf" << QByteArray(2 * 1024 * 1024, ' ') << QSize() << QSize();
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
};

KELMORA_TEST_MAIN(TestTheme)
#include "tst_theme.moc"
