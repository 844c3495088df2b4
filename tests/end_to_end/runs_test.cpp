// plivex.exe run as users run it: one command line a row, with the exact exit code, standard
// output and log bytes for each; then random command lines, with what must hold for every one.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>

#include "harness.h"

namespace {

#define DIR PLIVEX_FOLDER

const std::string End = "\r\n\r\n"; // the closing lines of every run that opened the log
const std::string NotFound = "ERROR: The full INF path does not exist!\n"; // code 2's message
const std::string NotBetter = "ERROR: The specified driver is not better than the current one!\n";

std::string Params(const std::string& id = "H", const std::string& inf = DIR "\\driver.inf") {
    return "HardwareID  = " + id + "\nFullInfPath = " + inf + "\n";
}

std::string Missing(const std::string& inf) {
    return "ERROR: \"" + inf + "\" does not exist!\n" + Usage;
}

// The logged lines of a failure: the code, the system's text for it or the tool's own.
std::string Logged(unsigned long code, const std::string& ownText = "") {
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "ERROR - (0x%08lX) ", code);
    return prefix + (ownText.empty() ? Narrow(SystemText(code)) : ownText + "\r\n") + "\r\n" + End;
}

// A name in the folder whose path has exactly this many characters (the folder, "\", the name).
std::wstring LongName(size_t length, const std::wstring& extension) {
    return std::wstring(length - sizeof DIR - extension.size(), L'p') + extension;
}
std::wstring Long(size_t length, const std::wstring& extension) {
    return L"" DIR "\\" + LongName(length, extension);
}

struct Row {
    const char* name;
    std::wstring setup; // kept, logdir, make, noinstaller, probe, system, in-me.corp: see below
    std::vector<std::wstring> command; // argument 0 first
    std::wstring installer;            // the stand-in's script
    unsigned long exitCode;
    std::string output; // standard output, before the lines the run adds to the log
    std::wstring log;   // the one log file, relative to the folder; "" for none
    std::string added;  // what the run adds to the log, and so also shows
};

