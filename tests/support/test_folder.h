#pragma once

#include <string>

// A fresh, empty folder under the temporary directory, removed with everything in it at the end.
struct TestFolder {
    TestFolder();
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    std::wstring path;
    std::wstring operator/(const std::wstring& name) const {
        return path + L"\\" + name;
    }
};

// The folder that holds the running test program (and, beside it, plivex.exe).
std::wstring ProgramFolder();

// Whole file contents, or nothing when the file cannot be read.
bool ReadFileBytes(const std::wstring& path, std::string& bytes);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
bool Exists(const std::wstring& path);

// A path in the system directory (C:\Windows\System32 for a 64-bit program).
std::wstring SystemFile(const std::wstring& name);

// The system's message text for an error code, or nothing when it has none.
std::wstring SystemText(unsigned long code);

// The narrow form of ASCII text, for building expected output.
std::string Ascii(const std::wstring& text);
