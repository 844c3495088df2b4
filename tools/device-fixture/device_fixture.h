#pragma once

#include <windows.h>
#include <cfgmgr32.h>

// Root-enumerated test devices in the machine's Plug and Play tree, for tests, demos and lab
// machines. Each call reports failure as false with the reason in the thread's last error.

// Adds a device with these hardware IDs (each ending in NUL, the list in an empty one);
// instanceId receives its device instance ID.
bool AddTestDevice(const wchar_t* hardwareIds, wchar_t (&instanceId)[MAX_DEVICE_ID_LEN]);

// Removes the device with this instance ID.
bool RemoveTestDevice(const wchar_t* instanceId);

// The device's description and driver key ("" when no driver is bound), as the tree holds them.
struct TestDeviceState {
    wchar_t description[256];
    wchar_t driverKey[256];
};
bool ReadTestDevice(const wchar_t* instanceId, TestDeviceState& state);
