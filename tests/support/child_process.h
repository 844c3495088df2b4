#pragma once

#include <string>
#include <vector>

struct ChildResult {
    unsigned long exitCode = 0;
    std::string output; // standard output, byte for byte
    std::string errors; // standard error, byte for byte
};

// Runs program with a command line whose arguments (argument 0 included, as the child will see
// it) are quoted by the usual rules, in folder, and waits for it to end.
ChildResult RunChild(const std::wstring& program, const std::vector<std::wstring>& arguments,
                     const std::wstring& folder);
