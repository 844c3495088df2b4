#include "command/driver_installer.h"

#include <newdev.h>

#include <iterator>

#include "command/arguments.h"

namespace {

using UpdateDriverFunction = decltype(&UpdateDriverForPlugAndPlayDevicesW);

constexpr wchar_t InstallerFileName[] = L"\\newdev.dll";

// Only the copy in the system directory: administrators run this tool elevated from wherever
// a package was unpacked, and a newdev.dll planted beside it must never be loaded.
HMODULE LoadInstaller() {
    wchar_t path[MAX_PATH];
    const UINT room = static_cast<UINT>(std::size(path) - std::size(InstallerFileName));
    const UINT length = GetSystemDirectoryW(path, room);
    if (length == 0) {
        return nullptr;
    }
    if (length >= room) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return nullptr;
    }
    lstrcpyW(path + length, InstallerFileName);
    return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

} // namespace

BOOL InstallDriverOnMatchingDevices(BOOL* rebootRequired) {
    const HMODULE installer = LoadInstaller();
    if (installer == nullptr) {
        return FALSE;
    }
    BOOL installed = FALSE;
    const auto update = reinterpret_cast<UpdateDriverFunction>(reinterpret_cast<void (*)()>(
        GetProcAddress(installer, "UpdateDriverForPlugAndPlayDevicesW")));
    if (update != nullptr) {
        // The code read after a failure must be the installer's own, or 0 when it sets none:
        // never one left from earlier calls (opening an existing log leaves "already exists").
        SetLastError(NO_ERROR);
        installed = update(nullptr, HardwareID, FullInfPath, INSTALLFLAG_FORCE, rebootRequired);
    }
    const DWORD reason = GetLastError();
    FreeLibrary(installer);
    SetLastError(reason);
    return installed;
}
