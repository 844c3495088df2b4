// The true limits of plivex.exe's install path: the system's driver installer loaded from the
// system directory and called with the same arguments (no parent window, the hardware ID, the
// full INF path, forced, a place for the restart request); given a log, then also the least that
// a successful run must do beyond the call, none of it the program's own code: the log opened with
// every write going through to the disk, its end sought, the closing lines written once, the log
// closed. With the program's imports (KERNEL32, USER32, msvcrt), since loading USER32 alone costs
// time.
//   direct <hardware ID> <full INF path> [LOG]
#include <windows.h>
#include <newdev.h>

namespace {

bool AppendClosingLines(const wchar_t* path) {
    const HANDLE log =
        CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                    FILE_FLAG_WRITE_THROUGH | FILE_ATTRIBUTE_NORMAL, nullptr);
    if (log == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const bool appended = SetFilePointer(log, 0, nullptr, FILE_END) != INVALID_SET_FILE_POINTER &&
                          WriteFile(log, "\r\n\r\n", 4, &written, nullptr) != FALSE && written == 4;
    return CloseHandle(log) != FALSE && appended;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    wchar_t path[MAX_PATH];
    wsprintfW(path, L"%s", L""); // keeps USER32 imported
    const UINT length = GetSystemDirectoryW(path, MAX_PATH - 12);
    if (length == 0 || length >= MAX_PATH - 12) {
        return 1; // no system directory: no limit to measure
    }
    lstrcpyW(path + length, L"\\newdev.dll");
    const HMODULE installer = LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    const auto update = reinterpret_cast<decltype(&UpdateDriverForPlugAndPlayDevicesW)>(
        reinterpret_cast<void (*)()>(
            GetProcAddress(installer, "UpdateDriverForPlugAndPlayDevicesW")));
    BOOL reboot = FALSE;
    const bool installed = (argc == 3 || argc == 4) && update != nullptr &&
                           update(nullptr, argv[1], argv[2], INSTALLFLAG_FORCE, &reboot) != FALSE;
    return installed && (argc == 3 || AppendClosingLines(argv[3])) ? 0 : 1;
}
