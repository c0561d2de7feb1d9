// The code a start-up box shows for a library that would not load. Plain C++
// without Qt, so that the Windows check under wine builds the same function.
#ifndef LOADERROR_H
#define LOADERROR_H

#include <cerrno>

// system_code() gives the system's last-error value (GetLastError on Windows;
// 0 where the loader leaves none, as dlopen does); file_exists() looks for the
// library's file. The system's code is taken first: on Windows the file check
// goes through the file-attribute calls, which set a last-error of their own.
// Only without a system code does the file decide: missing (ENOENT) or there
// but not loadable (ENOEXEC).
template <typename SystemCode, typename FileExists>
unsigned long failed_load_code(SystemCode system_code, FileExists file_exists)
{
    const unsigned long code = system_code();
    if (code != 0) return code;
    return file_exists() ? ENOEXEC : ENOENT;
}

#endif
