// Random command lines from hostile alphabets and lengths, against what must hold for every one.
// The seed is printed; PLIVEX_SWEEP_SEED=<seed> replays a run.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>

#include "harness.h"

namespace {

const std::wstring Alphabets[] = {
    L"abcXYZ019_-",
    L"%s%n%x%%",
    L". ",
    L"\u0434\u0440\u0430\u0439\u0416",
    L"\u4e2d\u6587\u5b57",
    L"\U0001F600\U0001F680",
    L"\xD800\xDC00\xDBFF\xDFFF", // drawn one unit at a time: often unpaired
};
constexpr size_t Lengths[] = {0, 1, 5, 20, 60, 258, 259, 260, 261, 600, 2000};
const std::string HardwareIdTooLong = "ERROR: The hardware ID is longer than 259 characters!\n";

TEST(Sweep, PropertiesHoldForEveryCommandLine) {
    const char* given = std::getenv("PLIVEX_SWEEP_SEED");
    const unsigned long seed = given != nullptr ? std::strtoul(given, nullptr, 10) : GetTickCount();
    std::printf("sweep seed %lu (replay with PLIVEX_SWEEP_SEED=%lu)\n", seed, seed);
    std::mt19937 random(seed);
    const auto pick = [&random](size_t count) { return random() % count; };
    const auto text = [&pick](bool separators) {
        const std::wstring& alphabet = Alphabets[pick(std::size(Alphabets))];
        std::wstring text;
        for (const size_t length = Lengths[pick(std::size(Lengths))]; text.size() < length;) {
            const std::wstring& from = separators && pick(8) == 0 ? L"\\/"
                                       : pick(3) == 0 ? Alphabets[pick(std::size(Alphabets))]
                                                      : alphabet;
            text += from[pick(from.size())];
        }
        return text;
    };
    // Every accepted run fails in the installer, so that all of the log's lines are written.
    const std::string logged = "ERROR - (0x00000005) " + Narrow(SystemText(5)) + "\r\n\r\n\r\n";

    for (int vector = 0; vector < 500 && !testing::Test::HasFailure(); ++vector) {
        const PlivexFolder plivex;
        std::vector<std::wstring> command{pick(3) == 0   ? text(false)
                                          : pick(2) == 0 ? plivex / text(false)
                                                         : plivex.exe};
        for (size_t i = 0, count = pick(8) == 0 ? pick(4) : 2; i < count; ++i) {
            command.push_back(i == 1 && pick(3) == 0 ? L"driver.inf" : text(i == 1));
        }
        SCOPED_TRACE(testing::Message() << "seed " << seed << ", vector " << vector
                                        << ", argument 0 " << Narrow(command[0]));
        const PlivexRun run = plivex.Run(command, L"fail:5");
        const std::wstring id = command.size() == 3 ? command[1] : L"";
        ASSERT_TRUE(run.exitCode == 1 && run.errors.empty() && run.logs.size() <= 1);
        const std::string log = run.logs.empty() ? "" : run.logs.begin()->second;
        const std::string shown = "HardwareID  = " + Narrow(id) + "\nFullInfPath = ";
        const size_t usage = run.output.find(Usage);
        if (usage == std::string::npos) { // accepted: the parameters, then one log's lines
            ASSERT_TRUE(command.size() == 3 && id.size() < 260 && run.output.rfind(shown, 0) == 0 &&
                        (log.empty() || log == logged) &&
                        run.output.substr(run.output.find('\n', shown.size()) + 1) == log)
                << run.output;
        } else { // refused: no log, and at most the one line that says why
            const std::string first = run.output.substr(0, usage);
            ASSERT_TRUE(run.logs.empty() && usage + Usage.size() == run.output.size() &&
                        (command.size() != 3
                             ? first.empty()
                             : first.rfind("ERROR: ", 0) == 0 &&
                                   first.find('\n') == first.size() - 1 &&
                                   (id.size() >= 260) == (first == HardwareIdTooLong)))
                << run.output;
        }
    }
}

} // namespace
