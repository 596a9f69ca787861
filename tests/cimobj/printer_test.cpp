// The message printer: formats, threshold and whole lines under threads.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <sstream>
#include <thread>
#include <vector>

#include "support/log_capture.h"
#include "test_helpers.h"

namespace {

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

// The time stamp that begins every line written to stderr.
const std::string stamp = "\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}\\.\\d{3} ";

// The one line that format and arguments print.
template <typename... A>
std::string formatted(const wchar_t *format, A... arguments) {
    testsupport::LogCapture capture(0);
    cimPrintMessage(0, format, arguments...);
    auto lines = capture.lines();
    return lines.size() == 1 ? lines[0].text : "<" + std::to_string(lines.size()) + " lines>";
}

// The module's own conversions: %s, %d and %ls.
TEST(MessagePrinter, RendersConversionsLikePrintf) {
    const std::pair<std::string, std::string> cases[] = {
        {"Insf. Memory: cim_value.cpp 42", formatted(L"Insf. Memory: %s %d", "cim_value.cpp", 42)},
        {"M\xC3\xBCller \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80 \xC3\xBC-literal",
         formatted(L"%s %ls %ls \u00FC-literal", "M\xC3\xBCller", L"\u65E5\u672C", L"\U0001F600")},
        // Conversions the module does not use, formatted all the same.
        {"[   7|-7  |007] ff FF 17 44 -9 12 3.14 1.5e+00 % [  ab] A \xC3\xA9 [M\xC3\xBC]",
         formatted(L"[%4d|%-4i|%03u] %x %X %o %hhd %lld %zu %.2f %.1e %% [%*s] %c %lc [%.2s]", 7, -7, 7u, 255u, 255u,
                   15u, 300, -9LL, size_t{12}, 3.14159, 1.5, 4, "ab", 'A', static_cast<wint_t>(0xE9), "M\xC3\xBCller")},
        {"(null) (null)", formatted(L"%s %ls", static_cast<char *>(nullptr), static_cast<wchar_t *>(nullptr))},
        {"raw \xFF byte trailing %", formatted(L"raw %s byte trailing %", "\xFF")},
    };
    for (const auto &[expected, produced] : cases) EXPECT_EQ(produced, expected);
}

TEST(MessagePrinter, WritesTimestampLevelAndMessageUpToTheThreshold) {
    ASSERT_EQ(cimGetLogLevel(), 0);
    CaptureStderr();
    cimPrintMessage(0, L"kept %d", 1);
    cimPrintMessage(1, L"warning dropped");
    // A conversion that would crash if read proves dropped arguments are untouched.
    cimPrintMessage(2, L"%s", reinterpret_cast<const char *>(1));
    cimSetLogLevel(2);
    cimPrintMessage(1, L"CIMOMhdle_getClass - failed.");
    cimPrintMessage(2, L"trace %ls", L"GetClass");
    cimSetLogLevel(0);
    std::string text = GetCapturedStderr();
    EXPECT_TRUE(std::regex_match(text, std::regex(stamp + "\\[ERROR\\] kept 1\n" + stamp +
                                                  "\\[WARN\\] CIMOMhdle_getClass - failed\\.\n" + stamp +
                                                  "\\[INFO\\] trace GetClass\n")))
        << text;
}

TEST(MessagePrinter, LinesFromManyThreadsNeverInterleave) {
    constexpr int threads = 8;
    constexpr int perThread = 300;
    const std::string payload(200, 'x');
    CaptureStderr();
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([t, &payload] {
            for (int i = 0; i < perThread; ++i) cimPrintMessage(0, L"thread %d line %d %s end", t, i, payload.c_str());
        });
    for (auto &w : workers) w.join();
    std::istringstream lines(GetCapturedStderr());
    std::regex shape(stamp + "\\[ERROR\\] thread (\\d+) line (\\d+) x{200} end");
    std::map<int, int> nextLine;
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, shape)) << line;
        EXPECT_EQ(std::stoi(m[2]), nextLine[std::stoi(m[1])]++) << "lines of one thread keep their order";
    }
    EXPECT_EQ(count, threads * perThread);
}

}  // namespace
