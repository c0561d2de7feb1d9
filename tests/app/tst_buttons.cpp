// The button page and its editors in the main window against the virtual
// mouse: what a click sends, what a read shows, and the custom-key editor fed
// by key events that carry X11 key codes (the same way the seam feeds it).
#include "virtualmouse.h"

#include "pages/buttons/button_widget.h"
#include "pages/buttons/combo_widget.h"
#include "pages/buttons/func_widget.h"
#include "platform/keycapture.h"
#include "pages/buttons/micro_widget.h"
#include "pages/buttons/mkey_edit.h"
#include "window/z9ktool.h"

#include <QButtonGroup>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTimer>
#include <QtTest>

namespace
{
const quint32 kNumLock = 0x10;

// Stores an assignment in the mouse as another program would have left it.
void store(int button, int kind, int code, int b4 = 0, int b5 = 0)
{
    unsigned char frame[31] = {0xb1,         quint8(button), quint8(kind),
                               quint8(code), quint8(b4),     quint8(b5)};
    m_WriteControl(31, frame);
}

// The 0xb1 reports sent, as hex of the frame bytes 0-5.
QStringList sentAssignments()
{
    QStringList out;
    for (const SentReport &r : sentReports())
        if (r.channel == VMOUSE_CONTROL && quint8(r.bytes[1]) == 0xb1)
            out << QString::fromLatin1(r.bytes.mid(1, 6).toHex(' '));
    return out;
}

void key(QWidget *to, QEvent::Type type, quint32 keycode, bool repeat = false)
{
    QKeyEvent ev(type, Qt::Key_unknown, Qt::NoModifier, keycode, 0, kNumLock, QString(), repeat);
    QApplication::sendEvent(to, &ev);
}
void tap(QWidget *to, quint32 keycode)
{
    key(to, QEvent::KeyPress, keycode);
    key(to, QEvent::KeyRelease, keycode);
}

QVector<int> checkedIds(QButtonGroup *g)
{
    QVector<int> ids;
    for (QAbstractButton *b : g->buttons())
        if (b->isChecked()) ids << g->id(b);
    return ids;
}
} // namespace

class Buttons : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void panelsLayout();
    void choosingSends();
    void readingShows();
    void unknownAssignmentsChangeNothing();
    void silentMouseShowsNoFunction();
    void everyUsageReadBackIsNamed();
    void sideViewRereadsItsButton();
    void macroSavedAndReadBack();

    void editorThroughTheProcedure();
    void editorThroughKeyEvents();
    void customComboSavedForButton7();
    void captureEndsWithFocusHideAndUnplug();

private:
    z9ktool *w = nullptr;
    button_Widget *page = nullptr;
    mkey_Edit *editor = nullptr;
    void runAnimation();
    void chooseView(int id);
    void focusEditor();
};

void Buttons::initTestCase()
{
    QVERIFY(bindVirtualMouse());
}

void Buttons::init()
{
    freshMouse();
    device_attached = 0;
    mouse_status = after_status = 0;
    w = new z9ktool;
    attach_at_start(*w);
    QVERIFY(device_attached);
    w->show();
    QVERIFY(QTest::qWaitForWindowActive(w));
    page = w->btnpage;
    editor = page->combo_area->mkey_editor;
    QTest::mouseClick(w->nav_btns->button(2), Qt::LeftButton);
    runAnimation();
    QVERIFY(page->m_top_button4->isVisible());
    vmouse_trace_clear();
}

void Buttons::cleanup()
{
    delete w;
    w = nullptr;
    QVERIFY(!KeyCapture::anyCapturing());
}

void Buttons::runAnimation()
{
    for (int guard = 0; w->animation_timer->isActive() && guard < 40; ++guard)
        w->onTimeout();
}

void Buttons::chooseView(int id)
{
    QTest::mouseClick(page->viewBtn->button(id), Qt::LeftButton);
    runAnimation();
}

void Buttons::focusEditor()
{
    QTest::mouseClick(page->nav_combo, Qt::LeftButton);
    QTest::mouseClick(editor->mkey_line, Qt::LeftButton);
    QVERIFY(editor->mkey_line->hasFocus());
    QVERIFY(editor->key_hook->isCapturing());
}

