#include "child_process.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "test_folder.h"

namespace {

// Quoting that the C runtime's argument splitting undoes exactly.
std::wstring Quote(const std::wstring& argument) {
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted += c;
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

HANDLE InheritableFile(const std::wstring& path) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

} // namespace

ChildResult RunChild(const std::wstring& program, const std::vector<std::wstring>& arguments,
                     const std::wstring& folder) {
    // Output goes to files, not pipes: Wine's helper processes could hold a pipe open.
    TestFolder capture;
    const std::wstring outputPath = capture / L"stdout";
    const std::wstring errorsPath = capture / L"stderr";

    std::wstring commandLine;
    for (const std::wstring& argument : arguments) {
        commandLine += (commandLine.empty() ? L"" : L" ") + Quote(argument);
    }

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = InheritableFile(outputPath);
    startup.hStdError = InheritableFile(errorsPath);
    PROCESS_INFORMATION process{};
    ChildResult result;
    const BOOL started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                                        0, nullptr, folder.c_str(), &startup, &process);
    const DWORD startError = GetLastError();
    CloseHandle(startup.hStdOutput);
    CloseHandle(startup.hStdError);
    if (!started) {
        ADD_FAILURE() << "cannot start the program, error " << startError;
        result.exitCode = ~0UL;
        return result;
    }
    if (WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 0xDEAD);
        WaitForSingleObject(process.hProcess, INFINITE);
        ADD_FAILURE() << "the program did not end within 60 s";
    }
    GetExitCodeProcess(process.hProcess, &result.exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    ReadFileBytes(outputPath, result.output);
    ReadFileBytes(errorsPath, result.errors);
    return result;
}
