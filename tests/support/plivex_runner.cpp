#include "plivex_runner.h"

#include <windows.h>

#include <filesystem>

const std::string InvalidParameters = "ERROR: Invalid parameters!\n"
                                      "\n"
                                      "Plivex Utility, Version 1.00\n"
                                      "Copyright (C) 2026 The Plivex Authors\n"
                                      "\n"
                                      "Usage:\tPlivex <hardwareid> <fullinfpath>\n"
                                      "\n"
                                      "\t<hardwareid>  Specifies the hardware ID to match against "
                                      "existing\n"
                                      "\t              devices on the machine.\n"
                                      "\t<fullinfpath> Specifies the full path to an INF and "
                                      "associated\n"
                                      "\t              driver files.\n"
                                      "\n";

std::string ParameterLines(const std::string& hardwareId, const std::string& infPath) {
    return "HardwareID  = " + hardwareId + "\nFullInfPath = " + infPath + "\n";
}

std::wstring InstalledStandIn() {
    return SystemFile(L"newdev.dll");
}

// The stand-in is used only by processes that ask Wine for the native newdev.dll
// (WINEDLLOVERRIDES=newdev=n, set by the test run).
void InstallStandIn() {
    const std::wstring standIn = ProgramFolder() + L"\\test-doubles\\newdev.dll";
    ASSERT_TRUE(CopyFileW(standIn.c_str(), InstalledStandIn().c_str(), FALSE))
        << "cannot install the installer stand-in, error " << GetLastError();
}

void PlivexTest::SetUpTestSuite() {
    InstallStandIn();
}

void PlivexTest::SetUp() {
    ASSERT_TRUE(CopyFileW((ProgramFolder() + L"\\plivex.exe").c_str(), exe.c_str(), FALSE));
    WriteFileBytes(folder / L"driver.inf", "[Version]\r\nSignature=\"$Windows NT$\"\r\n");
    CreateDirectoryW((folder / L"pkg").c_str(), nullptr);
    ScriptInstaller(L"success");
    SetEnvironmentVariableW(L"PLIVEX_DOUBLE_RECORD", record.c_str());
}

ChildResult PlivexTest::Run(const std::vector<std::wstring>& userArguments,
                            const std::optional<std::wstring>& argument0,
                            const std::wstring& startIn) {
    std::vector<std::wstring> arguments{argument0.value_or(exe)};
    arguments.insert(arguments.end(), userArguments.begin(), userArguments.end());
    DeleteFileW(record.c_str());
    ChildResult result = RunChild(exe, arguments, startIn.empty() ? dir : startIn);
    EXPECT_EQ(result.errors, "") << "nothing goes to standard error";
    return result;
}

void PlivexTest::ScriptInstaller(const std::wstring& outcome) {
    SetEnvironmentVariableW(L"PLIVEX_DOUBLE_OUTCOME", outcome.c_str());
}

InstallerCall PlivexTest::LastInstallerCall() const {
    InstallerCall call;
    std::string bytes;
    call.made = ReadFileBytes(record, bytes);
    call.record.assign(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
    return call;
}

std::string PlivexTest::Log(const std::wstring& name) const {
    std::string bytes;
    return ReadFileBytes(folder / name, bytes) ? bytes : "<no log>";
}

std::vector<std::wstring> PlivexTest::LogFiles() const {
    std::vector<std::wstring> logs;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(dir)) {
        if (entry.path().extension() == L".log") {
            logs.push_back(entry.path().wstring().substr(dir.size() + 1));
        }
    }
    return logs;
}

std::wstring PlivexTest::PathOfLength(size_t length, const wchar_t* extension) const {
    const size_t name = length - dir.size() - 1 - lstrlenW(extension);
    return dir + L"\\" + std::wstring(name, L'p') + extension;
}