void Buttons::panelsLayout()
{
    // Each radio at its place with its text, in the group with its code.
    struct Row {
        QRadioButton *radio;
        QButtonGroup *group;
        int id, x, y;
        const char *text;
    };
    func_Widget *f = page->func_area;
    combo_Widget *c = page->combo_area;
    const Row rows[] = {
        {f->function1, page->func_btn_grp, 1, 151, 0, "单击左键"},
        {f->function5, page->func_btn_grp, 5, 679, 0, "鼠标前进"},
        {f->function6, page->func_btn_grp, 6, 151, 36, "提高DPI"},
        {f->function8, page->func_btn_grp, 8, 415, 36, "切换DPI"},
        {f->volup, page->combo_btn_grp, 10, 547, 36, "音量增大"},
        {f->voldown, page->combo_btn_grp, 11, 679, 36, "音量减小"},
        {f->volmute, page->combo_btn_grp, 12, 151, 72, "静音切换"},
        {c->combo1, page->combo_btn_grp, 1, 110, 0, "关闭窗口(ALT+F4)"},
        {c->combo7, page->combo_btn_grp, 7, 110, 72, "撤销(Ctrl+Z)"},
        {c->combo4, page->combo_btn_grp, 4, 360, 0, "浏览器中的上一个标签(Ctrl+Shift+Tab)"},
        {c->combo3, page->combo_btn_grp, 3, 360, 36, "浏览器中的下一个标签(Ctrl+Tab)"},
        {c->combo9, page->combo_btn_grp, 9, 690, 36, "复制(Ctrl+C)"},
        {c->combo6, page->combo_btn_grp, 6, 690, 72, "粘贴(Ctrl+V)"},
    };
    for (const Row &r : rows) {
        QCOMPARE(r.radio->text(), QString::fromUtf8(r.text));
        QCOMPARE(r.radio->pos(), QPoint(r.x, r.y));
        QCOMPARE(r.group->id(r.radio), r.id);
    }
    QCOMPARE(page->func_btn_grp->buttons().size(), 8);
    QCOMPARE(page->combo_btn_grp->buttons().size(), 12);
    QCOMPARE(page->btn_cfg_area->geometry(), QRect(0, 500, 920, 250));
    QCOMPARE(editor->geometry(), QRect(110, 140, 500, 30));
    QCOMPARE(editor->clear_btn->text(), QStringLiteral("清除"));
    QCOMPARE(editor->save_btn->text(), QStringLiteral("保存"));
    QVERIFY(editor->mkey_line->isReadOnly());

    // The tabs switch the panels.
    QCOMPARE(page->btn_cfg_area->currentWidget(), page->func_area);
    QTest::mouseClick(page->nav_micro, Qt::LeftButton);
    QCOMPARE(page->btn_cfg_area->currentWidget(), page->micro_area);
    QTest::mouseClick(page->nav_combo, Qt::LeftButton);
    QCOMPARE(page->btn_cfg_area->currentWidget(), page->combo_area);
    QTest::mouseClick(page->nav_func, Qt::LeftButton);
    QCOMPARE(page->btn_cfg_area->currentIndex(), 0);
}

