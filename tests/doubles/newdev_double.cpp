// Stands in for the system's driver installer. The test scripts it through the environment:
//   PLIVEX_DOUBLE_OUTCOME  "success", "success-reboot", "fail:<hex last-error code>", or "fail"
//                          to fail leaving the last-error code as the caller left it
//   PLIVEX_DOUBLE_RECORD   a file that receives, as UTF-16 lines, where this DLL was loaded from
//                          and what it was given
//   PLIVEX_DOUBLE_LOAD     a DLL to load by bare name first, as real installers load helpers;
//                          where it came from is written to standard output
#include <windows.h>

#include <cstdio>
#include <string>

extern "C" IMAGE_DOS_HEADER __ImageBase; // this DLL, wherever it was loaded from

namespace {

std::wstring Environment(const wchar_t* name) {
    wchar_t value[4096];
    const DWORD length = GetEnvironmentVariableW(name, value, 4096);
    return length < 4096 ? std::wstring(value, length) : std::wstring();
}

std::wstring ModulePath(HMODULE module) {
    wchar_t path[MAX_PATH];
    return std::wstring(path, GetModuleFileNameW(module, path, MAX_PATH));
}

} // namespace

extern "C" __declspec(dllexport) BOOL WINAPI
    UpdateDriverForPlugAndPlayDevicesW(HWND parent, const wchar_t* hardwareId,
                                       const wchar_t* infPath, DWORD flags, BOOL* reboot) {
    const DWORD callersError = GetLastError();
    const std::wstring given = ModulePath(reinterpret_cast<HMODULE>(&__ImageBase)) + L"\nparent=" +
                               (parent ? L"set" : L"null") + L" flags=" + std::to_wstring(flags) +
                               L" reboot=" +
                               (reboot == nullptr ? L"null" : std::to_wstring(*reboot)) + L"\n" +
                               hardwareId + L"\n" + infPath;
    if (FILE* record = _wfopen(Environment(L"PLIVEX_DOUBLE_RECORD").c_str(), L"wb")) {
        std::fwrite(given.data(), sizeof(wchar_t), given.size(), record);
        std::fclose(record);
    }
    const std::wstring helper = Environment(L"PLIVEX_DOUBLE_LOAD");
    if (!helper.empty()) {
        const HMODULE loaded = LoadLibraryW(helper.c_str());
        const std::wstring said =
            helper + L": " +
            (loaded != nullptr ? ModulePath(loaded) : L"error " + std::to_wstring(GetLastError())) +
            L"\n";
        DWORD written = 0;
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), std::string(said.begin(), said.end()).data(),
                  static_cast<DWORD>(said.size()), &written, nullptr);
    }
    const std::wstring outcome = Environment(L"PLIVEX_DOUBLE_OUTCOME");
    if (outcome.rfind(L"fail", 0) == 0) {
        SetLastError(outcome == L"fail" ? callersError : wcstoul(outcome.c_str() + 5, nullptr, 16));
        return FALSE;
    }
    if (outcome == L"success-reboot" && reboot != nullptr) {
        *reboot = TRUE;
    }
    SetLastError(NO_ERROR);
    return TRUE;
}
