// Command lines nobody should type, each with the one outcome that is right for it.
#include <windows.h>

#include <optional>

#include "plivex_runner.h"

namespace {

const std::string HardwareIdTooLong = "ERROR: The hardware ID is longer than 259 characters!\n";

struct HostileCase {
    const char* name;
    std::optional<std::wstring> argument0; // default: the program's own path
    std::wstring hardwareId;
    std::wstring inf;
    unsigned long exitCode;
    std::string output;
    std::wstring log; // relative to the test folder; empty: no log anywhere
};

std::string Accepted(const std::string& hardwareId, const std::string& infPath, bool logged) {
    return ParameterLines(hardwareId, infPath) + (logged ? "\r\n\r\n" : "");
}

std::string Refused(const std::string& firstLine) {
    return firstLine + InvalidParameters;
}

class HostileArguments : public PlivexTest {
  protected:
    void SetUp() override {
        PlivexTest::SetUp();
        CreateDirectoryW((folder / L"sub").c_str(), nullptr);
        for (const wchar_t* inf : {L"\u0434\u0440\u0430\u0439\u0432\u0435\u0440.inf",
                                   L"\u4e2d\u6587.inf", L"\U0001F600.inf"}) {
            WriteFileBytes(folder / inf, "");
        }
        WriteFileBytes(PathOfLength(259, L".inf"), "");
    }

