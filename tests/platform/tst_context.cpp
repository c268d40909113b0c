// Context properties and the application window's task-switcher signals.
#include "testmain.h"

#include <contextproperty.h>
#include <contextprovider.h>
#include <mapplicationwindow.h>

class TestContext : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void propertiesFollowTheStore()
    {
        const QString key = QStringLiteral("Test.Key");
        ContextProperty a(key);
        auto* b = new ContextProperty(key);
        ContextProperty other(QStringLiteral("Other.Key"));
        QSignalSpy aChanged(&a, &ContextProperty::valueChanged);
        QSignalSpy otherChanged(&other, &ContextProperty::valueChanged);
        QVERIFY(!a.value().isValid());

        ContextProvider::setValue(key, QStringLiteral("one"));
        ContextProvider::setValue(key, QStringLiteral("one")); // no change, no signal
        QCOMPARE(aChanged.size(), 1);
        QCOMPARE(b->value().toString(), QStringLiteral("one"));
        QCOMPARE(otherChanged.size(), 0);

        // A subscriber deleting another one while being told.
        connect(&a, &ContextProperty::valueChanged, this, [&b]() {
            delete b;
            b = nullptr;
        });
        ContextProvider::setValue(key, QStringLiteral("two"));
        QVERIFY(!b);
        ContextProvider::setValue(key, QVariant());
        QVERIFY(!a.value().isValid());
        QCOMPARE(aChanged.size(), 3);
        ContextProperty late(key);
        ContextProvider::setValue(key, 5);
        QCOMPARE(late.value().toInt(), 5);
    }

    void switcherSignals()
    {
        MApplicationWindow first;
        MApplicationWindow window;
        QCOMPARE(MApplication::activeWindow(), &window);
        QSignalSpy entered(&window, &MApplicationWindow::switcherEntered);
        QSignalSpy exited(&window, &MApplicationWindow::switcherExited);
        window.show();
        QVERIFY(entered.isEmpty() && exited.isEmpty()); // the first show is not a return
        window.showMinimized();
        QTRY_COMPARE(entered.size(), 1);
        window.showNormal();
        QTRY_COMPARE(exited.size(), 1);
        window.hide();
        QCOMPARE(entered.size(), 2);
        QVERIFY(window.isInSwitcher());
        window.show();
        QCOMPARE(exited.size(), 2);
        QCOMPARE(entered.size(), 2);

        QEvent activate(QEvent::WindowActivate);
        QCoreApplication::sendEvent(&first, &activate);
        QCOMPARE(MApplication::activeWindow(), &first);
    }

    void noWindow() { QVERIFY(!MApplication::activeWindow()); }
};

KELMORA_TEST_MAIN(TestContext)
#include "tst_context.moc"
