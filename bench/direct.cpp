// The true limits of plivex.exe's install path: the system's driver installer loaded from the
// system directory and called with the same arguments (no parent window, the hardware ID, the
// full INF path, forced, a place for the restart request); given a log, then also what a
// successful run must do beyond the call: the log opened and its closing lines appended by
// plivex.exe's own code, every write going through to the disk. With the program's imports
// (KERNEL32, USER32, msvcrt), since loading USER32 alone costs time.
//   direct <hardware ID> <full INF path> [LOG]
#include <windows.h>
#include <newdev.h>

#include "runlog/log_file.h"

int wmain(int argc, wchar_t** argv) {
    wchar_t path[MAX_PATH];
    wsprintfW(path, L"%s", L""); // keeps USER32 imported
    lstrcpyW(path + GetSystemDirectoryW(path, MAX_PATH - 12), L"\\newdev.dll");
    const HMODULE installer = LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    const auto update = reinterpret_cast<decltype(&UpdateDriverForPlugAndPlayDevicesW)>(
        reinterpret_cast<void*>(GetProcAddress(installer, "UpdateDriverForPlugAndPlayDevicesW")));
    BOOL reboot = FALSE;
    const bool installed = (argc == 3 || argc == 4) && update != nullptr &&
                           update(nullptr, argv[1], argv[2], INSTALLFLAG_FORCE, &reboot) != FALSE;
    if (installed && argc == 4) {
        OpenLogFile(argv[3]);
        CloseLogFile();
    }
    return installed ? 0 : 1;
}
