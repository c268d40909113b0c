// The contract suite on the GStreamer renderer, playing WAV files to fake sinks.
#include "mediafactory.h"
#include "rendererfixture.h"

#include <mafwplugincontrol.h>
#include <mafwregistry.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
const int ShortMs = 400;
const int LongMs = 8000;
const int Timeout = 15000;

class GstFixture : public RendererFixture
{
public:
    GstFixture()
    {
        MafwRegistry* registry = MafwRegistry::instance();
        registry->pluginControlInterface(QStringLiteral("libqmafw_gst_renderer_plugin"))
            ->loadPlugin();
        m_renderer = registry->findRenderer(QStringLiteral("mafw_gst_renderer"));
        QObject::connect(m_renderer, &MafwRenderer::stateChanged,
                         [this](MafwRenderer::State state) { m_state = state; });
        for (int i = 0; i < 3; ++i) {
            MediaFactory::writeWav(item(i, true).toLocalFile(), ShortMs, 220 * (i + 1));
            MediaFactory::writeWav(item(i, false).toLocalFile(), LongMs, 220 * (i + 1));
        }
        QFile m3u(m3uFile().toLocalFile());
        if (m3u.open(QIODevice::WriteOnly)) {
            m3u.write("short0.wav\nshort1.wav\n");
        }
    }
    MafwRenderer* renderer() override { return m_renderer; }
    QUrl item(int i, bool shortItem) const override
    {
        return QUrl::fromLocalFile(
            m_dir.filePath(QStringLiteral("%1%2.wav").arg(shortItem ? "short" : "long").arg(i)));
    }
    QUrl missingItem() const override
    {
        return QUrl::fromLocalFile(m_dir.filePath(QStringLiteral("missing.wav")));
    }
    QUrl m3uFile() const override
    {
        return QUrl::fromLocalFile(m_dir.filePath(QStringLiteral("two.m3u")));
    }
    bool waitSettled() override
    {
        return QTest::qWaitFor(
            [this]() {
                return m_state == MafwRenderer::Stopped || m_renderer->property("settled").toBool();
            },
            Timeout);
    }

private:
    QTemporaryDir m_dir;
    MafwRenderer* m_renderer = nullptr;
    MafwRenderer::State m_state = MafwRenderer::Stopped;
};
} // namespace

void RendererFixture::prepareEnvironment()
{
    qputenv("KELMORA_MAFW_PLUGIN_PATH", KELMORA_TEST_PLUGIN_DIR);
    qputenv("KELMORA_AUDIO_SINK", "fakesink sync=true");
    qputenv("KELMORA_VIDEO_SINK", "fakesink sync=true");
}

RendererFixture* RendererFixture::create()
{
    return new GstFixture;
}
