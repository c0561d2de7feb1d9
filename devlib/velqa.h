/* velqa: finds the Kivo Z9K mouse among the system's HID interfaces and moves
 * fixed-size reports over its two channels.
 *
 *   control channel        report id 0x4D, 32-byte reports (callers send up to 31 bytes)
 *   configuration channel  report id 0x57, 64-byte reports (callers send up to 63 bytes)
 *
 * Exactly these ten names are exported, with C linkage and undecorated.
 * "WrtieControl" and "WrtieConfig" are spelled so on purpose: the program
 * resolves them by these names. */
#ifndef VELQA_H
#define VELQA_H

#include <wchar.h>

#if defined(_WIN32)
#define VELQA_API __declspec(dllexport)
#else
#define VELQA_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef int velqa_bool; /* a Windows BOOL: 0 false, anything else true */

/* Path of the opened control-channel interface, owned by the library and valid
 * until the next OpenDevice; null when no interface matched or it could not be opened.
 * Opening a channel that is still open closes its old handle first. */
VELQA_API wchar_t *OpenDevice(unsigned short vid, unsigned short pid);
VELQA_API velqa_bool CloseDevice(void);
/* 0 on success, otherwise the system error code of the failed transfer (a Windows
 * error code, or an errno value on Linux). A channel that is not open fails at once
 * with ERROR_INVALID_HANDLE / EBADF; len outside 1..31 (control) or 1..63
 * (configuration) fails with ERROR_INVALID_PARAMETER / EINVAL. */
VELQA_API unsigned int WrtieControl(int len, unsigned char *buf);
VELQA_API unsigned int ReadControl(int len, unsigned char *buf);
/* True when a report arrived within 50 ms; the first len bytes of buf are zeroed
 * first, then receive at most len bytes of it (report id in byte 0). On false they
 * are all zero; nothing past len is ever touched. */
VELQA_API velqa_bool ReadData(int len, unsigned char *buf);

VELQA_API velqa_bool OpenConfigDevice(unsigned short vid, unsigned short pid);
VELQA_API velqa_bool CloseConfigDevice(void);
VELQA_API unsigned int WrtieConfig(int len, unsigned char *buf);
VELQA_API unsigned int ReadConfig(int len, unsigned char *buf);
VELQA_API velqa_bool ReadConfigData(int len, unsigned char *buf);

#ifdef __cplusplus
}
#endif

#define VELQA_CONTROL_REPORT_ID 0x4D
#define VELQA_CONFIG_REPORT_ID 0x57
#define VELQA_CONTROL_REPORT_SIZE 32
#define VELQA_CONFIG_REPORT_SIZE 64
#define VELQA_READ_TIMEOUT_MS 50

#endif
