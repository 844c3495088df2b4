// Stands in for the system's driver installer. The test scripts it through the environment:
//   PLIVEX_DOUBLE_OUTCOME  "success", "success-reboot", or "fail:<hex last-error code>"
//   PLIVEX_DOUBLE_RECORD   a file that receives, as UTF-16 lines, where this DLL was loaded from
//                          and what it was given
//   PLIVEX_DOUBLE_LOAD     a DLL to load by bare name first, as real installers load helpers;
//                          where it came from is written to standard output
#include <windows.h>

#include <string>

namespace {

std::wstring Environment(const wchar_t* name) {
    wchar_t value[4096];
    const DWORD length = GetEnvironmentVariableW(name, value, 4096);
    return length < 4096 ? std::wstring(value, length) : std::wstring();
}

std::wstring ModulePath(HMODULE module) {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(module, path, MAX_PATH);
    return path;
}

void Record(const std::wstring& text) {
    const HANDLE file = CreateFileW(Environment(L"PLIVEX_DOUBLE_RECORD").c_str(), GENERIC_WRITE, 0,
                                    nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written,
              nullptr);
    CloseHandle(file);
}

} // namespace

extern "C" __declspec(dllexport) BOOL WINAPI
    UpdateDriverForPlugAndPlayDevicesW(HWND parent, const wchar_t* hardwareId,
                                       const wchar_t* infPath, DWORD flags, BOOL* reboot) {
    HMODULE self = nullptr;
    GetModuleHandleExW(
        GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
        reinterpret_cast<const wchar_t*>(&UpdateDriverForPlugAndPlayDevicesW), &self);
    Record(ModulePath(self) + L"\nparent=" + (parent ? L"set" : L"null") + L" flags=" +
           std::to_wstring(flags) + L" reboot=" +
           (reboot == nullptr ? L"null" : std::to_wstring(*reboot)) + L"\n" + hardwareId + L"\n" +
           infPath);
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
    if (outcome.rfind(L"fail:", 0) == 0) {
        SetLastError(wcstoul(outcome.c_str() + 5, nullptr, 16));
        return FALSE;
    }
    if (outcome == L"success-reboot" && reboot != nullptr) {
        *reboot = TRUE;
    }
    SetLastError(NO_ERROR);
    return TRUE;
}
