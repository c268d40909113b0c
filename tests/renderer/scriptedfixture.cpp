// The contract suite on the scripted renderer of the engine tests.
#include "rendererfixture.h"
#include "scriptedrenderer.h"

#include <mafwregistry.h>

#include <QFile>
#include <QLoggingCategory>
#include <QTest>

void RendererFixture::prepareEnvironment()
{
    // The engine's init() finds no renderer plug-in here; the scripted renderer stands in.
    QLoggingCategory::setFilterRules(QStringLiteral("kelmora.mafw.warning=false"));
}

RendererFixture* RendererFixture::make()
{
    auto* fixture = new RendererFixture;
    auto* renderer = new ScriptedRenderer;
    renderer->answerWhenSettling = true;
    fixture->renderer = renderer;
    fixture->owned.reset(renderer);
    MafwRegistry::instance()->addRenderer(renderer);
    fixture->item = [fixture](const QString& name) {
        if (name.endsWith(QLatin1String(".m3u"))) {
            return QUrl::fromLocalFile(fixture->dir.filePath(name));
        }
        return QUrl(
            QStringLiteral("file:///media/") + name +
            (name.startsWith(QLatin1String("short")) ? QStringLiteral("?ms=200") : QString()));
    };
    fixture->waitSettled = [renderer]() {
        QTest::qWait(0);
        renderer->settle();
        return true;
    };
    QFile m3u(fixture->item(QStringLiteral("two.m3u")).toLocalFile());
    if (m3u.open(QIODevice::WriteOnly)) {
        m3u.write(fixture->item(QStringLiteral("short0.wav")).toEncoded() + '\n' +
                  fixture->item(QStringLiteral("short1.wav")).toEncoded() + '\n');
    }
    return fixture;
}
