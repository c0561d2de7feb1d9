// A seeded user at the window while the mouse misbehaves: every action is real
// input (a click, double click or drag at window coordinates, a key with its X
// key code), now and then one of a few short scripted tasks (record and upload
// a macro, enter a custom key, flash, pick a colour, manage presets, reset),
// and the system's removal and arrival reports whenever the mouse left. After
// each action check() says whether the window is still in a sound state and
// every report sent was one the command table allows.
#ifndef CHAOSDRIVER_H
#define CHAOSDRIVER_H

#include "commandtable.h"
#include "virtualmouse.h"

#include "pages/buttons/button_widget.h"
#include "pages/lighting/colorpicker.h"
#include "pages/buttons/combo_widget.h"
#include "pages/settings/config_widget.h"
#include "pages/settings/confirm_dialog.h"
#include "pages/pointer/dpi_widget.h"
#include "window/hoverbtn.h"
#include "pages/lighting/col_btn.h"
#include "pages/lighting/colorwheel.h"
#include "window/system_tray.h"
#include <QRadioButton>
#include "platform/keycapture.h"
#include "pages/lighting/led_widget.h"
#include "window/mainpage.h"
#include "pages/buttons/micro_widget.h"
#include "pages/buttons/mkey_edit.h"
#include "pages/pointer/pointer_widget.h"
#include "pages/pointer/report_widget.h"
#include "pages/settings/update_dialog.h"
#include "window/z9ktool.h"

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QTimer>
#include <QWindow>
#include <QtTest>

#include <functional>

namespace chaos
{

// splitmix64: the same seed gives the same run on every machine.
struct Rng {
    quint64 x;
    explicit Rng(quint64 seed) : x(seed) {}
    quint32 next()
    {
        quint64 z = (x += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return quint32((z ^ (z >> 31)) >> 32);
    }
    int below(int n) { return n > 0 ? int(next() % quint32(n)) : 0; }
    bool chance(int percent) { return below(100) < percent; }
};

// The MCU body the virtual mouse runs: "KIVO", the version, 7 zero bytes, code.
inline QByteArray imageFile(int mcuSize, int major, int minor, int patch)
{
    QByteArray mcu =
        QByteArray("KIVO") + char(major) + char(minor) + char(patch) + QByteArray(7, '\0');
    for (int i = mcu.size(); i < mcuSize; ++i)
        mcu += char((i * 37 + 11) & 0xFF);
    mcu = mcu.left(mcuSize);
    QByteArray f(14, 'x');
    const int lens[3] = {0, 0, int(mcu.size())};
    for (int len : lens)
        f += QByteArray("R") + char(1) + char(len >> 24) + char(len >> 16) + char(len >> 8) +
             char(len) + QByteArray(9, 'z');
    return f + mcu;
}

class Driver
{
public:
    static constexpr int kImageBytes = 300; // six chunks, the last one short
    static constexpr int kImageChunks = (kImageBytes + 55) / 56;

    Driver(z9ktool &w, quint64 seed) : m_w(w), m_rng(seed), m_departures(vmouse_departures()) {}

    // One action of the user (or of the system), then the reports of a mouse
    // that left or came back. Returns a description for the log.
    QString step()
    {
        ++m_steps;
        m_stepTrace.clear();
        QString what;
        if (!m_script.isEmpty()) {
            what = m_script.takeFirst()();
        } else if (!m_w.isVisible() || m_w.isMinimized()) {
            what = m_rng.chance(60) ? tray() : keyAction();
        } else {
            const int r = m_rng.below(1000);
            if (!vmouse_plugged() && r < 300)
                what = cable(); // a user who pulled the cable puts it back soon
            else if (r < 30)
                what = startScript();
            else if (r < 40)
                what = cable();
            else if (r < 48)
                what = batteryTick();
            else if (r < 60)
                what = keyAction();
            else if (r < 90)
                what = drag();
            else if (r < 130)
                what = doubleClick();
            else
                what = click();
        }
        settle();
        notify();
        collectTrace();
        return what;
    }

