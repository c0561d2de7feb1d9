// app/device: talking to the mouse (command frame, status records, retry rule, key tables, firmware
// image, flashing sequence).
//
// Shared header of the program: the mouse's USB ids, HID usage names, the key
// tables, the globals every page shares (command frame, status records, bound
// library entry points) and the shared style sheets.
#ifndef KIVOMOUSE_H
#define KIVOMOUSE_H

#include <QImage>
#include <QLibrary>
#include <QString>
#include <QtGlobal>
#include <cwchar>

#define USB_VID 0x2717
#define USB_PID 0x5009

// HID usages of the Keyboard/Keypad page.
enum : quint8 {
    HID_A = 0x04,
    HID_B,
    HID_C,
    HID_D,
    HID_E,
    HID_F,
    HID_G,
    HID_H,
    HID_I,
    HID_J,
    HID_K,
    HID_L,
    HID_M,
    HID_N,
    HID_O,
    HID_P,
    HID_Q,
    HID_R,
    HID_S,
    HID_T,
    HID_U,
    HID_V,
    HID_W,
    HID_X,
    HID_Y,
    HID_Z,
    HID_1 = 0x1e,
    HID_2,
    HID_3,
    HID_4,
    HID_5,
    HID_6,
    HID_7,
    HID_8,
    HID_9,
    HID_0,
    HID_ENTER = 0x28,
    HID_ESC,
    HID_BACKSPACE,
    HID_TAB,
    HID_SPACE,
    HID_MINUS,
    HID_EQUAL,
    HID_LEFTBRACE,
    HID_RIGHTBRACE,
    HID_BACKSLASH,
    HID_HASHTILDE,
    HID_SEMICOLON,
    HID_APOSTROPHE,
    HID_GRAVE,
    HID_COMMA,
    HID_DOT,
    HID_SLASH,
    HID_CAPSLOCK,
    HID_F1 = 0x3a,
    HID_F2,
    HID_F3,
    HID_F4,
    HID_F5,
    HID_F6,
    HID_F7,
    HID_F8,
    HID_F9,
    HID_F10,
    HID_F11,
    HID_F12,
    HID_SYSRQ = 0x46,
    HID_SCROLLLOCK,
    HID_PAUSE,
    HID_INSERT,
    HID_HOME,
    HID_PAGEUP,
    HID_DELETE,
    HID_END,
    HID_PAGEDOWN,
    HID_RIGHT,
    HID_LEFT,
    HID_DOWN,
    HID_UP,
    HID_NUMLOCK = 0x53,
    HID_KPSLASH,
    HID_KPASTERISK,
    HID_KPMINUS,
    HID_KPPLUS,
    HID_KPENTER,
    HID_KP1,
    HID_KP2,
    HID_KP3,
    HID_KP4,
    HID_KP5,
    HID_KP6,
    HID_KP7,
    HID_KP8,
    HID_KP9,
    HID_KP0,
    HID_KPDOT,
    HID_COMPOSE = 0x65,
    HID_LEFTCTRL = 0xe0,
    HID_LEFTSHIFT,
    HID_LEFTALT,
    HID_LEFTMETA,
    HID_RIGHTCTRL,
    HID_RIGHTSHIFT,
    HID_RIGHTALT,
    HID_RIGHTMETA
};

#define MAXKEYNUM 0xff
#define KEY_UP true
#define KEY_DOWN false

quint8 vkeytohid(quint8 vkey);
quint8 hidtovkey(quint8 hid);
QString vkeytostring(quint8 vkey);

// ---- the bound entry points of velqa -------------------------------------
// BOOL results are declared as int, as the library returns them; the two
// closes too, though nobody reads their result: calling a function through a
// pointer of another type is undefined.
typedef wchar_t *(*OpenDevice_t)(quint16 vid, quint16 pid);
typedef int (*CloseDevice_t)();
typedef unsigned int (*ReadControl_t)(int len, unsigned char *buf);
typedef unsigned int (*WriteControl_t)(int len, unsigned char *buf);
typedef int (*ReadData_t)(int len, unsigned char *buf);
typedef int (*OpenConfigDevice_t)(quint16 vid, quint16 pid);
typedef int (*CloseConfigDevice_t)();
typedef unsigned int (*ReadConfig_t)(int len, unsigned char *buf);
typedef unsigned int (*WriteConfig_t)(int len, unsigned char *buf);
typedef int (*ReadConfigData_t)(int len, unsigned char *buf);

