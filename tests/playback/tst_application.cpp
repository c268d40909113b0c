// An application's view: only the installed headers, a renderer of its own that appears after
// init(), and a URI asked for before that renderer exists.
#include <kelplaycontrols.h>
#include <mafwregistry.h>
#include <mafwrenderer.h>
#include <mapplication.h>

#include <QTemporaryDir>
#include <QtTest>

namespace {
class AppRenderer : public MafwRenderer
{
public:
    AppRenderer() : MafwRenderer(QStringLiteral("mafw_gst_renderer"), QStringLiteral("app")) {}
    QList<QUrl> played;
    bool playUri(const QUrl& uri, const MafwContent*) override
    {
        played << uri;
        Q_EMIT stateChanged(Playing);
        return true;
    }
};
} // namespace

class TestApplication : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void uriWaitsForLateRenderer()
    {
        KelPlayControls* controls = KelPlayControls::instance();
        controls->init();
        QSignalSpy started(controls, SIGNAL(playbackAboutToStart()));
        QSignalSpy states(controls, SIGNAL(stateChanged(MafwRenderer::State)));
        QSignalSpy types(controls, SIGNAL(contentTypeChanged()));
        const QUrl song(QStringLiteral("file:///music/song.ogg"));
        controls->play(song);
        QCOMPARE(started.size(), 1);

        AppRenderer renderer;
        MafwRegistry::instance()->addRenderer(&renderer);
        QCOMPARE(renderer.played, QList<QUrl>{song});
        QCOMPARE(types.size(), 1);
        QCOMPARE(states.size(), 1);
        QCOMPARE(states.first().first().value<MafwRenderer::State>(), MafwRenderer::Playing);
        QCOMPARE(controls->state(), MafwRenderer::Playing);
        QCOMPARE(controls->contentType(), KelPlayControls::UriContent);
        MafwRegistry::instance()->removeRenderer(renderer.uuid());
    }
};

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir emptyPluginDir;
    qputenv("KELMORA_MAFW_PLUGIN_PATH", emptyPluginDir.path().toLocal8Bit());
    MApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("kelmora.platform.warning=false"));
    TestApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_application.moc"
