// The run log's own functions, and a lock on a log, as the tests need them:
//   log_tool append LOG COUNT LINE     logs COUNT records as a run does, each LINE and the
//                                      closing lines: opens LOG, logs LINE, closes it
//   log_tool lock LOG exclusive|shared RELEASE
//                                      locks the whole of LOG, writes "locked" to standard
//                                      output, and lets go once the file RELEASE exists
#include <windows.h>

#include <cwchar>
#include <iterator>

#include "runlog/log_file.h"

namespace {

int Append(const wchar_t* log, long count, const wchar_t* line) {
    bool logged = true;
    for (; count > 0; --count) {
        OpenLogFile(log);
        const bool added = !OpenLogFile(log) && LogLine(L"%s", line); // one log open at a time
        logged = CloseLogFile() && added && logged;
    }
    return logged ? 0 : 1;
}

int Lock(const wchar_t* log, bool exclusive, const wchar_t* release) {
    const HANDLE file =
        CreateFileW(log, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    OVERLAPPED whole{};
    if (file == INVALID_HANDLE_VALUE || LockFileEx(file, exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0, 0,
                                                   MAXDWORD, MAXDWORD, &whole) == FALSE) {
        return 1;
    }
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "locked\n", 7, &written, nullptr);
    while (GetFileAttributesW(release) == INVALID_FILE_ATTRIBUTES) {
        Sleep(10);
    }
    const bool unlocked = UnlockFileEx(file, 0, MAXDWORD, MAXDWORD, &whole) != FALSE;
    return CloseHandle(file) != FALSE && unlocked ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const wchar_t* verb = argc > 1 ? argv[1] : L"";
    if (argc == 5 && lstrcmpW(verb, L"lock") == 0) {
        return Lock(argv[2], lstrcmpW(argv[3], L"exclusive") == 0, argv[4]);
    }
    if (argc == 5 && lstrcmpW(verb, L"append") == 0) {
        return Append(argv[2], wcstol(argv[3], nullptr, 10), argv[4]);
    }
    return 2;
}
