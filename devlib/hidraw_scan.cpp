#include "hidraw_scan.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace velqa_hidraw
{

namespace
{

// sysfs files are small; the bound only keeps a stray huge file from being slurped.
constexpr size_t kMaxSysfsFile = 64 * 1024;

bool readSmallFile(const std::string &path, std::string *out)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    out->clear();
    char chunk[4096];
    bool ok = true;
    while (out->size() < kMaxSysfsFile) {
        ssize_t n = ::read(fd, chunk, std::min(sizeof chunk, kMaxSysfsFile - out->size()));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0) break;
        out->append(chunk, static_cast<size_t>(n));
    }
    ::close(fd);
    return ok;
}

bool parseHexField(const std::string &field, uint32_t *value)
{
    if (field.empty() || field.size() > 8) return false;
    uint32_t v = 0;
    for (char c : field) {
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = unsigned(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = unsigned(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = unsigned(c - 'A' + 10);
        else
            return false;
        v = (v << 4) | digit;
    }
    *value = v;
    return true;
}

// "hidraw" followed by decimal digits only; the number orders the nodes.
bool hidrawNumber(const char *name, unsigned long *number)
{
    static const char prefix[] = "hidraw";
    const size_t prefixLen = sizeof prefix - 1;
    std::string s(name);
    if (s.compare(0, prefixLen, prefix) != 0 || s.size() == prefixLen || s.size() > prefixLen + 9)
        return false;
    for (size_t i = prefixLen; i < s.size(); ++i)
        if (s[i] < '0' || s[i] > '9') return false;
    *number = std::strtoul(s.c_str() + prefixLen, nullptr, 10);
    return true;
}

} // namespace

bool descriptorDeclaresReportId(const unsigned char *desc, size_t len, unsigned int reportId)
{
    if (!desc) return false;
    static const size_t shortDataSize[4] = {0, 1, 2, 4};
    size_t pos = 0;
    while (pos < len) {
        const unsigned char prefix = desc[pos];
        const size_t left = len - pos - 1; // bytes after the prefix
        if (prefix == 0xFE) {
            // Long item: data size, tag, then the data. Its bytes are never items.
            if (left < 2 || left - 2 < desc[pos + 1]) return false;
            pos += 3 + desc[pos + 1];
            continue;
        }
        const size_t dataSize = shortDataSize[prefix & 0x03];
        if (left < dataSize) return false;
        // Global item, tag 8 (Report ID): 0x85 in practice, 0x86/0x87 are legal encodings too.
        if ((prefix & 0xFC) == 0x84 && dataSize > 0) {
            uint32_t value = 0;
            for (size_t i = 0; i < dataSize; ++i)
                value |= uint32_t(desc[pos + 1 + i]) << (8 * i);
            if (value == reportId) return true;
        }
        pos += 1 + dataSize;
    }
    return false;
}

bool parseUeventHidId(const std::string &uevent, uint32_t *vendor, uint32_t *product)
{
    static const std::string key = "HID_ID=";
    size_t lineStart = 0;
    while (lineStart < uevent.size()) {
        size_t lineEnd = uevent.find('\n', lineStart);
        if (lineEnd == std::string::npos) lineEnd = uevent.size();
        if (uevent.compare(lineStart, key.size(), key) == 0) {
            // Only the first HID_ID line counts; a malformed one is not skipped in favour of
            // another.
            const std::string value =
                uevent.substr(lineStart + key.size(), lineEnd - lineStart - key.size());
            const size_t c1 = value.find(':');
            const size_t c2 = c1 == std::string::npos ? c1 : value.find(':', c1 + 1);
            if (c2 == std::string::npos || value.find(':', c2 + 1) != std::string::npos)
                return false;
            uint32_t bus, v, p;
            if (!parseHexField(value.substr(0, c1), &bus) ||
                !parseHexField(value.substr(c1 + 1, c2 - c1 - 1), &v) ||
                !parseHexField(value.substr(c2 + 1), &p))
                return false;
            *vendor = v;
            *product = p;
            return true;
        }
        lineStart = lineEnd + 1;
    }
    return false;
}

std::vector<std::string> listHidrawNodes(const std::string &sysRoot)
{
    std::vector<std::pair<unsigned long, std::string>> found;
    DIR *dir = ::opendir((sysRoot + "/class/hidraw").c_str());
    if (!dir) return {};
    while (const dirent *entry = ::readdir(dir)) {
        unsigned long number;
        if (hidrawNumber(entry->d_name, &number)) found.emplace_back(number, entry->d_name);
    }
    ::closedir(dir);
    std::sort(found.begin(), found.end());
    std::vector<std::string> names;
    names.reserve(found.size());
    for (auto &f : found)
        names.push_back(std::move(f.second));
    return names;
}

std::string findChannelNode(const std::string &sysRoot, const std::string &devRoot, uint16_t vendor,
                            uint16_t product, unsigned int reportId)
{
    for (const std::string &name : listHidrawNodes(sysRoot)) {
        const std::string device = sysRoot + "/class/hidraw/" + name + "/device/";
        std::string text;
        uint32_t v, p;
        if (!readSmallFile(device + "uevent", &text) || !parseUeventHidId(text, &v, &p)) continue;
        if (v != vendor || p != product) continue;
        std::string desc;
        if (!readSmallFile(device + "report_descriptor", &desc)) continue;
        if (descriptorDeclaresReportId(reinterpret_cast<const unsigned char *>(desc.data()),
                                       desc.size(), reportId))
            return devRoot + "/" + name;
    }
    return {};
}

} // namespace velqa_hidraw
