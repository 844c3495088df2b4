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

std::wstring CommandLine(const std::vector<std::wstring>& arguments) {
    std::wstring commandLine;
    for (const std::wstring& argument : arguments) {
        commandLine += (commandLine.empty() ? L"" : L" ") + Quote(argument);
    }
    return commandLine;
}

HANDLE Start(const std::wstring& program, const std::vector<std::wstring>& arguments,
             const std::wstring& folder, HANDLE output, HANDLE errors) {
    std::wstring commandLine = CommandLine(arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = output;
    startup.hStdError = errors;
    PROCESS_INFORMATION process{};
    BOOL started = FALSE;
    // Under load Wine now and then fails a process start with ERROR_INTERNAL_ERROR before the
    // program runs at all; that is the harness's problem, not the program's, so try again.
    for (int attempt = 0; attempt < 3 && started == FALSE; ++attempt) {
        started = CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                                 nullptr, folder.c_str(), &startup, &process);
        if (started == FALSE && GetLastError() != ERROR_INTERNAL_ERROR) {
            break;
        }
    }
    if (!started) {
        ADD_FAILURE() << "cannot start the program, error " << GetLastError();
        return nullptr;
    }
    CloseHandle(process.hThread);
    return process.hProcess;
}

DWORD Wait(HANDLE process) {
    if (WaitForSingleObject(process, 60000) != WAIT_OBJECT_0) {
        TerminateProcess(process, 0xDEAD);
        WaitForSingleObject(process, INFINITE);
        ADD_FAILURE() << "the program did not end within 60 s";
    }
    DWORD exitCode = ~0UL;
    GetExitCodeProcess(process, &exitCode);
    CloseHandle(process);
    return exitCode;
}

} // namespace

ChildResult RunChild(const std::wstring& program, const std::vector<std::wstring>& arguments,
                     const std::wstring& folder) {
    // Output goes to files, not pipes: Wine's helper processes could hold a pipe open.
    TestFolder capture;
    const std::wstring outputPath = capture / L"stdout";
    const std::wstring errorsPath = capture / L"stderr";
    const HANDLE output = InheritableFile(outputPath);
    const HANDLE errors = InheritableFile(errorsPath);
    const HANDLE process = Start(program, arguments, folder, output, errors);
    CloseHandle(output);
    CloseHandle(errors);
    ChildResult result;
    result.exitCode = process != nullptr ? Wait(process) : ~0UL;
    ReadFileBytes(outputPath, result.output);
    ReadFileBytes(errorsPath, result.errors);
    return result;
}

void* StartChild(const std::wstring& program, const std::vector<std::wstring>& arguments,
                 const std::wstring& folder) {
    const HANDLE nul = InheritableFile(L"NUL");
    const HANDLE process = Start(program, arguments, folder, nul, nul);
    CloseHandle(nul);
    return process;
}

std::vector<unsigned long> WaitForChildren(const std::vector<void*>& processes) {
    std::vector<unsigned long> exitCodes;
    for (void* process : processes) {
        exitCodes.push_back(process != nullptr ? Wait(process) : ~0UL);
    }
    return exitCodes;
}
