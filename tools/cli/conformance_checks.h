// conformance_checks.h - the conformance checker's table: one row per check,
// in the order they run. Set-up rows create the scratch objects the later
// rows use; clean-up rows remove them and run whatever happened before.
#pragma once

#include <string>
#include <vector>

#include "conformance_expectation.h"
#include "conformance_fixture.h"

namespace conformance {

enum class Phase {
    check,    // reported; not sent once the server stopped answering
    cleanup,  // reported; always sent, also before the run to remove what an interrupted run left
    quietCleanup,  // like cleanup, but not reported: removes what a lenient server may have kept
};

// Builds the request a row sends (the whole text an encoder makes). Throws
// std::runtime_error when the client library cannot encode it.
using RequestBuilder = std::string (*)(Fixture &fixture);

struct CheckRow {
    const char *id;         // "getclass.not-found"
    const char *operation;  // the method the request calls, as the response must name it
    const char *sent;       // what is sent, in words
    RequestBuilder request;
    Expectation expected;
    const char *rule;  // the DSP0200 (or DTD) rule the expectation comes from
    ClassicDifference classic = ClassicDifference::none;
    bool missingNamespace = false;  // the request targets a namespace that does not exist
    Phase phase = Phase::check;
};

// Every row, in run order.
const std::vector<CheckRow> &checkTable();

}  // namespace conformance
