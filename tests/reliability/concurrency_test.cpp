// Many processes appending to one run log at the same moment: every line lands whole, once.
#include <windows.h>

#include <map>

#include "plivex_runner.h"

namespace {

constexpr int Processes = 24;

// The file split at CR LF; a last piece without CR LF comes back as is.
std::vector<std::string> Lines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = bytes.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(bytes.substr(start, end - start));
    }
    if (start < bytes.size()) {
        lines.push_back(bytes.substr(start));
    }
    return lines;
}

class SharedLog : public PlivexTest {
  protected:
    std::map<std::string, int> CountLines(const std::string& log) {
        EXPECT_EQ(log.substr(log.size() - 2), "\r\n") << "the file ends with a whole line";
        std::map<std::string, int> counts;
        for (const std::string& line : Lines(log)) {
            ++counts[line];
        }
        return counts;
    }
};

TEST_F(SharedLog, ConcurrentAppendersThroughTheLogFunctionsLoseNoLine) {
    constexpr int LinesEach = 400;
    const std::wstring appender = ProgramFolder() + L"\\log_appender.exe";
    const std::wstring log = folder / L"shared.log";
    std::vector<void*> processes;
    for (int i = 0; i < Processes; ++i) {
        processes.push_back(StartChild(
            appender,
            {appender, log, L"appender-" + std::to_wstring(i), std::to_wstring(LinesEach)}, dir));
    }
    for (unsigned long exitCode : WaitForChildren(processes)) {
        EXPECT_EQ(exitCode, 0u);
    }

    std::map<std::string, int> expected{{"", 2 * Processes}};
    for (int i = 0; i < Processes; ++i) {
        for (int line = 0; line < LinesEach; ++line) {
            expected["appender-" + std::to_string(i) + " line " + std::to_string(line) +
                     ", padded to make interleaving visible: "
                     "0123456789abcdefghijklmnopqrstuvwxyz"] = 1;
        }
    }
    EXPECT_TRUE(CountLines(Log(L"shared.log")) == expected)
        << "lines lost, torn or repeated; the log has " << Log(L"shared.log").size() << " bytes";
}

TEST_F(SharedLog, ConcurrentFailingRunsEachLogTheirWholeLine) {
    std::vector<void*> processes;
    std::map<std::string, int> expected{{"", 3 * Processes}};
    for (int i = 0; i < Processes; ++i) {
        wchar_t outcome[32];
        wsprintfW(outcome, L"fail:E000%04X", 0x1000 + i);
        ScriptInstaller(outcome);
        processes.push_back(StartChild(exe, {exe, L"Root\\PlivexSample", L"driver.inf"}, dir));
        char line[64];
        wsprintfA(line, "ERROR - (0xE000%04X) Unknown error.", 0x1000 + i);
        expected[line] = 1;
    }
    for (unsigned long exitCode : WaitForChildren(processes)) {
        EXPECT_EQ(exitCode, 1u);
    }
    EXPECT_EQ(CountLines(Log()), expected);
}

} // namespace
