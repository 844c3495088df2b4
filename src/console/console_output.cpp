#include "console/console_output.h"
#include "console/surrogates.h"

namespace {

// A UTF-16 unit takes at most 4 bytes in any Windows code page (GB18030), so a chunk of
// ChunkChars always converts into ChunkBytes.
constexpr int ChunkChars = 256;
constexpr int ChunkBytes = ChunkChars * 4;

void WriteToConsole(HANDLE output, const wchar_t* text, int length) {
    while (length > 0) {
        DWORD written = 0;
        if (WriteConsoleW(output, text, static_cast<DWORD>(length), &written, nullptr) == FALSE ||
            written == 0) {
            return;
        }
        text += written;
        length -= static_cast<int>(written);
    }
}

// Pipes and files get the console's output code page, or the OEM code page when the
// process has no console; what the code page lacks becomes "?".
UINT OutputCodePage() {
    UINT codePage = GetConsoleOutputCP();
    return codePage != 0 ? codePage : GetOEMCP();
}

int ConvertChunk(UINT codePage, const wchar_t* text, int length, char* bytes) {
    const bool unicodePage = codePage == CP_UTF8 || codePage == CP_UTF7;
    const DWORD flags = unicodePage ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* replacement = unicodePage ? nullptr : "?";
    int count =
        WideCharToMultiByte(codePage, flags, text, length, bytes, ChunkBytes, replacement, nullptr);
    if (count == 0) {
        // Some code pages accept neither flags nor a replacement character.
        count = WideCharToMultiByte(codePage, 0, text, length, bytes, ChunkBytes, nullptr, nullptr);
    }
    return count;
}

void WriteConverted(HANDLE output, const wchar_t* text, int length) {
    const UINT codePage = OutputCodePage();
    char bytes[ChunkBytes];
    while (length > 0) {
        int chunk = length;
        if (chunk > ChunkChars) {
            // A surrogate pair stays in one conversion.
            chunk = IsHighSurrogate(text[ChunkChars - 1]) ? ChunkChars - 1 : ChunkChars;
        }
        const int count = ConvertChunk(codePage, text, chunk, bytes);
        DWORD written = 0;
        if (count > 0 &&
            WriteFile(output, bytes, static_cast<DWORD>(count), &written, nullptr) == FALSE) {
            return;
        }
        text += chunk;
        length -= chunk;
    }
}

static_assert(ChunkChars > 1, "a chunk must hold a surrogate pair");

} // namespace

void PrintText(const wchar_t* text) {
    const DWORD savedError = GetLastError();
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    const int length = lstrlenW(text);
    DWORD mode = 0;
    if (output != nullptr && output != INVALID_HANDLE_VALUE && length > 0) {
        if (GetConsoleMode(output, &mode) != FALSE) {
            WriteToConsole(output, text, length);
        } else {
            WriteConverted(output, text, length);
        }
    }
    SetLastError(savedError);
}

void PrintText(const wchar_t* before, const wchar_t* value, const wchar_t* after) {
    PrintText(before);
    PrintText(value);
    PrintText(after);
}
