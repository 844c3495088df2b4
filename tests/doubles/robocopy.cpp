// Stands in for robocopy, which Wine has only as a stub that copies nothing:
//   robocopy SOURCE DESTINATION [OPTIONS...]
// copies the folder SOURCE, everything in it, to DESTINATION (through xcopy, as robocopy /E
// does), and ends as robocopy does: 1 when it copied, 16 when it could not.
#include <windows.h>

#include <cstdlib>

int wmain(int argc, wchar_t** argv) {
    wchar_t command[1024]; // all wsprintfW writes
    return argc >= 3 && wsprintfW(command, L"xcopy \"%s\" \"%s\" /E /I /Q /Y", argv[1], argv[2]) &&
                   _wsystem(command) == 0
               ? 1
               : 16;
}
