// main.cpp - cimxml-cli: one CIM operation per run against a WBEM server,
// results on stdout, any failure as one line on stderr with its exit status.
#include <iostream>

#include "client_error.h"
#include "command_line.h"
#include "strict_profile.h"
#include "wbem_url.h"

int main(int argc, char **argv) {
    remote::restartInStrictProfile(argv);
    // The libraries' own log lines would break the one-line error on stderr.
    cimSetLogLevel(-1);
    try {
        std::optional<cli::ParsedCommandLine> parsed = cli::parseCommandLine(argc, argv, std::cout);
        if (!parsed) return 0;
        parsed->transport.program = "cimxml-cli";
        if (parsed->command->listens) return cli::runListen(parsed->invocation, parsed->output);
        remote::CimConnection connection(remote::parseWbemUrl(parsed->invocation.url), parsed->transport, std::cerr);
        std::unique_ptr<cli::ResultWriter> out = cli::makeResultWriter(parsed->output, std::cout);
        cli::CommandContext context{connection,     *out, parsed->invocation, parsed->command->name,
                                    parsed->output, parsed->transport};
        parsed->command->run(context);
        std::cout.flush();
        return std::cout ? 0 : remote::exitInternal;
    } catch (const remote::ClientError &error) {
        std::cout.flush();
        std::cerr << "cimxml-cli: " << error.what() << "\n";
        return error.status();
    } catch (const std::bad_alloc &) {
        std::cerr << "cimxml-cli: out of memory\n";
        return remote::exitInternal;
    }
}