void Buttons::choosingSends()
{
    // "切换DPI" for button 5: kind 0, code 8; bytes 4 and 5 stay as the frame held.
    QTest::mouseClick(page->m_top_button4, Qt::LeftButton);
    QCOMPARE(page->current_button(), 5);
    send_cmd[4] = 0x5a;
    send_cmd[5] = 0xa5;
    vmouse_trace_clear();
    QTest::mouseClick(page->func_area->function8, Qt::LeftButton);
    QCOMPARE(sentAssignments(), QStringList{"b1 05 00 08 5a a5"});

    // "静音切换" sits on the function panel but is combination 12, and clears
    // the function radio.
    vmouse_trace_clear();
    QTest::mouseClick(page->func_area->volmute, Qt::LeftButton);
    QCOMPARE(sentAssignments(), QStringList{"b1 05 01 0c 5a a5"});
    QVERIFY(checkedIds(page->func_btn_grp).isEmpty());
    QCOMPARE(checkedIds(page->combo_btn_grp), QVector<int>{12});

    // A preset combination on the other panel clears the media radio.
    QTest::mouseClick(page->nav_combo, Qt::LeftButton);
    vmouse_trace_clear();
    QTest::mouseClick(page->combo_area->combo4, Qt::LeftButton);
    QCOMPARE(sentAssignments(), QStringList{"b1 05 01 04 5a a5"});
    QCOMPARE(checkedIds(page->combo_btn_grp), QVector<int>{4});

    // Selecting the button again reads back what was sent.
    QTest::mouseClick(page->m_top_button3, Qt::LeftButton);
    vmouse_trace_clear();
    QTest::mouseClick(page->m_top_button4, Qt::LeftButton);
    QCOMPARE(sentCommands(), QStringList{"b005"});
    QVERIFY(page->combo_area->combo4->isChecked());
    QVERIFY(sentAssignments().isEmpty()); // showing it sent nothing
}

void Buttons::readingShows()
{
    store(5, 1, 11);
    store(6, 1, 4);
    store(2, 1, 0, 0x05, 0x06);

    QTest::mouseClick(page->m_top_button4, Qt::LeftButton); // button 5
    QVERIFY(page->func_area->voldown->isChecked());
    QVERIFY(page->nav_func->isChecked());
    QCOMPARE(page->btn_cfg_area->currentIndex(), 0);

    QTest::mouseClick(page->m_top_button5, Qt::LeftButton); // button 6
    QVERIFY(page->combo_area->combo4->isChecked());
    QVERIFY(!page->func_area->voldown->isChecked());
    QVERIFY(page->nav_combo->isChecked());
    QCOMPARE(page->btn_cfg_area->currentIndex(), 1);

    QTest::mouseClick(page->m_top_button3, Qt::LeftButton); // button 2: custom
    QCOMPARE(editor->mkey_line->text(), QStringLiteral("CTRL+ALT+C"));
    QVERIFY(checkedIds(page->func_btn_grp).isEmpty());
    QVERIFY(checkedIds(page->combo_btn_grp).isEmpty());
    QVERIFY(page->nav_combo->isChecked());

    // A function read back checks its radio on the function panel.
    store(5, 0, 2);
    QTest::mouseClick(page->m_top_button4, Qt::LeftButton);
    QCOMPARE(checkedIds(page->func_btn_grp), QVector<int>{2});
    QVERIFY(checkedIds(page->combo_btn_grp).isEmpty());
    QVERIFY(page->nav_func->isChecked());
    QCOMPARE(sentAssignments().size(), 4); // only the stores above
}

void Buttons::unknownAssignmentsChangeNothing()
{
    store(5, 1, 4);
    QTest::mouseClick(page->m_top_button4, Qt::LeftButton);
    QVERIFY(page->combo_area->combo4->isChecked());
    // Kind 3, and codes beyond the tables of kinds 0 and 1.
    for (auto a : {std::make_pair(3, 1), std::make_pair(0xff, 0), std::make_pair(0, 9),
                   std::make_pair(0, 0xff), std::make_pair(1, 13), std::make_pair(1, 0xff)}) {
        store(6, a.first, a.second);
        page->micro_area->records_list->addItem(QStringLiteral("kept"));
        QTest::mouseClick(page->m_top_button5, Qt::LeftButton);
        QVERIFY(page->combo_area->combo4->isChecked());
        QVERIFY(page->nav_combo->isChecked());
        QCOMPARE(page->micro_area->records_list->count(), 1);
        QTest::mouseClick(page->m_top_button4, Qt::LeftButton); // back to 5: combo 4
    }
}

void Buttons::silentMouseShowsNoFunction()
{
    store(5, 1, 4);
    QTest::mouseClick(page->m_top_button4, Qt::LeftButton);
    QVERIFY(page->nav_combo->isChecked());
    vmouse_set_silent(1);
    QTest::mouseClick(page->m_top_button5, Qt::LeftButton);
    vmouse_set_silent(0);
    QCOMPARE(int(button_status[4]), 0);
    QCOMPARE(int(button_status[5]), 0);
    QVERIFY(checkedIds(page->func_btn_grp).isEmpty());
    QVERIFY(checkedIds(page->combo_btn_grp).isEmpty());
    QVERIFY(page->nav_func->isChecked());
}

