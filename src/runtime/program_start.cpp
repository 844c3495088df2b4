// The start of a program: what MinGW-w64's runtime does for the other builds, and no more. The
// arguments come from msvcrt's own splitting, as theirs do, without wildcard expansion; wmain's
// result is the exit code. Nothing else runs first: these programs have no global constructors.
#include <windows.h>

struct StartupInfo {
    int newMode; // cppcheck-suppress unusedStructMember ; msvcrt reads it
};
// msvcrt's name, reserved for the runtime, which this is.
// NOLINTNEXTLINE(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
extern "C" int __cdecl __wgetmainargs(int* count, wchar_t*** arguments, wchar_t*** environment,
                                      int expandWildcards, StartupInfo* info);
int wmain(int argumentCount, wchar_t** arguments);

extern "C" void ProgramStart() {
    int count = 0;
    wchar_t** arguments = nullptr;
    wchar_t** environment = nullptr;
    StartupInfo info{0};
    if (__wgetmainargs(&count, &arguments, &environment, 0, &info) < 0) {
        ExitProcess(1); // no memory for the arguments: a failure like any other
    }
    ExitProcess(static_cast<UINT>(wmain(count, arguments)));
}
