#include "runlog/error_description.h"

#include <windows.h>
#include <setupapi.h>

#include <iterator>

#include "runlog/log_file.h"

namespace {

constexpr DWORD SystemTextFlags =
    FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM;
static_assert(SystemTextFlags == 0x1300, "message lookup flags");
constexpr DWORD UserDefaultLanguage = MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT);

constexpr DWORD SetupApiErrorMask = APPLICATION_ERROR_MASK | ERROR_SEVERITY_ERROR;

// Windows keeps no text for the installer's own codes (0xE000xxxx), and Wine none for their
// HRESULT form either; these say what an administrator needs to know. Each ends like a
// system text, so a log line has the same shape whoever wrote the text.
struct OwnText {
    DWORD code;
    const wchar_t* text;
};
constexpr OwnText OwnTexts[] = {
    {ERROR_NO_SUCH_DEVINST, L"No device in the hardware tree has that hardware ID.\r\n"},
    {ERROR_IN_WOW64, L"A 32-bit program cannot install drivers on 64-bit Windows; run the 64-bit "
                     L"build.\r\n"},
};
constexpr const wchar_t* UnknownErrorText = L"Unknown error.\r\n";

wchar_t* SystemText(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(SystemTextFlags, nullptr, code, UserDefaultLanguage,
                                        reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (length == 0 && text != nullptr) {
        LocalFree(text);
        text = nullptr;
    }
    return text;
}

const wchar_t* OwnTextFor(DWORD code) {
    for (const OwnText& own : OwnTexts) {
        if (own.code == code) { // cppcheck-suppress useStlAlgorithm ; gcov miscounts find_if
            return own.text;
        }
    }
    return UnknownErrorText;
}

} // namespace

int FormatLastError(wchar_t* buffer, int capacity) {
    const DWORD code = GetLastError();

    wchar_t* systemText = SystemText(code);
    if (systemText == nullptr && (code & SetupApiErrorMask) == SetupApiErrorMask) {
        systemText = SystemText(static_cast<DWORD>(HRESULT_FROM_SETUPAPI(code)));
    }
    const wchar_t* text = systemText != nullptr ? systemText : OwnTextFor(code);
    const int length = lstrlenW(text);

    if (capacity > 0) {
        wchar_t prefix[16];
        const int prefixLength = wsprintfW(prefix, L"(0x%08X) ", static_cast<unsigned int>(code));
        // A prefix that could not be formatted leaves the description empty: text without its
        // code would read as another failure's.
        buffer[0] = L'\0';
        if (prefixLength >= 0) {
            lstrcpynW(buffer, prefix, capacity);
        }
        if (prefixLength >= 0 && prefixLength < capacity - 1) {
            lstrcpynW(buffer + prefixLength, text, capacity - prefixLength);
        }
    }

    if (systemText != nullptr) {
        LocalFree(systemText);
    }
    return length;
}

bool LogLastError() {
    wchar_t description[LogLineChars];
    FormatLastError(description, static_cast<int>(std::size(description)));
    // No description, no line: the record goes unwritten rather than name no code.
    return description[0] != L'\0' ? LogLine(L"ERROR - %s", description) : LoseLogRecord();
}