void Buttons::everyUsageReadBackIsNamed()
{
    for (int usage = 0; usage < 256; ++usage) {
        store(5, 1, 0, 0x01, usage);
        page->read_button_function(5, true);
        QCOMPARE(int(editor->key_ascii), int(hidtovkey(quint8(usage))));
        const QString name = vkeytostring(hidtovkey(quint8(usage)));
        QCOMPARE(editor->mkey_line->text(),
                 name.isEmpty() ? QStringLiteral("CTRL") : QStringLiteral("CTRL+") + name);
    }
}

void Buttons::sideViewRereadsItsButton()
{
    chooseView(2);
    QCOMPARE(sentCommands().value(0), QStringLiteral("b003"));
    QCOMPARE(after_status, 2);
    QVERIFY(page->m_top_button3->isHidden());
    QVERIFY(page->m_top_button4->isHidden());
    QVERIFY(page->m_side_button1->isVisible()); // shown once the picture arrived
    QCOMPARE(page->current_button(), 3);

    // The side markers are hidden until the window calls showButtons().
    QTest::mouseClick(page->viewBtn->button(1), Qt::LeftButton);
    QVERIFY(page->m_side_button1->isHidden());
    QVERIFY(page->m_top_button3->isHidden());
    runAnimation();
    QVERIFY(page->m_top_button3->isVisible());
    QCOMPARE(sentCommands().constLast(), QStringLiteral("b002"));
}

void Buttons::macroSavedAndReadBack()
{
    QTest::mouseClick(page->m_top_button4, Qt::LeftButton); // button 5
    QTest::mouseClick(page->nav_micro, Qt::LeftButton);
    micro_Widget *m = page->micro_area;
    m->rec_delay = true;
    key_record down, up;
    down.keyCode = HID_A;
    down.press = KEY_DOWN;
    up.keyCode = HID_A;
    up.press = KEY_UP;
    up.interval_time = 300;
    m->btn_records = {down, up};
    vmouse_trace_clear();
    QTest::mouseClick(m->save_micro, Qt::LeftButton);
    QCOMPARE(sentAssignments(), QStringList{"b1 05 02 01 00 08"});
    QVERIFY(checkedIds(page->func_btn_grp).isEmpty());

    // Another button, then back: the macro comes from the mouse again.
    QTest::mouseClick(page->m_top_button3, Qt::LeftButton);
    QVERIFY(page->nav_func->isChecked());
    m->btn_records.clear();
    m->rec_delay = false;
    QTest::mouseClick(page->m_top_button4, Qt::LeftButton);
    QVERIFY(page->nav_micro->isChecked());
    QCOMPARE(page->btn_cfg_area->currentWidget(), m);
    QVERIFY(m->rec_delay);
    QCOMPARE(m->btn_records.size(), 2);
    QCOMPARE(int(m->btn_records[1].press), int(KEY_UP));
    QCOMPARE(int(m->btn_records[1].interval_time), 300);
    QVERIFY(m->records_list->count() > 0);
    QVERIFY(checkedIds(page->func_btn_grp).isEmpty());
    QVERIFY(checkedIds(page->combo_btn_grp).isEmpty());
}

