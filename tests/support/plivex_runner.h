#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "child_process.h"
#include "test_folder.h"

// What the program prints when it refuses its command line.
extern const std::string InvalidParameters;

// The two parameter lines of an accepted run.
std::string ParameterLines(const std::string& hardwareId, const std::string& infPath);

// Puts the test folder in place of "{dir}".
template <typename Text> Text Expand(Text text, const Text& dir) {
    const Text marker = {'{', 'd', 'i', 'r', '}'};
    for (size_t at; (at = text.find(marker)) != Text::npos;) {
        text.replace(at, marker.size(), dir);
    }
    return text;
}

// What the installer stand-in was given, one "name=value" line each.
struct InstallerCall {
    bool made = false;
    std::wstring record;
};

// Puts the installer's stand-in in the system directory, or takes it away.
void InstallStandIn();
std::wstring InstalledStandIn();

// Each test gets a fresh folder holding a copy of plivex.exe, a driver.inf and a pkg folder;
// runs start there, with the installer replaced by the stand-in.
class PlivexTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite();
    void SetUp() override;

    // Runs plivex.exe with argument 0 as given (default: its own path) and the user's arguments,
    // in startIn (default: the test folder).
    ChildResult Run(const std::vector<std::wstring>& userArguments,
                    const std::optional<std::wstring>& argument0 = std::nullopt,
                    const std::wstring& startIn = L"");
    void ScriptInstaller(const std::wstring& outcome);
    InstallerCall LastInstallerCall() const;
    std::string Log(const std::wstring& name = L"plivex.log") const;
    // Every log file under the test folder, relative to it.
    std::vector<std::wstring> LogFiles() const;
    // A name in the test folder whose absolute path has exactly length characters.
    std::wstring PathOfLength(size_t length, const wchar_t* extension) const;

    TestFolder folder;
    std::wstring dir = folder.path;
    std::string dirText = Ascii(folder.path);
    std::wstring exe = folder / L"plivex.exe";
    std::wstring record = folder / L"installer-call.txt";
};