    // Files beside the test folder named after it: a log that escaped the folder.
    bool SomethingBesideTheFolder() const {
        WIN32_FIND_DATAW found;
        const HANDLE search = FindFirstFileW((dir + L"?*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE) {
            return false;
        }
        FindClose(search);
        return true;
    }
};

TEST_F(HostileArguments, EachCommandLineHasItsExactOutcome) {
    const std::string inf = dirText + "\\driver.inf";
    const std::wstring longInf = PathOfLength(259, L".inf");
    const std::wstring logOf259 = PathOfLength(259, L".exe");
    const HostileCase cases[] = {
        {"empty hardware ID", {}, L"", L"driver.inf", 0, Accepted("", inf, true), L"plivex.log"},
        {"empty INF", {}, L"H", L"", 0, Accepted("H", dirText, true), L"plivex.log"},
        {"empty argument 0", L"", L"H", L"driver.inf", 0, Accepted("H", inf, false), L""},
        {"hardware ID of 259",
         {},
         std::wstring(259, L'h'),
         L"driver.inf",
         0,
         Accepted(std::string(259, 'h'), inf, true),
         L"plivex.log"},
        {"hardware ID of 260",
         {},
         std::wstring(260, L'h'),
         L"driver.inf",
         1,
         Refused(HardwareIdTooLong),
         L""},
        {"hardware ID of 261",
         {},
         std::wstring(261, L'h'),
         L"driver.inf",
         1,
         Refused(HardwareIdTooLong),
         L""},
        {"hardware ID of 32000",
         {},
         std::wstring(32000, L'h'),
         L"driver.inf",
         1,
         Refused(HardwareIdTooLong),
         L""},
        {"INF of 259", {}, L"H", longInf, 0, Accepted("H", Ascii(longInf), true), L"plivex.log"},
        {"INF of 260",
         {},
         L"H",
         PathOfLength(260, L".inf"),
         1,
         Refused("ERROR: \"\" does not exist!\n"),
         L""},
        {"INF of 261",
         {},
         L"H",
         PathOfLength(261, L".inf"),
         1,
         Refused("ERROR: \"\" does not exist!\n"),
         L""},
        {"INF of 32000",
         {},
         L"H",
         std::wstring(32000, L'i'),
         1,
         Refused("ERROR: \"\" does not exist!\n"),
         L""},
        {"argument 0 whose log path is 259", logOf259, L"H", L"driver.inf", 0,
         Accepted("H", inf, true), logOf259.substr(dir.size() + 1, 259 - dir.size() - 4) + L"log"},
        {"argument 0 of 260", PathOfLength(260, L".exe"), L"H", L"driver.inf", 0,
         Accepted("H", inf, false), L""},
        {"argument 0 of 261", PathOfLength(261, L".exe"), L"H", L"driver.inf", 0,
         Accepted("H", inf, false), L""},
        {"argument 0 of 32000", std::wstring(32000, L'a'), L"H", L"driver.inf", 0,
         Accepted("H", inf, false), L""},
        {"format directives in the hardware ID",
         {},
         L"%s%n%x%%",
         L"driver.inf",
         0,
         Accepted("%s%n%x%%", inf, true),
         L"plivex.log"},
        {"format directives in the INF",
         {},
         L"H",
         L"%s%n%x%%",
         1,
         Refused("ERROR: \"" + dirText + "\\%s%n%x%%\" does not exist!\n"),
         L""},
        {"format directives in argument 0", dir + L"\\%s%n%x%%", L"H", L"driver.inf", 0,
         Accepted("H", inf, true), L"%s%n%x%%.log"},
        {"unpaired high surrogate in the hardware ID",
         {},
         L"A\xD800"
         L"B",
         L"driver.inf",
         0,
         Accepted("A?B", inf, true),
         L"plivex.log"},
        {"unpaired low surrogate in the INF",
         {},
         L"H",
         L"gone\xDC00.inf",
         1,
         Refused("ERROR: \"" + dirText + "\\gone?.inf\" does not exist!\n"),
         L""},
        {"UNC INF",
         {},
         L"H",
         L"\\\\server\\share\\x.inf",
         1,
         Refused("ERROR: \"\\\\server\\share\\x.inf\" does not exist!\n"),
         L""},
        {"UNC argument 0", L"\\\\server\\share\\upd.exe", L"H", L"driver.inf", 0,
         Accepted("H", inf, false), L""},
        {"\\\\?\\ INF",
         {},
         L"H",
         L"\\\\?\\" + dir + L"\\driver.inf",
         0,
         Accepted("H", "\\\\?\\" + inf, true),
         L"plivex.log"},
        {"\\\\.\\ INF",
         {},
         L"H",
         L"\\\\.\\" + dir + L"\\driver.inf",
         0,
         Accepted("H", "\\\\.\\" + inf, true),
         L"plivex.log"},
        {"\\\\?\\ argument 0", L"\\\\?\\" + dir + L"\\upd.exe", L"H", L"driver.inf", 0,
         Accepted("H", inf, true), L"upd.log"},
        {"device name NUL as INF",
         {},
         L"H",
         L"NUL",
         1,
         Refused("ERROR: \"\\\\.\\NUL\" does not exist!\n"),
         L""},
        {"device name COM1 as INF",
         {},
         L"H",
         L"COM1",
         1,
         Refused("ERROR: \"\\\\.\\COM1\" does not exist!\n"),
         L""},
        // The console exists, so the check passes and the installer decides.
        {"device name CON as INF",
         {},
         L"H",
         L"CON",
         0,
         Accepted("H", "\\\\.\\CON", true),
         L"plivex.log"},
        {"device name NUL as argument 0", L"NUL", L"H", L"driver.inf", 0, Accepted("H", inf, false),
         L""},
        {"device name CON as argument 0", L"CON", L"H", L"driver.inf", 0, Accepted("H", inf, false),
         L""},
        {"trailing dots in the INF",
         {},
         L"H",
         L"driver.inf...",
         0,
         Accepted("H", inf, true),
         L"plivex.log"},
        {"trailing blanks in the INF",
         {},
         L"H",
         L"driver.inf   ",
         0,
         Accepted("H", inf, true),
         L"plivex.log"},
        {"trailing dot in argument 0", dir + L"\\upd.exe.", L"H", L"driver.inf", 0,
         Accepted("H", inf, true), L"upd.log"},
        {"forward slashes in the INF",
         {},
         L"H",
         dir + L"/pkg/../driver.inf",
         0,
         Accepted("H", inf, true),
         L"plivex.log"},
        {"forward slashes in argument 0", dir + L"/sub/upd.exe", L"H", L"driver.inf", 0,
         Accepted("H", inf, true), L"sub\\upd.log"},
        {"Cyrillic in every argument", dir + L"\\\u0434\u0440\u0430\u0439\u0432\u0435\u0440.exe",
         L"USB\\\u0416", L"\u0434\u0440\u0430\u0439\u0432\u0435\u0440.inf", 0,
         Accepted("USB\\?", dirText + "\\???????.inf", true),
         L"\u0434\u0440\u0430\u0439\u0432\u0435\u0440.log"},
        {"CJK in every argument", dir + L"\\\u4e2d\u6587.exe", L"\u4e2d", L"\u4e2d\u6587.inf", 0,
         Accepted("?", dirText + "\\??.inf", true), L"\u4e2d\u6587.log"},
        {"emoji in every argument", dir + L"\\\U0001F600.exe", L"\U0001F600", L"\U0001F600.inf", 0,
         Accepted("??", dirText + "\\??.inf", true), L"\U0001F600.log"},
    };
    static_assert(std::size(cases) >= 30);
    for (const HostileCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ChildResult run = Run({c.hardwareId, c.inf}, c.argument0);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_EQ(run.output, c.output);
        const std::vector<std::wstring> expectedLogs =
            c.log.empty() ? std::vector<std::wstring>{} : std::vector<std::wstring>{c.log};
        EXPECT_EQ(LogFiles(), expectedLogs);
        EXPECT_FALSE(SomethingBesideTheFolder());
        if (c.exitCode == 0) {
            EXPECT_NE(LastInstallerCall().record.find(L"\nhardwareId=" + c.hardwareId + L"\n"),
                      std::wstring::npos)
                << "the hardware ID reaches the installer unchanged";
        }
        for (const std::wstring& log : LogFiles()) {
            DeleteFileW((folder / log).c_str());
        }
    }
}

} // namespace
