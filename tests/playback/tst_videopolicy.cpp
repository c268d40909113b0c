// The video policy handler on scripted renderers.
#include "scriptedrenderer.h"
#include "testmain.h"

#include <kelvideopolicyhandler.h>
#include <mafwregistry.h>

class TestVideoPolicy : public QObject
{
    Q_OBJECT
    const QString videoId = QStringLiteral("mafw_gst_internal_video_renderer");

private Q_SLOTS:
    void statesBecomePlaying_data()
    {
        QTest::addColumn<QList<int>>("states");
        QTest::addColumn<QList<bool>>("reported");
        QTest::newRow("sequence") << QList<int>({3, 1, 2, 0})
                                  << QList<bool>({true, true, false, false});
    }
    void statesBecomePlaying()
    {
        QFETCH(QList<int>, states);
        QFETCH(QList<bool>, reported);
        KelVideoPolicyHandler handler;
        QSignalSpy spy(&handler, &KelVideoPolicyHandler::videoPlayStateChanged);
        ScriptedRenderer renderer(videoId);
        MafwRegistry::instance()->addRenderer(&renderer);
        QVERIFY(spy.isEmpty()); // nothing at announcement
        for (int state : states) {
            renderer.setState(MafwRenderer::State(state));
        }
        QList<bool> seen;
        for (const QVariantList& args : qAsConst(spy)) {
            seen << args.first().toBool();
        }
        QCOMPARE(seen, reported);
    }

    void onlyRenderersAnnouncedLater()
    {
        ScriptedRenderer early(videoId);
        MafwRegistry::instance()->addRenderer(&early);
        KelVideoPolicyHandler handler;
        QSignalSpy spy(&handler, &KelVideoPolicyHandler::videoPlayStateChanged);
        early.setState(MafwRenderer::Playing);
        ScriptedRenderer other(QStringLiteral("mafw_gst_renderer"));
        MafwRegistry::instance()->addRenderer(&other);
        other.setState(MafwRenderer::Playing);
        QVERIFY(spy.isEmpty());

        // Announced again: heard from now on, each change once.
        MafwRegistry::instance()->removeRenderer(videoId);
        MafwRegistry::instance()->addRenderer(&early);
        Q_EMIT MafwRegistry::instance()->rendererAdded(videoId, QString());
        early.setState(MafwRenderer::Playing);
        QCOMPARE(spy.size(), 1);
        MafwRegistry::instance()->removeRenderer(videoId);
        MafwRegistry::instance()->removeRenderer(other.uuid());
    }
};

KELMORA_TEST_MAIN(TestVideoPolicy)
#include "tst_videopolicy.moc"