    // Empty while everything is as it must be; else what is wrong.
    QString check()
    {
        for (const QString &e : m_traceErrors)
            return e;
        const bool attached = device_attached != 0;
        for (int id = 1; id <= 5; ++id)
            if (m_w.nav_btns->button(id)->isEnabled() != attached)
                return QStringLiteral("navigation button %1 enabled %2 while attached %3")
                    .arg(id)
                    .arg(m_w.nav_btns->button(id)->isEnabled())
                    .arg(attached);
        if ((m_w.side_stack->currentIndex() == 0) == attached)
            return QStringLiteral("page %1 while attached %2")
                .arg(m_w.side_stack->currentIndex())
                .arg(attached);
        if (!attached) {
            const QWidget *over[] = {m_w.reset_confirm, m_w.update_confirm, m_w.ledpage->picker,
                                     m_w.mask_side, m_w.ledpage->mask_btn};
            for (const QWidget *o : over)
                if (!o->isHidden())
                    return QStringLiteral("%1 open over the no-device page")
                        .arg(QString::fromLatin1(o->metaObject()->className()));
            if (m_w.reset_btn->isEnabled()) return QStringLiteral("reset enabled without a mouse");
            if (KeyCapture::anyCapturing()) return QStringLiteral("capturing without a mouse");
        }
        if (KeyCapture::grabHeld() && !KeyCapture::anyCapturing())
            return QStringLiteral("keyboard grab held outside a capture");
        if (KeyCapture::anyCapturing() && !m_w.isVisible())
            return QStringLiteral("capturing for a hidden window");
        return m_flashError;
    }

    // How often each kind of control was worked, by name.
    QMap<QString, int> hits;
    int steps() const { return m_steps; }
    int macroUploads = 0;   // macro packets (0xF1) the mouse took
    int customKeys = 0;     // custom combinations (0xB1 kind 1 code 0) the mouse took
    int flashesStarted = 0; // flashes whose first packet the mouse took
    int flashesDone = 0;    // flashes whose restart the mouse took
    int flashesClaimed = 0; // flashes the dialog called complete
    int resets = 0;         // factory resets the mouse took

private:
    using Action = std::function<QString()>;

    // ---- real input ---------------------------------------------------------------

    QWindow *window() const { return m_w.windowHandle(); }

    QPoint inWindow(const QWidget *target, const QPoint &local) const
    {
        return target->mapTo(&m_w, local);
    }

    void clickAt(const QPoint &p)
    {
        QTest::mouseClick(window(), Qt::LeftButton, Qt::NoModifier, p);
    }

    // A point of the control where a user would press it.
    QPoint pointOn(QWidget *t)
    {
        const QRect r = t->rect();
        if (qobject_cast<QSlider *>(t) || qobject_cast<ColorPicker *>(t) ||
            qobject_cast<QListWidget *>(t) ||
            t == static_cast<QWidget *>(m_w.ledpage->picker->colorwheel))
            return QPoint(r.left() + m_rng.below(qMax(1, r.width())),
                          r.top() + m_rng.below(qMax(1, r.height())));
        return r.center();
    }

