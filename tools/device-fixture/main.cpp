// plivex-device: adds, shows and removes root-enumerated test devices.
//   plivex-device add <hardware id> [<hardware id>...]   prints the new device's instance ID
//   plivex-device show <instance id>                      prints its description and driver key
//   plivex-device remove <instance id>
#include <windows.h>

#include <iterator>

#include "console/console_output.h"
#include "device_fixture.h"

namespace {

void Complain(const char* text) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, lstrlenA(text), &written, nullptr);
}

int Fail(const char* what) {
    char text[80];
    wsprintfA(text, "plivex-device: %s failed, error 0x%08lX\n", what, GetLastError());
    Complain(text);
    return 1;
}

int Add(int count, wchar_t** hardwareIds) {
    wchar_t list[4096];
    int used = 0;
    for (int i = 0; i < count; ++i) {
        const int length = lstrlenW(hardwareIds[i]) + 1;
        if (used + length + 1 > static_cast<int>(std::size(list))) {
            SetLastError(ERROR_INSUFFICIENT_BUFFER);
            return Fail("add");
        }
        lstrcpyW(list + used, hardwareIds[i]);
        used += length;
    }
    list[used] = L'\0';
    wchar_t instanceId[MAX_DEVICE_ID_LEN];
    if (!AddTestDevice(list, instanceId)) {
        return Fail("add");
    }
    PrintText(L"", instanceId, L"\n");
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    const wchar_t* verb = argc > 1 ? argv[1] : L"";
    if (lstrcmpW(verb, L"add") == 0 && argc > 2) {
        return Add(argc - 2, argv + 2);
    }
    if (lstrcmpW(verb, L"show") == 0 && argc == 3) {
        TestDeviceState state;
        if (!ReadTestDevice(argv[2], state)) {
            return Fail("show");
        }
        PrintText(L"description: ", state.description, L"\n");
        PrintText(L"driver key:  ", state.driverKey[0] != L'\0' ? state.driverKey : L"(none)",
                  L"\n");
        return 0;
    }
    if (lstrcmpW(verb, L"remove") == 0 && argc == 3) {
        return RemoveTestDevice(argv[2]) ? 0 : Fail("remove");
    }
    Complain("usage: plivex-device add <hardware id>...\n"
             "       plivex-device show <instance id>\n"
             "       plivex-device remove <instance id>\n");
    return 2;
}
