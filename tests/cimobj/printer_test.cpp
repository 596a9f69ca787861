// The message printer: formats, threshold, sink and whole lines under threads.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <thread>
#include <vector>

#include "support/log_capture.h"
#include "test_helpers.h"

namespace {

// Sends stderr to a temporary file while alive; text() reads what arrived.
class StderrToFile {
public:
    StderrToFile() {
        std::fflush(stderr);
        char name[] = "/tmp/cimobj_stderr_XXXXXX";
        int fd = mkstemp(name);
        path_ = name;
        saved_ = dup(STDERR_FILENO);
        dup2(fd, STDERR_FILENO);
        close(fd);
    }
    ~StderrToFile() {
        restore();
        unlink(path_.c_str());
    }
    std::string text() {
        restore();
        std::ifstream in(path_);
        std::stringstream all;
        all << in.rdbuf();
        return all.str();
    }

private:
    void restore() {
        if (saved_ < 0) return;
        dup2(saved_, STDERR_FILENO);
        close(saved_);
        saved_ = -1;
    }
    std::string path_;
    int saved_ = -1;
};

struct FormatCase {
    std::string expected;
    std::string produced;
};

std::string only(const testsupport::LogCapture &capture) {
    auto lines = capture.lines();
    return lines.size() == 1 ? lines[0].text : "<" + std::to_string(lines.size()) + " lines>";
}

#define FORMATTED(...)                          \
    ([&] {                                      \
        testsupport::LogCapture capture(0);     \
        cimPrintMessage(0, __VA_ARGS__);        \
        return only(capture);                   \
    }())

TEST(MessagePrinter, RendersConversionsLikePrintf) {
    const std::vector<FormatCase> cases = {
        {"Insf. Memory: cim_value.cpp 42", FORMATTED(L"Insf. Memory: %s %d", "cim_value.cpp", 42)},
        {"[   7|7   |007|-7]", FORMATTED(L"[%4d|%-4d|%03d|%i]", 7, 7, 7, -7)},
        {"ff FF 17 4294967295", FORMATTED(L"%x %X %o %u", 255u, 255u, 15u, 4294967295u)},
        {"44 -32768 -9223372036854775807 18446744073709551615 12",
         FORMATTED(L"%hhd %hd %lld %llu %zu", 300, -32768, -9223372036854775807LL,
                   18446744073709551615ULL, size_t{12})},
        {"3.14 1.500000e+00 0.25", FORMATTED(L"%.2f %e %g", 3.14159, 1.5, 0.25)},
        {"100% done", FORMATTED(L"100%% done")},
        {"[  ab]", FORMATTED(L"[%*s]", 4, "ab")},
        {"M\xC3\xBCller \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80",
         FORMATTED(L"%s %ls %ls", "M\xC3\xBCller", L"\u65E5\u672C", L"\U0001F600")},
        {"\xC3\xBC-literal", FORMATTED(L"\u00FC-literal")},
        {"[M\xC3\xBC]", FORMATTED(L"[%.2s]", "M\xC3\xBCller")},
        {"[\xE6\x97\xA5 ]", FORMATTED(L"[%-2ls]", L"\u65E5")},
        {"x=A y=\xC3\xA9", FORMATTED(L"x=%c y=%lc", 'A', static_cast<wint_t>(0xE9))},
        {"(null) (null)", FORMATTED(L"%s %ls", static_cast<char *>(nullptr), static_cast<wchar_t *>(nullptr))},
        {"raw \xFF byte", FORMATTED(L"raw %s byte", "\xFF")},
        {"trailing %", FORMATTED(L"trailing %")},
    };
    for (const auto &c : cases) EXPECT_EQ(c.produced, c.expected);
}

TEST(MessagePrinter, DefaultThresholdPassesFailuresOnly) {
    ASSERT_EQ(cimGetLogLevel(), 0);
    StderrToFile redirect;
    cimPrintMessage(0, L"kept %d", 1);
    cimPrintMessage(1, L"warning dropped");
    cimPrintMessage(2, L"trace dropped");
    std::string text = redirect.text();
    EXPECT_NE(text.find("[ERROR] kept 1\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("dropped"), std::string::npos) << text;
}

TEST(MessagePrinter, DroppedLevelsAreNeverFormatted) {
    // A conversion that would crash if read proves the arguments are untouched.
    cimSetLogLevel(0);
    cimPrintMessage(2, L"%s", reinterpret_cast<const char *>(1));
    SUCCEED();
}

TEST(MessagePrinter, WritesTimestampLevelAndMessageAsOneLine) {
    cimSetLogLevel(2);
    StderrToFile redirect;
    cimPrintMessage(1, L"CIMOMhdle_getClass - failed.");
    cimPrintMessage(2, L"trace %ls", L"GetClass");
    std::string text = redirect.text();
    cimSetLogLevel(0);
    std::regex shape(
        "\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}\\.\\d{3} \\[WARN\\] CIMOMhdle_getClass - failed\\.\n"
        "\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}\\.\\d{3} \\[TRACE\\] trace GetClass\n");
    EXPECT_TRUE(std::regex_match(text, shape)) << text;
}

TEST(MessagePrinter, SinkReceivesMessagesAndReleasingItRestoresStderr) {
    {
        testsupport::LogCapture capture(1);
        cimPrintMessage(1, L"to the sink");
        cimPrintMessage(2, L"above threshold");
        EXPECT_TRUE(capture.contains("to the sink", 1));
        EXPECT_EQ(capture.lines().size(), 1u);
    }
    StderrToFile redirect;
    cimPrintMessage(0, L"back on stderr");
    EXPECT_NE(redirect.text().find("back on stderr"), std::string::npos);
}

void loggingSink(int, const char *message, void *context) {
    ++*static_cast<int *>(context);
    cimPrintMessage(0, L"sink saw: %s", message);  // must not deadlock or recurse
}

TEST(MessagePrinter, SinkThatLogsItselfWritesToStderr) {
    int calls = 0;
    StderrToFile redirect;
    cimSetLogSink(&loggingSink, &calls);
    cimPrintMessage(0, L"outer");
    cimSetLogSink(nullptr, nullptr);
    EXPECT_EQ(calls, 1);
    EXPECT_NE(redirect.text().find("sink saw: outer"), std::string::npos);
}

TEST(MessagePrinter, LinesFromManyThreadsNeverInterleave) {
    constexpr int threads = 8;
    constexpr int perThread = 300;
    const std::string payload(200, 'x');
    StderrToFile redirect;
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([t, &payload] {
            for (int i = 0; i < perThread; ++i)
                cimPrintMessage(0, L"thread %d line %d %s end", t, i, payload.c_str());
        });
    for (auto &w : workers) w.join();
    std::istringstream lines(redirect.text());
    std::regex shape("\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}:\\d{2}\\.\\d{3} \\[ERROR\\] thread (\\d+) line (\\d+) x{200} end");
    std::map<int, int> nextLine;
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, shape)) << line;
        int t = std::stoi(m[1]);
        EXPECT_EQ(std::stoi(m[2]), nextLine[t]++) << "lines of one thread keep their order";
    }
    EXPECT_EQ(count, threads * perThread);
}

}  // namespace
