#include "device_fixture.h"

#include <setupapi.h>

namespace {

// Any class serves; the sample package installs into System.
constexpr GUID TestDeviceClass = {
    0x4d36e97d, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

struct OpenedDevice {
    HDEVINFO list = INVALID_HANDLE_VALUE;
    SP_DEVINFO_DATA device{sizeof(SP_DEVINFO_DATA), {}, 0, 0};
};

bool OpenDevice(const wchar_t* instanceId, OpenedDevice& opened) {
    opened.list = SetupDiCreateDeviceInfoList(nullptr, nullptr);
    return opened.list != INVALID_HANDLE_VALUE &&
           SetupDiOpenDeviceInfoW(opened.list, instanceId, nullptr, 0, &opened.device) != FALSE;
}

void Close(const OpenedDevice& opened) {
    const DWORD error = GetLastError();
    if (opened.list != INVALID_HANDLE_VALUE) {
        SetupDiDestroyDeviceInfoList(opened.list);
    }
    SetLastError(error);
}

void ReadText(OpenedDevice& opened, DWORD property, wchar_t (&value)[256]) {
    value[0] = L'\0';
    SetupDiGetDeviceRegistryPropertyW(opened.list, &opened.device, property, nullptr,
                                      reinterpret_cast<BYTE*>(value), sizeof value - sizeof *value,
                                      nullptr);
    value[255] = L'\0';
}

} // namespace

bool AddTestDevice(const wchar_t* hardwareIds, wchar_t (&instanceId)[MAX_DEVICE_ID_LEN]) {
    const wchar_t* end = hardwareIds;
    while (*end != L'\0') {
        end += lstrlenW(end) + 1;
    }
    const DWORD bytes = static_cast<DWORD>((end + 1 - hardwareIds) * sizeof *hardwareIds);
    OpenedDevice opened;
    opened.list = SetupDiCreateDeviceInfoList(&TestDeviceClass, nullptr);
    const bool added =
        opened.list != INVALID_HANDLE_VALUE &&
        SetupDiCreateDeviceInfoW(opened.list, L"PLIVEX_TEST_DEVICE", &TestDeviceClass, nullptr,
                                 nullptr, DICD_GENERATE_ID, &opened.device) != FALSE &&
        SetupDiSetDeviceRegistryPropertyW(opened.list, &opened.device, SPDRP_HARDWAREID,
                                          reinterpret_cast<const BYTE*>(hardwareIds),
                                          bytes) != FALSE &&
        SetupDiCallClassInstaller(DIF_REGISTERDEVICE, opened.list, &opened.device) != FALSE &&
        SetupDiGetDeviceInstanceIdW(opened.list, &opened.device, instanceId, MAX_DEVICE_ID_LEN,
                                    nullptr) != FALSE;
    Close(opened);
    return added;
}

bool RemoveTestDevice(const wchar_t* instanceId) {
    OpenedDevice opened;
    const bool removed =
        OpenDevice(instanceId, opened) &&
        SetupDiCallClassInstaller(DIF_REMOVE, opened.list, &opened.device) != FALSE;
    Close(opened);
    return removed;
}

bool ReadTestDevice(const wchar_t* instanceId, TestDeviceState& state) {
    OpenedDevice opened;
    const bool found = OpenDevice(instanceId, opened);
    if (found) {
        ReadText(opened, SPDRP_DEVICEDESC, state.description);
        ReadText(opened, SPDRP_DRIVER, state.driverKey);
    }
    Close(opened);
    return found;
}