    QString name(QWidget *t) const
    {
        z9ktool &w = m_w;
        auto in = [t](QButtonGroup *g) {
            return g && g->buttons().contains(qobject_cast<QAbstractButton *>(t));
        };
        if (in(w.btnpage->m_top_button) || in(w.btnpage->m_side_button)) return "marker";
        if (in(w.btnpage->viewBtn)) return "view";
        if (in(w.btnpage->func_btn_grp)) return "function";
        if (in(w.btnpage->combo_btn_grp)) return "combination";
        if (in(w.btnpage->nav_btn_grp)) return "button tab";
        mkey_Edit *mk = w.btnpage->combo_area->mkey_editor;
        if (t == mk->mkey_line) return "custom key field";
        if (t == mk->save_btn) return "custom key save";
        if (t == mk->clear_btn) return "custom key clear";
        micro_Widget *mi = w.btnpage->micro_area;
        if (t == mi->record_btn) return "macro record";
        if (t == mi->save_micro) return "macro save";
        if (t == static_cast<QWidget *>(mi->rec_delay_btn)) return "macro delays";
        if (t == mi->records_list || t->parent() == mi->records_list) return "macro list";
        if (in(w.pointerpage->pointer_nav)) return "pointer tab";
        dpi_Widget *d = w.pointerpage->dpi_area;
        for (int l = 1; l <= 5; ++l)
            if (t == d->slider(l)) return "dpi slider";
        if (in(d->level_btn)) return "level count";
        if (t == d->level_1 || t == d->level_2 || t == d->level_3 || t == d->level_4 ||
            t == d->level_5)
            return "level";
        if (in(w.pointerpage->report_area->report_button)) return "rate";
        led_Widget *l = w.ledpage;
        if (in(l->ledzone_switch)) return "zone tab";
        if (in(l->front_mode_btn) || in(l->rear_mode_btn)) return "effect";
        if (in(l->color_btn_g)) return "swatch";
        if (t == l->add_cl_btn) return "add colour";
        if (t == l->del_btn) return "manage";
        if (in(l->del_btn_g)) return "delete colour";
        if (t == l->speed_level) return "speed";
        if (t == l->mask_btn || t == w.mask_side) return "picker mask";
        if (t == l->picker || t == static_cast<QWidget *>(l->picker->colorwheel))
            return "picker wheel";
        if (t == l->picker->bright_level) return "brightness";
        if (t == l->picker->close) return "picker close";
        if (in(w.nav_btns)) return "navigation";
        if (t == w.reset_btn) return "reset";
        if (t == w.reset_confirm->confirm_btn) return "reset confirm";
        if (t == w.reset_confirm->cancel_btn || t == w.reset_confirm->close_btn)
            return "reset cancel";
        if (t == w.update_confirm->start_btn) return "flash start";
        if (t == w.update_confirm->close_btn) return "flash close";
        if (t == w.configpage->firmware_version) return "firmware version";
        if (t == w.configpage->version) return "program version";
        if (t == w.min_btn) return "minimise";
        if (t == w.close_btn) return "close";
        if (qobject_cast<hoverbtn *>(t)) return "welcome tile";
        return QString::fromLatin1(t->metaObject()->className());
    }

    QVector<QWidget *> controls() const
    {
        QVector<QWidget *> out;
        for (QWidget *c : m_w.findChildren<QWidget *>()) {
            if (!c->isVisible() || !c->isEnabled() ||
                c->testAttribute(Qt::WA_TransparentForMouseEvents))
                continue;
            if (qobject_cast<QAbstractButton *>(c) || qobject_cast<QSlider *>(c) ||
                qobject_cast<QLineEdit *>(c) || qobject_cast<QListWidget *>(c) ||
                qobject_cast<ColorPicker *>(c) || qobject_cast<hoverbtn *>(c))
                out << c;
        }
        return out;
    }

    QWidget *anyControl()
    {
        const QVector<QWidget *> all = controls();
        if (all.isEmpty()) return nullptr;
        QWidget *t = all[m_rng.below(all.size())];
        // Closing and minimising are on every page; a user does them less often.
        for (int again = 0; again < 3 && (t == m_w.close_btn || t == m_w.min_btn); ++again)
            t = all[m_rng.below(all.size())];
        return t;
    }

    QString clickOn(QWidget *t)
    {
        if (!t || !m_w.isVisible()) return QStringLiteral("click on nothing");
        const QString n = name(t);
        ++hits[n];
        const QPoint p = inWindow(t, pointOn(t));
        clickAt(p);
        return QStringLiteral("click %1 at %2,%3").arg(n).arg(p.x()).arg(p.y());
    }

    QString click()
    {
        // Now and then where no control is: the background drags the window.
        if (m_rng.chance(3)) {
            const QPoint p(m_rng.below(1100), m_rng.below(750));
            clickAt(p);
            return QStringLiteral("click at %1,%2").arg(p.x()).arg(p.y());
        }
        return clickOn(anyControl());
    }

    QString doubleClick()
    {
        QWidget *t = anyControl();
        if (!t) return QStringLiteral("double click on nothing");
        // Swatches are what double clicks are for; favour them.
        if (m_rng.chance(50)) {
            const int k = 1 + m_rng.below(8);
            if (Col_Btn *s = m_w.ledpage->swatch(k))
                if (s->isVisible() && s->isEnabled()) t = s;
        }
        const QString n = name(t);
        ++hits[n + " (double)"];
        const QPoint p = inWindow(t, pointOn(t));
        QTest::mouseDClick(window(), Qt::LeftButton, Qt::NoModifier, p);
        return QStringLiteral("double click %1 at %2,%3").arg(n).arg(p.x()).arg(p.y());
    }

