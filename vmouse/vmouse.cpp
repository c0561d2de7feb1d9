// The ten library exports and the vmouse_ control calls over one emulated mouse.
// One global state and no locks: like the real library, this one is called from
// a single thread.
#include "vmouse.h"

#include "mouse.h"
#include "statefile.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <thread>

namespace
{

using vmouse::Report;

// Windows system error codes, as the real library returns them.
constexpr unsigned kErrInvalidHandle = 6;
constexpr unsigned kErrGenFailure = 31;
constexpr unsigned kErrInvalidParameter = 87;
constexpr unsigned kErrDeviceNotConnected = 1167;

constexpr unsigned short kVendor = 0x2717;
constexpr unsigned short kProduct = 0x5009;
constexpr int kPathChars = 260; // 259 characters and the terminator
constexpr std::size_t kTraceCap = 100000;
const char kDefaultPath[] = "/dev/hidraw3";

struct Channel {
    bool open = false;
    unsigned epoch = 0;       // the mouse's presence the handle was opened on
    std::deque<Report> queue; // input reports waiting to be read
    int opens = 0;
    int closes = 0;
};

struct TraceEntry {
    unsigned char channel;
    unsigned char length;
    unsigned char data[vmouse::kConfigSize];
};

// A small generator of our own, so that a seed means the same faults everywhere.
struct Rng {
    std::uint64_t x = 1;
    std::uint32_t next()
    {
        // splitmix64
        std::uint64_t z = (x += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return std::uint32_t((z ^ (z >> 31)) >> 32);
    }
    int below(int n) { return int(next() % std::uint32_t(n)); }
};

struct Chaos {
    int permille = 0; // 0: off
    Rng rng;
    int silentReads = 0; // reads left that go unanswered
    int plugBackIn = 0;  // ticks until a mouse chaos pulled out is back
    int counts[4] = {};
};

struct State {
    vmouse::Mouse mouse;
    bool plugged = true;
    bool silent = false;
    // Bumped whenever the mouse leaves the system (unplug, restart): a handle
    // opened before then is dead for good.
    unsigned epoch = 1;
    int rejectIn = 0;
    Channel channel[2];
    std::deque<TraceEntry> trace;
    std::wstring path;
    wchar_t returnedPath[kPathChars] = {};
    std::string stateFile;
    Chaos chaos;
    int departures = 0;
    int readTimeoutMs = VELQA_READ_TIMEOUT_MS;
};

int reportSize(int ch)
{
    return ch == VMOUSE_CONTROL ? vmouse::kControlSize : vmouse::kConfigSize;
}

// UTF-8 to the platform's wide characters (UTF-16 where wchar_t is 16 bits),
// cut to what the path buffer holds; malformed bytes become U+FFFD.
std::wstring widen(const char *s)
{
    std::wstring out;
    const auto *p = reinterpret_cast<const unsigned char *>(s);
    while (*p) {
        std::uint32_t cp = 0xFFFD;
        int extra = 0;
        if (*p < 0x80) {
            cp = *p;
        } else if ((*p & 0xE0) == 0xC0) {
            cp = *p & 0x1F;
            extra = 1;
        } else if ((*p & 0xF0) == 0xE0) {
            cp = *p & 0x0F;
            extra = 2;
        } else if ((*p & 0xF8) == 0xF0) {
            cp = *p & 0x07;
            extra = 3;
        }
        ++p;
        for (int i = 0; i < extra; ++i) {
            if ((*p & 0xC0) != 0x80) {
                cp = 0xFFFD;
                break;
            }
            cp = (cp << 6) | (*p & 0x3F);
            ++p;
        }
        if (cp > 0x10FFFF) cp = 0xFFFD;
        if (sizeof(wchar_t) == 2 && cp > 0xFFFF) {
            cp -= 0x10000;
            out += wchar_t(0xD800 + (cp >> 10));
            out += wchar_t(0xDC00 + (cp & 0x3FF));
        } else {
            out += wchar_t(cp);
        }
    }
    if (out.size() >= std::size_t(kPathChars)) out.resize(kPathChars - 1);
    return out;
}

bool loadFromEnvironment(State &s)
{
    const char *file = std::getenv("VMOUSE_STATE");
    s.stateFile = file ? file : "";
    return vmouse::loadMemory(s.stateFile, &s.mouse.memory);
}

State &state()
{
    static State s = [] {
        State fresh;
        fresh.path = widen(kDefaultPath);
        loadFromEnvironment(fresh);
        return fresh;
    }();
    return s;
}

void save(State &s)
{
    if (!s.stateFile.empty()) vmouse::saveMemory(s.stateFile, s.mouse.memory);
}

bool channelValid(int ch)
{
    return ch == VMOUSE_CONTROL || ch == VMOUSE_CONFIG;
}

bool usable(const State &s, const Channel &c)
{
    return c.open && s.plugged && c.epoch == s.epoch;
}

// The mouse leaves the system: every handle dies and nothing queued survives.
void leave(State &s)
{
    ++s.epoch;
    ++s.departures;
    for (Channel &c : s.channel)
        c.queue.clear();
}

void pullOut(State &s)
{
    if (!s.plugged) return;
    s.plugged = false;
    leave(s);
    // Power is gone: a flash in progress is lost.
    s.mouse.abortFlash();
}

bool chaosStrikes(State &s)
{
    return s.chaos.permille > 0 && s.chaos.rng.below(1000) < s.chaos.permille;
}

// Time passes for a mouse chaos pulled out: it comes back when its ticks are up.
void chaosTick(State &s)
{
    if (s.chaos.plugBackIn > 0 && --s.chaos.plugBackIn == 0) s.plugged = true;
}

void chaosUnplug(State &s)
{
    if (!s.plugged) return;
    pullOut(s);
    s.chaos.plugBackIn = 1 + s.chaos.rng.below(4);
    ++s.chaos.counts[VMOUSE_CHAOS_UNPLUG];
}

Report randomReport(State &s, int ch)
{
    Report r(std::size_t(reportSize(ch)));
    for (auto &b : r)
        b = std::uint8_t(s.chaos.rng.next());
    return r;
}

void garbleSome(State &s, Report &r)
{
    static const std::uint8_t edges[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0x7F, 0x80, 0xFE, 0xFF};
    const int n = 1 + s.chaos.rng.below(4);
    for (int i = 0; i < n && r.size() > 12; ++i) {
        const std::size_t at = std::size_t(1 + s.chaos.rng.below(12));
        const int pick = s.chaos.rng.below(int(sizeof edges) + 2);
        r[at] = pick < int(sizeof edges) ? edges[pick] : std::uint8_t(s.chaos.rng.next());
    }
}

bool openChannel(int ch, unsigned short vid, unsigned short pid)
{
    State &s = state();
    chaosTick(s);
    if (chaosStrikes(s)) chaosUnplug(s);
    Channel &c = s.channel[ch];
    ++c.opens;
    // A reopen replaces the old handle, as in the real library; only calls to
    // the close exports are counted as closes.
    c.open = false;
    c.queue.clear();
    if (vid != kVendor || pid != kProduct || !s.plugged) return false;
    c.open = true;
    c.epoch = s.epoch;
    return true;
}

int closeChannel(int ch)
{
    State &s = state();
    Channel &c = s.channel[ch];
    ++c.closes;
    const bool was = c.open;
    c.open = false;
    c.queue.clear();
    return was ? 1 : 0;
}

unsigned writeReport(int ch, int len, const unsigned char *buf)
{
    State &s = state();
    Channel &c = s.channel[ch];
    if (!c.open) return kErrInvalidHandle;
    if (!usable(s, c)) return kErrDeviceNotConnected;
    c.queue.clear(); // the flush: the next read gets this command's answer
    const int size = reportSize(ch);
    if (!buf || len < 1 || len > size - 1) return kErrInvalidParameter;
    if (ch == VMOUSE_CONFIG && s.rejectIn > 0 && --s.rejectIn == 0) return kErrGenFailure;

    // Chaos strikes before the mouse has taken the report, or answers it wrongly.
    enum { None, Garble, Silence, Reject, Unplug } fault = None;
    if (chaosStrikes(s)) {
        fault = static_cast<decltype(fault)>(1 + s.chaos.rng.below(4));
        if (fault == Reject && ch != VMOUSE_CONFIG) fault = Garble;
    }
    if (fault == Unplug) {
        chaosUnplug(s);
        return kErrDeviceNotConnected;
    }
    if (fault == Reject) {
        ++s.chaos.counts[VMOUSE_CHAOS_REJECT];
        return kErrGenFailure;
    }
    if (fault == Silence) {
        s.chaos.silentReads = 1 + s.chaos.rng.below(3);
        ++s.chaos.counts[VMOUSE_CHAOS_SILENCE];
    }

    TraceEntry e;
    std::memset(&e, 0, sizeof e);
    e.channel = static_cast<unsigned char>(ch);
    e.length = static_cast<unsigned char>(size);
    e.data[0] = ch == VMOUSE_CONTROL ? vmouse::kControlId : vmouse::kConfigId;
    std::memcpy(e.data + 1, buf, std::size_t(len));
    if (s.trace.size() >= kTraceCap) s.trace.pop_front();
    s.trace.push_back(e);

    Report reply;
    bool changed = false;
    const bool answers = ch == VMOUSE_CONTROL ? s.mouse.controlReport(e.data, &reply, &changed)
                                              : s.mouse.configReport(e.data, &reply, &changed);
    if (fault == Garble) {
        // Random bytes where an answer would be, whether or not one was due:
        // all of them, or a few of the bytes the program reads set to edge values.
        if (!answers || s.chaos.rng.below(2) == 0)
            reply = randomReport(s, ch);
        else
            garbleSome(s, reply);
        ++s.chaos.counts[VMOUSE_CHAOS_GARBLE];
        c.queue.push_back(std::move(reply));
    } else if (answers && !s.silent) {
        c.queue.push_back(std::move(reply));
    }
    if (ch == VMOUSE_CONFIG && e.data[1] == 0xD7) {
        changed = s.mouse.restart() || changed;
        // It drops off the bus and is back at once: old handles are dead, new opens work.
        leave(s);
    }
    if (changed) save(s);
    return 0;
}

velqa_bool readReport(int ch, int len, unsigned char *buf)
{
    State &s = state();
    if (!buf || len <= 0) return 0;
    std::memset(buf, 0, std::size_t(len));
    Channel &c = s.channel[ch];
    // A dead or missing handle fails at once, as the system's read does.
    if (!usable(s, c)) return 0;
    bool chaosSilent = false;
    if (s.chaos.silentReads > 0) {
        --s.chaos.silentReads;
        chaosSilent = true;
    }
    if (s.silent || chaosSilent || c.queue.empty()) {
        if (s.readTimeoutMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(s.readTimeoutMs));
        return 0;
    }
    const Report r = std::move(c.queue.front());
    c.queue.pop_front();
    std::memcpy(buf, r.data(), std::min(r.size(), std::size_t(len)));
    return 1;
}

unsigned requestReport(int ch, int len, const unsigned char *buf)
{
    State &s = state();
    const Channel &c = s.channel[ch];
    if (!c.open) return kErrInvalidHandle;
    if (!usable(s, c)) return kErrDeviceNotConnected;
    if (!buf || len < 1 || len > reportSize(ch) - 1) return kErrInvalidParameter;
    return 0;
}

void resetAll(State &s)
{
    s.mouse = vmouse::Mouse();
    s.plugged = true;
    s.silent = false;
    s.rejectIn = 0;
    leave(s);
    for (Channel &c : s.channel)
        c = Channel();
    s.trace.clear();
    s.chaos = Chaos();
    s.departures = 0;
    s.readTimeoutMs = VELQA_READ_TIMEOUT_MS;
}

} // namespace

extern "C" {

wchar_t *OpenDevice(unsigned short vid, unsigned short pid)
{
    if (!openChannel(VMOUSE_CONTROL, vid, pid)) return nullptr;
    State &s = state();
    std::fill(std::begin(s.returnedPath), std::end(s.returnedPath), L'\0');
    std::copy(s.path.begin(), s.path.end(), s.returnedPath);
    return s.returnedPath;
}

velqa_bool CloseDevice(void)
{
    return closeChannel(VMOUSE_CONTROL);
}

unsigned int WrtieControl(int len, unsigned char *buf)
{
    return writeReport(VMOUSE_CONTROL, len, buf);
}

unsigned int ReadControl(int len, unsigned char *buf)
{
    return requestReport(VMOUSE_CONTROL, len, buf);
}

velqa_bool ReadData(int len, unsigned char *buf)
{
    return readReport(VMOUSE_CONTROL, len, buf);
}

velqa_bool OpenConfigDevice(unsigned short vid, unsigned short pid)
{
    return openChannel(VMOUSE_CONFIG, vid, pid) ? 1 : 0;
}

velqa_bool CloseConfigDevice(void)
{
    return closeChannel(VMOUSE_CONFIG);
}

unsigned int WrtieConfig(int len, unsigned char *buf)
{
    return writeReport(VMOUSE_CONFIG, len, buf);
}

unsigned int ReadConfig(int len, unsigned char *buf)
{
    return requestReport(VMOUSE_CONFIG, len, buf);
}

velqa_bool ReadConfigData(int len, unsigned char *buf)
{
    return readReport(VMOUSE_CONFIG, len, buf);
}

void vmouse_plug(int plugged)
{
    State &s = state();
    s.chaos.plugBackIn = 0; // the caller decides from now on
    if (!plugged)
        pullOut(s);
    else
        s.plugged = true;
}

int vmouse_plugged(void)
{
    return state().plugged ? 1 : 0;
}

void vmouse_set_silent(int silent)
{
    state().silent = silent != 0;
}

void vmouse_reject_config_write(int n)
{
    state().rejectIn = std::max(n, 0);
}

void vmouse_set_battery(int percent)
{
    state().mouse.battery = std::clamp(percent, 0, 100);
}

void vmouse_set_battery_byte(int value)
{
    state().mouse.battery = std::clamp(value, 0, 255);
}

void vmouse_set_version(int major, int minor, int patch)
{
    State &s = state();
    const unsigned char v[3] = {static_cast<unsigned char>(major),
                                static_cast<unsigned char>(minor),
                                static_cast<unsigned char>(patch)};
    if (std::memcmp(s.mouse.memory.version, v, 3) != 0) {
        std::memcpy(s.mouse.memory.version, v, 3);
        save(s);
    }
}

void vmouse_set_path(const char *path)
{
    state().path = widen(path ? path : kDefaultPath);
}

void vmouse_queue_input(int channel, const unsigned char *report, int len)
{
    State &s = state();
    if (!channelValid(channel) || !report || len <= 0 || !s.plugged) return;
    const int n = std::min(len, reportSize(channel));
    s.channel[channel].queue.emplace_back(report, report + n);
}

void vmouse_chaos(unsigned seed, int permille)
{
    Chaos &c = state().chaos;
    c = Chaos();
    c.permille = std::clamp(permille, 0, 1000);
    c.rng.x = seed;
}

int vmouse_chaos_count(int kind)
{
    return kind >= 0 && kind < 4 ? state().chaos.counts[kind] : 0;
}

void vmouse_chaos_tick(void)
{
    chaosTick(state());
}

int vmouse_departures(void)
{
    return state().departures;
}

void vmouse_set_read_timeout(int ms)
{
    state().readTimeoutMs = std::clamp(ms, 0, 10000);
}

int vmouse_trace_count(void)
{
    return static_cast<int>(state().trace.size());
}

int vmouse_trace_get(int i, unsigned char *buf, int cap, int *channel)
{
    const State &s = state();
    if (i < 0 || std::size_t(i) >= s.trace.size()) return -1;
    const TraceEntry &e = s.trace[std::size_t(i)];
    if (buf && cap > 0) std::memcpy(buf, e.data, std::size_t(std::min(cap, int(e.length))));
    if (channel) *channel = e.channel;
    return e.length;
}

void vmouse_trace_clear(void)
{
    state().trace.clear();
}

int vmouse_open_count(int channel)
{
    return channelValid(channel) ? state().channel[channel].opens : 0;
}

int vmouse_close_count(int channel)
{
    return channelValid(channel) ? state().channel[channel].closes : 0;
}

void vmouse_reset(void)
{
    resetAll(state());
}

int vmouse_reload_state(void)
{
    State &s = state();
    resetAll(s);
    return loadFromEnvironment(s) ? 1 : 0;
}

} // extern "C"
