#include "runlog/log_file.h"

#include <algorithm>
#include <cstdint>

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

// A peer holds the append lock for one write only, so a run waits for it this long at most. A
// lock held that long is something else's (backup, indexing and log-shipping tools lock whole
// files), and must never keep an unattended run from ending.
constexpr DWORD AppendLockWaitMilliseconds = 5000;
constexpr DWORD AppendLockRetryMilliseconds = 10;

// A write's offset, in both halves, that means the end of the file.
constexpr DWORD WriteAtEnd = 0xFFFFFFFF;

// What the run logs, converted, until CloseLogFile appends it in one write: a record that lost
// its "ERROR - " line but kept the closing lines would read as a success's, so a run's record
// lands whole or not at all. Room for the longest line and the closing lines, all a run logs.
constexpr int LogRecordBytes = 2 * LogLineChars;
char LogRecord[LogRecordBytes];
int LogRecordLength = 0;
bool LogRecordLost = false; // a line could not be added: the record is not written at all

enum class AppendLock : std::uint8_t {
    Held,
    Busy,       // held by another process past the wait
    Unsupported // a file system without locks (some redirectors): the append goes ahead unlocked
};

AppendLock LockAppend(OVERLAPPED* lock) {
    *lock = OVERLAPPED{};
    lock->OffsetHigh = AppendLockOffsetHigh;
    const DWORD start = GetTickCount();
    for (;;) {
        if (LockFileEx(LogFile, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                       lock) != FALSE) {
            return AppendLock::Held;
        }
        if (GetLastError() != ERROR_LOCK_VIOLATION) {
            return AppendLock::Unsupported;
        }
        if (GetTickCount() - start >= AppendLockWaitMilliseconds) {
            return AppendLock::Busy;
        }
        Sleep(AppendLockRetryMilliseconds);
    }
}

// A write cut short (a full disk) is taken back, so that the log never holds part of a record
// that later runs would continue. Only under the lock, though: without it, another machine may
// have appended behind the part, and cutting would take its lines. A record that another process
// kept the lock from is not written: Windows refuses a write into a range locked by someone else
// in any case.
bool AppendBytes(const char* bytes, DWORD count) {
    OVERLAPPED lock;
    const AppendLock locked = LockAppend(&lock);
    if (locked == AppendLock::Busy) {
        return false;
    }
    const bool held = locked == AppendLock::Held;
    LARGE_INTEGER end{}; // where the record starts, under the lock, to take a cut write back to
    bool written = false;
    if (!held || SetFilePointerEx(LogFile, LARGE_INTEGER{}, &end, FILE_END) != FALSE) {
        // At the end as the file system finds it when the bytes land, not where a seek found it:
        // without the lock, another run may append between a seek and a write.
        OVERLAPPED atEnd{};
        atEnd.Offset = atEnd.OffsetHigh = WriteAtEnd;
        DWORD done = 0;
        written = WriteFile(LogFile, bytes, count, &done, &atEnd) != FALSE && done == count;
        if (!written && held && SetFilePointerEx(LogFile, end, nullptr, FILE_BEGIN) != FALSE) {
            SetEndOfFile(LogFile);
        }
    }
    if (held) {
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
    LogRecordLength = 0;
    LogRecordLost = false;
    return LogFile != INVALID_HANDLE_VALUE;
}

bool WriteLogLine(wchar_t (&line)[LogLineChars], int length) {
    const bool formatted = length >= 0;
    if (!formatted) {
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
    if (LogRecordLost) {
        return false;
    }
    // A line converts into at most LogLineChars bytes, terminator included, wherever it lands.
    const int room = std::min(LogRecordBytes - LogRecordLength, LogLineChars);
    const int converted =
        formatted ? WideCharToMultiByte(CP_ACP, 0, line, -1, LogRecord + LogRecordLength, room,
                                        nullptr, nullptr)
                  : 0;
    LogRecordLost = converted == 0;
    if (!LogRecordLost) {
        LogRecordLength += converted - 1;
    }
    return !LogRecordLost;
}

bool LoseLogRecord() {
    LogRecordLost = true; // OpenLogFile starts each record afresh
    return false;
}

bool CloseLogFile() {
    const bool ended = LogLine(L"\r\n");
    if (LogFile == INVALID_HANDLE_VALUE) {
        return ended;
    }
    const bool written = ended && AppendBytes(LogRecord, static_cast<DWORD>(LogRecordLength));
    const bool closed = CloseHandle(LogFile) != FALSE;
    LogFile = INVALID_HANDLE_VALUE;
    return written && closed;
}