extern QLibrary m_hidlib;
extern OpenDevice_t m_OpenDevice;
extern CloseDevice_t m_CloseDevice;
extern ReadControl_t m_ReadControl;
extern WriteControl_t m_WriteControl;
extern ReadData_t m_ReadData;
extern OpenConfigDevice_t m_OpenConfigDevice;
extern CloseConfigDevice_t m_CloseConfigDevice;
extern ReadConfig_t m_ReadConfig;
extern WriteConfig_t m_WriteConfig;
extern ReadConfigData_t m_ReadConfigData;

extern wchar_t *openresult;
extern char dev_path[512];
extern int device_attached;

// Converts a NUL-terminated wide path to the local 8-bit code page, never
// writing more than size bytes (always terminated when size > 0).
void TcharToChar(const wchar_t *tchar, char *out, size_t size);

// ---- command frame and status records -------------------------------------
extern unsigned char send_cmd[31];
extern unsigned char button_status[32];
extern unsigned char front_led_status[32];
extern unsigned char rear_led_status[32];
extern unsigned char dpi_status[32];
extern unsigned char report_status[32];
extern unsigned char fw_version[64];
extern unsigned char read_data[32];

// Control channel: write the 31-byte frame, read the 32-byte reply; a failed
// read is followed by up to ten rounds of close, reopen, resend, reread. When
// all fail the reply is left zeroed (the library clears it). Returns whether a
// reply arrived.
bool control_read(unsigned char *frame, unsigned char *reply);
// The same with a single round (the lighting page's colour read).
bool control_read_once_more(unsigned char *frame, unsigned char *reply);
// Configuration channel: write len bytes, read the 64-byte reply, same rule.
bool config_read(int len, unsigned char *frame, unsigned char *reply);

// Counts the writes that fail while it lives, on both channels: the set
// commands and transfers of whoever sends in the meantime. The writes of the
// reads above are judged by their replies and the retry rule, not counted.
// The library's entry points are wrapped for the time being: every caller's
// bytes go out unchanged. Watches nest; an inner one's failures count for the
// outer one too. GUI thread only, as all traffic.
class WriteWatch
{
public:
    WriteWatch();
    ~WriteWatch();
    WriteWatch(const WriteWatch &) = delete;
    WriteWatch &operator=(const WriteWatch &) = delete;

    int failed() const { return m_failed; }
    unsigned lastError() const { return m_lastError; } // of the latest failure

private:
    friend void note_write_result(unsigned result);
    WriteWatch *m_outer;
    int m_failed = 0;
    unsigned m_lastError = 0;
};

// ---- the mouse picture ------------------------------------------------------
extern int mouse_status; // view shown: 0 axis, 1 top, 2 side, 3 rear
extern int after_status; // view asked for
extern QImage wheel_image;
extern QImage rear_image;
extern int front_selected_color;
extern int rear_selected_color;

// ---- shared style sheets ------------------------------------------------------
extern const QString qss_radiobutton_20x20;
extern const QString qss_radiobutton_42x42;
extern const QString qss_radiobutton_16x16;
extern const QString qss_DPI_slider;
extern const QString nav_text;
extern const QString qss_checkable_btn;
extern const QString qss_click_btn;
extern const QString qss_del_btn;
extern const QString text_12px;
extern const QString text_11px;
extern const QString qss_listwidget;

class QPushButton;
class QWidget;
// A page's checkable tab in the row at y 440 (100 x 14, nav_text style), as
// the button, lighting and pointer pages all use.
QPushButton *page_tab(QWidget *parent, const QString &text, int x);

#define APP_VERSION_MAJOR 1
#define APP_VERSION_MINOR 0
#define APP_VERSION_REVISION 31

#endif
