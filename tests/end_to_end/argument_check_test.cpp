#include <windows.h>

#include "plivex_runner.h"

namespace {

class ArgumentCheck : public PlivexTest {
  protected:
    void ExpectRefused(const ChildResult& run, const std::string& firstLine) {
        EXPECT_EQ(run.exitCode, 1u);
        EXPECT_EQ(run.output, firstLine + InvalidParameters);
        EXPECT_EQ(LogFiles(), std::vector<std::wstring>{}) << "the log is not touched";
        EXPECT_FALSE(LastInstallerCall().made);
    }
    void ExpectInstalled(const ChildResult& run, const std::wstring& hardwareId,
                         const std::wstring& infPath, const std::string& shown) {
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_EQ(run.output, shown + "\r\n\r\n");
        EXPECT_EQ(LastInstallerCall().record, L"parent=null\nhardwareId=" + hardwareId +
                                                  L"\ninfPath=" + infPath +
                                                  L"\nflags=1\nreboot=false\n");
        EXPECT_EQ(Log(), "\r\n\r\n");
    }
};

TEST_F(ArgumentCheck, RefusedCommandLines) {
    struct Case {
        const char* name;
        std::vector<std::wstring> arguments;
        std::string firstLine;
    };
    const Case cases[] = {
        {"no arguments", {}, ""},
        {"one argument", {L"PCI\\VEN_1"}, ""},
        {"three arguments", {L"PCI\\VEN_1", L"driver.inf", L"extra"}, ""},
        {"missing INF, shown absolute",
         {L"PCI\\VEN_1", L"missing.inf"},
         "ERROR: \"{dir}\\missing.inf\" does not exist!\n"},
        {"missing INF, dots folded",
         {L"PCI\\VEN_1", L"{dir}\\pkg\\..\\gone.inf"},
         "ERROR: \"{dir}\\gone.inf\" does not exist!\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::wstring> arguments;
        for (const std::wstring& argument : c.arguments) {
            arguments.push_back(Expand(argument, dir));
        }
        ExpectRefused(Run(arguments), Expand(c.firstLine, dirText));
    }
}

TEST_F(ArgumentCheck, AcceptedCommandLinesReachTheInstallerUnchanged) {
    CreateDirectoryW((folder / L"\u0434\u0440\u0430\u0439\u0432\u0435\u0440").c_str(), nullptr);
    WriteFileBytes(folder / L"\u0434\u0440\u0430\u0439\u0432\u0435\u0440\\\u00e9.inf", "");
    struct Case {
        const char* name;
        std::wstring hardwareId;
        std::wstring infArgument;
        std::wstring infPath;
        std::string shown; // as code page 437 shows it: "?" for each UTF-16 unit it lacks
    };
    const Case cases[] = {
        {"relative INF", L"PCI\\VEN_1", L"driver.inf", L"{dir}\\driver.inf",
         ParameterLines("PCI\\VEN_1", "{dir}\\driver.inf")},
        {"empty INF is the current folder", L"PCI\\VEN_1", L"", L"{dir}",
         ParameterLines("PCI\\VEN_1", "{dir}")},
        {"a folder passes the check", L"PCI\\VEN_1", L"pkg", L"{dir}\\pkg",
         ParameterLines("PCI\\VEN_1", "{dir}\\pkg")},
        {"forward slashes and dots", L"PCI\\VEN_1", L"pkg/../driver.inf", L"{dir}\\driver.inf",
         ParameterLines("PCI\\VEN_1", "{dir}\\driver.inf")},
        {"percent signs", L"PCI\\VEN_%s%n%x%%", L"driver.inf", L"{dir}\\driver.inf",
         ParameterLines("PCI\\VEN_%s%n%x%%", "{dir}\\driver.inf")},
        {"empty hardware ID", L"", L"driver.inf", L"{dir}\\driver.inf",
         ParameterLines("", "{dir}\\driver.inf")},
        {"mixed case and blanks", L" Root\\Mixed Case ", L"driver.inf", L"{dir}\\driver.inf",
         ParameterLines(" Root\\Mixed Case ", "{dir}\\driver.inf")},
        {"non-ASCII hardware ID, whole line kept", L"USB\\\u0416\u00e9\u4e2d\U0001F600_end",
         L"driver.inf", L"{dir}\\driver.inf",
         ParameterLines("USB\\?\x82???_end", "{dir}\\driver.inf")},
        {"non-ASCII INF path", L"PCI\\VEN_1",
         L"\u0434\u0440\u0430\u0439\u0432\u0435\u0440\\\u00e9.inf",
         L"{dir}\\\u0434\u0440\u0430\u0439\u0432\u0435\u0440\\\u00e9.inf",
         ParameterLines("PCI\\VEN_1", "{dir}\\???????\\\x82.inf")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteFileW((folder / L"plivex.log").c_str());
        ExpectInstalled(Run({c.hardwareId, c.infArgument}), c.hardwareId, Expand(c.infPath, dir),
                        Expand(c.shown, dirText));
    }
}

TEST_F(ArgumentCheck, TheLogIsNamedAfterTheProgramAndStaysInItsFolder) {
    for (const wchar_t* name : {L"tools.old", L"me.corp", L"sub", L"fwd"}) {
        CreateDirectoryW((folder / name).c_str(), nullptr);
    }
    struct Case {
        const char* name;
        std::wstring argument0;
        std::wstring startIn;
        std::wstring log;
    };
    const Case cases[] = {
        {"extension replaced", L"{dir}\\upd.exe", L"{dir}", L"upd.log"},
        {"no extension, dotted folder", L"{dir}\\tools.old\\upd", L"{dir}", L"tools.old\\upd.log"},
        {"bare name, dotted current folder", L"plivex", L"{dir}\\me.corp", L"me.corp\\plivex.log"},
        {"no dot at all", L"{dir}\\sub\\upd", L"{dir}", L"sub\\upd.log"},
        {"relative path", L"sub\\upd.exe", L"{dir}", L"sub\\upd.log"},
        {"forward slashes", L"{dir}/fwd/upd.exe", L"{dir}", L"fwd\\upd.log"},
        {"two extensions", L"{dir}\\upd.tar.exe", L"{dir}", L"upd.tar.log"},
        {"non-ASCII name", L"{dir}\\\u043f\u043b\u0456\u0432\u0435\u043a\u0441.exe", L"{dir}",
         L"\u043f\u043b\u0456\u0432\u0435\u043a\u0441.log"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ChildResult run = Run({L"PCI\\VEN_1", dir + L"\\driver.inf"},
                                    Expand(c.argument0, dir), Expand(c.startIn, dir));
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_EQ(LogFiles(), std::vector<std::wstring>{c.log});
        EXPECT_EQ(Log(c.log), "\r\n\r\n");
        DeleteFileW((folder / c.log).c_str());
    }
}

} // namespace
