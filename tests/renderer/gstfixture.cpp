// The contract suite on the GStreamer renderer, playing WAV files to fake sinks.
#include "mediafactory.h"
#include "rendererfixture.h"

#include <mafwplugincontrol.h>
#include <mafwregistry.h>

#include <QFile>
#include <QTest>

void RendererFixture::prepareEnvironment()
{
    qputenv("KELMORA_MAFW_PLUGIN_PATH", KELMORA_TEST_PLUGIN_DIR);
    qputenv("KELMORA_AUDIO_SINK", "fakesink sync=true");
    qputenv("KELMORA_VIDEO_SINK", "fakesink sync=true");
}

RendererFixture* RendererFixture::make()
{
    auto* fixture = new RendererFixture;
    MafwRegistry* registry = MafwRegistry::instance();
    registry->pluginControlInterface(QStringLiteral("libqmafw_gst_renderer_plugin"))->loadPlugin();
    MafwRenderer* renderer = registry->findRenderer(QStringLiteral("mafw_gst_renderer"));
    fixture->renderer = renderer;
    fixture->item = [fixture](const QString& name) {
        return QUrl::fromLocalFile(fixture->dir.filePath(name));
    };
    auto stopped = std::make_shared<bool>(true);
    QObject::connect(
        renderer, &MafwRenderer::stateChanged, renderer,
        [stopped](MafwRenderer::State state) { *stopped = state == MafwRenderer::Stopped; });
    fixture->waitSettled = [renderer, stopped]() {
        return QTest::qWaitFor([&]() { return *stopped || renderer->property("settled").toBool(); },
                               15000);
    };
    for (int i = 0; i < 3; ++i) {
        MediaFactory::writeWav(fixture->dir.filePath(QStringLiteral("short%1.wav").arg(i)), 400,
                               220 * (i + 1));
        MediaFactory::writeWav(fixture->dir.filePath(QStringLiteral("long%1.wav").arg(i)), 8000,
                               220 * (i + 1));
    }
    QFile m3u(fixture->dir.filePath(QStringLiteral("two.m3u")));
    if (m3u.open(QIODevice::WriteOnly)) {
        m3u.write("short0.wav\nshort1.wav\n");
    }
    return fixture;
}
