// conformance_runner.h - running the check table against one server.
#pragma once

#include <vector>

#include "conformance_dtd.h"
#include "conformance_report.h"
#include "http_transport.h"

namespace conformance {

// Sends every row of checkTable() over transport, in order, and judges each
// answer: against the row's expectation, against dtd when given (answers
// with status 200), and with classic also against what the classic profile
// defines (a match is settled, not failed). First removes, without
// reporting, what an interrupted run may have left; the clean-up rows run
// whatever happened before them. A request that cannot be built or sent
// fails its row; once the server is unreachable or times out, the remaining
// checks are not run (clean-up is still tried). Throws ClientError
// (exitUnreachable, exitTimeout, exitAuth) when the server does not answer
// the first requests as HTTP, and std::bad_alloc.
std::vector<CheckResult> runChecks(remote::HttpTransport &transport, Fixture &fixture, const DtdValidator *dtd,
                                   bool classic);

}  // namespace conformance
