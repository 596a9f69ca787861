// conformance_report.h - the conformance checker's outcome per check and
// the report it prints: one line per check (text) or one JSON object per
// line, then a summary.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "conformance_checks.h"

namespace conformance {

enum class Outcome {
    passed,
    failed,
    settled,  // differs from DSP0200 only as the classic profile defines (--classic)
    notRun,   // the server stopped answering before it
};

struct CheckResult {
    const CheckRow *row = nullptr;  // lent: the table outlives every result
    Outcome outcome = Outcome::failed;
    std::string seen;                   // the answer in short
    std::vector<std::string> problems;  // why it failed (empty otherwise)
};

struct RunDescription {
    std::string server;     // "127.0.0.1:5988"
    std::string nameSpace;  // where the scratch objects lived
    bool classic = false;   // --classic
    std::string dtd;        // the DTD validated against; empty: none
};

// How many results have outcome.
int countOf(const std::vector<CheckResult> &results, Outcome outcome);

// The report as text: a heading, "PASS|FAIL|SETTLED|NOT RUN id: what was
// sent: the answer; problems [rule]" per check, the settled checks with the
// classic profile's reason, and the counts.
void writeTextReport(std::ostream &out, const RunDescription &run, const std::vector<CheckResult> &results);
// The same as JSON lines: {"kind":"check",...} per check, then
// {"kind":"summary",...}.
void writeJsonReport(std::ostream &out, const RunDescription &run, const std::vector<CheckResult> &results);

}  // namespace conformance
