// The application interface as components and the application use it.
#include "testmain.h"

#include <kelapplicationinterface.h>
#include <mwidget.h>

class TestApplicationInterface : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void singleton()
    {
        KelApplicationInterface* ai = KelApplicationInterface::instance();
        QCOMPARE(KelApplicationInterface::instance(), ai);
        QPointer<MWidget> held = new MWidget;
        ai->showSubPage(held, QStringLiteral("t"));
        delete new KelApplicationInterface; // another object of the class: the shared one stays
        QCOMPARE(KelApplicationInterface::instanceToThis, ai);
        delete ai;
        QVERIFY(!held && !KelApplicationInterface::instanceToThis);
        QVERIFY(KelApplicationInterface::instance()->title().isEmpty());
    }

    void playForwardsExactly()
    {
        QSignalSpy spy(KelApplicationInterface::instance(),
                       &KelApplicationInterface::playRequested);
        const QStringList uris({QStringLiteral("a"), QStringLiteral("b")});
        KelApplicationInterface::instance()->play({}, 0, QString());
        KelApplicationInterface::instance()->play(uris, -5, QStringLiteral("caller"));
        QCOMPARE(spy, QList<QVariantList>(
                          {{QStringList(), 0, QString()}, {uris, -5, QStringLiteral("caller")}}));
    }

    // The same page again, a replaced page, a taken page, a page deleted behind the
    // interface's back and no page, in one application's life.
    void subPages()
    {
        KelApplicationInterface* ai = KelApplicationInterface::instance();
        QPointer<MWidget> a = new MWidget, b = new MWidget, c = new MWidget;
        QList<bool> aliveAtSignal; // of a
        connect(ai, &KelApplicationInterface::subPageWidgetChanged, this,
                [&]() { aliveAtSignal << !a.isNull(); });
        ai->showSubPage(a, QStringLiteral("1"));
        ai->showSubPage(a, QStringLiteral("2")); // stays held
        ai->showSubPage(b, QStringLiteral("3")); // a goes before the signal
        QCOMPARE(aliveAtSignal, QList<bool>({true, true, false}));
        QCOMPARE(ai->subPageWidget(), b.data());
        QVERIFY(!ai->subPageWidget());
        QCOMPARE(ai->title(), QStringLiteral("3"));
        ai->showSubPage(c, QStringLiteral("4"));
        QVERIFY(b); // taken: the caller's
        delete c.data();
        ai->showSubPage(nullptr, QStringLiteral("5"));
        QVERIFY(!ai->subPageWidget());
        QCOMPARE(ai->title(), QStringLiteral("5"));
        QCOMPARE(aliveAtSignal.size(), 5);
        delete b.data();
    }
};

KELMORA_TEST_MAIN(TestApplicationInterface)
#include "tst_applicationinterface.moc"
