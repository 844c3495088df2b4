// Appends numbered lines to a run log through the tool's own log functions, so that many copies
// at once can show whether every line lands whole.
//   log_appender <log path> <tag> <line count>
#include <windows.h>

#include <cwchar>

#include "runlog/log_file.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 4 || !OpenLogFile(argv[1])) {
        return 2;
    }
    const int count = static_cast<int>(std::wcstol(argv[3], nullptr, 10));
    int failures = 0;
    for (int line = 0; line < count; ++line) {
        failures += LogLine(L"%s line %d, padded to make interleaving visible: "
                            L"0123456789abcdefghijklmnopqrstuvwxyz",
                            argv[2], line)
                        ? 0
                        : 1;
    }
    failures += CloseLogFile() ? 0 : 1;
    return failures == 0 ? 0 : 1;
}
