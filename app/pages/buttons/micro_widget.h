// The macro recorder, third panel of the button page: records key presses and
// releases (optionally with the delays between them), lists them, and moves a
// macro to and from the mouse's macro memory over the configuration channel.
#ifndef MICRO_WIDGET_H
#define MICRO_WIDGET_H

#include <QElapsedTimer>
#include <QVector>
#include <QWidget>

#include "device/kivomouse.h"

class KeyCapture;
class QListWidget;
class QPushButton;
class QRadioButton;

// One macro event; on the wire: keyCode, press, interval high byte, low byte.
struct key_record {
    quint8 keyCode = 0;        // HID usage
    quint8 press = KEY_DOWN;   // KEY_DOWN (0) or KEY_UP (1)
    quint16 interval_time = 0; // ms since the previous event, low 16 bits
};

class micro_Widget : public QWidget
{
    Q_OBJECT
public:
    // The recorder never makes more, and a slot holds no more.
    static constexpr int kMaxEvents = 128;
    // Data bytes in one 0xf0 / 0xf1 packet: 14 events.
    static constexpr int kChunkBytes = 56;

    explicit micro_Widget(QWidget *parent = nullptr);
    ~micro_Widget() override;

    QListWidget *records_list;
    QPushButton *record_btn;
    QPushButton *save_micro;
    QRadioButton *rec_delay_btn;

    bool rec_delay = false;
    QElapsedTimer rec_timer;
    key_record new_key;
    QVector<key_record> btn_records;
    KeyCapture *key_hook; // system-wide key capture, running only while recording
    bool key_pressed[MAXKEYNUM] = {};
    bool recording = false;

    // Binds btn_records to the button (0xb1 kind 2) and writes it into the
    // button's macro slot (button id + 10) in 0xf1 packets.
    void upload_macro(int button_id);
    // Reads length bytes of the button's macro slot in 0xf0 requests into
    // btn_records and lists them. Stops at the first request that still fails
    // after its retries, keeping what was read; a trailing partial event is
    // dropped. Returns whether every request was answered.
    bool download_macro(int button_id, bool delays, int length);
    // The transfers of download_macro alone: the events into *records.
    static bool fetch_macro(int button_id, int length, QVector<key_record> *records);
    // The list as download_macro leaves it, from events fetched earlier.
    void show_macro(bool delays, const QVector<key_record> &records);

    bool eventFilter(QObject *watched, QEvent *event) override;

public slots:
    void start_record();
    void record_keys(qint8 vkey_code, bool press);
    void stop_record();
    void show_records_list(bool show_delay);

protected:
    void hideEvent(QHideEvent *event) override;

private:
    void install_hook();
    void remove_hook();
};

// The recorder, for the keyboard procedure (there is exactly one).
extern micro_Widget *micro_instance;

// Keyboard procedure while recording: code is the hook code (0 = an action),
// message 0x100/0x101 (system variants 0x104/0x105 count the same), vkey the
// Windows virtual-key code. A held key records one press however long it
// repeats; a release whose press was not recorded is not recorded. Returns 1:
// every key is consumed.
qintptr micro_keyboard_proc(int code, unsigned message, unsigned vkey);

#endif
