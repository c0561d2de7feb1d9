// Each read takes the next report-sized piece of the fed bytes (a short last
// piece is padded with zeros, as the real library zeroes the buffer first);
// writes and opens always succeed.
#include "velqa_fuzz.h"

#include <cstring>
#include <vector>

namespace
{

std::vector<uint8_t> g_bytes;
size_t g_pos = 0;
unsigned g_reads = 0;
wchar_t g_path[] = L"/dev/hidraw3";
constexpr unsigned kErrInvalidParameter = 87;

velqa_bool nextReply(int len, unsigned char *buf)
{
    if (len <= 0 || !buf) return 0;
    std::memset(buf, 0, size_t(len));
    const size_t left = g_bytes.size() - g_pos;
    if (left == 0) return 0;
    const size_t n = left < size_t(len) ? left : size_t(len);
    std::memcpy(buf, g_bytes.data() + g_pos, n);
    g_pos += n;
    ++g_reads;
    return 1;
}

unsigned checkedWrite(int len, const unsigned char *buf, int max)
{
    if (!buf || len < 1 || len > max) return kErrInvalidParameter;
    // Touch every byte the caller claims to send, so that ASan sees a short frame.
    volatile unsigned char sink = 0;
    for (int i = 0; i < len; ++i)
        sink = sink ^ buf[i];
    (void)sink;
    return 0;
}

} // namespace

extern "C" {

void velqa_fuzz_feed(const uint8_t *data, size_t size)
{
    g_bytes.assign(data, data + size);
    g_pos = 0;
    g_reads = 0;
}

size_t velqa_fuzz_left(void)
{
    return g_bytes.size() - g_pos;
}

unsigned velqa_fuzz_reads(void)
{
    return g_reads;
}

wchar_t *OpenDevice(unsigned short, unsigned short)
{
    return g_path;
}

velqa_bool CloseDevice(void)
{
    return 1;
}

unsigned int WrtieControl(int len, unsigned char *buf)
{
    return checkedWrite(len, buf, VELQA_CONTROL_REPORT_SIZE - 1);
}

unsigned int ReadControl(int len, unsigned char *buf)
{
    return nextReply(len, buf) ? 0 : 121; // ERROR_SEM_TIMEOUT
}

velqa_bool ReadData(int len, unsigned char *buf)
{
    return nextReply(len, buf);
}

velqa_bool OpenConfigDevice(unsigned short, unsigned short)
{
    return 1;
}

velqa_bool CloseConfigDevice(void)
{
    return 1;
}

unsigned int WrtieConfig(int len, unsigned char *buf)
{
    return checkedWrite(len, buf, VELQA_CONFIG_REPORT_SIZE - 1);
}

unsigned int ReadConfig(int len, unsigned char *buf)
{
    return nextReply(len, buf) ? 0 : 121;
}

velqa_bool ReadConfigData(int len, unsigned char *buf)
{
    return nextReply(len, buf);
}

} // extern "C"
