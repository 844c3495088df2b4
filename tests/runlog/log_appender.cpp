// Appends a line to a run log through the tool's own log functions, as often as asked.
//   log_appender <log path> <count> <line>
#include <windows.h>

#include <cwchar>

#include "runlog/log_file.h"

int wmain(int argc, wchar_t** argv) {
    if (argc != 4 || !OpenLogFile(argv[1])) {
        return 2;
    }
    bool logged = true;
    for (long line = std::wcstol(argv[2], nullptr, 10); line > 0; --line) {
        logged = LogLine(L"%s", argv[3]) && logged;
    }
    return CloseLogFile() && logged ? 0 : 1;
}
