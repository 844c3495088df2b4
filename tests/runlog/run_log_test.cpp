// The run log as its writers meet it: whole lines, as they are, and none lost when many
// processes append at once. Then what no run of plivex.exe reaches: an error description cut to
// a buffer smaller than its text.
#include "runlog/error_description.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <map>

#include "harness.h"

namespace {

const std::wstring Appender = ProgramFolder() + L"\\log_appender.exe";

TEST(SharedLog, LinesAreLoggedWholeAndShownAsTheyAre) {
    struct Case {
        std::wstring line;
        std::string logged; // ANSI code page 1252
        std::string shown;  // code page 437 on redirected output
    };
    // clang-format off
    const Case cases[] = {
        {std::wstring(1021, L'a'), std::string(1021, 'a'), std::string(1021, 'a')},
        {std::wstring(1022, L'b'), std::string(1021, 'b'), std::string(1021, 'b')},
        {std::wstring(5000, L'c'), std::string(1021, 'c'), std::string(1021, 'c')},
        {std::wstring(1020, L'd') + L"\U0001F600e", std::string(1020, 'd'), std::string(1020, 'd')},
        {L"caf\u00e9 \u0416\u4e2d", "caf\xe9 ??", "caf\x82 ??"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.logged.substr(0, 30));
        const PlivexFolder folder;
        const std::wstring log = folder / L"run.log";
        WriteBytes(log, "earlier\r\n");
        EXPECT_EQ(WaitForChild(
                      StartChild({Appender, log, L"1", c.line}, folder.path, folder / L"output")),
                  0u);
        EXPECT_EQ(ReadBytes(log), "earlier\r\n" + c.logged + "\r\n\r\n\r\n");
        EXPECT_EQ(ReadBytes(folder / L"output"), c.shown + "\r\n\r\n\r\n");
    }
}

TEST(SharedLog, ConcurrentWritersLoseNoLine) {
    constexpr int Writers = 12;
    constexpr int LinesEach = 400;
    const PlivexFolder plivex;
    const std::wstring log = plivex / L"plivex.log";
    SetEnvironmentVariableW(L"PLIVEX_DOUBLE_RECORD", L"NUL");
    SetEnvironmentVariableW(L"PLIVEX_DOUBLE_OUTCOME", L"fail:E0001234");
    std::map<std::string, int> expected{{"", Writers * 2 + Writers * 3},
                                        {"ERROR - (0xE0001234) Unknown error.", Writers}};
    std::vector<void*> appenders, runs;
    for (int i = 0; i < Writers; ++i) {
        const std::string line = "appender " + std::to_string(i) + ", padded to show interleaving";
        expected[line] = LinesEach;
        const std::wstring output = plivex / (L"output" + std::to_wstring(i));
        appenders.push_back(StartChild(
            {Appender, log, std::to_wstring(LinesEach), std::wstring(line.begin(), line.end())},
            plivex.path, output));
        runs.push_back(StartChild({plivex.exe, L"H", L"driver.inf"}, plivex.path, output + L"r"));
    }
    for (int i = 0; i < Writers; ++i) {
        EXPECT_EQ(WaitForChild(appenders[i]), 0u);
        EXPECT_EQ(WaitForChild(runs[i]), 1u);
    }

    const std::string bytes = ReadBytes(log);
    std::map<std::string, int> lines;
    size_t start = 0;
    for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
        ++lines[bytes.substr(start, end - start)];
    }
    EXPECT_EQ(start, bytes.size()) << "the log ends with a whole line";
    EXPECT_TRUE(lines == expected)
        << "lines lost, torn or repeated in " << bytes.size() << " bytes";
}

// Backup, indexing and log-shipping tools lock whole files. A run waits a few seconds at most for
// such a lock: held past that, it still shows every line and ends as the installer says, and the
// log keeps what it had; released while the run waits, the run's lines land whole.
TEST(SharedLog, AForeignLockDelaysARunButNeverHoldsItUp) {
    const std::string lines = "ERROR - (0x00000002) " + Narrow(SystemText(2)) + "\r\n\r\n\r\n";
    struct Case {
        const char* name;
        DWORD lock;
        bool released;
    };
    for (const Case& c :
         {Case{"held exclusive", LOCKFILE_EXCLUSIVE_LOCK, false}, Case{"held shared", 0, false},
          Case{"released while the run waits", LOCKFILE_EXCLUSIVE_LOCK, true}}) {
        SCOPED_TRACE(c.name);
        const PlivexFolder plivex;
        const std::wstring log = plivex / L"plivex.log", output = plivex / L"output";
        WriteBytes(log, "earlier\r\n");
        const HANDLE holder =
            CreateFileW(log.c_str(), GENERIC_READ | GENERIC_WRITE,
                        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        OVERLAPPED whole{};
        ASSERT_TRUE(LockFileEx(holder, c.lock, 0, MAXDWORD, MAXDWORD, &whole));
        SetEnvironmentVariableW(L"PLIVEX_DOUBLE_OUTCOME", L"fail:2");
        SetEnvironmentVariableW(L"PLIVEX_DOUBLE_RECORD", L"NUL");
        void* run = StartChild({plivex.exe, L"H", L"driver.inf"}, plivex.path, output);
        // The line is shown just before it is appended: the run is then waiting for the lock.
        while (c.released && ReadBytes(output).find("ERROR - ") == std::string::npos &&
               WaitForSingleObject(run, 10) == WAIT_TIMEOUT) {
        }
        if (c.released) {
            EXPECT_TRUE(UnlockFileEx(holder, 0, MAXDWORD, MAXDWORD, &whole));
        }
        EXPECT_EQ(WaitForChild(run), 1u) << "the run ended while the lock was held";
        EXPECT_EQ(ReadBytes(output), "HardwareID  = H\nFullInfPath = " PLIVEX_FOLDER
                                     "\\driver.inf\n"
                                     "ERROR: The full INF path does not exist!\n" +
                                         lines);
        EXPECT_EQ(ReadBytes(log), "earlier\r\n" + (c.released ? lines : ""));
        CloseHandle(holder);
    }
}

TEST(FormatLastError, ASmallBufferHoldsWhatFitsAndEndsInItsLastSlot) {
    const std::wstring text = SystemText(ERROR_FILE_NOT_FOUND);
    const std::wstring full = L"(0x00000002) " + text;
    for (int capacity : {1, 2, 13, 14, 20}) {
        SCOPED_TRACE(capacity);
        std::wstring buffer(40, L'#');
        SetLastError(ERROR_FILE_NOT_FOUND);
        EXPECT_EQ(FormatLastError(buffer.data(), capacity), static_cast<int>(text.size()));
        EXPECT_EQ(buffer, full.substr(0, capacity - 1) + L'\0' + std::wstring(40 - capacity, L'#'));
    }
}

} // namespace
