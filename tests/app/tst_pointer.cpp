// The pointer page against the virtual mouse: the report rate buttons and the
// five DPI sliders, driven by presses, drags and keys as a user gives them.
#include "virtualmouse.h"

#include "pages/pointer/dpi_widget.h"
#include "pages/pointer/pointer_widget.h"
#include "pages/pointer/report_widget.h"
#include "window/z9ktool.h"

#include <QButtonGroup>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QtTest>
#include <memory>

namespace
{
const QString kHighlighted = QStringLiteral("font-size:12px;color:#00e39b");

// The control-channel frames written since the trace was last cleared (frame
// byte k at index k, the report id left off).
QVector<QByteArray> controlFrames()
{
    QVector<QByteArray> out;
    for (const SentReport &r : sentReports())
        if (r.channel == VMOUSE_CONTROL) out << r.bytes.mid(1);
    return out;
}

QByteArray c1(std::initializer_list<int> head)
{
    QByteArray f(31, '\0');
    int i = 0;
    for (int b : head)
        f[i++] = char(b);
    return f;
}
} // namespace

class Pointer : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void pressAndDragSendTheLevels();
    void labelsFollowTheHandle();
    void onlyTheHandleMovesASlider();
    void reportRateButtons();
    void fillingEdgeCases();

private:
    std::unique_ptr<z9ktool> w;
    dpi_Widget *dpi() const { return w->pointerpage->dpi_area; }
    QPoint inWindow(QWidget *child, QPoint p) const { return child->mapTo(w.get(), p); }
    void click(QWidget *child, Qt::MouseButton b = Qt::LeftButton, QPoint p = QPoint());
    void openDpiTab();
    // Presses the handle, drags until the slider shows `target` and, unless
    // told not to, releases. Returns false if no position gives the target.
    bool drag(QSlider *s, int target);
    // With the handle held, moves along the groove until the slider shows `target`.
    bool moveUntil(QSlider *s, int target, QPoint *at = nullptr);
    void replug();
    void writeLevels(const QByteArray &frame);
};

void Pointer::initTestCase()
{
    QVERIFY(bindVirtualMouse());
}

void Pointer::init()
{
    freshMouse();
    device_attached = 0;
    mouse_status = after_status = 0;
    w.reset(new z9ktool);
    attach_at_start(*w);
    QVERIFY(device_attached);
    w->show();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    click(w->nav_btns->button(4));
    QCOMPARE(w->side_stack->currentWidget(), static_cast<QWidget *>(w->pointerpage));
    vmouse_trace_clear();
}

void Pointer::cleanup()
{
    w.reset();
}

void Pointer::click(QWidget *child, Qt::MouseButton b, QPoint p)
{
    if (p.isNull()) p = child->rect().center();
    QTest::mouseClick(w->windowHandle(), b, {}, inWindow(child, p));
}

void Pointer::openDpiTab()
{
    click(w->pointerpage->nav_dpi);
    QCOMPARE(w->pointerpage->pointer_cfg_area->currentIndex(), 1);
}

bool Pointer::moveUntil(QSlider *s, int target, QPoint *at)
{
    bool found = s->value() == target;
    QPoint p = slider_handle_rect(s).center();
    for (int x = -10; x < s->width() + 10 && !found; ++x) {
        p = QPoint(x, s->height() / 2);
        QTest::mouseMove(w->windowHandle(), inWindow(s, p));
        found = s->value() == target;
    }
    if (at) *at = p;
    return found;
}

bool Pointer::drag(QSlider *s, int target)
{
    QWindow *win = w->windowHandle();
    QPoint at = slider_handle_rect(s).center();
    QTest::mousePress(win, Qt::LeftButton, {}, inWindow(s, at));
    if (!s->isSliderDown()) return false;
    const bool found = moveUntil(s, target, &at);
    QTest::mouseRelease(win, Qt::LeftButton, {}, inWindow(s, at));
    return found;
}

void Pointer::replug()
{
    vmouse_plug(0);
    w->device_removal(QString::fromLatin1(dev_path));
    QVERIFY(!device_attached);
    vmouse_plug(1);
    w->device_arrival(QStringLiteral("/dev/hidraw3"));
    QVERIFY(device_attached);
}

// Stores a DPI record in the mouse as a 0xC1 frame would; the refresh reads it back.
void Pointer::writeLevels(const QByteArray &frame)
{
    unsigned char f[31];
    memcpy(f, frame.constData(), 31);
    m_WriteControl(31, f);
}