    QString drag()
    {
        QVector<QWidget *> sliders;
        for (QWidget *c : controls())
            if (qobject_cast<QSlider *>(c)) sliders << c;
        if (sliders.isEmpty()) return click();
        QWidget *s = sliders[m_rng.below(sliders.size())];
        const QString n = name(s);
        ++hits[n + " (drag)"];
        const QRect r = s->rect();
        const QPoint from = inWindow(s, QPoint(m_rng.below(r.width()), r.height() / 2));
        const QPoint to = inWindow(s, QPoint(m_rng.below(r.width()), r.height() / 2));
        QTest::mousePress(window(), Qt::LeftButton, Qt::NoModifier, from);
        QTest::mouseMove(window(), (from + to) / 2);
        QTest::mouseMove(window(), to);
        QTest::mouseRelease(window(), Qt::LeftButton, Qt::NoModifier, to);
        return QStringLiteral("drag %1 from %2 to %3").arg(n).arg(from.x()).arg(to.x());
    }

    // X key codes (evdev + 8) of a few keys of each kind: letters, digits, F-keys,
    // modifiers, editing keys.
    struct Key {
        quint32 code;
        int qt;
    };
    Key anyKey()
    {
        static const Key keys[] = {
            {38, Qt::Key_A},        {56, Qt::Key_B},         {54, Qt::Key_C},
            {10, Qt::Key_1},        {19, Qt::Key_0},         {67, Qt::Key_F1},
            {96, Qt::Key_F12},      {37, Qt::Key_Control},   {50, Qt::Key_Shift},
            {64, Qt::Key_Alt},      {133, Qt::Key_Meta},     {105, Qt::Key_Control},
            {65, Qt::Key_Space},    {36, Qt::Key_Return},    {9, Qt::Key_Escape},
            {23, Qt::Key_Tab},      {22, Qt::Key_Backspace}, {119, Qt::Key_Delete},
            {111, Qt::Key_Up},      {87, Qt::Key_1},         {135, Qt::Key_Menu},
            {200, Qt::Key_unknown},
        };
        return keys[m_rng.below(int(sizeof keys / sizeof keys[0]))];
    }

    void sendKey(QEvent::Type type, const Key &k, bool repeat = false)
    {
        QWidget *to = QApplication::focusWidget();
        if (!to) to = &m_w;
        // Num Lock on, as the X server reports it in the native modifiers.
        QKeyEvent ev(type, k.qt, Qt::NoModifier, k.code, 0, 0x10, QString(), repeat);
        QApplication::sendEvent(to, &ev);
    }

    QString keyAction()
    {
        const Key k = anyKey();
        ++hits[QStringLiteral("key")];
        const int how = m_rng.below(10);
        if (how == 0) {
            sendKey(QEvent::KeyPress, k);
            sendKey(QEvent::KeyPress, k, true);
            return QStringLiteral("hold key %1").arg(k.code);
        }
        if (how == 1) {
            sendKey(QEvent::KeyRelease, k);
            return QStringLiteral("release key %1").arg(k.code);
        }
        sendKey(QEvent::KeyPress, k);
        sendKey(QEvent::KeyRelease, k);
        return QStringLiteral("tap key %1").arg(k.code);
    }

    // ---- the system -------------------------------------------------------------------

    QString tray()
    {
        ++hits[QStringLiteral("tray open")];
        emit m_w.system_tray->sys_openClicked();
        if (!QTest::qWaitForWindowExposed(&m_w)) return QStringLiteral("tray open: not exposed");
        return QStringLiteral("tray open");
    }

    QString cable()
    {
        ++hits[QStringLiteral("cable")];
        if (vmouse_plugged()) {
            vmouse_plug(0);
            return QStringLiteral("cable out");
        }
        vmouse_plug(1);
        return QStringLiteral("cable in");
    }

    QString batteryTick()
    {
        ++hits[QStringLiteral("battery timer")];
        m_w.update_battery_info();
        return QStringLiteral("battery timer");
    }

