// conformance_report.cpp - the text and JSON reports.
#include "conformance_report.h"

#include <algorithm>
#include <nlohmann/json.hpp>

namespace conformance {

namespace {

const char *outcomeWord(Outcome outcome) {
    switch (outcome) {
        case Outcome::passed: return "PASS";
        case Outcome::failed: return "FAIL";
        case Outcome::settled: return "SETTLED";
        case Outcome::notRun: return "NOT RUN";
    }
    return "";
}

const char *outcomeKey(Outcome outcome) {
    switch (outcome) {
        case Outcome::passed: return "pass";
        case Outcome::failed: return "fail";
        case Outcome::settled: return "settled";
        case Outcome::notRun: return "not-run";
    }
    return "";
}

std::string joined(const std::vector<std::string> &parts, const char *separator) {
    std::string text;
    for (const std::string &part : parts) text += (text.empty() ? "" : separator) + part;
    return text;
}

std::vector<std::string> settledIds(const std::vector<CheckResult> &results) {
    std::vector<std::string> ids;
    for (const CheckResult &result : results)
        if (result.outcome == Outcome::settled) ids.push_back(result.row->id);
    return ids;
}

}  // namespace

int countOf(const std::vector<CheckResult> &results, Outcome outcome) {
    return static_cast<int>(std::count_if(results.begin(), results.end(),
                                          [outcome](const CheckResult &r) { return r.outcome == outcome; }));
}

void writeTextReport(std::ostream &out, const RunDescription &run, const std::vector<CheckResult> &results) {
    out << "conformance of " << run.server << " in " << run.nameSpace << " against DSP0200"
        << (run.classic ? " (the server runs the classic profile)" : "") << "\n"
        << (run.dtd.empty() ? std::string("answers not validated against a DTD (no --dtd)")
                            : "answers validated against " + run.dtd)
        << "\n";
    size_t width = 0;
    for (const CheckResult &result : results) width = std::max(width, std::string(result.row->id).size());
    for (const CheckResult &result : results) {
        std::string word = outcomeWord(result.outcome);
        out << word << std::string(8 - word.size(), ' ') << result.row->id
            << std::string(width - std::string(result.row->id).size(), ' ') << "  " << result.row->sent;
        if (!result.seen.empty()) out << ": " << result.seen;
        if (!result.problems.empty()) out << "; " << joined(result.problems, "; ");
        if (result.outcome == Outcome::settled) out << "; settled by the classic profile";
        out << " [" << result.row->rule << "]\n";
    }
    std::vector<std::string> settled = settledIds(results);
    if (!settled.empty()) {
        out << "settled by the classic profile, not failures:\n";
        for (ClassicDifference difference : classicDifferences) {
            std::vector<std::string> ids;
            for (const CheckResult &result : results)
                if (result.outcome == Outcome::settled && result.row->classic == difference) ids.push_back(result.row->id);
            if (!ids.empty()) out << "  " << classicReason(difference) << ": " << joined(ids, ", ") << "\n";
        }
    }
    out << results.size() << " checks: " << countOf(results, Outcome::passed) << " passed, "
        << countOf(results, Outcome::failed) << " failed, " << countOf(results, Outcome::settled)
        << " settled by the classic profile, " << countOf(results, Outcome::notRun) << " not run\n";
}

void writeJsonReport(std::ostream &out, const RunDescription &run, const std::vector<CheckResult> &results) {
    using Json = nlohmann::ordered_json;
    for (const CheckResult &result : results) {
        Json line = {{"kind", "check"},
                     {"id", result.row->id},
                     {"operation", result.row->operation},
                     {"sent", result.row->sent},
                     {"result", outcomeKey(result.outcome)},
                     {"seen", result.seen},
                     {"problems", result.problems},
                     {"rule", result.row->rule}};
        if (result.outcome == Outcome::settled) line["classic"] = classicReason(result.row->classic);
        out << line.dump(-1, ' ', false, Json::error_handler_t::replace) << "\n";
    }
    Json summary = {{"kind", "summary"},
                    {"server", run.server},
                    {"namespace", run.nameSpace},
                    {"profile", run.classic ? "classic" : "strict"},
                    {"dtd", run.dtd.empty() ? Json(nullptr) : Json(run.dtd)},
                    {"checks", results.size()},
                    {"passed", countOf(results, Outcome::passed)},
                    {"failed", countOf(results, Outcome::failed)},
                    {"not_run", countOf(results, Outcome::notRun)},
                    {"settled", settledIds(results)}};
    out << summary.dump(-1, ' ', false, Json::error_handler_t::replace) << "\n";
}

}  // namespace conformance
