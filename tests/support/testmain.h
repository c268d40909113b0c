#ifndef TESTMAIN_H
#define TESTMAIN_H

#include <mafwplugincontrol.h>
#include <mafwregistry.h>
#include <mapplication.h>

#include <QTemporaryDir>
#include <QtTest>

// Runs a test on the offscreen platform with an empty renderer plug-in path, so that the
// renderers a test adds are the only ones in the registry. The failed plug-in load is done
// once here, quietly, and remembered by the registry.
#define KELMORA_TEST_MAIN(TestClass)                                                               \
    int main(int argc, char** argv)                                                                \
    {                                                                                              \
        qputenv("QT_QPA_PLATFORM", "offscreen");                                                   \
        QTemporaryDir emptyPluginDir;                                                              \
        qputenv("KELMORA_MAFW_PLUGIN_PATH", emptyPluginDir.path().toLocal8Bit());                  \
        MApplication app(argc, argv);                                                              \
        QLoggingCategory::setFilterRules(QStringLiteral("kelmora.mafw.warning=false"));            \
        MafwRegistry::instance()                                                                   \
            ->pluginControlInterface(QStringLiteral("libqmafw_gst_renderer_plugin"))               \
            ->loadPlugin();                                                                        \
        QLoggingCategory::setFilterRules(QString());                                               \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }

#endif
