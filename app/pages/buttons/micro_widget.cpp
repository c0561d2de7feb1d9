#include "pages/buttons/micro_widget.h"
#include "platform/keycapture.h"

#include <QButtonGroup>
#include <QDebug>
#include <QEvent>
#include <QIcon>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <cstring>

micro_Widget *micro_instance = nullptr;

namespace
{
const int kPacketSize = 63;

void put_be32(unsigned char *p, quint32 v)
{
    p[0] = quint8(v >> 24);
    p[1] = quint8(v >> 16);
    p[2] = quint8(v >> 8);
    p[3] = quint8(v);
}

QPushButton *click_button(QWidget *parent, const QString &text, int y)
{
    auto *b = new QPushButton(text, parent);
    b->setGeometry(610, y, 130, 30);
    b->setStyleSheet(qss_click_btn);
    b->setCursor(Qt::PointingHandCursor);
    return b;
}
} // namespace

micro_Widget::micro_Widget(QWidget *parent) : QWidget(parent)
{
    setFixedSize(920, 250);

    records_list = new QListWidget(this);
    records_list->setGeometry(110, 0, 420, 220);
    records_list->setStyleSheet(qss_listwidget);
    records_list->installEventFilter(this);

    record_btn = click_button(this, tr("开始录制"), 60);
    save_micro = click_button(this, tr("保存"), 100);

    rec_delay_btn = new QRadioButton(tr("记录事件之间延迟"), this);
    rec_delay_btn->setGeometry(610, 140, 130, 16);
    rec_delay_btn->setStyleSheet(qss_radiobutton_16x16);
    rec_delay_btn->setCursor(Qt::PointingHandCursor);
    // A lone radio would uncheck on a second click; as the panel's only radio
    // it keeps its choice, as radios do.
    auto *delay_group = new QButtonGroup(this);
    delay_group->addButton(rec_delay_btn);

    connect(record_btn, &QPushButton::clicked, this, &micro_Widget::start_record);
    key_hook = new KeyCapture(&micro_keyboard_proc, this);
    // The capture ends by itself with the window hidden or deactivated and when
    // the mouse goes away; the recording ends with it.
    connect(key_hook, &KeyCapture::ended, this, [this] {
        if (recording) stop_record();
    });
    micro_instance = this;
}

micro_Widget::~micro_Widget()
{
    if (recording) stop_record();
    if (micro_instance == this) micro_instance = nullptr;
}

void micro_Widget::install_hook()
{
    // Not captured, the recording still runs without events; the user stops it.
    if (!key_hook->start(records_list)) qDebug() << "macro recorder: no system-wide key capture";
}

void micro_Widget::remove_hook()
{
    key_hook->stop();
}

void micro_Widget::start_record()
{
    if (recording) {
        stop_record();
        return;
    }
    records_list->clear();
    btn_records.clear();
    rec_delay = rec_delay_btn->isChecked();
    rec_delay_btn->setEnabled(false);
    save_micro->setEnabled(false);
    std::memset(key_pressed, 0, sizeof key_pressed);
    install_hook();
    recording = true;
    rec_timer.start();
    record_btn->setText(tr("停止录制"));
    records_list->setFocus();
}

void micro_Widget::record_keys(qint8 vkey_code, bool press)
{
    // Only a running recording appends, and never past the recorder's limit.
    if (!recording || btn_records.size() >= kMaxEvents) return;
    new_key.interval_time = 0;
    if (rec_delay) {
        const qint64 elapsed = rec_timer.restart();
        if (!btn_records.isEmpty()) new_key.interval_time = quint16(elapsed & 0xffff);
    }
    new_key.keyCode = vkeytohid(quint8(vkey_code));
    new_key.press = press ? KEY_UP : KEY_DOWN;
    btn_records.append(new_key);
    show_records_list(rec_delay);
    if (btn_records.size() >= kMaxEvents) stop_record();
}

void micro_Widget::stop_record()
{
    remove_hook();
    std::memset(key_pressed, 0, sizeof key_pressed);
    recording = false;
    rec_delay_btn->setEnabled(true);
    save_micro->setEnabled(true);
    record_btn->setText(tr("开始录制"));
}

