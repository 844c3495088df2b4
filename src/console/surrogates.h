#pragma once

// The first half of a UTF-16 surrogate pair: text must never be cut right after it.
constexpr bool IsHighSurrogate(wchar_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