void Buttons::editorThroughTheProcedure()
{
    focusEditor();
    QLineEdit *field = editor->mkey_line;
    // Left Ctrl, C; release both; V: the modifier stays.
    mkey_keyboard_proc(0, 0x100, 0xa2);
    mkey_keyboard_proc(0, 0x100, 0x43);
    QCOMPARE(field->text(), QStringLiteral("CTRL+C"));
    mkey_keyboard_proc(0, 0x101, 0x43);
    mkey_keyboard_proc(0, 0x101, 0xa2);
    mkey_keyboard_proc(0, 0x100, 0x56);
    QCOMPARE(field->text(), QStringLiteral("CTRL+V"));
    mkey_keyboard_proc(0, 0x101, 0x56);

    // "清除" empties and keeps capturing; right Alt alone (a system key).
    QTest::mouseClick(editor->clear_btn, Qt::LeftButton);
    QVERIFY(field->text().isEmpty());
    QVERIFY(field->hasFocus());
    QVERIFY(editor->key_hook->isCapturing());
    QCOMPARE(mkey_keyboard_proc(0, 0x104, 0xa5), qintptr(1));
    QCOMPARE(field->text(), QStringLiteral("RIGHT ALT"));
    mkey_keyboard_proc(0, 0x105, 0xa5);

    // The four left modifiers in two orders.
    for (const QVector<unsigned> &order :
         {QVector<unsigned>{0xa0, 0xa2, 0xa4, 0x5b}, QVector<unsigned>{0x5b, 0xa4, 0xa0, 0xa2}}) {
        editor->clear_mkey();
        for (unsigned v : order)
            mkey_keyboard_proc(0, 0x100, v);
        QCOMPARE(field->text(), QStringLiteral("CTRL+ALT+SHIFT+WIN"));
        QCOMPARE(int(editor->control_key), 0x0f);
        for (unsigned v : order)
            mkey_keyboard_proc(0, 0x101, v);
    }

    // Every modifier, right-hand ones after their left partners.
    editor->clear_mkey();
    for (unsigned v : {0x5cu, 0xa1u, 0xa5u, 0xa3u, 0x5bu, 0xa0u, 0xa4u, 0xa2u})
        mkey_keyboard_proc(0, 0x100, v);
    QCOMPARE(field->text(),
             QStringLiteral("CTRL+ALT+SHIFT+WIN+RIGHT CTRL+RIGHT ALT+RIGHT SHIFT+RIGHT WIN"));
    for (unsigned v : {0x5cu, 0xa1u, 0xa5u, 0xa3u, 0x5bu, 0xa0u, 0xa4u, 0xa2u})
        mkey_keyboard_proc(0, 0x101, v);

    // Codes beyond the table are consumed and change nothing.
    editor->clear_mkey();
    QCOMPARE(mkey_keyboard_proc(0, 0x100, 0xff), qintptr(1));
    QCOMPARE(mkey_keyboard_proc(0, 0x100, 0x1234), qintptr(1));
    QVERIFY(field->text().isEmpty());
}

void Buttons::editorThroughKeyEvents()
{
    focusEditor();
    QLineEdit *field = editor->mkey_line;
    key(field, QEvent::KeyPress, 37); // left Ctrl
    key(field, QEvent::KeyPress, 54); // C
    QCOMPARE(field->text(), QStringLiteral("CTRL+C"));
    key(field, QEvent::KeyRelease, 54);
    key(field, QEvent::KeyRelease, 37);
    tap(field, 55); // V
    QCOMPARE(field->text(), QStringLiteral("CTRL+V"));

    QTest::mouseClick(editor->clear_btn, Qt::LeftButton);
    tap(field, 108); // right Alt
    QCOMPARE(field->text(), QStringLiteral("RIGHT ALT"));

    // A held key: the repeats show nothing new until it is released.
    editor->clear_mkey();
    key(field, QEvent::KeyPress, 38); // A
    QCOMPARE(field->text(), QStringLiteral("A"));
    editor->mkey_text.clear();
    for (int i = 0; i < 3; ++i) {
        key(field, QEvent::KeyRelease, 38, true);
        key(field, QEvent::KeyPress, 38, true);
    }
    QVERIFY(editor->mkey_text.isEmpty()); // show_mkey() did not run again
    key(field, QEvent::KeyRelease, 38);
    tap(field, 38);
    QCOMPARE(editor->mkey_text, QStringLiteral("A"));

    // Shift + the left-hand modifiers in any order, F13, comma, keypad ".".
    editor->clear_mkey();
    for (quint32 k : {50u, 133u, 64u, 37u})
        key(field, QEvent::KeyPress, k);
    QCOMPARE(field->text(), QStringLiteral("CTRL+ALT+SHIFT+WIN"));
    for (quint32 k : {50u, 133u, 64u, 37u})
        key(field, QEvent::KeyRelease, k);
    editor->clear_mkey();
    tap(field, 191);
    QCOMPARE(field->text(), QStringLiteral("F13"));
    tap(field, 59);
    QCOMPARE(field->text(), QStringLiteral("<"));
    tap(field, 91);
    QCOMPARE(field->text(), QStringLiteral("."));
    QVERIFY(w->isVisible()); // no key reached the window (Esc, Tab ...)
    tap(field, 23);          // Tab moves no focus
    QVERIFY(field->hasFocus());
}

