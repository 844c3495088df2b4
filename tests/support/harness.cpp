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
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS |
                       FORMAT_MESSAGE_FROM_SYSTEM,
                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    const std::wstring result = text != nullptr ? text : L"";
    LocalFree(text);
    return result;
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
    std::wstring commandLine; // quoted so that the C runtime's splitting undoes it exactly
    for (const std::wstring& argument : arguments) {
        commandLine += commandLine.empty() ? L"\"" : L" \"";
        size_t backslashes = 0;
        for (wchar_t c : argument) {
            commandLine.append(c == L'"' ? backslashes + 1 : 0, L'\\') += c;
            backslashes = c == L'\\' ? backslashes + 1 : 0;
        }
        commandLine.append(backslashes, L'\\') += L'"';
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
    // Under load Wine now and then fails a start with ERROR_INTERNAL_ERROR before the program
    // runs at all: the harness's problem, not the program's.
    BOOL started = FALSE;
    for (int attempt = 0;
         attempt < 3 && !started && (attempt == 0 || GetLastError() == ERROR_INTERNAL_ERROR);
         ++attempt) {
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
    for (const wchar_t* name : {L"", L"\\pkg", L"\\sub", L"\\tools.old", L"\\me.corp"}) {
        fs::create_directory(path + name);
    }
    for (const wchar_t* name :
         {L"driver.inf", L"\u00e9.inf", L"\u0434\u0440\u0430\u0439.inf", L"\U0001F600.inf"}) {
        WriteBytes(*this / name, "[Version]\r\nSignature=\"$Windows NT$\"\r\n");
    }
    fs::copy_file(ProgramFolder() + L"\\plivex.exe", exe);
    for (const wchar_t* planted : {L"newdev.dll", L"me.corp\\newdev.dll"}) {
        fs::copy_file(ProgramFolder() + L"\\test-doubles\\newdev.dll", *this / planted);
    }
}

PlivexRun PlivexFolder::Run(const std::vector<std::wstring>& command, const std::wstring& installer,
                            const std::wstring& startIn) const {
    // Output files of their own, outside the folder: helper processes that the installer starts
    // inherit them and may hold them open after the run.
    static unsigned runs = 0;
    wchar_t temp[MAX_PATH];
    const std::wstring output = std::wstring(temp, GetTempPathW(MAX_PATH, temp)) + L"plivex-" +
                                std::to_wstring(GetCurrentProcessId()) + L"-" +
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
        if (!entry.is_directory() && found.size() > 4 &&
            found.substr(found.size() - 4) == L".log") {
            run.logs[found.substr(path.size() + 1)] = ReadBytes(found);
        }
    }
    const std::string bytes = ReadBytes(record);
    std::wstring call(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
    for (size_t end; !call.empty(); call.erase(0, end + 1)) {
        end = std::min(call.find(L'\n'), call.size());
        run.call.push_back(call.substr(0, end));
    }
    for (const std::wstring& file : {output, output + L".err", record}) {
        DeleteFileW(file.c_str());
    }
    return run;
}

void PlivexFolder::ExpectInstallerGiven(const PlivexRun& run, const std::wstring& hardwareId) {
    const size_t shown = run.output.find("\nFullInfPath = ");
    if (run.output.rfind("HardwareID  = ", 0) != 0 || shown == std::string::npos) {
        EXPECT_EQ(run.call.size(), 0u) << "the installer is called only for an accepted line";
        return;
    }
    ASSERT_EQ(run.call.size(), 4u) << "the installer was not called as it should be";
    EXPECT_EQ(run.call[0], SystemFile(L"newdev.dll")) << "the installer comes from the system";
    EXPECT_EQ(run.call[1], L"parent=null flags=1 reboot=0");
    EXPECT_EQ(run.call[2], hardwareId) << "the hardware ID reaches the installer unchanged";
    const size_t from = shown + 15;
    EXPECT_EQ(Narrow(run.call[3]), run.output.substr(from, run.output.find('\n', from) - from))
        << "the installer gets the INF path that was shown";
}
