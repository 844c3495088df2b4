#pragma once

#include <map>
#include <string>
#include <vector>

// The folder where plivex.exe runs, made afresh by each PlivexFolder: one at a time.
#define PLIVEX_FOLDER "C:\\plivex"

// What plivex.exe prints when it refuses its command line.
extern const std::string Usage;

std::wstring ProgramFolder(); // the test program's folder, with plivex.exe and the test doubles
std::wstring SystemFile(const std::wstring& name);
std::wstring SystemText(unsigned long code); // the system's message text, "" when it has none
std::string ReadBytes(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);
// Text as redirected output shows it: code page 437, "?" for what it lacks.
std::string Narrow(const std::wstring& text);

// Starts program with these arguments (argument 0 first, quoted so that the usual splitting
// gives them back) in folder, standard output and error to files: Wine's helper processes could
// hold a pipe open. WaitForChild returns the exit code, or ends the child after 60 s.
void* StartChild(const std::vector<std::wstring>& arguments, const std::wstring& folder,
                 const std::wstring& output, const std::wstring& program = L"");
unsigned long WaitForChild(void* process);

struct PlivexRun {
    unsigned long exitCode = 0;
    std::string output;
    std::string errors;
    std::map<std::wstring, std::string> logs; // every log file in the folder, by relative name
};

// A folder as an administrator unpacks a package: plivex.exe, driver.inf, sub\, tools.old\,
// me.corp\ and INFs named in other scripts, with DLLs planted beside the program and in
// me.corp\ that must never be loaded: newdev.dll and accprobe.dll, a helper the installer
// stand-in can be told to load.
struct PlivexFolder {
    PlivexFolder();
    std::wstring operator/(const std::wstring& name) const {
        return path + L"\\" + name;
    }
    // Runs plivex.exe with this command line in startIn (default: the folder), the installer
    // stand-in scripted as given, and checks what the stand-in was given against the command
    // line and the output; "" leaves the system's own installer unscripted and unchecked.
    PlivexRun Run(const std::vector<std::wstring>& command, const std::wstring& installer,
                  const std::wstring& startIn = L"") const;

    const std::wstring path = L"" PLIVEX_FOLDER;
    const std::wstring exe = path + L"\\plivex.exe";
};
