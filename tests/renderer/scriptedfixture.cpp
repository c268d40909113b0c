// The contract suite on the scripted renderer of the engine tests.
#include "rendererfixture.h"
#include "scriptedrenderer.h"

#include <mafwregistry.h>

#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QTest>

namespace {
class ScriptedFixture : public RendererFixture
{
public:
    ScriptedFixture()
    {
        m_renderer.answerWhenSettling = true;
        MafwRegistry::instance()->addRenderer(&m_renderer);
        QFile m3u(m_dir.filePath(QStringLiteral("two.m3u")));
        if (m3u.open(QIODevice::WriteOnly)) {
            m3u.write(item(0, true).toEncoded() + '\n' + item(1, true).toEncoded() + '\n');
        }
    }
    MafwRenderer* renderer() override { return &m_renderer; }
    QUrl item(int i, bool shortItem) const override
    {
        return QUrl(shortItem ? QStringLiteral("file:///media/short%1.wav?ms=200").arg(i)
                              : QStringLiteral("file:///media/long%1.wav").arg(i));
    }
    QUrl missingItem() const override { return QUrl(QStringLiteral("file:///media/missing")); }
    QUrl m3uFile() const override
    {
        return QUrl::fromLocalFile(m_dir.filePath(QStringLiteral("two.m3u")));
    }
    bool waitSettled() override
    {
        QTest::qWait(0);
        m_renderer.settle();
        return true;
    }

private:
    QTemporaryDir m_dir;
    ScriptedRenderer m_renderer;
};
} // namespace

void RendererFixture::prepareEnvironment()
{
    // The engine's init() finds no renderer plug-in here; the scripted renderer stands in.
    QLoggingCategory::setFilterRules(QStringLiteral("kelmora.platform.warning=false"));
}

RendererFixture* RendererFixture::create()
{
    return new ScriptedFixture;
}
