// The fault-injection build's seam, force-included (-include) before the program's own sources
// in that build alone: every Windows call whose failure the program handles or must survive goes
// through FaultCall, which records the call in a trace and makes the calls that the run names
// fail, with the run's error code and the function's failing result (or the run's, where it has
// more than one). The shipped program is built without it.
//
// A run names its faults, one a line (four at most), in a file in its current folder, which
// PLIVEX_FAULT_FILE names:
//   NAME CALL CODE [RESULT]   the CALLth call of NAME (every one, for 0) fails with last-error
//                             CODE (hexadecimal), returning RESULT (decimal) in place of its
//                             failing result
// and PLIVEX_FAULT_TRACE names a file there that receives each call as "NAME CALL [FIRST]", FIRST
// being its first argument where that is a number (a code page, say).
#pragma once

#include <windows.h>
#include <newdev.h>
#include <setupapi.h>

#include <type_traits>

// Counts and traces this call; true when it is one to fail, with the last-error code set and
// *result replaced by the run's RESULT where it gives one.
bool FaultHere(const char* name, long long first, long long* result);

template <typename Result, typename Function, typename First, typename... Arguments>
Result FaultCall(const char* name, Result failed, Function real, First first,
                 Arguments... arguments) {
    // C's casts, as results are handles, pointers and numbers alike.
    long long result = (long long)failed;
    const long long number = std::is_integral_v<First> ? (long long)first : 0;
    return FaultHere(name, number, &result) ? (Result)result : real(first, arguments...);
}

// RESULT 1: no text, but a buffer allocated all the same; RESULT 2: a text, as Windows has for
// codes that Wine has none for.
DWORD FaultFormatMessageW(DWORD flags, LPCVOID source, DWORD id, DWORD language, LPWSTR buffer,
                          DWORD size, va_list* arguments);
// RESULT 1: cut short, as on a full disk: half the bytes written, and said so; RESULT 2: written,
// just after another process appended "meanwhile" to the file's end.
BOOL FaultWriteFile(HANDLE file, LPCVOID bytes, DWORD count, LPDWORD written,
                    LPOVERLAPPED overlapped);

#ifndef PLIVEX_FAULT_SEAM_ITSELF
#define FAULT(name, failed, ...) FaultCall(#name, failed, ::name, __VA_ARGS__)
#define GetStdHandle(...) FAULT(GetStdHandle, INVALID_HANDLE_VALUE, __VA_ARGS__)
#define GetConsoleMode(...) FAULT(GetConsoleMode, FALSE, __VA_ARGS__)
#define WriteConsoleW(...) FAULT(WriteConsoleW, FALSE, __VA_ARGS__) // RESULT 1: writes nothing
#define GetConsoleOutputCP()                                                                       \
    FaultCall("GetConsoleOutputCP", 0u, [](int) { return ::GetConsoleOutputCP(); }, 0)
#define WideCharToMultiByte(...) FAULT(WideCharToMultiByte, 0, __VA_ARGS__)
#define WriteFile FaultWriteFile
#define CreateFileW(...) FAULT(CreateFileW, INVALID_HANDLE_VALUE, __VA_ARGS__)
#define LockFileEx(...) FAULT(LockFileEx, FALSE, __VA_ARGS__)
#define UnlockFileEx(...) FAULT(UnlockFileEx, FALSE, __VA_ARGS__)
#define SetFilePointerEx(...) FAULT(SetFilePointerEx, FALSE, __VA_ARGS__)
#define SetEndOfFile(...) FAULT(SetEndOfFile, FALSE, __VA_ARGS__)
#define CloseHandle(...) FAULT(CloseHandle, FALSE, __VA_ARGS__)
#define FormatMessageW FaultFormatMessageW
#define GetFullPathNameW(...) FAULT(GetFullPathNameW, 0ul, __VA_ARGS__)
#define GetFileAttributesW(...) FAULT(GetFileAttributesW, INVALID_FILE_ATTRIBUTES, __VA_ARGS__)
#define GetSystemDirectoryW(...) FAULT(GetSystemDirectoryW, 0u, __VA_ARGS__) // RESULT: a length
#define LoadLibraryExW(...) FAULT(LoadLibraryExW, HMODULE{}, __VA_ARGS__)
#define GetProcAddress(...) FAULT(GetProcAddress, FARPROC{}, __VA_ARGS__)
#define FreeLibrary(...) FAULT(FreeLibrary, FALSE, __VA_ARGS__)
#define wsprintfW(...) FAULT(wsprintfW, -1, __VA_ARGS__)
#endif
