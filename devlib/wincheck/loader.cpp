// Loads velqa.dll the way the program does (by file name, exports by name) and checks
// everything that must hold with no mouse attached. Prints one line per check; the exit
// code is the number of failed checks.
#include <windows.h>

#include "platform/loaderror.h"

#include <cstdio>
#include <cstring>

namespace
{

typedef wchar_t *(*OpenDeviceFn)(unsigned short, unsigned short);
typedef int (*OpenConfigFn)(unsigned short, unsigned short);
typedef int (*CloseFn)(void);
typedef unsigned int (*TransferFn)(int, unsigned char *);
typedef int (*ReadDataFn)(int, unsigned char *);

int failures = 0;

void check(bool ok, const char *what)
{
    std::printf("%s: %s\n", ok ? "PASS" : "FAIL", what);
    if (!ok) ++failures;
}

template <typename T> T resolve(HMODULE lib, const char *name)
{
    FARPROC p = GetProcAddress(lib, name);
    char line[128];
    std::snprintf(line, sizeof line, "export %s resolves by name", name);
    check(p != nullptr, line);
    return reinterpret_cast<T>(reinterpret_cast<void *>(p));
}

struct Api {
    OpenDeviceFn openDevice;
    CloseFn closeDevice;
    TransferFn writeControl, readControl;
    ReadDataFn readData;
    OpenConfigFn openConfig;
    CloseFn closeConfig;
    TransferFn writeConfig, readConfig;
    ReadDataFn readConfigData;
};

// A read on a closed channel zeroes exactly len bytes and nothing beyond.
bool readFailsZeroed(ReadDataFn read, int len)
{
    unsigned char buf[96];
    std::memset(buf, 0xAA, sizeof buf);
    if (read(len, buf)) return false;
    for (int i = 0; i < int(sizeof buf); ++i)
        if (buf[i] != (i < len ? 0x00 : 0xAA)) return false;
    return true;
}

void checkClosedChannels(const Api &api, const char *when)
{
    char line[160];
    unsigned char cmd[64];
    std::memset(cmd, 0xAA, sizeof cmd);
    cmd[0] = 0xC4;
    unsigned int rc = api.writeControl(1, cmd);
    std::snprintf(line, sizeof line, "%s: WrtieControl fails with invalid handle (got %u)", when,
                  rc);
    check(rc == ERROR_INVALID_HANDLE, line);
    rc = api.writeConfig(1, cmd);
    std::snprintf(line, sizeof line, "%s: WrtieConfig fails with invalid handle (got %u)", when,
                  rc);
    check(rc == ERROR_INVALID_HANDLE, line);
    rc = api.readControl(31, cmd);
    std::snprintf(line, sizeof line, "%s: ReadControl fails with invalid handle (got %u)", when,
                  rc);
    check(rc == ERROR_INVALID_HANDLE, line);
    rc = api.readConfig(63, cmd);
    std::snprintf(line, sizeof line, "%s: ReadConfig fails with invalid handle (got %u)", when, rc);
    check(rc == ERROR_INVALID_HANDLE, line);

    std::snprintf(line, sizeof line, "%s: ReadData(32) false, 32 bytes zeroed, rest untouched",
                  when);
    check(readFailsZeroed(api.readData, 32), line);
    std::snprintf(line, sizeof line, "%s: ReadData(8) zeroes only 8 bytes", when);
    check(readFailsZeroed(api.readData, 8), line);
    std::snprintf(line, sizeof line, "%s: ReadConfigData(64) false, 64 bytes zeroed", when);
    check(readFailsZeroed(api.readConfigData, 64), line);
    std::snprintf(line, sizeof line, "%s: ReadData(0) false, buffer untouched", when);
    check(readFailsZeroed(api.readData, 0), line);
    std::snprintf(line, sizeof line, "%s: ReadConfigData(-1) false, buffer untouched", when);
    check(readFailsZeroed(api.readConfigData, -1), line);

    std::snprintf(line, sizeof line, "%s: CloseDevice on a closed channel is false", when);
    check(!api.closeDevice(), line);
    std::snprintf(line, sizeof line, "%s: CloseConfigDevice on a closed channel is false", when);
    check(!api.closeConfig(), line);
}

// The code the program's start-up box shows for a library that does not load,
// through the start-up's own function.
unsigned long failedLoad(const wchar_t *name)
{
    HMODULE h = LoadLibraryW(name);
    if (h) {
        FreeLibrary(h);
        return 0;
    }
    return failed_load_code([] { return static_cast<unsigned long>(GetLastError()); },
                            [name] { return GetFileAttributesW(name) != INVALID_FILE_ATTRIBUTES; });
}

void checkLoadErrors()
{
    char line[160];
    unsigned long code = failedLoad(L"velqa_missing.dll");
    std::snprintf(line, sizeof line, "a missing DLL reports 126 (got %lu)", code);
    check(code == ERROR_MOD_NOT_FOUND, line);

    // Why the order matters: the file check alone leaves a code of its own.
    LoadLibraryW(L"velqa_missing.dll");
    GetFileAttributesW(L"velqa_missing.dll");
    code = GetLastError();
    std::snprintf(line, sizeof line, "the file check overwrites the load's code (got %lu)", code);
    check(code != ERROR_MOD_NOT_FOUND, line);

    FILE *f = std::fopen("velqa_text.dll", "wb");
    if (f) {
        std::fputs("this is not a library\n", f);
        std::fclose(f);
    }
    code = failedLoad(L".\\velqa_text.dll");
    std::snprintf(line, sizeof line, "a file that is not a DLL reports 193 (got %lu)", code);
    check(code == ERROR_BAD_EXE_FORMAT, line);
    DeleteFileW(L"velqa_text.dll");
}

} // namespace

int main()
{
    HMODULE lib = LoadLibraryA("velqa.dll");
    check(lib != nullptr, "LoadLibraryA(\"velqa.dll\")");
    if (!lib) return 1;

    Api api;
    api.openDevice = resolve<OpenDeviceFn>(lib, "OpenDevice");
    api.closeDevice = resolve<CloseFn>(lib, "CloseDevice");
    api.writeControl = resolve<TransferFn>(lib, "WrtieControl");
    api.readControl = resolve<TransferFn>(lib, "ReadControl");
    api.readData = resolve<ReadDataFn>(lib, "ReadData");
    api.openConfig = resolve<OpenConfigFn>(lib, "OpenConfigDevice");
    api.closeConfig = resolve<CloseFn>(lib, "CloseConfigDevice");
    api.writeConfig = resolve<TransferFn>(lib, "WrtieConfig");
    api.readConfig = resolve<TransferFn>(lib, "ReadConfig");
    api.readConfigData = resolve<ReadDataFn>(lib, "ReadConfigData");
    if (failures) return failures;

    checkClosedChannels(api, "never opened");

    check(api.openDevice(0x2717, 0x5009) == nullptr,
          "OpenDevice(0x2717, 0x5009) is null without a mouse");
    check(!api.openConfig(0x2717, 0x5009),
          "OpenConfigDevice(0x2717, 0x5009) is false without a mouse");
    checkClosedChannels(api, "after failed open");

    FreeLibrary(lib);
    checkLoadErrors();
    std::printf("%d check(s) failed\n", failures);
    return failures;
}
