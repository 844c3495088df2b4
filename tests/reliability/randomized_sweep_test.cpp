// Random command lines from hostile alphabets and lengths, against the properties that must
// always hold. The seed is printed; PLIVEX_SWEEP_SEED=<seed> replays a run.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>

#include "plivex_runner.h"

namespace {

constexpr int Vectors = 500;

const std::wstring Alphabets[] = {
    L"abcXYZ019_-",
    L"%s%n%x%%",
    L". ",
    L"\u0434\u0440\u0430\u0439\u0432\u0435\u0440\u0416",
    L"\u4e2d\u6587\u5b57",
    L"\U0001F600\U0001F680",
    L"\xD800\xDC00\xDBFF\xDFFF", // surrogates, drawn one unit at a time: often unpaired
};

// Characters that keep a name inside one folder.
const std::wstring Separators = L"\\/";

class Generator {
  public:
    explicit Generator(unsigned seed) : random_(seed) {}

    std::wstring Text(bool allowSeparators) {
        std::wstring text;
        const size_t length = Length();
        const std::wstring& alphabet = Alphabets[Pick(std::size(Alphabets))];
        while (text.size() < length) {
            const std::wstring& from = allowSeparators && Pick(8) == 0 ? Separators
                                       : Pick(3) == 0 ? Alphabets[Pick(std::size(Alphabets))]
                                                      : alphabet;
            text += from[Pick(from.size())];
        }
        return text;
    }
    size_t Pick(size_t count) {
        return std::uniform_int_distribution<size_t>(0, count - 1)(random_);
    }

  private:
    size_t Length() {
        constexpr size_t Lengths[] = {0, 1, 5, 20, 60, 258, 259, 260, 261, 600, 2000};
        return Lengths[Pick(std::size(Lengths))];
    }
    std::mt19937 random_;
};

unsigned SweepSeed() {
    const char* given = std::getenv("PLIVEX_SWEEP_SEED");
    return given != nullptr ? static_cast<unsigned>(std::strtoul(given, nullptr, 10))
                            : static_cast<unsigned>(GetTickCount() ^ GetCurrentProcessId());
}

std::set<std::wstring> FilesIn(const std::wstring& folder) {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            names.insert(found.cFileName);
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    return names;
}

template <typename Text> bool EndsWith(const Text& text, const Text& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

class RandomizedSweep : public PlivexTest {};

TEST_F(RandomizedSweep, PropertiesHoldForEveryCommandLine) {
    const unsigned seed = SweepSeed();
    std::printf("randomized sweep seed: %u (replay with PLIVEX_SWEEP_SEED=%u)\n", seed, seed);
    RecordProperty("seed", std::to_string(seed));
    Generator generate(seed);
    std::set<std::wstring> before = FilesIn(dir);
    before.insert(record.substr(dir.size() + 1)); // what the installer stand-in was given

    for (int vector = 0; vector < Vectors && !HasFailure(); ++vector) {
        SCOPED_TRACE(testing::Message() << "seed " << seed << ", vector " << vector);
        std::vector<std::wstring> user;
        const size_t count = generate.Pick(8) == 0 ? generate.Pick(4) : 2;
        for (size_t i = 0; i < count; ++i) {
            user.push_back(i == 1 && generate.Pick(3) == 0 ? L"driver.inf" : generate.Text(i == 1));
        }
        std::optional<std::wstring> argument0;
        switch (generate.Pick(3)) {
        case 0:
            argument0 = dir + L"\\" + generate.Text(false);
            break;
        case 1:
            argument0 = generate.Text(false);
            break;
        }

        const ChildResult run = Run(user, argument0);
        ASSERT_TRUE(run.exitCode == 0 || run.exitCode == 1) << "exit code " << run.exitCode;
        if (run.exitCode == 1) {
            ASSERT_TRUE(EndsWith(run.output, InvalidParameters)) << run.output;
            const std::string first =
                run.output.substr(0, run.output.size() - InvalidParameters.size());
            if (count != 2) {
                ASSERT_EQ(first, "");
            } else if (user[0].size() >= 260) {
                ASSERT_EQ(first, "ERROR: The hardware ID is longer than 259 characters!\n");
            } else {
                ASSERT_TRUE(first.rfind("ERROR: \"", 0) == 0 &&
                            EndsWith(first, std::string("\" does not exist!\n")) &&
                            first.find('\n') == first.size() - 1)
                    << first;
            }
        } else {
            ASSERT_EQ(count, 2u);
            ASSERT_LT(user[0].size(), 260u);
            const size_t infLine = run.output.find("\nFullInfPath = ");
            ASSERT_EQ(run.output.rfind("HardwareID  = ", 0), 0u) << run.output;
            ASSERT_NE(infLine, std::string::npos) << run.output;
            const std::string rest = run.output.substr(infLine + 1);
            ASSERT_TRUE(
                rest.find('\n') == rest.size() - 1 ||
                (rest.find('\n') == rest.size() - 5 && EndsWith(rest, std::string("\n\r\n\r\n"))))
                << run.output;
            ASSERT_NE(LastInstallerCall().record.find(L"\nhardwareId=" + user[0] + L"\n"),
                      std::wstring::npos);
        }

        // Nothing is written but the log, and that only in the test folder.
        for (const std::wstring& name : FilesIn(dir)) {
            if (before.count(name) == 0) {
                ASSERT_TRUE(EndsWith(name, std::wstring(L"log"))) << "unexpected file";
                DeleteFileW((folder / name).c_str());
            }
        }
        ASSERT_LE(FilesIn(dir).size(), before.size());
    }
}

} // namespace
