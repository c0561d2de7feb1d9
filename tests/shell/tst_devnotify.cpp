#include "platform/devnotify.h"

#include <QtTest>

// Plug events cannot be produced here; this checks that the monitor comes up
// (or reports why not) and is torn down cleanly.
class TestDevNotify : public QObject
{
    Q_OBJECT
private slots:
    void startsOrReportsAnError();
};

void TestDevNotify::startsOrReportsAnError()
{
    auto *notifier = new DeviceNotifier;
    unsigned long code = 12345;
    const bool started = notifier->start(nullptr, &code);
    if (started) {
        QCOMPARE(code, 0ul);
        // Registering twice must not leak a second monitor or fail.
        QVERIFY(notifier->start(nullptr, nullptr));
    } else {
        QVERIFY2(code != 0, "a failed start must say why");
    }
    QVERIFY(!notifier->handleNativeMessage(nullptr));
    QCoreApplication::processEvents();
    delete notifier;
}

QTEST_GUILESS_MAIN(TestDevNotify)
#include "tst_devnotify.moc"
