// What fault_seam.h's stand-ins share: the run's faults, the count of each function's calls, and
// the trace.
#include "fault_seam.h"

#include <cstdio>
#include <cstring>

namespace {

struct Fault {
    char name[64];
    unsigned call;
    unsigned long code;
    long long result;
    bool hasResult;
};
Fault Planned[4];
HANDLE Trace = nullptr; // INVALID_HANDLE_VALUE without a trace: the writes then fail

const char* Names[32]; // each function's name, and how often it was called
unsigned Calls[32];

// A file in the current folder that the variable names, opened to read or to append.
HANDLE Named(const char* variable, DWORD access, DWORD disposition) {
    char name[MAX_PATH] = {};
    GetEnvironmentVariableA(variable, name, MAX_PATH - 1);
    return CreateFileA(name, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool Prepare() {
    Trace = Named("PLIVEX_FAULT_TRACE", FILE_APPEND_DATA, OPEN_ALWAYS);
    const HANDLE plan = Named("PLIVEX_FAULT_FILE", GENERIC_READ, OPEN_EXISTING);
    char text[640] = {};
    DWORD read = 0;
    ReadFile(plan, text, sizeof text - 1, &read, nullptr);
    CloseHandle(plan);
    const char* line = text;
    for (Fault& fault : Planned) {
        fault.hasResult = std::sscanf(line, "%63s %u %lx %lld", fault.name, &fault.call,
                                      &fault.code, &fault.result) == 4;
        line = std::strchr(line, '\n');
        if (line++ == nullptr) {
            break;
        }
    }
    return true;
}

} // namespace

bool FaultHere(const char* name, long long first, long long* result) {
    const DWORD saved = GetLastError();
    [[maybe_unused]] static const bool prepared = Prepare();
    int at = 0;
    while (Names[at] != nullptr && std::strcmp(Names[at], name) != 0) {
        ++at;
    }
    Names[at] = name;
    const unsigned call = ++Calls[at];
    char line[96];
    const int length = std::snprintf(line, sizeof line, "%s %u %lld\n", name, call, first);
    DWORD written = 0;
    WriteFile(Trace, line, static_cast<DWORD>(length), &written, nullptr);
    for (const Fault& fault : Planned) {
        if ((call == fault.call || fault.call == 0) && std::strcmp(name, fault.name) == 0) {
            *result = fault.hasResult ? fault.result : *result;
            SetLastError(fault.code);
            return true;
        }
    }
    SetLastError(saved);
    return false;
}

DWORD FaultFormatMessageW(DWORD flags, LPCVOID source, DWORD id, DWORD language, LPWSTR buffer,
                          DWORD size, va_list* arguments) {
    long long result = 0;
    if (!FaultHere("FormatMessageW", id, &result)) {
        return FormatMessageW(flags, source, id, language, buffer, size, arguments);
    }
    // The system's text for another code stands in for the text, emptied or as it is.
    const DWORD code = GetLastError();
    const DWORD length =
        result != 0 ? FormatMessageW(flags, nullptr, ERROR_FILE_NOT_FOUND, 0, buffer, size, nullptr)
                    : 0;
    if (result == 1) {
        (*reinterpret_cast<wchar_t**>(buffer))[0] = L'\0';
    }
    SetLastError(code);
    return result == 2 ? length : 0;
}

BOOL FaultWriteFile(HANDLE file, LPCVOID bytes, DWORD count, LPDWORD written,
                    LPOVERLAPPED overlapped) {
    long long result = FALSE;
    if (!FaultHere("WriteFile", 0, &result)) {
        return WriteFile(file, bytes, count, written, overlapped);
    }
    const DWORD code = GetLastError();
    if (result == 2) { // another process appends, then the bytes land: where a seek found no end
        LARGE_INTEGER at{};
        SetFilePointerEx(file, LARGE_INTEGER{}, &at, FILE_CURRENT);
        OVERLAPPED end{0, 0, {{0xFFFFFFFF, 0xFFFFFFFF}}, nullptr};
        WriteFile(file, "meanwhile\r\n", 11, written, &end);
        SetFilePointerEx(file, at, nullptr, FILE_BEGIN);
    }
    const BOOL wrote =
        result != 0 && WriteFile(file, bytes, result == 1 ? count / 2 : count, written, overlapped);
    SetLastError(code);
    return result == 2 ? wrote : static_cast<BOOL>(result);
}