    // The update worker has found firmware (it is not run here: the server is
    // closed to the soak). Writes the image it would have downloaded.
    QString offerFirmware()
    {
        QFile f(QDir::current().filePath(QStringLiteral("KIVOMouse_USB.bin")));
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(imageFile(kImageBytes, 3, 2, 1));
        f.close();
        m_w.fw_version_str = QStringLiteral("3.2.1");
        m_w.FWUpdateFound(QStringLiteral("KIVOMouse_USB.bin"));
        ++hits[QStringLiteral("firmware offered")];
        return QStringLiteral("firmware offered");
    }

    // Runs the view animation on, as the passing time would: to its end mostly,
    // sometimes only part of the way, so that clicks land mid-animation too.
    void settle()
    {
        QCoreApplication::processEvents();
        const int steps = m_rng.chance(85) ? 40 : m_rng.below(8);
        for (int i = 0; i < steps && m_w.animation_timer->isActive(); ++i)
            m_w.onTimeout();
    }

    // The system's reports: a removal for every departure, an arrival when the
    // mouse is there and the program has none.
    void notify()
    {
        vmouse_chaos_tick();
        for (int guard = 0; guard < 20; ++guard) {
            const int d = vmouse_departures();
            if (d != m_departures) {
                m_departures = d;
                collectTrace();
                m_w.device_removal(QStringLiteral("/dev/hidraw3"));
                continue;
            }
            if (vmouse_plugged() && !device_attached) {
                collectTrace();
                m_w.device_arrival(QStringLiteral("/dev/hidraw3"));
                if (vmouse_departures() != m_departures) continue;
            }
            break;
        }
    }

    // Checks every report written since the last look against the command table.
    void collectTrace()
    {
        const int n = vmouse_trace_count();
        for (int i = 0; i < n; ++i) {
            unsigned char buf[64];
            int channel = 0;
            const int len = vmouse_trace_get(i, buf, sizeof buf, &channel);
            const QString e = m_table.check(channel, buf, len);
            if (!e.isEmpty()) m_traceErrors << e;
            if (channel == VMOUSE_CONFIG) {
                if (buf[1] == 0xF1) ++macroUploads;
                if (buf[1] == 0xD7) ++flashesDone;
                if (buf[1] == 0xDE) {
                    m_flashPackets.clear();
                    ++flashesStarted;
                }
                m_flashPackets << buf[1];
            } else {
                if (buf[1] == 0xB1 && buf[3] == 1 && buf[4] == 0) ++customKeys;
                if (buf[1] == 0xEE) ++resets;
            }
        }
        vmouse_trace_clear();
        // A flash the dialog calls complete must have reached the mouse whole.
        const bool claimed = !m_w.update_confirm->isHidden() &&
                             m_w.update_confirm->text_1->text() == QStringLiteral("固件升级已完成");
        if (claimed && !m_claimSeen) {
            ++flashesClaimed;
            const int chunks = m_flashPackets.count(0xD3);
            if (chunks != kImageChunks || !m_flashPackets.contains(0xD6) ||
                !m_flashPackets.contains(0xD5))
                m_flashError =
                    QStringLiteral("flash called complete with %1 of %2 chunks, lock %3, "
                                   "check %4 taken")
                        .arg(chunks)
                        .arg(kImageChunks)
                        .arg(m_flashPackets.contains(0xD6))
                        .arg(m_flashPackets.contains(0xD5));
        }
        m_claimSeen = claimed;
    }

    // ---- short tasks of a user, one step per action -------------------------------------

    Action clickStep(std::function<QWidget *()> target)
    {
        return [this, target] { return clickOn(target()); };
    }
    Action navStep(int page)
    {
        return clickStep([this, page] { return m_w.nav_btns->button(page); });
    }
    Action markerStep()
    {
        return clickStep([this]() -> QWidget * {
            QVector<QWidget *> markers;
            for (QButtonGroup *g : {m_w.btnpage->m_top_button, m_w.btnpage->m_side_button})
                for (QAbstractButton *b : g->buttons())
                    if (b->isVisible()) markers << b;
            return markers.isEmpty() ? m_w.btnpage->sideViewButton
                                     : markers[m_rng.below(markers.size())];
        });
    }
    void keys(int count)
    {
        for (int i = 0; i < count; ++i) {
            const Key k = anyKey();
            m_script << Action([this, k] {
                sendKey(QEvent::KeyPress, k);
                return QStringLiteral("press key %1").arg(k.code);
            });
            m_script << Action([this, k] {
                sendKey(QEvent::KeyRelease, k);
                return QStringLiteral("release key %1").arg(k.code);
            });
        }
    }

