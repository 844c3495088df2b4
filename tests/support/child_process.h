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

// Starts program the same way with its standard output and error going to the NUL device, and
// returns its process handle (nullptr when it cannot start). WaitForChildren waits for them all
// and closes the handles; it returns their exit codes.
void* StartChild(const std::wstring& program, const std::vector<std::wstring>& arguments,
                 const std::wstring& folder);
std::vector<unsigned long> WaitForChildren(const std::vector<void*>& processes);
