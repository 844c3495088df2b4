#include "runlog/log_file.h"

#include <gtest/gtest.h>

#include <string>

#include "standard_output_capture.h"
#include "test_folder.h"

namespace {

class LogFileTest : public ::testing::Test {
  protected:
    void TearDown() override {
        CloseLogFile();
    }
    std::string LogBytes() const {
        std::string bytes;
        EXPECT_TRUE(ReadFileBytes(log, bytes)) << "no log file";
        return bytes;
    }

    TestFolder folder;
    std::wstring log = folder / L"run.log";
    StandardOutputCapture console;
};

TEST_F(LogFileTest, OpenCreatesTheFileAndCloseEndsTheRunWithAnEmptyLine) {
    ASSERT_TRUE(OpenLogFile(log.c_str()));
    EXPECT_EQ(LogBytes(), "");
    EXPECT_TRUE(CloseLogFile());
    EXPECT_EQ(LogFile, INVALID_HANDLE_VALUE);
    EXPECT_EQ(LogBytes(), "\r\n\r\n");
    EXPECT_EQ(console.Text(), "\r\n\r\n");
}

TEST_F(LogFileTest, LaterRunsAppendBehindEarlierOnes) {
    WriteFileBytes(log, "earlier run\r\n\r\n");
    ASSERT_TRUE(OpenLogFile(log.c_str()));
    EXPECT_TRUE(LogLine(L"ERROR - %s", L"first"));
    EXPECT_TRUE(CloseLogFile());
    ASSERT_TRUE(OpenLogFile(log.c_str()));
    EXPECT_TRUE(LogLine(L"ERROR - %s", L"second"));
    EXPECT_TRUE(CloseLogFile());
    EXPECT_EQ(LogBytes(), "earlier run\r\n\r\n"
                          "ERROR - first\r\n\r\n\r\n"
                          "ERROR - second\r\n\r\n\r\n");
}

TEST_F(LogFileTest, WithNoLogOpenNothingIsWrittenOrPrinted) {
    EXPECT_FALSE(LogLine(L"ERROR - %s", L"lost"));
    EXPECT_FALSE(CloseLogFile());
    EXPECT_EQ(console.Text(), "");
}

TEST_F(LogFileTest, ASecondOpenIsRefusedAndTheOpenLogKeepsWorking) {
    const std::wstring other = folder / L"other.log";
    ASSERT_TRUE(OpenLogFile(log.c_str()));
    EXPECT_FALSE(OpenLogFile(other.c_str()));
    EXPECT_FALSE(Exists(other));
    EXPECT_TRUE(LogLine(L"%s", L"still here"));
    EXPECT_TRUE(CloseLogFile());
    EXPECT_EQ(LogBytes(), "still here\r\n\r\n\r\n");
}

TEST_F(LogFileTest, PercentSignsInAnArgumentStayLiteral) {
    ASSERT_TRUE(OpenLogFile(log.c_str()));
    EXPECT_TRUE(LogLine(L"ERROR - %s", L"100% of %1 and %s%n%x%%"));
    EXPECT_EQ(console.Text(), "ERROR - 100% of %1 and %s%n%x%%\r\n");
    CloseLogFile();
    EXPECT_EQ(LogBytes(), "ERROR - 100% of %1 and %s%n%x%%\r\n\r\n\r\n");
}

TEST_F(LogFileTest, CharactersTheCodePagesLackBecomeTheDefaultCharacter) {
    // ANSI code page 1252 in the file, OEM code page 437 on redirected output.
    ASSERT_EQ(GetACP(), 1252u);
    ASSERT_EQ(GetOEMCP(), 437u);
    ASSERT_TRUE(OpenLogFile(log.c_str()));
    EXPECT_TRUE(LogLine(L"%s", L"caf\u00e9 \u0416\u4e2d"));
    EXPECT_EQ(console.Text(), "caf\x82 ??\r\n");
    CloseLogFile();
    EXPECT_EQ(LogBytes(), "caf\xe9 ??\r\n\r\n\r\n");
}

TEST_F(LogFileTest, AnOverlongLineIsCutSoThatItsLineBreakStillFits) {
    struct Case {
        std::wstring text;
        std::string logged;
    };
    const Case cases[] = {
        {std::wstring(1021, L'a'), std::string(1021, 'a')},
        {std::wstring(1022, L'b'), std::string(1021, 'b')},
        {std::wstring(5000, L'c'), std::string(1021, 'c')},
        // A surrogate pair is never split by the cut.
        {std::wstring(1020, L'd') + L"\U0001F600" + L"e", std::string(1020, 'd')},
    };
    for (const Case& c : cases) {
        DeleteFileW(log.c_str());
        ASSERT_TRUE(OpenLogFile(log.c_str()));
        EXPECT_TRUE(LogLine(L"%s", c.text.c_str()));
        EXPECT_TRUE(CloseLogFile());
        EXPECT_EQ(LogBytes(), c.logged + "\r\n\r\n\r\n") << c.text.size() << " characters";
    }
}

TEST_F(LogFileTest, ALogThatCannotBeOpenedLeavesTheLogClosed) {
    const std::wstring folderAsLog = folder / L"folder.log";
    const std::wstring missingFolder = folder / L"missing\\run.log";
    CreateDirectoryW(folderAsLog.c_str(), nullptr);
    for (const std::wstring& path : {folderAsLog, missingFolder, std::wstring()}) {
        EXPECT_FALSE(OpenLogFile(path.c_str())) << std::string(path.begin(), path.end());
        EXPECT_EQ(LogFile, INVALID_HANDLE_VALUE);
        EXPECT_FALSE(LogLine(L"%s", L"lost"));
    }
    EXPECT_EQ(console.Text(), "");
}

TEST_F(LogFileTest, AnotherWriterSharingTheFileDoesNotStopTheAppend) {
    ASSERT_TRUE(OpenLogFile(log.c_str()));
    HANDLE other =
        CreateFileW(log.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(other, "other\r\n", 7, &written, nullptr);
    EXPECT_TRUE(LogLine(L"%s", L"mine"));
    SetFilePointer(other, 0, nullptr, FILE_END);
    WriteFile(other, "more\r\n", 6, &written, nullptr);
    EXPECT_TRUE(CloseLogFile());
    CloseHandle(other);
    EXPECT_EQ(LogBytes(), "other\r\nmine\r\nmore\r\n\r\n\r\n");
}

TEST_F(LogFileTest, AnotherProgramHoldingTheFileWithoutWriteSharingBlocksTheOpen) {
    HANDLE holder = CreateFileW(log.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(OpenLogFile(log.c_str()));
    CloseHandle(holder);
}

} // namespace
