// The floor for plivex.exe's design: a console program with the same imports (KERNEL32, USER32,
// msvcrt) and the same static runtime, that starts and ends doing nothing else.
#include <windows.h>

int wmain() {
    wchar_t text[16];
    wsprintfW(text, L"%d", 0); // keeps USER32 imported
    return GetStdHandle(STD_OUTPUT_HANDLE) == nullptr ? 1 : 0;
}
