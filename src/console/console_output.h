#pragma once

#include <windows.h>

// Writes text to standard output exactly as given: no format directives, no newline
// translation. The thread's last-error code is the same afterwards as before.
void PrintText(const wchar_t* text);

// Writes a value between two fixed texts; the value is shown literally, "%" included.
void PrintText(const wchar_t* before, const wchar_t* value, const wchar_t* after);
