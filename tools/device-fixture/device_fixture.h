#pragma once

#include <string>
#include <vector>

// Root-enumerated test devices in the machine's Plug and Play tree, for tests, demos and lab
// machines. Each call reports failure as false with the reason in the thread's last error.

// Adds a device with these hardware IDs; instanceId receives its device instance ID.
bool AddTestDevice(const std::vector<std::wstring>& hardwareIds, std::wstring& instanceId);

// Removes the device with this instance ID.
bool RemoveTestDevice(const std::wstring& instanceId);

// The device's description and driver key ("" when no driver is bound), as the tree holds them.
struct TestDeviceState {
    std::wstring description;
    std::wstring driverKey;
};
bool ReadTestDevice(const std::wstring& instanceId, TestDeviceState& state);
