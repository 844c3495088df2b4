#include "harness.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

const std::string Usage = "ERROR: Invalid parameters!\n"
                          "\n"
                          "Plivex Utility, Version 1.00\n"
                          "Copyright (C) 2026 The Plivex Authors\n"
                          "\n"
                          "Usage:\tPlivex <hardwareid> <fullinfpath>\n"
                          "\n"
                          "\t<hardwareid>  Specifies the hardware ID to match against existing\n"
                          "\t              devices on the machine.\n"
                          "\t<fullinfpath> Specifies the full path to an INF and associated\n"
                          "\t              driver files.\n"
                          "\n";

std::wstring ProgramFolder() {
    wchar_t module[MAX_PATH];
    return fs::path(std::wstring(module, GetModuleFileNameW(nullptr, module, MAX_PATH)))
        .parent_path();
}

std::wstring SystemFile(const std::wstring& name) {
    wchar_t system[MAX_PATH];
    return std::wstring(system, GetSystemDirectoryW(system, MAX_PATH)) + L"\\" + name;
}

std::wstring SystemText(unsigned long code) {
    wchar_t text[1024];
    return std::wstring(text,
                        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                       nullptr, code, 0, text, 1024, nullptr));
}

std::string ReadBytes(const std::wstring& path) {
    std::ifstream file(fs::path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream(fs::path(path), std::ios::binary) << bytes;
}

std::string Narrow(const std::wstring& text) {
    std::string bytes(text.size() * 2, '\0');
    bytes.resize(WideCharToMultiByte(437, WC_NO_BEST_FIT_CHARS, text.data(),
                                     static_cast<int>(text.size()), bytes.data(),
                                     static_cast<int>(bytes.size()), "?", nullptr));
    return bytes;
}

void* StartChild(const std::vector<std::wstring>& arguments, const std::wstring& folder,
                 const std::wstring& output, const std::wstring& program) {
    // Each argument quoted. None holds a quote, so only the backslashes that end one double.
    std::wstring commandLine;
    for (const std::wstring& argument : arguments) {
        const size_t backslashes = argument.size() - (argument.find_last_not_of(L'\\') + 1);
        commandLine += (commandLine.empty() ? L"\"" : L" \"") + argument +
                       std::wstring(backslashes, L'\\') + L'"';
    }
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                     CREATE_ALWAYS, 0, nullptr);
    startup.hStdError = CreateFileW((output + L".err").c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                    &inherit, CREATE_ALWAYS, 0, nullptr);
    PROCESS_INFORMATION process{};
    // Under load Wine now and then fails a start (ERROR_INTERNAL_ERROR) before the program runs
    // at all: the harness's problem, not the program's.
    BOOL started = FALSE;
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
        started =
            CreateProcessW((program.empty() ? arguments[0] : program).c_str(), commandLine.data(),
                           nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(), &startup, &process);
    }
    EXPECT_TRUE(started) << "cannot start a child, error " << GetLastError();
    CloseHandle(startup.hStdOutput);
    CloseHandle(startup.hStdError);
    CloseHandle(process.hThread);
    return process.hProcess;
}

unsigned long WaitForChild(void* process) {
    if (WaitForSingleObject(process, 60000) != WAIT_OBJECT_0) {
        TerminateProcess(process, 0xDEAD);
        ADD_FAILURE() << "the program did not end within 60 s";
    }
    DWORD exitCode = ~0UL;
    WaitForSingleObject(process, INFINITE);
    GetExitCodeProcess(process, &exitCode);
    CloseHandle(process);
    return exitCode;
}

PlivexFolder::PlivexFolder() {
    fs::remove_all(path);
    for (const wchar_t* name : {L"", L"\\sub", L"\\tools.old", L"\\me.corp"}) {
        fs::create_directory(path + name);
    }
    for (const wchar_t* name :
         {L"driver.inf", L"\u00e9.inf", L"\u0434\u0440\u0430\u0439.inf", L"\U0001F600.inf"}) {
        WriteBytes(*this / name, "[Version]\r\nSignature=\"$Windows NT$\"\r\n");
    }
    fs::copy_file(ProgramFolder() + L"\\plivex.exe", exe);
    for (const wchar_t* planted :
         {L"newdev.dll", L"accprobe.dll", L"me.corp\\newdev.dll", L"me.corp\\accprobe.dll"}) {
        fs::copy_file(ProgramFolder() + L"\\test-doubles\\newdev.dll", *this / planted);
    }
}

PlivexRun PlivexFolder::Run(const std::vector<std::wstring>& command, const std::wstring& installer,
                            const std::wstring& startIn) const {
    // Output files beside the folder, not in it: helper processes that the installer starts
    // inherit them and may hold them open after the run.
    static unsigned runs = 0;
    const std::wstring output = path + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                std::to_wstring(++runs),
                       record = output + L".call";
    SetEnvironmentVariableW(L"PLIVEX_DOUBLE_OUTCOME", installer.c_str());
    SetEnvironmentVariableW(L"PLIVEX_DOUBLE_RECORD", record.c_str());
    PlivexRun run;
    run.exitCode = WaitForChild(StartChild(command, startIn.empty() ? path : startIn, output, exe));
    run.output = ReadBytes(output);
    run.errors = ReadBytes(output + L".err");
    for (const auto& entry : fs::recursive_directory_iterator(path)) {
        const std::wstring found = entry.path();
        if (!entry.is_directory() && found.compare(found.size() - 4, 4, L".log") == 0) {
            run.logs[found.substr(path.size() + 1)] = ReadBytes(found);
        }
    }
    const std::string bytes = ReadBytes(record);
    const std::wstring call(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
    for (const std::wstring& file : {output, output + L".err", record}) {
        DeleteFileW(file.c_str());
    }
    // The stand-in, when scripted, is given what the command line holds and the output shows.
    const size_t found = run.output.find("\nFullInfPath = "), shown = found + 15;
    const bool accepted = run.output.rfind("HardwareID  = ", 0) == 0 && found != std::string::npos;
    if (!installer.empty() && !accepted) {
        EXPECT_EQ(call, L"") << "the installer is called only for an accepted line";
    } else if (!installer.empty()) {
        const std::wstring given = SystemFile(L"newdev.dll") + L"\nparent=null flags=1 reboot=0\n" +
                                   (command.size() == 3 ? command[1] : L"") + L"\n";
        EXPECT_EQ(call.substr(0, given.size()), given)
            << "the system's installer, called with flags 1 and the hardware ID unchanged";
        EXPECT_EQ(Narrow(call.substr(std::min(given.size(), call.size()))),
                  run.output.substr(shown, run.output.find('\n', shown) - shown))
            << "the installer gets the INF path that was shown";
    }
    return run;
}