TEST(Runs, EachCommandLineHasItsExactOutcome) {
    const std::wstring H = L"H", Inf = L"driver.inf", Exe = L"" DIR "\\plivex.exe", Ok = L"success";
    const std::wstring Log = L"plivex.log";
    const std::string TooLong = "ERROR: The full INF path is longer than 259 characters!\n";
    // clang-format off
    const Row rows[] = {
        // The argument check: exactly a hardware ID and an existing INF path.
        {"no arguments", L"", {Exe}, Ok, 1, Usage, L"", ""},
        {"one argument", L"", {Exe, H}, Ok, 1, Usage, L"", ""},
        {"three arguments", L"", {Exe, H, Inf, L"x"}, Ok, 1, Usage, L"", ""},
        {"missing INF, shown absolute", L"", {Exe, H, L"sub\\..\\gone.inf"}, Ok, 1, Missing(DIR "\\gone.inf"), L"", ""},
        {"relative INF", L"", {Exe, H, Inf}, Ok, 0, Params(), Log, End},
        {"empty INF: the current folder, which passes the check", L"", {Exe, H, L""}, Ok, 0, Params("H", DIR), Log, End},
        {"slashes, dots, trailing dots", L"", {Exe, H, L"" DIR "/sub/../driver.inf..."}, Ok, 0, Params(), Log, End},
        {"\\\\?\\ INF", L"", {Exe, H, L"\\\\?\\" DIR "\\driver.inf"}, Ok, 0, Params("H", "\\\\?\\" DIR "\\driver.inf"), Log, End},
        {"UNC INF", L"", {Exe, H, L"\\\\server\\share\\x.inf"}, Ok, 1, Missing("\\\\server\\share\\x.inf"), L"", ""},
        {"NUL as INF", L"", {Exe, H, L"NUL"}, Ok, 1, Missing("\\\\.\\NUL"), L"", ""},
        {"format directives in the INF", L"", {Exe, H, L"%s%n%x%%"}, Ok, 1, Missing(DIR "\\%s%n%x%%"), L"", ""},
        {"unpaired surrogate in the INF", L"", {Exe, H, L"gone\xDC00.inf"}, Ok, 1, Missing(DIR "\\gone?.inf"), L"", ""},
        {"INF path of 259", L"make", {Exe, H, Long(259, L".inf")}, Ok, 0, Params("H", Narrow(Long(259, L".inf"))), Log, End},
        {"INF path of 260", L"", {Exe, H, Long(260, L".inf")}, Ok, 1, TooLong + Usage, L"", ""},
        {"INF path of 32000", L"", {Exe, H, std::wstring(32000, L'i')}, Ok, 1, TooLong + Usage, L"", ""},
        // The hardware ID goes to the installer as given; one too long to be an ID is refused.
        {"format directives in the ID", L"", {Exe, L"%s%n%x%%", Inf}, Ok, 0, Params("%s%n%x%%"), Log, End},
        {"empty ID", L"", {Exe, L"", Inf}, Ok, 0, Params(""), Log, End},
        {"blanks and case kept", L"", {Exe, L" Root\\Mixed Case ", Inf}, Ok, 0, Params(" Root\\Mixed Case "), Log, End},
        {"ID of 259", L"", {Exe, std::wstring(259, L'h'), Inf}, Ok, 0, Params(std::string(259, 'h')), Log, End},
        {"ID of 260", L"", {Exe, std::wstring(260, L'h'), Inf}, Ok, 1, "ERROR: The hardware ID is longer than 259 characters!\n" + Usage, L"", ""},
        {"ID of 32000", L"", {Exe, std::wstring(32000, L'h'), Inf}, Ok, 1, "ERROR: The hardware ID is longer than 259 characters!\n" + Usage, L"", ""},
        {"unpaired surrogate in the ID", L"", {Exe, L"A\xD800" L"B", Inf}, Ok, 0, Params("A?B"), Log, End},
        // Other scripts: redirected output has what code page 437 has, "?" for each unit it lacks,
        // never a look-alike.
        {"Latin, Cyrillic, CJK, emoji", L"", {L"" DIR "\\\u0434\u0440\u0430\u0439.exe", L"USB\\\u00e9\u0141\u2013\u0416\u4e2d\U0001F600", L"\u00e9.inf"}, Ok, 0, Params("USB\\\x82?????\?", DIR "\\\x82.inf"), L"\u0434\u0440\u0430\u0439.log", End},
        {"Cyrillic INF", L"", {L"" DIR "\\\u4e2d\u6587.exe", H, L"\u0434\u0440\u0430\u0439.inf"}, Ok, 0, Params("H", DIR "\\????.inf"), L"\u4e2d\u6587.log", End},
        {"emoji INF", L"", {Exe, H, L"\U0001F600.inf"}, Ok, 0, Params("H", DIR "\\??.inf"), Log, End},
        // The log: named after argument 0, beside it; no log where it would not fit or names nothing.
        {"extension replaced", L"", {L"" DIR "\\upd.exe", H, Inf}, Ok, 0, Params(), L"upd.log", End},
        {"two extensions", L"", {L"" DIR "\\upd.tar.exe", H, Inf}, Ok, 0, Params(), L"upd.tar.log", End},
        {"no extension, dotted folder", L"", {L"" DIR "\\tools.old\\upd", H, Inf}, Ok, 0, Params(), L"tools.old\\upd.log", End},
        {"bare name, dotted current folder", L"in-me.corp", {L"plivex", H, L"" DIR "\\driver.inf"}, Ok, 0, Params(), L"me.corp\\plivex.log", End},
        {"relative path", L"", {L"sub\\upd.exe", H, Inf}, Ok, 0, Params(), L"sub\\upd.log", End},
        {"forward slashes", L"", {L"" DIR "/sub/upd.exe", H, Inf}, Ok, 0, Params(), L"sub\\upd.log", End},
        {"format directives", L"", {L"" DIR "\\%s%n%x%%", H, Inf}, Ok, 0, Params(), L"%s%n%x%%.log", End},
        {"log path of 259", L"", {Long(259, L".exe"), H, Inf}, Ok, 0, Params(), LongName(259, L".log"), End},
        {"log path of 259 by appending", L"", {Long(255, L""), H, Inf}, Ok, 0, Params(), LongName(255, L"") + L".log", End},
        {"log path of 260 by appending", L"", {Long(256, L""), H, Inf}, Ok, 0, Params(), L"", ""},
        {"argument 0 of 260", L"", {Long(260, L".exe"), H, Inf}, Ok, 0, Params(), L"", ""},
        {"argument 0 of 32000", L"", {std::wstring(32000, L'a'), H, Inf}, Ok, 0, Params(), L"", ""},
        {"empty argument 0", L"", {L"", H, Inf}, Ok, 0, Params(), L"", ""},
        {"argument 0 \".\"", L"", {L".", H, Inf}, Ok, 0, Params(), L"", ""},
        {"argument 0 \"sub\\..\"", L"", {L"sub\\..", H, Inf}, Ok, 0, Params(), L"", ""},
        {"argument 0 \"C:\"", L"", {L"C:", H, Inf}, Ok, 0, Params(), L"", ""},
        {"argument 0 ending in a separator", L"", {L"" DIR "\\sub\\", H, Inf}, Ok, 0, Params(), L"", ""},
        {"NUL as argument 0", L"", {L"NUL", H, Inf}, Ok, 0, Params(), L"", ""},
        // The installer's outcome: the message for its code, then the code and its text logged.
        {"success, restart requested", L"", {Exe, H, Inf}, L"success-reboot", 0, Params(), Log, End},
        {"no code, a first run", L"", {Exe, H, Inf}, L"fail", 1, Params() + NotBetter, Log, Logged(0)},
        {"code 2", L"", {Exe, H, Inf}, L"fail:2", 1, Params() + NotFound, Log, Logged(2)},
        {"code 1004", L"", {Exe, H, Inf}, L"fail:3EC", 1, Params() + "ERROR: The installflags does not contain an accepted value!\n", Log, Logged(1004)},
        {"code E000020B", L"", {Exe, H, Inf}, L"fail:E000020B", 1, Params() + "ERROR: The hardwareID does not match any device on the machine!\n", Log, Logged(0xE000020B, "No device in the hardware tree has that hardware ID.")},
        {"code 5", L"", {Exe, H, Inf}, L"fail:5", 1, Params(), Log, Logged(5)},
        {"code 13D, its inserts kept", L"", {Exe, H, Inf}, L"fail:13D", 1, Params(), Log, Logged(0x13D)},
        {"code E0000235", L"", {Exe, H, Inf}, L"fail:E0000235", 1, Params(), Log, Logged(0xE0000235, "A 32-bit program cannot install drivers on 64-bit Windows; run the 64-bit build.")},
        {"code E0001234", L"", {Exe, H, Inf}, L"fail:E0001234", 1, Params(), Log, Logged(0xE0001234, "Unknown error.")},
        {"DLLs planted beside it and in the current folder", L"probe in-me.corp", {Exe, H, L"" DIR "\\driver.inf"}, Ok, 0, Params() + "accprobe.dll: error 126\n", Log, End},
        {"the system's copy of a DLL", L"probe system in-me.corp", {Exe, H, L"" DIR "\\driver.inf"}, Ok, 0, Params() + "accprobe.dll: " + Narrow(SystemFile(L"accprobe.dll")) + "\n", Log, End},
        {"installer not in the system", L"noinstaller", {Exe, H, Inf}, L"", 1, Params(), Log, Logged(ERROR_MOD_NOT_FOUND)},
        // The log appended to, and one that cannot be had (sharing is the concurrency test's).
        {"runs append; no code, a later run", L"kept", {Exe, H, Inf}, L"fail", 1, Params() + NotBetter, Log, Logged(0)},
        {"a folder in the log's place", L"logdir", {Exe, H, Inf}, L"fail:2", 1, Params() + NotFound, L"", ""},
    };
    // clang-format on
    const std::wstring standIn = SystemFile(L"newdev.dll"), probe = SystemFile(L"accprobe.dll");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto has = [&row](const wchar_t* word) {
            return row.setup.find(word) != row.setup.npos;
        };
        const PlivexFolder plivex;
        const std::wstring log = plivex / Log;
        const std::string kept = has(L"kept") ? "kept\r\n" : "";
        if (has(L"kept") || has(L"make")) {
            WriteBytes(has(L"kept") ? log : row.command[2], kept);
        }
        if (has(L"logdir")) {
            std::filesystem::create_directory(log);
        }
        if (has(L"noinstaller")) {
            EXPECT_TRUE(MoveFileW(standIn.c_str(), (plivex / L"away.dll").c_str()));
        }
        // The folder's accprobe.dll and me.corp\'s must not be found; with "system", the system's
        // copy must be.
        if (has(L"system")) {
            EXPECT_TRUE(CopyFileW(standIn.c_str(), probe.c_str(), FALSE));
        }
        SetEnvironmentVariableW(L"PLIVEX_DOUBLE_LOAD", has(L"probe") ? L"accprobe.dll" : nullptr);
        const PlivexRun run =
            plivex.Run(row.command, row.installer, has(L"in-me.corp") ? plivex / L"me.corp" : L"");
        DeleteFileW(probe.c_str());
        if (has(L"noinstaller")) {
            EXPECT_TRUE(MoveFileW((plivex / L"away.dll").c_str(), standIn.c_str()));
        }
        EXPECT_EQ(run.exitCode, row.exitCode);
        EXPECT_EQ(run.output, row.output + row.added);
        EXPECT_EQ(run.errors, "") << "nothing goes to standard error";
        using Logs = decltype(run.logs);
        EXPECT_EQ(run.logs, (row.log.empty() ? Logs{} : Logs{{row.log, kept + row.added}}));
    }
}

