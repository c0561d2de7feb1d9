/* Linux backend of velqa over hidraw. Same results and failure contract as the
 * Windows backend: error codes are errno values instead of Windows codes. */
#include "velqa.h"
#include "hidraw_scan.h"

#include <linux/hidraw.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <cwchar>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace
{

constexpr int kPathChars = 260; // 259 characters plus the terminator, as on Windows

struct Channel {
    int fd;
    unsigned char reportId;
    int reportSize;
};

Channel g_control = {-1, VELQA_CONTROL_REPORT_ID, VELQA_CONTROL_REPORT_SIZE};
Channel g_config = {-1, VELQA_CONFIG_REPORT_ID, VELQA_CONFIG_REPORT_SIZE};
wchar_t g_controlPath[kPathChars];

// A failed call must never come back as 0 (success), even if errno was left clear.
unsigned int lastErrno()
{
    return errno != 0 ? static_cast<unsigned int>(errno) : static_cast<unsigned int>(EIO);
}

std::string rootFromEnv(const char *name, const char *fallback)
{
    const char *value = std::getenv(name);
    return value && *value ? std::string(value) : std::string(fallback);
}

void closeChannel(Channel &ch)
{
    if (ch.fd >= 0) ::close(ch.fd);
    ch.fd = -1;
}

// The wide copy the caller gets back; false when it would not fit whole.
bool widenPath(const std::string &path, wchar_t *out)
{
    std::mbstate_t state{};
    const char *src = path.c_str();
    size_t n = std::mbsrtowcs(out, &src, kPathChars, &state);
    if (n == static_cast<size_t>(-1) || n >= static_cast<size_t>(kPathChars) || src != nullptr) {
        out[0] = L'\0';
        return false;
    }
    return true;
}

bool openChannel(Channel &ch, unsigned short vid, unsigned short pid, wchar_t *widePath)
{
    // A reopen must not leak the descriptor of the earlier open.
    closeChannel(ch);
    const std::string path =
        velqa_hidraw::findChannelNode(rootFromEnv("VELQA_SYSFS_ROOT", "/sys"),
                                      rootFromEnv("VELQA_DEV_ROOT", "/dev"), vid, pid, ch.reportId);
    if (path.empty()) return false;
    wchar_t wide[kPathChars];
    if (!widenPath(path, wide)) return false;
    int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    ch.fd = fd;
    if (widePath) std::wcscpy(widePath, wide);
    return true;
}

// Drop input reports already queued, so the next read sees the reply to what is sent
// now. The descriptor is non-blocking, so this never waits; the bound keeps a device
// that streams reports from holding the caller here.
void drainQueued(const Channel &ch)
{
    unsigned char scratch[256];
    for (int i = 0; i < 1024; ++i) {
        ssize_t n = ::read(ch.fd, scratch, sizeof scratch);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
    }
}

unsigned int writeReport(Channel &ch, int len, const unsigned char *buf)
{
    if (ch.fd < 0) return EBADF;
    if (!buf || len < 1 || len > ch.reportSize - 1) return EINVAL;
    unsigned char report[VELQA_CONFIG_REPORT_SIZE] = {};
    report[0] = ch.reportId;
    std::memcpy(report + 1, buf, static_cast<size_t>(len));
    drainQueued(ch);

    const size_t size = static_cast<size_t>(ch.reportSize);
    // The ioctl sends through the control pipe as SET_REPORT(Output); kernels before
    // 5.11 and non-hidraw nodes do not know it, and there write() is the way.
    int rc = ::ioctl(ch.fd, HIDIOCSOUTPUT(size), report);
    if (rc >= 0) return 0;
    if (errno != ENOTTY && errno != EINVAL) return lastErrno();
    ssize_t n;
    do {
        n = ::write(ch.fd, report, size);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return lastErrno();
    return static_cast<size_t>(n) == size ? 0 : static_cast<unsigned int>(EIO);
}

long msUntil(const timespec &deadline)
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    long long ns = (deadline.tv_sec - now.tv_sec) * 1000000000LL + (deadline.tv_nsec - now.tv_nsec);
    return ns <= 0 ? 0 : static_cast<long>((ns + 999999) / 1000000);
}

velqa_bool readReport(Channel &ch, int len, unsigned char *buf)
{
    if (!buf || len <= 0) return 0;
    std::memset(buf, 0, static_cast<size_t>(len));
    if (ch.fd < 0) {
        errno = EBADF;
        return 0;
    }
    timespec deadline;
    clock_gettime(CLOCK_MONOTONIC, &deadline);
    deadline.tv_nsec += VELQA_READ_TIMEOUT_MS * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }
    // One hidraw read returns one report, cut to the buffer; reports of the other
    // channel (when one node carries both) are skipped, and the deadline stays put.
    unsigned char report[VELQA_CONFIG_REPORT_SIZE];
    for (;;) {
        const long waitMs = msUntil(deadline);
        if (waitMs <= 0) return 0;
        pollfd p = {ch.fd, POLLIN, 0};
        int ready = ::poll(&p, 1, static_cast<int>(waitMs));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return 0;
        if (p.revents & (POLLHUP | POLLERR | POLLNVAL))
            return 0; // unplugged: the channel stays useless until reopened
        ssize_t n = ::read(ch.fd, report, static_cast<size_t>(ch.reportSize));
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) return 0;
        if (report[0] != ch.reportId) continue;
        std::memcpy(buf, report, std::min(static_cast<size_t>(len), static_cast<size_t>(n)));
        return 1;
    }
}

unsigned int requestInputReport(Channel &ch, int len, const unsigned char *buf)
{
    if (ch.fd < 0) return EBADF;
    if (!buf || len < 1 || len > ch.reportSize - 1) return EINVAL;
    unsigned char report[VELQA_CONFIG_REPORT_SIZE] = {};
    report[0] = ch.reportId;
    std::memcpy(report + 1, buf, static_cast<size_t>(len));
    if (::ioctl(ch.fd, HIDIOCGINPUT(len + 1), report) < 0) return lastErrno();
    return 0;
}

velqa_bool closeExport(Channel &ch)
{
    if (ch.fd < 0) {
        errno = EBADF;
        return 0;
    }
    const int rc = ::close(ch.fd);
    // Forgotten even if close failed: the descriptor number is not ours any more.
    ch.fd = -1;
    return rc == 0;
}

} // namespace

extern "C" {

wchar_t *OpenDevice(unsigned short vid, unsigned short pid)
{
    if (!openChannel(g_control, vid, pid, g_controlPath)) {
        g_controlPath[0] = L'\0';
        return nullptr;
    }
    return g_controlPath;
}

velqa_bool CloseDevice(void)
{
    return closeExport(g_control);
}
unsigned int WrtieControl(int len, unsigned char *buf)
{
    return writeReport(g_control, len, buf);
}
unsigned int ReadControl(int len, unsigned char *buf)
{
    return requestInputReport(g_control, len, buf);
}
velqa_bool ReadData(int len, unsigned char *buf)
{
    return readReport(g_control, len, buf);
}

velqa_bool OpenConfigDevice(unsigned short vid, unsigned short pid)
{
    return openChannel(g_config, vid, pid, nullptr);
}
velqa_bool CloseConfigDevice(void)
{
    return closeExport(g_config);
}
unsigned int WrtieConfig(int len, unsigned char *buf)
{
    return writeReport(g_config, len, buf);
}
unsigned int ReadConfig(int len, unsigned char *buf)
{
    return requestInputReport(g_config, len, buf);
}
velqa_bool ReadConfigData(int len, unsigned char *buf)
{
    return readReport(g_config, len, buf);
}

} // extern "C"