void Pointer::pressAndDragSendTheLevels()
{
    openDpiTab();
    QSlider *s3 = dpi()->dpi_level3;
    // What the frame held before stays in the bytes this panel does not set.
    send_cmd[7] = 0x77;
    for (int i = 9; i < 31; ++i)
        send_cmd[i] = quint8(i);

    const QPoint handle = slider_handle_rect(s3).center();
    QTest::mousePress(w->windowHandle(), Qt::LeftButton, {}, inWindow(s3, handle));
    QVERIFY(s3->isSliderDown());
    QVector<QByteArray> sent = controlFrames();
    QCOMPARE(sent.size(), 1);
    QByteArray expected = c1({0xc1, 16, 32, 48, 64, 144, 2, 0x77, 5});
    for (int i = 9; i < 31; ++i)
        expected[i] = char(i);
    QCOMPARE(sent[0].toHex(), expected.toHex());
    QCOMPARE(dpi()->level3_title->styleSheet(), kHighlighted);
    for (int n : {1, 2, 4, 5})
        QVERIFY(dpi()->title(n)->styleSheet() != kHighlighted);

    // Nothing goes out while the handle moves; the release sends the new value.
    vmouse_trace_clear();
    QVERIFY(moveUntil(s3, 32));
    QCOMPARE(controlFrames().size(), 0);
    QCOMPARE(dpi()->value3->text(), QStringLiteral("1600"));
    QTest::mouseRelease(w->windowHandle(), Qt::LeftButton, {},
                        inWindow(s3, slider_handle_rect(s3).center()));
    sent = controlFrames();
    QCOMPARE(sent.size(), 1);
    expected[3] = 32;
    QCOMPARE(sent[0].toHex(), expected.toHex());

    // The mouse keeps the levels: a read gives them, and so does a re-read
    // after the mouse was away.
    unsigned char frame[31] = {0xc2};
    unsigned char reply[32] = {0};
    m_WriteControl(31, frame);
    QVERIFY(m_ReadData(32, reply));
    QCOMPARE(QByteArray(reinterpret_cast<char *>(reply) + 3, 6).toHex(),
             QByteArray::fromHex("102020409002").toHex());
    const unsigned char zeros[32] = {0};
    dpi()->fill(zeros);
    QCOMPARE(s3->value(), 1);
    replug();
    QCOMPARE(s3->value(), 32);
    QCOMPARE(dpi()->level3_title->styleSheet(), kHighlighted);
    QCOMPARE(dpi()->value3->text(), QStringLiteral("1600"));
}

void Pointer::labelsFollowTheHandle()
{
    openDpiTab();
    QVERIFY(drag(dpi()->dpi_level1, 144));
    QCOMPARE(dpi()->value1->text(), QStringLiteral("7200"));
    QCOMPARE(dpi()->value1->pos(), QPoint(395, 37));
    QVERIFY(drag(dpi()->dpi_level1, 1));
    QCOMPARE(dpi()->value1->text(), QStringLiteral("50"));
    QCOMPARE(dpi()->value1->pos(), QPoint(153, 37));
    QVERIFY(drag(dpi()->dpi_level4, 72));
    QCOMPARE(dpi()->value4->text(), QStringLiteral("3600"));
    QCOMPARE(dpi()->value4->pos(), QPoint(659, 37));
    QVERIFY(drag(dpi()->dpi_level3, 100));
    QCOMPARE(dpi()->value3->pos(), QPoint(152 + 169, 150));

    writeLevels(c1({0xc1, 143, 32, 48, 64, 144, 0, 0, 5}));
    replug();
    QCOMPARE(dpi()->dpi_level1->value(), 143);
    QCOMPARE(dpi()->value1->text(), QStringLiteral("7150"));
    QCOMPARE(dpi()->value1->pos(), QPoint(394, 37));
}

