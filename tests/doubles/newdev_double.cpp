// Stands in for the system's driver installer. The test scripts it through the environment:
//   PLIVEX_DOUBLE_OUTCOME  "success", "success-reboot", "fail:<hex last-error code>", or "fail"
//                          to fail leaving the last-error code as the caller left it
//   PLIVEX_DOUBLE_RECORD   a file that receives, as UTF-16 lines, where this DLL was loaded from
//                          and what it was given
//   PLIVEX_DOUBLE_LOAD     a DLL to load by bare name first, as real installers load helpers;
//                          where it came from is written to standard output
#include <windows.h>

#include <cwchar>
#include <iterator>

extern "C" IMAGE_DOS_HEADER __ImageBase; // this DLL, wherever it was loaded from

namespace {

// The variable's value; "" when it is not set.
const wchar_t* Environment(const wchar_t* name, wchar_t (&value)[MAX_PATH]) {
    const DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        value[0] = L'\0';
    }
    return value;
}

void Write(HANDLE file, const wchar_t* text) {
    DWORD written = 0;
    WriteFile(file, text, static_cast<DWORD>(lstrlenW(text)) * sizeof *text, &written, nullptr);
}

void Record(HWND parent, const wchar_t* hardwareId, const wchar_t* infPath, DWORD flags,
            const BOOL* reboot) {
    wchar_t path[MAX_PATH];
    const HANDLE record = CreateFileW(Environment(L"PLIVEX_DOUBLE_RECORD", path), GENERIC_WRITE, 0,
                                      nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (record == INVALID_HANDLE_VALUE) {
        return;
    }
    wchar_t module[MAX_PATH];
    GetModuleFileNameW(reinterpret_cast<HMODULE>(&__ImageBase), module, MAX_PATH);
    wchar_t text[1024]; // wsprintfW's most: the program passes at most 259 characters of each text
    wsprintfW(text, L"%s\nparent=%s flags=%lu reboot=%d\n%s\n%s", module,
              parent != nullptr ? L"set" : L"null", flags, reboot != nullptr ? *reboot : -1,
              hardwareId, infPath); // reboot -1: no flag to set
    Write(record, text);
    CloseHandle(record);
}

void LoadHelper() {
    wchar_t helper[MAX_PATH];
    if (Environment(L"PLIVEX_DOUBLE_LOAD", helper)[0] == L'\0') {
        return;
    }
    const HMODULE loaded = LoadLibraryW(helper);
    wchar_t from[MAX_PATH] = L"";
    if (loaded != nullptr) {
        GetModuleFileNameW(loaded, from, MAX_PATH);
    } else {
        wsprintfW(from, L"error %lu", GetLastError());
    }
    wchar_t said[2 * MAX_PATH + 4];
    char bytes[std::size(said)];
    const int length =
        WideCharToMultiByte(CP_OEMCP, 0, said, wsprintfW(said, L"%s: %s\n", helper, from), bytes,
                            sizeof bytes, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes, static_cast<DWORD>(length), &written,
              nullptr);
}

} // namespace

extern "C" __declspec(dllexport) BOOL WINAPI UpdateDriverForPlugAndPlayDevicesW(
    HWND parent, const wchar_t* hardwareId, const wchar_t* infPath, DWORD flags, BOOL* reboot) {
    const DWORD callersError = GetLastError();
    Record(parent, hardwareId, infPath, flags, reboot);
    LoadHelper();
    wchar_t outcome[MAX_PATH];
    Environment(L"PLIVEX_DOUBLE_OUTCOME", outcome);
    if (wcsncmp(outcome, L"fail", 4) == 0) {
        SetLastError(outcome[4] == L'\0' ? callersError : wcstoul(outcome + 5, nullptr, 16));
        return FALSE;
    }
    if (lstrcmpW(outcome, L"success-reboot") == 0 && reboot != nullptr) {
        *reboot = TRUE;
    }
    SetLastError(NO_ERROR);
    return TRUE;
}
