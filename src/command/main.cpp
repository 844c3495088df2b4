#include "command/driver_update.h"

int wmain(int argc, wchar_t** argv) {
    return RunDriverUpdate(argc, argv);
}