void Buttons::customComboSavedForButton7()
{
    chooseView(2);
    QTest::mouseClick(page->m_side_button3, Qt::LeftButton);
    QCOMPARE(page->current_button(), 7);
    store(7, 1, 5);
    QTest::mouseClick(page->m_side_button2, Qt::LeftButton); // button 4, and back to 7
    QTest::mouseClick(page->m_side_button3, Qt::LeftButton);
    QVERIFY(page->combo_area->combo5->isChecked());

    focusEditor();
    QTest::mouseClick(editor->clear_btn, Qt::LeftButton);
    key(editor->mkey_line, QEvent::KeyPress, 105); // right Ctrl
    key(editor->mkey_line, QEvent::KeyPress, 50);  // left Shift
    tap(editor->mkey_line, 191);                   // F13
    QCOMPARE(editor->mkey_line->text(), QStringLiteral("SHIFT+RIGHT CTRL+F13"));
    vmouse_trace_clear();
    QTest::mouseClick(editor->save_btn, Qt::LeftButton);
    QCOMPARE(sentAssignments(), QStringList{"b1 07 01 00 12 7c"});
    QVERIFY(checkedIds(page->combo_btn_grp).isEmpty());
    QVERIFY(editor->mkey_line->hasFocus()); // back in the field, capturing
    QVERIFY(editor->key_hook->isCapturing());
    key(editor->mkey_line, QEvent::KeyRelease, 50);
    key(editor->mkey_line, QEvent::KeyRelease, 105);

    // Read back from the mouse.
    editor->clear_mkey();
    QTest::mouseClick(page->m_side_button2, Qt::LeftButton);
    QTest::mouseClick(page->m_side_button3, Qt::LeftButton);
    QCOMPARE(editor->mkey_line->text(), QStringLiteral("SHIFT+RIGHT CTRL+F13"));

    // An empty editor is sent as it is.
    QTest::mouseClick(editor->mkey_line, Qt::LeftButton);
    QTest::mouseClick(editor->clear_btn, Qt::LeftButton);
    vmouse_trace_clear();
    QTest::mouseClick(editor->save_btn, Qt::LeftButton);
    QCOMPARE(sentAssignments(), QStringList{"b1 07 01 00 00 00"});
}

void Buttons::captureEndsWithFocusHideAndUnplug()
{
    // Focus leaving the field.
    focusEditor();
    QTest::mouseClick(page->combo_area->combo1, Qt::LeftButton);
    QVERIFY(!editor->key_hook->isCapturing());
    QVERIFY(!KeyCapture::anyCapturing());
    QVERIFY(!KeyCapture::grabHeld());
    tap(editor->mkey_line, 38);
    QVERIFY(editor->mkey_line->text().isEmpty());

    // The window hidden ("close" only hides it).
    focusEditor();
    QTest::mouseClick(w->close_btn, Qt::LeftButton);
    QVERIFY(w->isHidden());
    QVERIFY(!KeyCapture::anyCapturing());
    QVERIFY(!KeyCapture::grabHeld());
    w->show();
    QApplication::setActiveWindow(w); // the offscreen platform does not reactivate by itself
    QTRY_VERIFY(w->isActiveWindow());

    // The mouse unplugged.
    focusEditor();
    vmouse_plug(0);
    w->device_removal(QStringLiteral("/dev/hidraw3"));
    QVERIFY(!device_attached);
    QVERIFY(!KeyCapture::anyCapturing());
    QVERIFY(!KeyCapture::grabHeld());
    vmouse_plug(1);
}

QTEST_MAIN(Buttons)
#include "tst_buttons.moc"
