#pragma once

#include <windows.h>

// One formatted log line, CR LF and terminator included; also the size of its converted bytes.
constexpr int LogLineChars = 1024;

// The open run log, or INVALID_HANDLE_VALUE while none is open.
extern HANDLE LogFile;

bool OpenLogFile(const wchar_t* path);
bool LogLine(const wchar_t* format, ...); // NOLINT(cert-dcl50-cpp): wvsprintfW takes a va_list
bool CloseLogFile();
