#include "command/dll_search.h"

#include <windows.h>

void RestrictDllSearch() {
    // Looked up, not imported: the program must still start where the function is missing.
    const auto restrictSearch =
        reinterpret_cast<decltype(&SetDefaultDllDirectories)>(reinterpret_cast<void (*)()>(
            GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (restrictSearch != nullptr) {
        restrictSearch(LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
}
