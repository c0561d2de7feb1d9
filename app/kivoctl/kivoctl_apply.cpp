#include "kivoctl/kivoctl_apply.h"

#include "kivoctl/kivoctl_backup.h"
#include "kivoctl/kivoctl_names.h"
#include "kivoctl/kivoctl_snapshot.h"
#include "pages/buttons/button_widget.h"
#include "pages/lighting/col_btn.h"
#include "pages/buttons/combo_widget.h"
#include "platform/keycapture.h"
#include "pages/pointer/dpi_widget.h"
#include "device/flasher.h"
#include "device/fwimage.h"
#include "device/kivomouse.h"
#include "pages/lighting/led_widget.h"
#include "pages/buttons/micro_widget.h"
#include "pages/buttons/mkey_edit.h"
#include "pages/pointer/pointer_widget.h"
#include "pages/pointer/report_widget.h"
#include "pages/settings/confirm_dialog.h"
#include "pages/settings/update_dialog.h"
#include "window/z9ktool.h"

#include <QButtonGroup>
#include <QColor>
#include <QDebug>
#include <QPushButton>
#include <QSettings>
#include <QSlider>
#include <cstring>

namespace kivoctl
{

namespace
{

// A click on a button of the group: the group reports the toggle to the
// page's slot. A click on the checked one would send nothing; a request sends
// its value all the same, through the same slot.
void press(QButtonGroup *group, int id)
{
    QAbstractButton *b = group->button(id);
    if (!b) return;
    if (!b->isChecked())
        b->setChecked(true);
    else
        emit group->idToggled(id, true);
}

QButtonGroup *effect_group(led_Widget *led, int zone)
{
    return zone == 1 ? led->front_mode_btn : led->rear_mode_btn;
}

int preset_with(led_Widget *led, const quint8 *rgb)
{
    for (int k = 1; k <= color_num && k <= 8; ++k) {
        const Col_Btn *c = led->swatch(k);
        if (c && c->rgb_r == rgb[0] && c->rgb_g == rgb[1] && c->rgb_b == rgb[2]) return k;
    }
    return 0;
}

// The effect a zone ends up with: the one asked for, else the page's.
int effect_after(z9ktool &w, int zone, const ZoneRequest &z)
{
    return z.effect >= 0 ? z.effect : effect_group(w.ledpage, zone)->checkedId();
}

// What only the present state can refuse; empty when the request can go.
QString check_against_page(z9ktool &w, const Request &r)
{
    QVector<QRgb> missing;
    for (int zone = 0; zone < 2; ++zone) {
        const ZoneRequest &z = r.zone[zone];
        if (!z.given) continue;
        const int effect = effect_after(w, zone, z);
        const bool colourFits = effect == 1 || effect == 2 || effect == 3;
        const bool speedFits = effect == 2 || effect == 3 || effect == 6;
        const QString name = effect_name(effect).isEmpty() ? QStringLiteral("its present effect")
                                                           : effect_name(effect);
        if (r.command == Request::Set) {
            if (z.hasColour && !colourFits)
                return QStringLiteral("%1: %2 takes no colour").arg(zone_key(zone), name);
            if (z.speed && !speedFits)
                return QStringLiteral("%1: %2 has no speed").arg(zone_key(zone), name);
        }
        const bool usesPreset = r.command == Request::Set ? z.hasColour : effect != 6;
        if (usesPreset && !preset_with(w.ledpage, z.rgb)) {
            const QRgb c = qRgb(z.rgb[0], z.rgb[1], z.rgb[2]);
            if (!missing.contains(c)) missing << c;
        }
    }
    if (color_num + missing.size() > 8)
        return QStringLiteral("%1 is not among the colour presets and there is no room "
                              "for it (8 in use)")
            .arg(QColor(missing.last()).name());
    return QString();
}

// ---- pointer ----------------------------------------------------------------------

void apply_rate(z9ktool &w, int hz)
{
    press(w.pointerpage->report_area->report_button, rate_code(hz));
}

void apply_dpi(z9ktool &w, const Request &r)
{
    dpi_Widget *page = w.pointerpage->dpi_area;
    int active = r.dpiActive;
    if (active == 0) {
        // The level the mouse has active now; its own DPI button may have moved it.
        unsigned char frame[31] = {0xC2};
        control_read(frame, dpi_status);
        active = dpi_status[8] <= 4 ? dpi_status[8] + 1 : 1;
    }
    if (r.hasDpi)
        for (int level = 1; level <= 5; ++level)
            page->slider(level)->setValue(r.dpi[level - 1] / 50);
    if (r.command == Request::Restore) {
        // The frame byte the page leaves alone goes back as the mouse had it.
        if (r.hasDpiRecord) send_cmd[7] = r.dpiRecord[6];
        page->dpi_clicked(active);
    } else {
        // A click on the level's handle: pressed, then released.
        page->dpi_clicked(active);
        page->dpi_update(active);
    }
}

// ---- lighting ------------------------------------------------------------------------

void choose_zone(led_Widget *led, int zone)
{
    if (led->ledzone_switch->checkedId() != zone)
        led->ledzone_switch->button(zone)->setChecked(true);
}

// What went wrong while a request was carried out: the settings the mouse did
// not take, whether it went away, the presets the file did not take.
struct Trouble {
    QStringList notApplied;
    bool gone = false;
    QStringList unsaved; // "#rrggbb"
};

// A colour added to the presets, as the page's "+" adds one (which applies
// it); a preset the file did not take is noted.
void add_colour(led_Widget *led, const quint8 *rgb, Trouble *t)
{
    const QColor c(rgb[0], rgb[1], rgb[2]);
    if (!led->add_preset(c) && preset_with(led, rgb)) t->unsaved << c.name();
}

// The colour's preset, clicked; a colour not among them is added.
void click_colour(led_Widget *led, const quint8 *rgb, Trouble *t)
{
    const int k = preset_with(led, rgb);
    if (k)
        press(led->color_btn_g, k);
    else
        add_colour(led, rgb, t);
}

void set_zone(z9ktool &w, int zone, const ZoneRequest &z, Trouble *t)
{
    led_Widget *led = w.ledpage;
    choose_zone(led, zone);
    if (z.effect >= 0) press(effect_group(led, zone), z.effect);
    if (z.hasColour) click_colour(led, z.rgb, t);
    if (z.speed) {
        if (led->speed_level->value() != z.speed)
            led->speed_level->setValue(z.speed);
        else
            led->change_speed(z.speed);
    }
}

// One frame with the zone's whole record: its preset chosen quietly, the
// slider set quietly, and the bytes the effect's handler leaves alone put
// back into the frame as the mouse had them.
void restore_zone(z9ktool &w, int zone, const ZoneRequest &z, Trouble *t)
{
    led_Widget *led = w.ledpage;
    choose_zone(led, zone);
    if (z.effect != 6) {
        int k = preset_with(led, z.rgb);
        if (!k) {
            add_colour(led, z.rgb, t);
            k = preset_with(led, z.rgb);
        }
        const QSignalBlocker quiet(led->color_btn_g);
        if (QAbstractButton *b = led->color_btn_g->button(k)) b->setChecked(true);
        (zone == 1 ? front_selected_color : rear_selected_color) = k;
    }
    {
        const QSignalBlocker quiet(led->speed_level);
        led->speed_level->setValue(z.speed);
    }
    send_cmd[3] = quint8(z.speed);
    memcpy(send_cmd + 6, z.rgb, 3);
    press(effect_group(led, zone), z.effect);
}

// ---- buttons -------------------------------------------------------------------------

// The button's view and marker clicked: the page reads the assignment of a
// button it had not selected. The selected one needs no click.
void choose_button(button_Widget *page, int id)
{
    const bool top = id == 2 || id == 5 || id == 6;
    const int view = top ? 1 : 2;
    if (page->viewBtn->checkedId() != view) page->viewBtn->button(view)->setChecked(true);
    QAbstractButton *marker = (top ? page->m_top_button : page->m_side_button)->button(id);
    if (!marker->isChecked()) marker->setChecked(true);
}

// An assignment no control of the page makes: the record as it was read, in
// the frame the page's own assignments go out in, then shown as a reading.
void write_record(button_Widget *page, int id, const quint8 *record)
{
    send_cmd[0] = 0xb1;
    send_cmd[1] = quint8(id);
    memcpy(send_cmd + 2, record, 4);
    m_WriteControl(31, send_cmd);
    button_Widget::ButtonReading shown;
    memcpy(shown.status + 4, record, 4);
    page->show_button_function(shown);
}

void apply_button(z9ktool &w, int id, const ButtonRequest &b, bool restore)
{
    button_Widget *page = w.btnpage;
    choose_button(page, id);
    if (b.kind == ButtonRequest::Record) {
        write_record(page, id, b.record);
        return;
    }
    if (restore && b.hasRecord && (b.kind == 0 || b.kind == 1)) {
        send_cmd[4] = b.record[2];
        send_cmd[5] = b.record[3];
    }
    switch (b.kind) {
    case 0:
        page->nav_func->setChecked(true);
        press(page->func_btn_grp, b.code);
        break;
    case 1:
        (b.code >= 10 ? page->nav_func : page->nav_combo)->setChecked(true);
        press(page->combo_btn_grp, b.code);
        break;
    case 3: {
        page->nav_combo->setChecked(true);
        mkey_Edit *editor = page->combo_area->mkey_editor;
        editor->control_key = b.modifiers;
        editor->key_ascii = b.usage ? hidtovkey(b.usage) : 0;
        editor->show_mkey();
        emit editor->mkey_save_clicked();
        break;
    }
    case 2: {
        page->nav_micro->setChecked(true);
        micro_Widget *rec = page->micro_area;
        rec->btn_records.clear();
        for (const MacroEvent &e : b.events) {
            key_record k;
            k.keyCode = e.usage;
            k.press = e.release ? KEY_UP : KEY_DOWN;
            k.interval_time = e.wait;
            rec->btn_records.append(k);
        }
        rec->rec_delay = b.delays;
        rec->show_records_list(b.delays);
        page->set_micro_function();
        break;
    }
    default:
        break;
    }
}

// ---- reading ----------------------------------------------------------------------------
Outcome refused(const QString &line)
{
    Outcome o;
    o.code = BadValue;
    o.err = "kivoctl: " + line.toUtf8() + '\n';
    return o;
}

Outcome flash(z9ktool &w, const Request &r)
{
    // The dialog's own path: shown, then its start button's work, on the file named.
    w.update_confirm->show_dialog();
    {
        // Its signal would flash the file on offer instead.
        const QSignalBlocker quiet(w.update_confirm);
        w.update_confirm->start_update();
    }
    const flasher::Run run = w.flash_firmware(r.flashFile);
    Outcome o;
    o.code = Failed;
    QByteArray why;
    switch (run.end) {
    case flasher::Run::Running:
        o.code = Ok;
        o.out = "firmware " + fwimage::version_text(run.reported) + '\n';
        return o;
    case flasher::Run::Missing:
    case flasher::Run::Unreadable:
        return refused(QStringLiteral("flash: cannot read %1").arg(r.flashFile));
    case flasher::Run::Refused:
        return refused(QStringLiteral("flash: %1 is not a firmware image (%2)")
                           .arg(r.flashFile, QLatin1String(fwimage::refusal_text(run.refusal))));
    case flasher::Run::CutOff:
        why = "the mouse stopped taking the image; it may be left in its loader, flash again";
        break;
    case flasher::Run::Unchecked:
        why = "the mouse did not take the check of the image; it runs its loader, flash again";
        break;
    case flasher::Run::Loader:
        why = "the mouse came back in its loader (" + fwimage::version_text(run.reported) +
              "), flash again";
        break;
    case flasher::Run::OtherVersion:
        why = "the mouse came back at " + fwimage::version_text(run.reported) + ", not at " +
              fwimage::version_text(run.version) + ", flash again";
        break;
    case flasher::Run::NoAnswer:
        why = "the mouse did not answer after its restart, flash again";
        break;
    }
    o.err = "kivoctl: the flash failed: " + why + '\n';
    return o;
}

// What the user is doing in the window that a request must not cut into:
// a recording or a key capture would take the request's assignment as its
// own, and an open dialog waits for the user's answer. Empty when idle.
QString window_busy(z9ktool &w)
{
    if (w.btnpage.isBuilt()) {
        if (w.btnpage->micro_area->recording)
            return QStringLiteral("the window is recording a macro");
        if (w.btnpage->combo_area->mkey_editor->key_hook->isCapturing())
            return QStringLiteral("the window is capturing a custom key");
    }
    if (w.reset_confirm->isVisible())
        return QStringLiteral("the window asks to confirm a factory reset");
    // The firmware dialog waits for an answer while it offers to start; once
    // it shows a flash's result (a flash itself is told by its mark) it waits
    // for nothing, and a script's next request after a flash goes through.
    if (w.update_confirm->isVisible() && !w.update_confirm->start_btn->isHidden())
        return QStringLiteral("the window shows the firmware update dialog");
    return QString();
}

// Whether the mouse can still be reached after a write failed: a rejected
// write from a mouse that is there, or one that has gone.
bool mouse_reachable()
{
    return m_OpenDevice(USB_VID, USB_PID) != nullptr;
}

// Carries out one setting with its writes watched. Once the mouse has gone
// the rest is not tried: it could only fail, each read after its retries.
template <class F> void applying(const QString &setting, Trouble *t, F &&apply)
{
    if (t->gone) {
        t->notApplied << setting;
        return;
    }
    const WriteWatch watch;
    apply();
    if (!watch.failed()) return;
    qDebug() << "kivoctl:" << setting << "write failed, error" << watch.lastError();
    t->notApplied << setting;
    if (!mouse_reachable()) t->gone = true;
}

Outcome reported(const Trouble &t)
{
    Outcome o;
    if (!t.notApplied.isEmpty()) {
        o.code = t.gone ? NoMouse : Failed;
        o.err += "kivoctl: not applied: " + t.notApplied.join(QStringLiteral(", ")).toUtf8() +
                 (t.gone ? " (the mouse went away)\n" : " (the mouse refused a write)\n");
    }
    if (!t.unsaved.isEmpty()) {
        if (o.code == Ok) o.code = Failed;
        o.err += "kivoctl: the colour preset " + t.unsaved.join(QStringLiteral(", ")).toUtf8() +
                 " was not saved (" +
                 QString(settings ? settings->fileName() : QString()).toUtf8() +
                 " cannot be written)\n";
    }
    return o;
}

} // namespace
Outcome execute(z9ktool &w, const Request &r)
{
    Outcome o;
    if (!device_attached) {
        o.code = NoMouse;
        o.err = "kivoctl: no mouse\n";
        return o;
    }
    const QString busy = window_busy(w);
    if (!busy.isEmpty()) {
        o.code = Busy;
        o.err = "kivoctl: busy: " + busy.toUtf8() + '\n';
        return o;
    }
    Trouble trouble;
    switch (r.command) {
    case Request::Show: {
        const Snapshot s = read_snapshot();
        o.out = r.json ? snapshot_json(s) : snapshot_text(s);
        return o;
    }
    case Request::Reset:
        applying(QStringLiteral("reset"), &trouble, [&w] { w.reset_to_factory(); });
        return reported(trouble);
    case Request::Flash:
        return flash(w, r);
    case Request::Set:
    case Request::Restore:
        break;
    default:
        return refused(QStringLiteral("nothing to do"));
    }

    const QString refusal = check_against_page(w, r);
    if (!refusal.isEmpty()) return refused(refusal);
    const bool restore = r.command == Request::Restore;
    Trouble *t = &trouble;
    if (r.rate) applying(QStringLiteral("rate"), t, [&] { apply_rate(w, r.rate); });
    if (r.hasDpi || r.dpiActive)
        applying(r.hasDpi ? QStringLiteral("dpi") : QStringLiteral("dpi-active"), t,
                 [&] { apply_dpi(w, r); });
    for (int zone : {1, 0}) {
        if (!r.zone[zone].given) continue;
        applying(zone_key(zone), t, [&] {
            if (restore)
                restore_zone(w, zone, r.zone[zone], t);
            else
                set_zone(w, zone, r.zone[zone], t);
        });
    }
    for (int i = 0; i < kButtons; ++i) {
        if (!r.button[i].given) continue;
        const int id = kFirstButton + i;
        applying(QStringLiteral("button%1").arg(id), t,
                 [&] { apply_button(w, id, r.button[i], restore); });
    }
    return reported(trouble);
}

} // namespace kivoctl
