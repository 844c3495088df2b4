#include "runlog/error_description.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "runlog/log_file.h"
#include "standard_output_capture.h"
#include "test_folder.h"

namespace {

std::wstring Describe(DWORD code, int capacity, int* length = nullptr) {
    std::wstring buffer(1100, L'#');
    SetLastError(code);
    const int returned = FormatLastError(buffer.data(), capacity);
    if (length != nullptr) {
        *length = returned;
    }
    EXPECT_EQ(buffer.find_first_not_of(L'#', capacity), std::wstring::npos)
        << "written past the capacity of " << capacity;
    return buffer.substr(0, buffer.find(L'\0'));
}

TEST(FormatLastError, PrefixesTheSystemTextWithTheCode) {
    struct Case {
        DWORD code;
        const wchar_t* prefix;
    };
    for (const Case& c : {Case{2, L"(0x00000002) "}, Case{5, L"(0x00000005) "},
                          Case{0x13D, L"(0x0000013D) "}, Case{0, L"(0x00000000) "}}) {
        const std::wstring text = SystemText(c.code);
        ASSERT_FALSE(text.empty()) << "the system has no text for " << c.code;
        int length = 0;
        EXPECT_EQ(Describe(c.code, 1024, &length), c.prefix + text);
        EXPECT_EQ(length, static_cast<int>(text.size()));
    }
}

TEST(FormatLastError, InsertMarkersInTheSystemTextStayLiteral) {
    EXPECT_NE(Describe(0x13D, 1024).find(L"%1"), std::wstring::npos);
}

TEST(FormatLastError, InstallerCodesWithoutSystemTextGetTheToolsOwnSentence) {
    struct Case {
        DWORD code;
        const wchar_t* description;
    };
    const Case cases[] = {
        {0xE000020B, L"(0xE000020B) No device in the hardware tree has that hardware ID.\r\n"},
        {0xE0000235, L"(0xE0000235) A 32-bit program cannot install drivers on 64-bit Windows; "
                     L"run the 64-bit build.\r\n"},
        {0xE000FFFF, L"(0xE000FFFF) Unknown error.\r\n"},
        {0x2000ABCD, L"(0x2000ABCD) Unknown error.\r\n"},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(SystemText(c.code), L"") << "the system has a text for " << std::hex << c.code;
        int length = 0;
        const std::wstring description = Describe(c.code, 1024, &length);
        EXPECT_EQ(description, c.description);
        EXPECT_EQ(length, static_cast<int>(description.size()) - 13);
    }
}

TEST(FormatLastError, ASmallBufferHoldsWhatFitsAndEndsInItsLastSlot) {
    const std::wstring full = L"(0x00000002) " + SystemText(2);
    for (int capacity : {1, 2, 5, 13, 14, 15, 20}) {
        int length = 0;
        EXPECT_EQ(Describe(2, capacity, &length), full.substr(0, capacity - 1))
            << "capacity " << capacity;
        EXPECT_EQ(length, static_cast<int>(SystemText(2).size()));
    }
    Describe(2, 0); // a capacity of 0 leaves the buffer untouched
}

TEST(LogLastError, LogsAndEchoesTheDescriptionLine) {
    TestFolder folder;
    const std::wstring log = folder / L"run.log";
    StandardOutputCapture console;
    ASSERT_TRUE(OpenLogFile(log.c_str()));
    SetLastError(0xE000020B);
    EXPECT_TRUE(LogLastError());
    CloseLogFile();
    const std::string line =
        "ERROR - (0xE000020B) No device in the hardware tree has that hardware ID.\r\n\r\n";
    std::string bytes;
    ReadFileBytes(log, bytes);
    EXPECT_EQ(bytes, line + "\r\n\r\n");
    EXPECT_EQ(console.Text(), line + "\r\n\r\n");
}

TEST(LogLastError, WithoutALogNothingIsWrittenOrPrinted) {
    StandardOutputCapture console;
    SetLastError(2);
    EXPECT_FALSE(LogLastError());
    EXPECT_EQ(console.Text(), "");
}

} // namespace