// Arguments from hostile alphabets, of 0 to 2000 characters, the INF's with a separator now and
// then; argument 0 of at most 60, as Wine cannot name a file of more than 255 UTF-8 bytes.
// Whatever the command line, the run fails only as the installer does, writes nothing to standard
// error, and either refuses it with no log, or shows its parameters, the installer's message and
// then exactly the lines of its one log, beside argument 0 in the folder.
TEST(Runs, RandomCommandLinesKeepTheirShape) {
    const char* given = std::getenv("PLIVEX_SWEEP_SEED");
    const unsigned long seed = given != nullptr ? std::strtoul(given, nullptr, 10) : GetTickCount();
    std::printf("seed %lu (replay with PLIVEX_SWEEP_SEED=%lu)\n", seed, seed);
    std::mt19937 random(seed);
    const std::wstring alphabets[] = {L"abXY09_-", L"%s%n%x%", L". ", L"\u0434\u0416\u4e2d\u00e9",
                                      L"\U0001F600\xD800\xDC00"}; // its surrogates, often unpaired
    constexpr size_t Lengths[] = {0, 1, 5, 60, 259, 260, 2000};
    const auto text = [&random, &alphabets, &Lengths](bool path, unsigned lengths) {
        const std::wstring& from = alphabets[random() % std::size(alphabets)];
        std::wstring text(Lengths[random() % lengths], L' ');
        for (wchar_t& c : text) {
            c = path && random() % 8 == 0 ? L'\\' : from[random() % from.size()];
        }
        return text;
    };
    // A run of the x86 build costs about a second in its emulated VM, against 0.05 s natively.
    constexpr int Vectors = sizeof(void*) == 8 ? 500 : 100;
    for (int vector = 0; vector < Vectors && !testing::Test::HasFailure(); ++vector) {
        const PlivexFolder plivex;
        std::vector<std::wstring> command{random() % 2 ? plivex / text(false, 4) : text(false, 4)};
        for (const size_t count = random() % 8 ? 3 : random() % 5; command.size() < count;) {
            command.push_back(command.size() == 2 && random() % 3 ? L"driver.inf" : text(true, 7));
        }
        SCOPED_TRACE(testing::Message() << "seed " << seed << ", vector " << vector
                                        << ", argument 0 \"" << Narrow(command[0]) << "\"");
        const PlivexRun run = plivex.Run(command, L"fail:2");
        const std::string log = run.logs.empty() ? "" : run.logs.begin()->second;
        const std::wstring id = command.size() == 3 ? command[1] : L"";
        const std::string shown = "HardwareID  = " + Narrow(id) + "\n";
        const size_t usage = run.output.find(Usage), end = run.output.find('\n', shown.size());
        ASSERT_TRUE(run.exitCode == 1 && run.errors.empty() && run.logs.size() <= 1 &&
                    (usage != std::string::npos
                         ? run.logs.empty() && usage + Usage.size() == run.output.size()
                         : command.size() == 3 && id.size() < 260 &&
                               run.output.rfind(shown + "FullInfPath = ", 0) == 0 &&
                               (log.empty() || log == Logged(2)) &&
                               run.output.substr(end + 1) == NotFound + log))
            << run.output;
    }
}

} // namespace
