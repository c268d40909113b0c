// init() without an application object: shared-playlist tracking cannot start, which is
// reported with the engine's exact warning, and the engine works on.
#include "scriptedrenderer.h"

#include <kelplaycontrols.h>
#include <mafwregistry.h>

#include <QTemporaryDir>
#include <QtTest>

class TestInitWarnings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void trackingFailureIsReported()
    {
        QTemporaryDir emptyPluginDir;
        qputenv("KELMORA_MAFW_PLUGIN_PATH", emptyPluginDir.path().toLocal8Bit());
        QVERIFY(!QCoreApplication::instance());
        ScriptedRenderer renderer;
        QStringList journal;
        renderer.journal = &journal;
        MafwRegistry::instance()->addRenderer(&renderer);
        KelPlayControls* controls = KelPlayControls::instance();
        QTest::ignoreMessage(QtWarningMsg,
                             "void KelInternalPlayControls::init() initTracking failed!");
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression(QStringLiteral(
                                 "^plug-in \"libqmafw_gst_renderer_plugin\" not found")));
        controls->init();
        controls->play(QUrl(QStringLiteral("file:///a.ogg")));
        QCOMPARE(journal.constLast(), QStringLiteral(">playUri(file:///a.ogg,null)"));
        delete controls;
    }
};

QTEST_APPLESS_MAIN(TestInitWarnings)
#include "tst_initwarnings.moc"
