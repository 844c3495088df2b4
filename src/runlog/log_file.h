#pragma once

#include <windows.h>

// One formatted log line, CR LF and terminator included; also the size of its converted bytes.
constexpr int LogLineChars = 1024;

// The open run log, or INVALID_HANDLE_VALUE while none is open.
extern HANDLE LogFile;

bool OpenLogFile(const wchar_t* path);

// Ends a line that was formatted into line (length characters, negative when the formatting
// failed) with CR LF, shows it and adds it to the run's record, which CloseLogFile appends; false
// when it cannot be added (a failed formatting or conversion), and then the record is not written
// at all, though its later lines are still shown.
bool WriteLogLine(wchar_t (&line)[LogLineChars], int length);

// printf-style. The arguments go on to the variadic wsprintfW as they were given, never as a
// va_list, which a platform built by another compiler may read differently (arm64 Wine does).
template <typename... Arguments> bool LogLine(const wchar_t* format, Arguments... arguments) {
    if (LogFile == INVALID_HANDLE_VALUE) {
        return false;
    }
    wchar_t line[LogLineChars];
    return WriteLogLine(line, wsprintfW(line, format, arguments...));
}

// A line that could not be made at all: the record is lost, as with a failed formatting; false.
bool LoseLogRecord();

// Ends the record with an empty line and appends the whole of it in one write, so that it lands
// whole or not at all; then closes the log.
bool CloseLogFile();
