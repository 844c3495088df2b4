#pragma once

#include <windows.h>

#include <string>

#include "test_folder.h"

// Sends this process's standard output to a file while it lives; Text() reads what arrived.
class StandardOutputCapture {
  public:
    StandardOutputCapture() : saved_(GetStdHandle(STD_OUTPUT_HANDLE)) {
        file_ = CreateFileW(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
        SetStdHandle(STD_OUTPUT_HANDLE, file_);
    }
    ~StandardOutputCapture() {
        SetStdHandle(STD_OUTPUT_HANDLE, saved_);
        CloseHandle(file_);
    }
    std::string Text() const {
        std::string bytes;
        ReadFileBytes(path_, bytes);
        return bytes;
    }

  private:
    TestFolder folder_;
    std::wstring path_ = folder_ / L"stdout";
    HANDLE saved_;
    HANDLE file_;
};
