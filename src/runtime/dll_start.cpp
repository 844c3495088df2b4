// The start of a DLL: nothing to set up, so every attach and detach succeeds.
#include <windows.h>

extern "C" BOOL WINAPI DllMainCRTStartup(HINSTANCE, DWORD, void*) {
    return TRUE;
}
