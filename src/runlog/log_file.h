#pragma once

#include <windows.h>

// One formatted log line, CR LF and terminator included; also the size of its converted bytes.
constexpr int LogLineChars = 1024;

// The open run log, or INVALID_HANDLE_VALUE while none is open.
extern HANDLE LogFile;

bool OpenLogFile(const wchar_t* path);

// Ends a line that was formatted into line (length characters, negative when the formatting
// failed) with CR LF, shows it and appends it to the log; false when it is not written. After
// one line is not written, later ones are only shown.
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

bool CloseLogFile();
