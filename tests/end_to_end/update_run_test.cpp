#include <windows.h>

#include <cstdio>

#include "plivex_runner.h"

namespace {

std::string SystemTextAscii(DWORD code) {
    return Ascii(SystemText(code));
}

std::string ErrorLine(DWORD code, const std::string& text) {
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "ERROR - (0x%08lX) ", code);
    return prefix + text + "\r\n";
}

class UpdateRun : public PlivexTest {
  protected:
    ChildResult RunInstall() {
        return Run({L"Root\\PlivexSample", L"driver.inf"});
    }
    const std::string shown = ParameterLines("Root\\PlivexSample", dirText + "\\driver.inf");
};

TEST_F(UpdateRun, FailuresPrintTheirMessageAndLogTheCodeWithItsText) {
    struct Case {
        DWORD code;
        std::string message;
        std::string text; // empty: the system's own text for the code
    };
    const Case cases[] = {
        {0, "ERROR: The specified driver is not better than the current one!\n", ""},
        {2, "ERROR: The full INF path does not exist!\n", ""},
        {1004, "ERROR: The installflags does not contain an accepted value!\n", ""},
        {0xE000020B, "ERROR: The hardwareID does not match any device on the machine!\n",
         "No device in the hardware tree has that hardware ID.\r\n"},
        {5, "", ""},
        {0x13D, "", ""},
        {0xE0000235, "",
         "A 32-bit program cannot install drivers on 64-bit Windows; run the 64-bit build.\r\n"},
        {0xE0001234, "", "Unknown error.\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "code 0x" << std::hex << c.code);
        DeleteFileW((folder / L"plivex.log").c_str());
        wchar_t outcome[32];
        wsprintfW(outcome, L"fail:%X", c.code);
        ScriptInstaller(outcome);

        const std::string text = c.text.empty() ? SystemTextAscii(c.code) : c.text;
        ASSERT_FALSE(text.empty());
        const std::string logged = ErrorLine(c.code, text) + "\r\n\r\n";
        const ChildResult run = RunInstall();
        EXPECT_EQ(run.exitCode, 1u);
        EXPECT_EQ(run.output, shown + c.message + logged);
        EXPECT_EQ(Log(), logged);
    }
}

TEST_F(UpdateRun, AnInsertMarkerInTheSystemTextIsLoggedLiterally) {
    ScriptInstaller(L"fail:13D");
    RunInstall();
    EXPECT_NE(Log().find("%1"), std::string::npos) << Log();
}

TEST_F(UpdateRun, SuccessLeavesOnlyTheClosingLinesWhateverTheRestartRequest) {
    for (const wchar_t* outcome : {L"success", L"success-reboot"}) {
        DeleteFileW((folder / L"plivex.log").c_str());
        ScriptInstaller(outcome);
        const ChildResult run = RunInstall();
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_EQ(run.output, shown + "\r\n\r\n");
        EXPECT_EQ(Log(), "\r\n\r\n");
        EXPECT_EQ(LastInstallerCall().record,
                  L"parent=null\nhardwareId=Root\\PlivexSample\ninfPath=" + dir +
                      L"\\driver.inf\nflags=1\nreboot=false\n");
    }
}

TEST_F(UpdateRun, RunsAppendToTheLog) {
    WriteFileBytes(folder / L"plivex.log", "kept\r\n");
    ScriptInstaller(L"fail:2");
    RunInstall();
    ScriptInstaller(L"success");
    RunInstall();
    EXPECT_EQ(Log(), "kept\r\n" + ErrorLine(2, SystemTextAscii(2)) + "\r\n\r\n" + "\r\n\r\n");
}

TEST_F(UpdateRun, ALogThatCannotBeOpenedLeavesOnlyTheConsoleMessages) {
    const std::wstring log = folder / L"plivex.log";
    struct Case {
        const char* name;
        bool folderInTheWay;
        DWORD holderSharing;
    };
    const Case cases[] = {
        {"a folder has the log's name", true, 0},
        {"another program holds the log without write sharing", false, FILE_SHARE_READ},
        {"another program holds the log without any sharing", false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HANDLE holder = INVALID_HANDLE_VALUE;
        if (c.folderInTheWay) {
            CreateDirectoryW(log.c_str(), nullptr);
        } else {
            holder = CreateFileW(log.c_str(), GENERIC_READ | GENERIC_WRITE, c.holderSharing,
                                 nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
            ASSERT_NE(holder, INVALID_HANDLE_VALUE);
        }
        ScriptInstaller(L"fail:2");
        ChildResult run = RunInstall();
        EXPECT_EQ(run.exitCode, 1u);
        EXPECT_EQ(run.output, shown + "ERROR: The full INF path does not exist!\n");
        EXPECT_TRUE(LastInstallerCall().made);
        ScriptInstaller(L"success");
        run = RunInstall();
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_EQ(run.output, shown);
        if (holder != INVALID_HANDLE_VALUE) {
            CloseHandle(holder);
            EXPECT_EQ(Log(), "") << "the held log is left as it was";
        }
        RemoveDirectoryW(log.c_str());
        DeleteFileW(log.c_str());
    }
}

TEST_F(UpdateRun, AReadOnlyLogIsLeftAloneWhereThePlatformEnforcesIt) {
    // Wine run as root lets a read-only file be opened for writing; Windows does not.
    const std::wstring log = folder / L"plivex.log";
    WriteFileBytes(log, "kept\r\n");
    ASSERT_TRUE(SetFileAttributesW(log.c_str(), FILE_ATTRIBUTE_READONLY));
    const HANDLE probe = CreateFileW(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    const bool writable = probe != INVALID_HANDLE_VALUE;
    if (writable) {
        CloseHandle(probe);
    }
    ScriptInstaller(L"fail:2");
    const ChildResult run = RunInstall();
    SetFileAttributesW(log.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(run.exitCode, 1u);
    const std::string logged = ErrorLine(2, SystemTextAscii(2)) + "\r\n\r\n";
    const std::string message = "ERROR: The full INF path does not exist!\n";
    EXPECT_EQ(run.output, shown + message + (writable ? logged : ""));
    EXPECT_EQ(Log(), "kept\r\n" + (writable ? logged : ""));
}

TEST_F(UpdateRun, ALogHeldOpenByAnotherWriterStillGetsTheLines) {
    HANDLE holder = CreateFileW((folder / L"plivex.log").c_str(), GENERIC_READ | GENERIC_WRITE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    ScriptInstaller(L"fail:5");
    EXPECT_EQ(RunInstall().exitCode, 1u);
    CloseHandle(holder);
    EXPECT_EQ(Log(), ErrorLine(5, SystemTextAscii(5)) + "\r\n\r\n");
}

TEST_F(UpdateRun, AnInstallerThatCannotBeLoadedIsAFailedUpdate) {
    ASSERT_TRUE(DeleteFileW(InstalledStandIn().c_str()));
    const ChildResult run = RunInstall();
    InstallStandIn();
    EXPECT_EQ(run.exitCode, 1u);
    const std::string logged = ErrorLine(ERROR_MOD_NOT_FOUND, SystemTextAscii(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(run.output, shown + logged + "\r\n\r\n");
    EXPECT_EQ(Log(), logged + "\r\n\r\n");
}

} // namespace
