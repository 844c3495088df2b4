// What no run of plivex.exe can reach: a description cut to a buffer smaller than its text.
#include "runlog/error_description.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "harness.h"

namespace {

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
