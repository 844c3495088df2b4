#pragma once

#include <windows.h>

// Asks the system's driver installer to install FullInfPath, forced, on every device whose
// hardware ID is HardwareID. On failure the reason is in the thread's last-error code.
BOOL InstallDriverOnMatchingDevices(BOOL* rebootRequired);
