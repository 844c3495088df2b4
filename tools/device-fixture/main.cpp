// plivex-device: adds, shows and removes root-enumerated test devices.
//   plivex-device add <hardware id> [<hardware id>...]   prints the new device's instance ID
//   plivex-device show <instance id>                      prints its description and driver key
//   plivex-device remove <instance id>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "device_fixture.h"

namespace {

int Fail(const wchar_t* what) {
    (void)std::fwprintf(stderr, L"plivex-device: %ls failed, error 0x%08lX\n", what,
                        GetLastError());
    return 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring verb = argc > 1 ? argv[1] : L"";
    if (verb == L"add" && argc > 2) {
        std::wstring instanceId;
        if (!AddTestDevice(std::vector<std::wstring>(argv + 2, argv + argc), instanceId)) {
            return Fail(L"add");
        }
        (void)std::wprintf(L"%ls\n", instanceId.c_str());
        return 0;
    }
    if (verb == L"show" && argc == 3) {
        TestDeviceState state;
        if (!ReadTestDevice(argv[2], state)) {
            return Fail(L"show");
        }
        (void)std::wprintf(L"description: %ls\ndriver key:  %ls\n", state.description.c_str(),
                           state.driverKey.empty() ? L"(none)" : state.driverKey.c_str());
        return 0;
    }
    if (verb == L"remove" && argc == 3) {
        return RemoveTestDevice(argv[2]) ? 0 : Fail(L"remove");
    }
    (void)std::fwprintf(stderr, L"usage: plivex-device add <hardware id>...\n"
                                L"       plivex-device show <instance id>\n"
                                L"       plivex-device remove <instance id>\n");
    return 2;
}
