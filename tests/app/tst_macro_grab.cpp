// The macro recorder on a real X server (Xvfb): keys typed by xdotool reach
// the recorder through the keyboard grab, and every stop lets the grab go.
#include "platform/keycapture.h"
#include "pages/buttons/micro_widget.h"

#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QtTest>

namespace
{
bool xdotool(const QStringList &args)
{
    return QProcess::execute(QStringLiteral("xdotool"), args) == 0;
}
} // namespace

class MacroGrab : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void typedKeysAreRecordedAndTheGrabEnds();

private:
    QStringList rows(const micro_Widget &w)
    {
        QStringList out;
        for (int i = 0; i < w.records_list->count(); ++i)
            out << w.records_list->item(i)->text();
        return out;
    }
};

void MacroGrab::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("needs an X server (run under xvfb-run)");
    if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty()) QSKIP("needs xdotool");
}

void MacroGrab::typedKeysAreRecordedAndTheGrabEnds()
{
    micro_Widget w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    w.activateWindow(); // no window manager on the test server
    QVERIFY(QTest::qWaitForWindowActive(&w));
    QTest::mouseClick(w.record_btn, Qt::LeftButton);
    QVERIFY(w.recording);
    QTRY_VERIFY(KeyCapture::grabHeld());
    QVERIFY(
        xdotool({"key", "a", "keydown", "shift", "key", "b", "keyup", "shift", "key", "Return"}));
    QTRY_COMPARE(w.btn_records.size(), 8);
    QCOMPARE(rows(w), (QStringList{"A", "A", "SHIFT", "B", "B", "SHIFT", "Enter", "Enter"}));
    QVERIFY(w.recording); // the grab took no focus from the list
    QTest::mouseClick(w.record_btn, Qt::LeftButton);
    QVERIFY(!w.recording);
    QVERIFY(!KeyCapture::grabHeld());

    // Recording again, then hiding the window ends the recording and the grab.
    QTest::mouseClick(w.record_btn, Qt::LeftButton);
    QTRY_VERIFY(KeyCapture::grabHeld());
    w.hide();
    QVERIFY(!w.recording);
    QVERIFY(!KeyCapture::grabHeld());
}

QTEST_MAIN(MacroGrab)
#include "tst_macro_grab.moc"
