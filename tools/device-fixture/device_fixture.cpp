#include "device_fixture.h"

#include <windows.h>
#include <setupapi.h>
#include <cfgmgr32.h>

namespace {

// Any class serves; the sample package installs into System.
constexpr GUID TestDeviceClass = {
    0x4d36e97d, 0xe325, 0x11ce, {0xbf, 0xc1, 0x08, 0x00, 0x2b, 0xe1, 0x03, 0x18}};

struct OpenedDevice {
    HDEVINFO list = INVALID_HANDLE_VALUE;
    SP_DEVINFO_DATA device{sizeof(SP_DEVINFO_DATA), {}, 0, 0};
};

bool OpenDevice(const std::wstring& instanceId, OpenedDevice& opened) {
    opened.list = SetupDiCreateDeviceInfoList(nullptr, nullptr);
    if (opened.list == INVALID_HANDLE_VALUE) {
        return false;
    }
    return SetupDiOpenDeviceInfoW(opened.list, instanceId.c_str(), nullptr, 0, &opened.device) !=
           FALSE;
}

void Close(const OpenedDevice& opened) {
    const DWORD error = GetLastError();
    if (opened.list != INVALID_HANDLE_VALUE) {
        SetupDiDestroyDeviceInfoList(opened.list);
    }
    SetLastError(error);
}

std::wstring TextProperty(const OpenedDevice& opened, DWORD property) {
    wchar_t value[512] = L"";
    SetupDiGetDeviceRegistryPropertyW(opened.list, const_cast<SP_DEVINFO_DATA*>(&opened.device),
                                      property, nullptr, reinterpret_cast<BYTE*>(value),
                                      sizeof value - sizeof(wchar_t), nullptr);
    return value;
}

} // namespace

bool AddTestDevice(const std::vector<std::wstring>& hardwareIds, std::wstring& instanceId) {
    std::wstring multiString;
    for (const std::wstring& id : hardwareIds) {
        multiString += id + L'\0';
    }
    multiString += L'\0';

    OpenedDevice opened;
    opened.list = SetupDiCreateDeviceInfoList(&TestDeviceClass, nullptr);
    bool added =
        opened.list != INVALID_HANDLE_VALUE &&
        SetupDiCreateDeviceInfoW(opened.list, L"PLIVEX_TEST_DEVICE", &TestDeviceClass, nullptr,
                                 nullptr, DICD_GENERATE_ID, &opened.device) != FALSE &&
        SetupDiSetDeviceRegistryPropertyW(
            opened.list, &opened.device, SPDRP_HARDWAREID,
            reinterpret_cast<const BYTE*>(multiString.data()),
            static_cast<DWORD>(multiString.size() * sizeof(wchar_t))) != FALSE &&
        SetupDiCallClassInstaller(DIF_REGISTERDEVICE, opened.list, &opened.device) != FALSE;
    wchar_t id[MAX_DEVICE_ID_LEN];
    added = added && SetupDiGetDeviceInstanceIdW(opened.list, &opened.device, id, MAX_DEVICE_ID_LEN,
                                                 nullptr) != FALSE;
    if (added) {
        instanceId = id;
    }
    Close(opened);
    return added;
}

bool RemoveTestDevice(const std::wstring& instanceId) {
    OpenedDevice opened;
    const bool removed =
        OpenDevice(instanceId, opened) &&
        SetupDiCallClassInstaller(DIF_REMOVE, opened.list, &opened.device) != FALSE;
    Close(opened);
    return removed;
}

bool ReadTestDevice(const std::wstring& instanceId, TestDeviceState& state) {
    OpenedDevice opened;
    const bool found = OpenDevice(instanceId, opened);
    if (found) {
        state.description = TextProperty(opened, SPDRP_DEVICEDESC);
        state.driverKey = TextProperty(opened, SPDRP_DRIVER);
    }
    Close(opened);
    return found;
}
