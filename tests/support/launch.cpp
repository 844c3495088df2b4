// Starts Windows programs as the tests need them started: with a command line of the test's
// own, argument 0 included, in a folder of its own, with standard output and errors in files.
// No Linux-side launcher can set argument 0, nor pass what the tests' arguments hold (unpaired
// surrogates), so the processes are read from a file of UTF-16 fields, each ending in NUL, four
// a process: the program, the folder to start in, the output file (errors go to its name with
// ".err"), the whole command line.
//   launch [--together] PROCESSES   starts each, then waits for it (all at once: together), at
//                                   most 60 s, and writes the exit codes, one a line; exit code 2
//                                   when one cannot be read or started
//   launch --texts CODE...          writes the system directory, then the system's message text
//                                   for each hexadecimal CODE ("" when it has none), in UTF-16
//                                   fields ending in NUL
#include <windows.h>

#include <cwchar>
#include <iterator>

namespace {

constexpr int MaxProcesses = 64;
constexpr DWORD TimedOut = 0xDEAD;

wchar_t Fields[1 << 20]; // the processes' fields: 2 MiB, room for 64 command lines of 8,000

HANDLE Create(const wchar_t* path, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileW(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

void Write(const void* bytes, DWORD count) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes, count, &written, nullptr);
}

HANDLE Start(wchar_t* const (&field)[4]) {
    wchar_t errors[MAX_PATH];
    lstrcatW(lstrcpynW(errors, field[2], MAX_PATH - 4), L".err");
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = Create(field[2], GENERIC_WRITE, CREATE_ALWAYS);
    startup.hStdError = Create(errors, GENERIC_WRITE, CREATE_ALWAYS);
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(field[0], field[3], nullptr, nullptr, TRUE, 0, nullptr,
                                        field[1], &startup, &process);
    CloseHandle(startup.hStdOutput);
    CloseHandle(startup.hStdError);
    if (started == FALSE) {
        return nullptr;
    }
    CloseHandle(process.hThread);
    return process.hProcess;
}

DWORD Wait(HANDLE process) {
    if (WaitForSingleObject(process, 60000) != WAIT_OBJECT_0) {
        TerminateProcess(process, TimedOut);
        WaitForSingleObject(process, INFINITE);
    }
    DWORD code = TimedOut;
    GetExitCodeProcess(process, &code);
    CloseHandle(process);
    return code;
}

int Launch(const wchar_t* path, bool together) {
    const HANDLE file = Create(path, GENERIC_READ, OPEN_EXISTING);
    DWORD bytes = 0;
    ReadFile(file, Fields, sizeof Fields - sizeof *Fields, &bytes, nullptr);
    CloseHandle(file);
    const wchar_t* const end = Fields + bytes / sizeof *Fields;
    HANDLE processes[MaxProcesses];
    DWORD codes[MaxProcesses];
    int count = 0;
    for (wchar_t* next = Fields; next < end && count < MaxProcesses; ++count) {
        wchar_t* field[4];
        for (wchar_t*& f : field) {
            f = next;
            next += lstrlenW(next) + 1;
        }
        processes[count] = next <= end ? Start(field) : nullptr;
        if (processes[count] == nullptr) {
            return 2;
        }
        if (!together) {
            codes[count] = Wait(processes[count]);
        }
    }
    for (int i = 0; i < count; ++i) {
        char line[16];
        Write(line, static_cast<DWORD>(
                        wsprintfA(line, "%lu\n", together ? Wait(processes[i]) : codes[i])));
    }
    return count > 0 ? 0 : 2;
}

void WriteField(const wchar_t* text, UINT length) {
    Write(text, length * sizeof *text);
    Write(L"", sizeof *text);
}

int Texts(int count, wchar_t** codes) {
    wchar_t text[1024];
    WriteField(text, GetSystemDirectoryW(text, std::size(text)));
    for (int i = 0; i < count; ++i) {
        WriteField(text, FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, wcstoul(codes[i], nullptr, 16), 0, text,
                                        std::size(text), nullptr));
    }
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc > 1 && lstrcmpW(argv[1], L"--texts") == 0) {
        return Texts(argc - 2, argv + 2);
    }
    const bool together = argc == 3 && lstrcmpW(argv[1], L"--together") == 0;
    return argc == 2 || together ? Launch(argv[argc - 1], together) : 2;
}