bool micro_Widget::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == records_list && event->type() == QEvent::FocusOut) {
        // A press on record_btn takes the focus first; its click then stops
        // the recording, so stopping here too would stop it twice.
        if (!record_btn->hasFocus() && recording) stop_record();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void micro_Widget::hideEvent(QHideEvent *event)
{
    // Hidden with the window, or by another tab: the capture must not outlive it.
    if (recording) stop_record();
    QWidget::hideEvent(event);
}

void micro_Widget::show_records_list(bool show_delay)
{
    static const QIcon down(QStringLiteral(":/img/keydown.png"));
    static const QIcon up(QStringLiteral(":/img/keyup.png"));
    static const QIcon timer(QStringLiteral(":/img/timer.png"));
    records_list->setUpdatesEnabled(false);
    records_list->clear();
    const int n = btn_records.size();
    for (int i = 0; i < n; ++i) {
        const key_record &r = btn_records.at(i);
        records_list->addItem(
            new QListWidgetItem(r.press == KEY_UP ? up : down, vkeytostring(hidtovkey(r.keyCode))));
        if (show_delay && i + 1 < n)
            records_list->addItem(new QListWidgetItem(
                timer, QString::number(btn_records.at(i + 1).interval_time) + tr(" 毫秒延迟")));
    }
    records_list->setCurrentRow(records_list->count() - 1);
    records_list->setUpdatesEnabled(true);
}

void micro_Widget::upload_macro(int button_id)
{
    // At most 16383 events fit the 16-bit length; a downloaded macro never has more.
    const int n = qMin(btn_records.size(), 0xffff / 4);
    const int length = 4 * n;
    send_cmd[0] = 0xb1;
    send_cmd[1] = quint8(button_id);
    send_cmd[2] = 2;
    send_cmd[3] = rec_delay ? 1 : 0;
    send_cmd[4] = quint8(length >> 8);
    send_cmd[5] = quint8(length);
    m_WriteControl(31, send_cmd);

    m_OpenConfigDevice(USB_VID, USB_PID);
    // One buffer for all packets: a short last packet keeps the tail of the one before.
    unsigned char packet[kPacketSize] = {0};
    packet[0] = 0xf1;
    packet[1] = quint8(button_id + 10);
    const int per_packet = kChunkBytes / 4;
    for (int first = 0; first < n; first += per_packet) {
        const int k = qMin(n - first, per_packet);
        packet[2] = quint8(4 * k);
        put_be32(packet + 3, quint32(4 * first));
        for (int j = 0; j < k; ++j) {
            const key_record &r = btn_records.at(first + j);
            unsigned char *e = packet + 7 + 4 * j;
            e[0] = r.keyCode;
            e[1] = r.press;
            e[2] = quint8(r.interval_time >> 8);
            e[3] = quint8(r.interval_time);
        }
        m_WriteConfig(kPacketSize, packet);
    }
    m_CloseConfigDevice();
}

bool micro_Widget::download_macro(int button_id, bool delays, int length)
{
    QVector<key_record> records;
    const bool complete = fetch_macro(button_id, length, &records);
    show_macro(delays, records);
    return complete;
}

void micro_Widget::show_macro(bool delays, const QVector<key_record> &records)
{
    rec_delay = delays;
    btn_records = records;
    show_records_list(rec_delay);
}

bool micro_Widget::fetch_macro(int button_id, int length, QVector<key_record> *records)
{
    records->clear();
    bool complete = true;
    // A slot holds 512 bytes: a longer length is a garbled reply, and asking
    // past the slot would read another button's macro or nothing.
    if (length > kMaxEvents * 4) {
        qDebug() << "macro length" << length << "cut to the slot";
        length = kMaxEvents * 4;
    }
    // The channel is used as the status refresh left it; the retry rule opens a closed one.
    for (int offset = 0; offset < length; offset += kChunkBytes) {
        const int wanted = qMin(length - offset, kChunkBytes);
        unsigned char request[kPacketSize] = {0};
        unsigned char reply[64] = {0};
        request[0] = 0xf0;
        request[1] = quint8(button_id + 10);
        request[2] = quint8(wanted);
        put_be32(request + 3, quint32(offset));
        if (!config_read(kPacketSize, request, reply)) {
            // A silent mouse would otherwise cost every remaining request its retries.
            qDebug() << "macro read failed at offset" << offset << "of" << length;
            complete = false;
            break;
        }
        for (int j = 0; j < wanted / 4; ++j) {
            const unsigned char *e = reply + 8 + 4 * j;
            key_record r;
            r.keyCode = e[0];
            r.press = e[1];
            r.interval_time = quint16((e[2] << 8) | e[3]);
            records->append(r);
        }
    }
    return complete;
}

qintptr micro_keyboard_proc(int code, unsigned message, unsigned vkey)
{
    if (code != 0) return 1;
    micro_Widget *w = micro_instance;
    if (!w || !w->recording) return 1;
    message &= ~0x4u; // system key down / up count as key down / up
    const quint8 v = quint8(vkey);
    if (v == 0xff) return 1;
    if (message == 0x100) {
        if (!w->key_pressed[v]) {
            w->key_pressed[v] = true;
            w->record_keys(qint8(v), KEY_DOWN);
        }
    } else if (message == 0x101) {
        if (w->key_pressed[v]) {
            w->key_pressed[v] = false;
            w->record_keys(qint8(v), KEY_UP);
        }
    }
    return 1;
}
