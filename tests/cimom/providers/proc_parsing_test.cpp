// The readers of kernel texts on texts the kernel may write: process names
// holding parentheses, blanks and line feeds, truncated lines, escaped
// mount points, bytes that are not UTF-8, time zones either side of UTC.
#include <gtest/gtest.h>

#include "providers/cim_datetime.h"
#include "providers/mount_reader.h"
#include "providers/proc_files.h"
#include "providers/process_provider.h"
#include "providers/process_reader.h"

namespace cimom::live {
namespace {

TEST(ProcParsing, StatLinesParseWhateverTheProcessIsCalled) {
    const std::string tail = " 1 12 12 0 -1 4194560 100 0 0 0 7 3 0 0 20 0 1 0 4242 1000 250 18446744073709551615";
    const std::pair<std::string, const char *> cases[] = {
        {"12 (sleep) S" + tail + "\n", "sleep"},
        {"12 (a) R 5 (b) S" + tail + "\n", "a) R 5 (b"},
        {"12 (two\nlines) S" + tail, "two\nlines"},
        {"12 () S" + tail, ""},
        {"12 (sleep) S 1 12 12", nullptr},
        {"12 (sleep) SS" + tail, nullptr},
        {"x2 (sleep) S" + tail, nullptr},
        {"12 sleep S" + tail, nullptr},
        {"", nullptr},
    };
    for (const auto &[line, name] : cases) {
        ProcessFacts f;
        ASSERT_EQ(parseProcessStat(line, f), name != nullptr) << line;
        if (!name) continue;
        EXPECT_EQ(f.name, name);
        EXPECT_EQ(std::to_string(f.pid) + f.state + std::to_string(f.parent) + " " + std::to_string(f.priority) + " " +
                      std::to_string(f.startTicks) + " " + std::to_string(f.residentPages),
                  "12S1 20 4242 250");
    }
}

TEST(ProcParsing, MountTablesUnescapeAndKeepTheTopMount) {
    std::string listed;
    for (const MountFacts &m : parseMounts("/dev/sda1 / ext4 rw,relatime 0 0\ntmpfs /my\\040dir tmpfs ro,nosuid 0 0\n"
                                           "short line\n/dev/sdb1 / xfs rw 0 0\na\\134b /odd\\011\\012x proc rw 0 0"))
        listed += m.source + "|" + m.mountPoint + "|" + m.type + "|" + (m.readOnly() ? "ro" : "rw") +
                  std::to_string(m.options.size()) + "\n";
    EXPECT_EQ(listed, "/dev/sdb1|/|xfs|rw1\ntmpfs|/my dir|tmpfs|ro2\na\\b|/odd\t\nx|proc|rw1\n");
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
    EXPECT_EQ(terminalName((137 << 8) | 1) + " " + terminalName((4 << 8) | 64) + " [" + terminalName(0) + "]",
              "pts/257 ttyS0 []");
    std::string states;
    for (char state : std::string("RSDITtZXW?")) states += std::to_string(executionStateOf(state));
    EXPECT_EQ(states, "3444887700");
}

TEST(ProcParsing, DatetimesCarryTheOffsetOfTheirMoment) {
    const char *saved = std::getenv("TZ");
    std::string previous = saved ? saved : "";
    for (const auto &[zone, text] : {std::pair{"UTC0", L"19700101000000.000005+000"},
                                     std::pair{"EST5EDT", L"19691231190000.000005-300"},
                                     std::pair{"IST-5:30", L"19700101053000.000005+330"}}) {
        setenv("TZ", zone, 1);
        refreshTimeZone();
        EXPECT_EQ(cimDateTime(0, 5), text) << zone;
    }
    saved ? setenv("TZ", previous.c_str(), 1) : unsetenv("TZ");
    refreshTimeZone();
}

}  // namespace
}  // namespace cimom::live
