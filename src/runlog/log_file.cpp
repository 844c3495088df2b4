#include "runlog/log_file.h"

#include <cstdarg>

#include "console/console_output.h"
#include "console/surrogates.h"

HANDLE LogFile = INVALID_HANDLE_VALUE;

namespace {

// Room for the text of a line once CR LF and the terminator are reserved.
constexpr int LogTextChars = LogLineChars - 3;

// Appenders from other processes serialise on this byte, which lies far beyond any real end
// of the log, so that the move to the end and the write land together. Readers and writers
// of the text itself are never blocked by it.
constexpr DWORD AppendLockOffsetHigh = 0x40000000;

bool LockAppend(OVERLAPPED* lock) {
    *lock = OVERLAPPED{};
    lock->OffsetHigh = AppendLockOffsetHigh;
    return LockFileEx(LogFile, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, lock) != FALSE;
}

// A line lands whole or not at all: a write cut short (a full disk) is taken back, so that the
// log never holds part of a line that later runs would continue.
bool AppendBytes(const char* bytes, DWORD count) {
    OVERLAPPED lock;
    const bool locked = LockAppend(&lock);
    LARGE_INTEGER end{};
    bool written = false;
    if (SetFilePointerEx(LogFile, LARGE_INTEGER{}, &end, FILE_END) != FALSE) {
        DWORD done = 0;
        written = WriteFile(LogFile, bytes, count, &done, nullptr) != FALSE && done == count;
        if (!written && SetFilePointerEx(LogFile, end, nullptr, FILE_BEGIN) != FALSE) {
            SetEndOfFile(LogFile);
        }
    }
    if (locked) {
        UnlockFileEx(LogFile, 0, 1, 0, &lock);
    }
    return written;
}

} // namespace

bool OpenLogFile(const wchar_t* path) {
    if (LogFile != INVALID_HANDLE_VALUE) {
        return false;
    }
    if (path[0] == L'\0') {
        return false; // no usable log path: the run goes on without a log
    }
    LogFile = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                          OPEN_ALWAYS, FILE_FLAG_WRITE_THROUGH | FILE_ATTRIBUTE_NORMAL, nullptr);
    return LogFile != INVALID_HANDLE_VALUE;
}

// printf-style by design: the format and its arguments go straight to wvsprintfW.
bool LogLine(const wchar_t* format, ...) { // NOLINT(cert-dcl50-cpp)
    if (LogFile == INVALID_HANDLE_VALUE) {
        return false;
    }
    wchar_t line[LogLineChars];
    va_list arguments;
    va_start(arguments, format);
    int length = wvsprintfW(line, format, arguments);
    va_end(arguments);
    if (length < 0) {
        length = 0;
    }
    if (length > LogTextChars) {
        length = LogTextChars;
        if (IsHighSurrogate(line[length - 1])) {
            --length; // never leave half of a surrogate pair at the cut
        }
    }
    line[length] = L'\r';
    line[length + 1] = L'\n';
    line[length + 2] = L'\0';

    PrintText(line);

    char bytes[LogLineChars];
    const int converted =
        WideCharToMultiByte(CP_ACP, 0, line, -1, bytes, sizeof bytes, nullptr, nullptr);
    if (converted == 0) {
        return false;
    }
    return AppendBytes(bytes, static_cast<DWORD>(converted - 1));
}

bool CloseLogFile() {
    const bool ended = LogLine(L"\r\n");
    if (LogFile == INVALID_HANDLE_VALUE) {
        return ended;
    }
    const bool closed = CloseHandle(LogFile) != FALSE;
    LogFile = INVALID_HANDLE_VALUE;
    return closed && ended;
}