void Pointer::onlyTheHandleMovesASlider()
{
    openDpiTab();
    QSlider *s = dpi()->dpi_level2;
    QCOMPARE(s->value(), 32);
    const QRect handle = slider_handle_rect(s);

    // Keys as the keyboard delivers them (X11 key codes of the arrows, page
    // keys, Home and End), sent to the slider even though it takes no focus.
    const struct {
        int key;
        quint32 scan;
    } keys[] = {{Qt::Key_Right, 114}, {Qt::Key_Left, 113},   {Qt::Key_Up, 111},
                {Qt::Key_Down, 116},  {Qt::Key_PageUp, 112}, {Qt::Key_PageDown, 117},
                {Qt::Key_Home, 110},  {Qt::Key_End, 115}};
    for (const auto &k : keys) {
        QKeyEvent press(QEvent::KeyPress, k.key, Qt::NoModifier, k.scan, 0, 0);
        QKeyEvent release(QEvent::KeyRelease, k.key, Qt::NoModifier, k.scan, 0, 0);
        QApplication::sendEvent(s, &press);
        QApplication::sendEvent(s, &release);
        QCOMPARE(s->value(), 32);
    }
    for (int delta : {120, -120, 1200, -1200}) {
        const QPoint c = handle.center();
        QWheelEvent wheel(c, s->mapToGlobal(c), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(s, &wheel);
        QCOMPARE(s->value(), 32);
    }
    // Beside the handle on the groove, with the left and the middle button.
    for (int x : {2, handle.right() + 30, s->width() - 3}) {
        click(s, Qt::LeftButton, QPoint(x, s->height() / 2));
        click(s, Qt::MiddleButton, QPoint(x, s->height() / 2));
        QTest::mouseDClick(w->windowHandle(), Qt::LeftButton, {},
                           inWindow(s, QPoint(x, s->height() / 2)));
        QCOMPARE(s->value(), 32);
    }
    QTest::qWait(600); // a held page step would repeat on its timer
    QCOMPARE(s->value(), 32);
    QCOMPARE(s->focusPolicy(), Qt::NoFocus);
    QCOMPARE(controlFrames().size(), 0);
}

void Pointer::reportRateButtons()
{
    report_Widget *r = w->pointerpage->report_area;
    QCOMPARE(r->report_button->checkedId(), 1); // the mouse's 1000
    click(r->report_500);
    QVector<QByteArray> sent = controlFrames();
    QCOMPARE(sent.size(), 1);
    QCOMPARE(sent[0].left(2).toHex(), QByteArray("c302"));
    click(r->report_500);
    QCOMPARE(controlFrames().size(), 1);
    QVERIFY(r->report_500->isChecked());

    vmouse_trace_clear();
    r->fill(8);
    QVERIFY(r->report_125->isChecked());
    r->fill(3);
    r->fill(16);
    r->fill(0);
    QVERIFY(r->report_125->isChecked());
    QCOMPARE(controlFrames().size(), 0);

    // The mouse took the 500; a refresh shows it and opens on the first tab.
    openDpiTab();
    replug();
    QCOMPARE(r->report_button->checkedId(), 2);
    QVERIFY(w->pointerpage->nav_basic->isChecked());
    QCOMPARE(w->pointerpage->pointer_cfg_area->currentIndex(), 0);
}

void Pointer::fillingEdgeCases()
{
    dpi_Widget *d = dpi();
    QCOMPARE(d->level_btn->checkedId(), 4); // five levels in use

    // Active level 5 (index 5) does not exist; a count of 0 is no count.
    writeLevels(c1({0xc1, 20, 30, 40, 50, 60, 5, 0, 0}));
    replug();
    for (int n = 1; n <= 5; ++n)
        QVERIFY(d->title(n)->styleSheet() != kHighlighted);
    QCOMPARE(d->level_btn->checkedId(), 4);
    QCOMPARE(d->dpi_level5->value(), 60);

    writeLevels(c1({0xc1, 20, 30, 40, 50, 60, 2, 0, 6}));
    replug();
    QCOMPARE(d->level_btn->checkedId(), 4);
    QCOMPARE(d->level3_title->styleSheet(), kHighlighted);

    writeLevels(c1({0xc1, 20, 30, 40, 50, 60, 0, 0, 3}));
    replug();
    QCOMPARE(d->level_btn->checkedId(), 2);

    // A record of zeros, as a read that failed leaves it.
    writeLevels(QByteArray(31, '\0').replace(0, 1, "\xc1"));
    vmouse_trace_clear();
    replug();
    for (int n = 1; n <= 5; ++n) {
        QCOMPARE(d->slider(n)->value(), 1);
        QCOMPARE(d->value(n)->text(), QStringLiteral("0"));
    }
    QCOMPARE(d->value1->pos(), QPoint(152, 37));
    QCOMPARE(d->level1_title->styleSheet(), kHighlighted);
    QCOMPARE(d->level_btn->checkedId(), 2);
    for (const QByteArray &f : controlFrames())
        QVERIFY2(quint8(f[0]) != 0xc1 && quint8(f[0]) != 0xc3, f.toHex().constData());
}

QTEST_MAIN(Pointer)
#include "tst_pointer.moc"
