#include "command/dll_search.h"
#include "command/driver_update.h"

int wmain(int argc, wchar_t** argv) {
    RestrictDllSearch();
    return RunDriverUpdate(argc, argv);
}
