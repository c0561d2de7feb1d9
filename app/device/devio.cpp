// The bound library entry points, the shared command frame and status records,
// and the reopen-and-retry rule every read follows.
#include "device/kivomouse.h"

#include <cstring>

QLibrary m_hidlib(QStringLiteral("velqa.dll"));
OpenDevice_t m_OpenDevice = nullptr;
CloseDevice_t m_CloseDevice = nullptr;
ReadControl_t m_ReadControl = nullptr;
WriteControl_t m_WriteControl = nullptr;
ReadData_t m_ReadData = nullptr;
OpenConfigDevice_t m_OpenConfigDevice = nullptr;
CloseConfigDevice_t m_CloseConfigDevice = nullptr;
ReadConfig_t m_ReadConfig = nullptr;
WriteConfig_t m_WriteConfig = nullptr;
ReadConfigData_t m_ReadConfigData = nullptr;

wchar_t *openresult = nullptr;
char dev_path[512] = {0};
int device_attached = 0;

unsigned char send_cmd[31] = {0};
unsigned char button_status[32] = {0};
unsigned char front_led_status[32] = {0};
// Effect 0, speed 1, white: what the picture shows for the rear zone until it is read.
unsigned char rear_led_status[32] = {0x4D, 0xA0, 0x00, 0x00, 0x00, 0x01,
                                     0x01, 0x00, 0xFF, 0xFF, 0xFF, 0x00};
unsigned char dpi_status[32] = {0};
unsigned char report_status[32] = {0};
unsigned char fw_version[64] = {0};
unsigned char read_data[32] = {0};

int mouse_status = 0;
int after_status = 0;
QImage wheel_image;
QImage rear_image;
int front_selected_color = 0;
int rear_selected_color = 0;

// Every armed watch takes a failed write (the library's non-zero result).
void note_write_result(unsigned result);

namespace
{
const int kRetryRounds = 10;

// The write watch: the innermost one armed, the entry points it wrapped, and
// how deep the calls are inside a read (whose writes are not counted).
WriteWatch *g_watch = nullptr;
WriteControl_t g_boundControl = nullptr;
WriteConfig_t g_boundConfig = nullptr;
int g_inRead = 0;

unsigned int watched_control(int len, unsigned char *buf)
{
    const unsigned int result = g_boundControl(len, buf);
    if (!g_inRead) note_write_result(result);
    return result;
}

unsigned int watched_config(int len, unsigned char *buf)
{
    const unsigned int result = g_boundConfig(len, buf);
    if (!g_inRead) note_write_result(result);
    return result;
}

struct InRead {
    InRead() { ++g_inRead; }
    ~InRead() { --g_inRead; }
};

bool control_round(unsigned char *frame, unsigned char *reply)
{
    m_CloseDevice();
    m_OpenDevice(USB_VID, USB_PID); // the path is not taken over: dev_path stays as it is
    m_WriteControl(31, frame);
    return m_ReadData(32, reply) != 0;
}
} // namespace

bool control_read(unsigned char *frame, unsigned char *reply)
{
    const InRead reading;
    m_WriteControl(31, frame);
    if (m_ReadData(32, reply)) return true;
    for (int i = 0; i < kRetryRounds; ++i)
        if (control_round(frame, reply)) return true;
    return false;
}

bool control_read_once_more(unsigned char *frame, unsigned char *reply)
{
    const InRead reading;
    m_WriteControl(31, frame);
    if (m_ReadData(32, reply)) return true;
    return control_round(frame, reply);
}

bool config_read(int len, unsigned char *frame, unsigned char *reply)
{
    const InRead reading;
    m_WriteConfig(len, frame);
    if (m_ReadConfigData(64, reply)) return true;
    for (int i = 0; i < kRetryRounds; ++i) {
        m_CloseConfigDevice();
        m_OpenConfigDevice(USB_VID, USB_PID);
        m_WriteConfig(len, frame);
        if (m_ReadConfigData(64, reply)) return true;
    }
    return false;
}

void note_write_result(unsigned result)
{
    if (result == 0) return;
    for (WriteWatch *w = g_watch; w; w = w->m_outer) {
        ++w->m_failed;
        w->m_lastError = result;
    }
}

WriteWatch::WriteWatch() : m_outer(g_watch)
{
    if (!g_watch) {
        g_boundControl = m_WriteControl;
        g_boundConfig = m_WriteConfig;
        // Unbound entry points stay null: calling them fails as it did.
        if (m_WriteControl) m_WriteControl = watched_control;
        if (m_WriteConfig) m_WriteConfig = watched_config;
    }
    g_watch = this;
}

WriteWatch::~WriteWatch()
{
    g_watch = m_outer;
    if (!g_watch) {
        if (m_WriteControl == watched_control) m_WriteControl = g_boundControl;
        if (m_WriteConfig == watched_config) m_WriteConfig = g_boundConfig;
    }
}
