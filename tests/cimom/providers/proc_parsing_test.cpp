// The readers of kernel texts on texts the kernel may write: process names
// holding parentheses, blanks and line feeds, truncated lines, escaped
// mount points, bytes that are not UTF-8, time zones either side of UTC.
#include <gtest/gtest.h>

#include <cstdlib>

#include "providers/cim_datetime.h"
#include "providers/mount_reader.h"
#include "providers/proc_files.h"
#include "providers/process_provider.h"
#include "providers/process_reader.h"

namespace cimom::live {
namespace {

const char tail[] = " 1 12 12 0 -1 4194560 100 0 0 0 7 3 0 0 20 0 1 0 4242 1000 250 18446744073709551615";

TEST(ProcParsing, StatLinesParseWhateverTheProcessIsCalled) {
    struct Case {
        std::string line;
        bool parses;
        std::string name;
    };
    const Case cases[] = {
        {"12 (sleep) S" + std::string(tail) + "\n", true, "sleep"},
        {"12 (a) R 5 (b) S" + std::string(tail) + "\n", true, "a) R 5 (b"},
        {"12 (two\nlines) S" + std::string(tail), true, "two\nlines"},
        {"12 () S" + std::string(tail), true, ""},
        {"12 (sleep) S 1 12 12", false, ""},
        {"12 (sleep) SS" + std::string(tail), false, ""},
        {"x2 (sleep) S" + std::string(tail), false, ""},
        {"12 sleep S" + std::string(tail), false, ""},
        {"", false, ""},
    };
    for (const Case &c : cases) {
        ProcessFacts facts;
        ASSERT_EQ(parseProcessStat(c.line, facts), c.parses) << c.line;
        if (!c.parses) continue;
        EXPECT_EQ(facts.name, c.name);
        EXPECT_EQ(std::string(1, facts.state) + " " + std::to_string(facts.pid) + " " + std::to_string(facts.parent) +
                      " " + std::to_string(facts.userTicks) + " " + std::to_string(facts.kernelTicks) + " " +
                      std::to_string(facts.priority) + " " + std::to_string(facts.startTicks) + " " +
                      std::to_string(facts.virtualBytes) + " " + std::to_string(facts.residentPages),
                  "S 12 1 7 3 20 4242 1000 250");
    }
}

TEST(ProcParsing, MountTablesUnescapeAndKeepTheTopMount) {
    std::string text = "/dev/sda1 / ext4 rw,relatime 0 0\n"
                       "tmpfs /my\\040dir tmpfs ro,nosuid 0 0\n"
                       "short line\n"
                       "/dev/sdb1 / xfs rw 0 0\n"
                       "a\\134b /odd\\011\\012x proc rw 0 0";
    std::string listed;
    for (const MountFacts &m : parseMounts(text)) {
        listed += m.source + "|" + m.mountPoint + "|" + m.type + "|" + (m.readOnly() ? "ro" : "rw") + "|" +
                  std::to_string(m.options.size()) + "\n";
    }
    EXPECT_EQ(listed, "/dev/sdb1|/|xfs|rw|1\ntmpfs|/my dir|tmpfs|ro|2\na\\b|/odd\t\nx|proc|rw|1\n");
}

TEST(ProcParsing, KernelTextKeepsOnlyWhatXmlCarries) {
    EXPECT_EQ(kernelText("tab\tline\n\xc3\xa9"), L"tab\tline\n\u00e9");
    EXPECT_EQ(kernelText("a\x01" "b\x7f"), L"a\uFFFDb\x7f");
    EXPECT_EQ(kernelText("\xff\xc3"), L"\uFFFD\uFFFD");
    EXPECT_EQ(kernelText("\xef\xbf\xbe"), L"\uFFFD");
}

TEST(ProcParsing, NumbersTerminalsAndStatesReadAsTheKernelMeansThem) {
    const std::pair<const wchar_t *, pid_t> ids[] = {{L"1", 1}, {L"4194304", 4194304}, {L"0", 0},  {L"012", 0},
                                                     {L"-1", 0}, {L"2147483648", 0},   {L"12a", 0}, {L"", 0}};
    for (const auto &[text, pid] : ids) EXPECT_EQ(processIdOf(text).value_or(0), pid) << cimobj::toUtf8(text);
    EXPECT_EQ(terminalName((136 << 8) | 3) + " " + terminalName((137 << 8) | 1) + " " + terminalName((4 << 8) | 1) +
                  " " + terminalName((4 << 8) | 64) + " " + terminalName((5 << 8) | 1) + " [" + terminalName(0) + "]",
              "pts/3 pts/257 tty1 ttyS0 5:1 []");
    std::string states;
    for (char state : std::string("RSDITtZXW?")) states += std::to_string(executionStateOf(state));
    EXPECT_EQ(states, "3444887700");
}

TEST(ProcParsing, DatetimesCarryTheOffsetOfTheirMoment) {
    const char *saved = std::getenv("TZ");
    std::string previous = saved ? saved : "";
    const std::pair<const char *, const wchar_t *> zones[] = {
        {"UTC0", L"19700101000000.000005+000"},
        {"EST5EDT", L"19691231190000.000005-300"},
        {"IST-5:30", L"19700101053000.000005+330"},
    };
    for (const auto &[zone, text] : zones) {
        setenv("TZ", zone, 1);
        refreshTimeZone();
        EXPECT_EQ(cimDateTime(0, 5), text) << zone;
    }
    if (saved)
        setenv("TZ", previous.c_str(), 1);
    else
        unsetenv("TZ");
    refreshTimeZone();
}

}  // namespace
}  // namespace cimom::live
