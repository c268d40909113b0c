// The application interface as components and the application use it.
#include "testmain.h"

#include <kelapplicationinterface.h>
#include <mwidget.h>

class TestApplicationInterface : public QObject
{
    Q_OBJECT
    KelApplicationInterface* ai = nullptr;

private Q_SLOTS:
    void init() { ai = KelApplicationInterface::instance(); }
    void cleanup() { delete ai; }

    void singletonLivesUntilDeleted()
    {
        QCOMPARE(KelApplicationInterface::instance(), ai);
        QPointer<MWidget> held = new MWidget;
        ai->showSubPage(held, QStringLiteral("t"));
        // Deleting another object of the class leaves the shared one alone.
        delete new KelApplicationInterface;
        QCOMPARE(KelApplicationInterface::instanceToThis, ai);
        delete ai;
        QVERIFY(!held);
        QVERIFY(!KelApplicationInterface::instanceToThis);
        ai = KelApplicationInterface::instance();
        QVERIFY(ai->title().isEmpty());
        QVERIFY(!ai->subPageWidget());
    }

    void playForwardsExactly_data()
    {
        QTest::addColumn<QStringList>("uris");
        QTest::addColumn<int>("index");
        QTest::newRow("empty list") << QStringList() << 0;
        QTest::newRow("index outside") << QStringList({QStringLiteral("file:///a.ogg")}) << -5;
        QTest::newRow("two") << QStringList({QStringLiteral("a"), QStringLiteral("b")}) << 1;
    }
    void playForwardsExactly()
    {
        QFETCH(QStringList, uris);
        QFETCH(int, index);
        QSignalSpy spy(ai, &KelApplicationInterface::playRequested);
        ai->play(uris, index, QStringLiteral("caller"));
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.at(0), QVariantList({uris, index, QStringLiteral("caller")}));
    }

    // Each step shows a page: a new widget, the one held again, none; or hands the held page
    // out ("take"), or deletes the newest widget behind the interface's back. Checked: which
    // widgets survive, what is held at the end, and that a replaced page is already gone
    // when subPageWidgetChanged() is emitted.
    void subPages_data()
    {
        QTest::addColumn<QList<QByteArray>>("steps");
        QTest::addColumn<QList<bool>>("alive"); // per widget made, in order
        QTest::addColumn<int>("held");          // widget held at the end, -1 for none
        QTest::newRow("replaced") << QList<QByteArray>({"new", "new"}) << QList<bool>({false, true})
                                  << 1;
        QTest::newRow("taken survives")
            << QList<QByteArray>({"new", "take", "new"}) << QList<bool>({true, true}) << 1;
        QTest::newRow("null drops held")
            << QList<QByteArray>({"new", "null"}) << QList<bool>({false}) << -1;
        QTest::newRow("same again")
            << QList<QByteArray>({"new", "same"}) << QList<bool>({true}) << 0;
        QTest::newRow("deleted elsewhere")
            << QList<QByteArray>({"new", "delete", "new"}) << QList<bool>({false, true}) << 1;
    }
    void subPages()
    {
        QFETCH(QList<QByteArray>, steps);
        QFETCH(QList<bool>, alive);
        QFETCH(int, held);
        QList<QPointer<MWidget>> made;
        QList<MWidget*> taken;
        MWidget* shownNow = nullptr;
        int signalled = 0;
        connect(ai, &KelApplicationInterface::subPageWidgetChanged, this, [&]() {
            for (const auto& widget : qAsConst(made)) {
                QVERIFY(!widget || widget == shownNow || taken.contains(widget));
            }
            ++signalled;
        });
        int shows = 0;
        for (const QByteArray& step : steps) {
            if (step == "take") {
                taken << ai->subPageWidget();
                QCOMPARE(taken.last(), made.last().data());
                continue;
            }
            if (step == "delete") {
                delete made.last();
                continue;
            }
            if (step == "new") {
                made << new MWidget;
            }
            shownNow = step == "null" ? nullptr : made.last().data();
            ai->showSubPage(shownNow, QString::number(++shows));
        }
        QCOMPARE(signalled, shows);
        QList<bool> seen;
        for (const auto& widget : qAsConst(made)) {
            seen << !widget.isNull();
        }
        QCOMPARE(seen, alive);
        MWidget* const expected = held < 0 ? nullptr : made.at(held).data();
        QCOMPARE(ai->subPageWidget(), expected);
        QVERIFY(!ai->subPageWidget()); // handed out once
        QCOMPARE(ai->title(), QString::number(shows));
        delete expected;
        qDeleteAll(taken);
    }
};

KELMORA_TEST_MAIN(TestApplicationInterface)
#include "tst_applicationinterface.moc"
