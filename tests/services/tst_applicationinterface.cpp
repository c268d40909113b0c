// The application interface as components and the application use it.
#include "testmain.h"

#include <kelapplicationinterface.h>
#include <mwidget.h>

class TestApplicationInterface : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // One application's life: the same page again, a replaced page, a taken page, a page
    // deleted behind the interface's back and no page; then the instance deleted with a page
    // held, which lets a new one be made (another object of the class going leaves it alone).
    void subPagesAndInstance()
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
        QCOMPARE(aliveAtSignal.size(), 5);
        ai->showSubPage(b, QStringLiteral("6"));
        delete new KelApplicationInterface;
        QCOMPARE(KelApplicationInterface::instanceToThis, ai);
        delete ai;
        QVERIFY(!b && !KelApplicationInterface::instanceToThis);
        QVERIFY(KelApplicationInterface::instance()->title().isEmpty());
    }
};

KELMORA_TEST_MAIN(TestApplicationInterface)
#include "tst_applicationinterface.moc"
