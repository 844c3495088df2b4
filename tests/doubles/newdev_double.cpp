// Stands in for the system's driver installer. The test scripts it through the environment:
//   PLIVEX_DOUBLE_OUTCOME  "success", "success-reboot", or "fail:<hex last-error code>"
//   PLIVEX_DOUBLE_RECORD   a file that receives what the installer was given, as UTF-16 lines
#include <windows.h>

#include <string>

namespace {

std::wstring Environment(const wchar_t* name) {
    wchar_t value[4096];
    const DWORD length = GetEnvironmentVariableW(name, value, 4096);
    return length > 0 && length < 4096 ? std::wstring(value, length) : std::wstring();
}

void Record(HWND parent, const wchar_t* hardwareId, const wchar_t* infPath, DWORD flags,
            const BOOL* reboot) {
    const std::wstring path = Environment(L"PLIVEX_DOUBLE_RECORD");
    if (path.empty()) {
        return;
    }
    std::wstring text = std::wstring(L"parent=") + (parent ? L"set" : L"null") + L"\n" +
                        L"hardwareId=" + hardwareId + L"\n" + L"infPath=" + infPath + L"\n" +
                        L"flags=" + std::to_wstring(flags) + L"\n" + L"reboot=" +
                        (reboot == nullptr ? L"null"
                         : *reboot         ? L"true"
                                           : L"false") +
                        L"\n";
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written,
              nullptr);
    CloseHandle(file);
}

} // namespace

extern "C" __declspec(dllexport) BOOL WINAPI
    UpdateDriverForPlugAndPlayDevicesW(HWND parent, const wchar_t* hardwareId,
                                       const wchar_t* infPath, DWORD flags, BOOL* reboot) {
    Record(parent, hardwareId, infPath, flags, reboot);
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
