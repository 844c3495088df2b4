#include "command/arguments.h"

#include <windows.h>

#include "console/console_output.h"

wchar_t HardwareID[MaxPathChars];
wchar_t FullInfPath[MaxPathChars];
wchar_t LogFilePath[MaxPathChars];

namespace {

// The platform's full-path resolution, with an empty path taken as the current directory.
// Leaves the value empty when the resolution fails; false when that is because it is too long.
bool ResolveFullPath(const wchar_t* path, wchar_t* value) {
    const wchar_t* toResolve = path[0] != L'\0' ? path : L".";
    const DWORD length = GetFullPathNameW(toResolve, MaxPathChars, value, nullptr);
    if (length == 0 || length >= MaxPathChars) {
        value[0] = L'\0';
    }
    return length < MaxPathChars;
}

// A program's path ends in a file name. An empty path, or one whose last part is empty or only
// dots and blanks (".", "..", "C:", "tools\"), names a folder or nothing: taken as a program, it
// would put the log beside or above that folder.
bool NamesAFile(const wchar_t* path) {
    bool named = false;
    for (const wchar_t* c = path; *c != L'\0'; ++c) {
        if (*c == L'\\' || *c == L'/' || *c == L':') {
            named = false;
        } else if (*c != L'.' && *c != L' ') {
            named = true;
        }
    }
    return named;
}

// The log sits beside the program: its extension becomes "log". A last component without an
// extension gets ".log" appended instead, so that the log never lands outside the program's folder.
void DeriveLogFilePath(const wchar_t* programPath) {
    if (!NamesAFile(programPath)) {
        return;
    }
    ResolveFullPath(programPath, LogFilePath);
    const int length = lstrlenW(LogFilePath);
    if (length == 0) {
        return;
    }
    int tailAt = length;
    const wchar_t* tail = L".log";
    for (int i = length; i > 0 && LogFilePath[i - 1] != L'\\'; --i) {
        if (LogFilePath[i - 1] == L'.') {
            tailAt = i;
            tail = L"log";
            break;
        }
    }
    if (tailAt + lstrlenW(tail) >= MaxPathChars) {
        LogFilePath[0] = L'\0';
        return;
    }
    lstrcpyW(LogFilePath + tailAt, tail);
}

} // namespace

bool CheckArguments(int argumentCount, wchar_t** arguments) {
    if (argumentCount != 3) {
        return false;
    }
    DeriveLogFilePath(arguments[0]);

    // A cut hardware ID could match other devices, so one that does not fit is refused.
    if (lstrlenW(arguments[1]) >= MaxPathChars) {
        PrintText(L"ERROR: The hardware ID is longer than 259 characters!\n");
        return false;
    }
    lstrcpyW(HardwareID, arguments[1]);

    // An INF path too long to resolve may well exist: say so rather than name an empty path.
    if (!ResolveFullPath(arguments[2], FullInfPath)) {
        PrintText(L"ERROR: The full INF path is longer than 259 characters!\n");
        return false;
    }
    if (FullInfPath[0] != L'\0' && GetFileAttributesW(FullInfPath) != INVALID_FILE_ATTRIBUTES) {
        return true;
    }
    PrintText(L"ERROR: \"", FullInfPath, L"\" does not exist!\n");
    return false;
}
