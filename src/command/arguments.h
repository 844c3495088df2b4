#pragma once

// A path value or hardware ID, terminator included.
constexpr int MaxPathChars = 260;

extern wchar_t HardwareID[MaxPathChars];
extern wchar_t FullInfPath[MaxPathChars];
extern wchar_t LogFilePath[MaxPathChars];

// Accepts exactly a hardware ID and an existing INF path after the program's name, and fills
// the three values above. Prints why when the INF path or the hardware ID is not usable.
bool CheckArguments(int argumentCount, wchar_t** arguments);
