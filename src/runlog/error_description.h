#pragma once

// Fills buffer (capacity in wide characters, terminator included) with "(0x%08X) " and the
// system's text for the thread's last-error code. Returns the length of that text before any cut.
int FormatLastError(wchar_t* buffer, int capacity);

// Logs "ERROR - " and the description of the thread's last-error code; false when not logged.
bool LogLastError();