    QString startScript()
    {
        z9ktool &w = m_w;
        led_Widget *l = w.ledpage;
        switch (m_rng.below(8)) {
        case 0: // record and upload a macro
            m_script << navStep(2) << markerStep()
                     << clickStep([&w] { return w.btnpage->nav_micro; })
                     << clickStep([&w] { return w.btnpage->micro_area->record_btn; });
            keys(1 + m_rng.below(6));
            m_script << clickStep([&w] { return w.btnpage->micro_area->record_btn; })
                     << clickStep([&w] { return w.btnpage->micro_area->save_micro; });
            return QStringLiteral("task: macro");
        case 1: // a custom key combination
            m_script << navStep(2) << markerStep()
                     << clickStep([&w] { return w.btnpage->nav_combo; })
                     << clickStep([&w] { return w.btnpage->combo_area->mkey_editor->mkey_line; });
            keys(1 + m_rng.below(3));
            m_script << clickStep([&w] { return w.btnpage->combo_area->mkey_editor->save_btn; });
            return QStringLiteral("task: custom key");
        case 2: // flash
            m_script << Action([this] { return offerFirmware(); }) << navStep(5)
                     << clickStep([&w] { return w.configpage->firmware_version; })
                     << clickStep([&w] { return w.update_confirm->start_btn; })
                     << clickStep([&w] { return w.update_confirm->close_btn; });
            return QStringLiteral("task: flash");
        case 3: // pick a colour for a new or an old swatch
            m_script << navStep(3);
            if (m_rng.chance(50))
                m_script << clickStep([l] { return l->add_cl_btn; });
            else
                m_script << Action([this] { return doubleClick(); });
            for (int i = m_rng.below(3); i >= 0; --i)
                m_script << clickStep([l] { return l->picker; });
            m_script << clickStep([l] { return l->picker->bright_level; })
                     << clickStep([l]() -> QWidget * { return l->picker->close; });
            return QStringLiteral("task: picker");
        case 4: // manage the presets
            m_script << navStep(3) << clickStep([l] {
                return l->del_btn;
            }) << clickStep([this, l]() -> QWidget * {
                return l->del_btn_g ? l->del_btn_g->button(1 + m_rng.below(8)) : nullptr;
            }) << clickStep([l] { return l->del_btn; });
            return QStringLiteral("task: manage presets");
        case 5: // factory reset
            m_script << clickStep([&w] { return w.reset_btn; })
                     << clickStep([&w] { return w.reset_confirm->confirm_btn; });
            return QStringLiteral("task: reset");
        case 6: // the pointer page
            m_script << navStep(4) << clickStep([&w] { return w.pointerpage->nav_dpi; })
                     << Action([this] { return drag(); })
                     << clickStep([&w] { return w.pointerpage->dpi_area->level_3; })
                     << clickStep([&w] { return w.pointerpage->nav_basic; })
                     << clickStep([this, &w]() -> QWidget * {
                            const int codes[4] = {1, 2, 4, 8};
                            return w.pointerpage->report_area->report_button->button(
                                codes[m_rng.below(4)]);
                        });
            return QStringLiteral("task: pointer");
        default: // the lighting page
            m_script << navStep(3) << clickStep([this, l]() -> QWidget * {
                return l->ledzone_switch->button(m_rng.below(2));
            }) << clickStep([this, l]() -> QWidget * {
                QButtonGroup *g =
                    l->ledzone_switch->checkedId() == 0 ? l->rear_mode_btn : l->front_mode_btn;
                const QList<QAbstractButton *> b = g->buttons();
                return b[m_rng.below(b.size())];
            }) << clickStep([this, l]() -> QWidget * { return l->swatch(1 + m_rng.below(8)); })
                     << Action([this] { return drag(); });
            return QStringLiteral("task: lighting");
        }
    }

    z9ktool &m_w;
    Rng m_rng;
    int m_departures;
    int m_steps = 0;
    QList<Action> m_script;
    CommandTable m_table;
    QStringList m_traceErrors;
    QStringList m_stepTrace;
    QVector<int> m_flashPackets;
    bool m_claimSeen = false;
    QString m_flashError;
};

} // namespace chaos

#endif
