// conformance_runner.cpp - one pass over the check table.
#include "conformance_runner.h"

#include "client_error.h"
#include "conformance_answer.h"

namespace conformance {

namespace {

// The answer to row's request, or the reason there is none.
struct Exchange {
    std::optional<InspectedAnswer> answer;
    std::string messageId;
    std::string failure;
    int failureStatus = 0;    // the exit status of a transport failure
    bool serverGone = false;  // unreachable, timed out or refusing us: later checks would only wait
};

Exchange exchange(remote::HttpTransport &transport, Fixture &fixture, const CheckRow &row) {
    Exchange result;
    std::string request;
    fixture.useMissingNamespace(row.missingNamespace);
    try {
        request = row.request(fixture);
    } catch (const std::bad_alloc &) {
        throw;
    } catch (const std::exception &error) {
        result.failure = std::string("the request could not be built: ") + error.what();
        return result;
    }
    result.messageId = requestMessageId(request);
    try {
        result.answer = inspectAnswer(transport.post(request));
    } catch (const remote::ClientError &error) {
        result.failure = error.what();
        result.failureStatus = error.status();
        result.serverGone = error.status() == remote::exitUnreachable || error.status() == remote::exitTimeout ||
                            error.status() == remote::exitAuth;
    }
    return result;
}

CheckResult judge(const CheckRow &row, const Exchange &sent, const DtdValidator *dtd, bool classic) {
    CheckResult result;
    result.row = &row;
    if (!sent.answer) {
        result.problems.push_back(sent.failure);
        return result;
    }
    const InspectedAnswer &answer = *sent.answer;
    std::string dtdProblem;
    if (dtd && answer.http.status == 200) dtdProblem = dtd->problems(answer.http.body);
    Judgement strict = judgeAnswer(answer, row.expected, row.operation, sent.messageId);
    result.seen = strict.seen;
    if (!dtdProblem.empty()) strict.problems.push_back("not valid against the DTD: " + dtdProblem);
    if (strict.problems.empty()) {
        result.outcome = Outcome::passed;
        return result;
    }
    if (classic && row.classic != ClassicDifference::none) {
        Judgement defined = judgeAnswer(answer, asClassicDefines(row.expected, row.classic), row.operation,
                                        sent.messageId);
        if (!dtdProblem.empty()) defined.problems.push_back("not valid against the DTD: " + dtdProblem);
        if (defined.problems.empty()) {
            result.outcome = Outcome::settled;
            return result;
        }
        result.problems = std::move(defined.problems);
        return result;
    }
    result.problems = std::move(strict.problems);
    return result;
}

}  // namespace

std::vector<CheckResult> runChecks(remote::HttpTransport &transport, Fixture &fixture, const DtdValidator *dtd,
                                   bool classic) {
    const std::vector<CheckRow> &table = checkTable();
    for (const CheckRow &row : table) {
        if (row.phase == Phase::check) continue;
        Exchange sent = exchange(transport, fixture, row);
        // Nothing was created yet: a server that does not answer is one error.
        if (sent.serverGone) throw remote::ClientError(sent.failureStatus, sent.failure);
    }

    std::vector<CheckResult> results;
    bool serverGone = false;
    for (const CheckRow &row : table) {
        if (row.phase == Phase::check && serverGone) {
            CheckResult skipped;
            skipped.row = &row;
            skipped.outcome = Outcome::notRun;
            results.push_back(std::move(skipped));
            continue;
        }
        Exchange sent = exchange(transport, fixture, row);
        serverGone = serverGone || sent.serverGone;
        if (row.phase != Phase::quietCleanup) results.push_back(judge(row, sent, dtd, classic));
    }
    return results;
}

}  // namespace conformance
