// conformance_command.cpp - cimxml-cli conformance URL: the check table run
// against the server, the report on stdout, exit 1 when a check fails.
#include <iostream>

#include "client_error.h"
#include "commands.h"
#include "conformance_runner.h"

namespace cli {

void runConformance(CommandContext &c) {
    const Invocation &in = c.invocation;
    if (c.output == OutputForm::xml)
        throw remote::ClientError(remote::exitUsage, "conformance writes its report as text (mof) or json");
    const remote::WbemUrl &url = c.connection.url();
    if (url.namesClass())
        throw remote::ClientError(remote::exitUsage,
                                  "conformance needs a server and a namespace in the URL (http://host/namespace)");
    std::string nameSpace = in.nameSpace.value_or(url.nameSpace);
    if (nameSpace.empty()) throw remote::ClientError(remote::exitUsage, "conformance: --namespace is empty");

    std::optional<conformance::DtdValidator> dtd;
    if (in.dtd) dtd.emplace(*in.dtd);
    conformance::Fixture fixture(cimobj::fromUtf8(nameSpace));
    remote::HttpTransport transport(url, c.transport, std::cerr);
    std::vector<conformance::CheckResult> results =
        conformance::runChecks(transport, fixture, dtd ? &*dtd : nullptr, in.classic);

    conformance::RunDescription run{url.authority(), nameSpace, in.classic, in.dtd.value_or("")};
    if (c.output == OutputForm::json)
        conformance::writeJsonReport(std::cout, run, results);
    else
        conformance::writeTextReport(std::cout, run, results);
    int failed = conformance::countOf(results, conformance::Outcome::failed) +
                 conformance::countOf(results, conformance::Outcome::notRun);
    if (failed > 0)
        throw remote::ClientError(1, std::to_string(failed) + " of " + std::to_string(results.size()) +
                                         " conformance checks failed");
}

}  // namespace cli
