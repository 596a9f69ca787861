// command_line.h - reading cimxml-cli's command line.
#pragma once

#include <optional>
#include <ostream>

#include "commands.h"
#include "http_transport.h"
#include "result_writer.h"

namespace cli {

struct ParsedCommandLine {
    const Command *command = nullptr;
    Invocation invocation;
    OutputForm output = OutputForm::mof;
    remote::TransportOptions transport;
};

// Reads argv: global options, one subcommand with its URL, arguments and
// options (global options may also follow the subcommand). Returns nullopt
// after writing the help asked for (--help, of the program or of a
// subcommand) to out. Throws ClientError(exitUsage) with the complaint in
// one line ("get-class: URL is required").
std::optional<ParsedCommandLine> parseCommandLine(int argc, char **argv, std::ostream &out);

}  // namespace cli
