// command_line.cpp - the command line, read with CLI11 from the command table.
#include "command_line.h"

#include <cctype>

#include <CLI/CLI.hpp>

#include "client_error.h"

namespace cli {

namespace {

const char *const programHelp =
    "cimxml-cli: every CIM operation against a WBEM server that speaks CIM-XML.\n"
    "  cimxml-cli [OPTIONS] COMMAND URL [ARGUMENTS] [OPTIONS]\n"
    "URL: http[s]://[user[:password]@]host[:port]/namespace[:Class[.Key=\"value\",N=3]]\n"
    "(ports 5988 and 5989 by default; the namespace root/cimv2 when none is given)";

const char *const footer =
    "Input objects are MOF, given as --mof TEXT or as a FILE (- reads standard input).\n"
    "A password not in the URL comes from CIMXML_PASSWORD, or is asked on the terminal\n"
    "when the server wants one.\n"
    "Exit status: 0 success; 1..28 the CIM status the server answered with;\n"
    "64 usage; 65 MOF or argument values that do not compile or convert; 66 an input\n"
    "file that cannot be read; 69 server unreachable (also TLS and certificate\n"
    "failures); 70 internal; 75 timeout; 76 an answer that is not a CIM-XML response;\n"
    "77 authentication refused or needed; 130 interrupted (Ctrl-C).\n"
    "The enumerations (enumerate-instances, enumerate-instance-names, associators,\n"
    "associator-names, references, reference-names of an instance, exec-query) pull\n"
    "their results in pieces of --max-object-count, each written as it comes, and\n"
    "use the traditional operation with --no-pull, for an option only it has, or\n"
    "when the server has no pull operations. Ctrl-C closes the enumeration on the\n"
    "server before the program ends.";

struct FlagSpec {
    unsigned bit;
    const char *name;
    bool Invocation::*field;
    const char *help;
};

const FlagSpec flagSpecs[] = {
    {deepInheritanceOption, "--deep-inheritance", &Invocation::deepInheritance,
     "DeepInheritance: include the subclasses' subclasses (and their properties)"},
    {localOnlyOption, "--local-only", &Invocation::localOnly, "LocalOnly: only what the class itself declares"},
    {includeQualifiersOption, "--include-qualifiers", &Invocation::includeQualifiers,
     "IncludeQualifiers: with qualifiers"},
    {includeClassOriginOption, "--include-class-origin", &Invocation::includeClassOrigin,
     "IncludeClassOrigin: name the class that declares each member"},
    {classicOption, "--classic", &Invocation::classic,
     "the server runs the classic profile: its defined differences are settled, not failures"},
    {pullOption, "--no-pull", &Invocation::noPull,
     "the traditional operation, the whole set in one answer, instead of pulling it in pieces"},
};

struct TextSpec {
    unsigned bit;
    const char *name;
    std::optional<std::string> Invocation::*field;
    const char *help;
};

const TextSpec textSpecs[] = {
    {assocClassOption, "--assoc-class", &Invocation::assocClass, "AssocClass: only through this association class"},
    {resultClassOption, "--result-class", &Invocation::resultClass, "ResultClass: only results of this class"},
    {roleOption, "--role", &Invocation::role, "Role: the role the object plays in the association"},
    {resultRoleOption, "--result-role", &Invocation::resultRole, "ResultRole: the role the result plays"},
    {mofOption, "--mof", &Invocation::mof, "the MOF text to send (instead of a FILE)"},
    {namespaceOption, "--namespace", &Invocation::nameSpace,
     "the namespace to create the scratch objects in (the URL's otherwise)"},
    {dtdOption, "--dtd", &Invocation::dtd, "validate every answer against this DTD file (the DMTF CIM-XML DTD)"},
    {subscriptionOption, "--destination", &Invocation::destination, "the listener's URL: http[s]://host:port/path"},
    {subscriptionOption, "--name", &Invocation::subscriptionName,
     "the Name of the filter, destination and subscription (cimxml-cli:PID-TIME)"},
};

// The name of the positional arguments: the leading capitals of their description.
std::string positionalName(const char *description) {
    std::string name;
    for (const char *c = description; std::isupper(static_cast<unsigned char>(*c)) || *c == '_'; ++c)
        name += *c;
    return name;
}

// The names of "a,b"; empty ones ("" or "a,,b") are left out.
std::vector<std::string> commaSeparated(const std::string &text) {
    std::vector<std::string> items;
    for (size_t start = 0; start < text.size();) {
        size_t comma = std::min(text.find(',', start), text.size());
        if (comma > start) items.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    return items;
}

}  // namespace

std::optional<ParsedCommandLine> parseCommandLine(int argc, char **argv, std::ostream &out) {
    ParsedCommandLine parsed;
    CLI::App app(programHelp, "cimxml-cli");
    app.require_subcommand(1, 1);
    app.footer(footer);
    std::string output = "mof";
    app.add_option("-o,--output", output, "mof (the default), json (one object a line) or xml (the raw response)")
        ->check(CLI::IsMember({"mof", "json", "xml"}));
    app.add_option("--timeout", parsed.transport.timeoutSeconds,
                   "seconds to wait for the connection and each answer (30)")
        ->check(CLI::Range(1, 86400));
    app.add_option("--ca", parsed.transport.caFile, "the certificates that may sign the server's (https)");
    app.add_flag("--insecure", parsed.transport.insecure, "do not check the server's certificate (https)");
    app.add_flag("-v,--verbose", parsed.transport.verbose, "request and response headers on stderr");

    const std::vector<Command> &table = commandTable();
    std::vector<Invocation> invocations(table.size());
    std::vector<std::string> propertyLists(table.size());
    std::vector<CLI::Option *> propertyListOptions(table.size(), nullptr);
    std::vector<CLI::App *> subcommands;
    for (size_t i = 0; i < table.size(); ++i) {
        const Command &command = table[i];
        Invocation &in = invocations[i];
        CLI::App *sub = app.add_subcommand(command.name, command.summary);
        sub->fallthrough();
        sub->footer(std::string("URL: ") + command.object +
                    "\nThe program's options (-o, --timeout, --ca, --insecure, -v) may follow the command;"
                    "\ncimxml-cli --help lists them with the exit statuses.");
        if (command.listens) {
            sub->add_option("--bind", in.bind, "the address to listen on (127.0.0.1)");
            sub->add_option("--port", in.port, "the port to listen on (5990; 0: any free one, printed on stderr)")
                ->check(CLI::Range(0, 65535));
            sub->add_option("--count", in.count, "end after this many indications (0, the default: never)");
            sub->add_option("--tls-cert", in.tlsCert, "serve HTTPS with this certificate (PEM)");
            sub->add_option("--tls-key", in.tlsKey, "and this private key (PEM)");
            sub->add_flag_callback("--json", [&output] { output = "json"; }, "JSON lines, as -o json");
        } else {
            sub->add_option("URL", in.url, command.object)->required();
        }
        if (command.argumentsName) {
            int most = command.maxArguments < 0 ? CLI::detail::expected_max_vector_size : command.maxArguments;
            CLI::Option *arguments =
                sub->add_option(positionalName(command.argumentsName), in.arguments, command.argumentsName);
            arguments->expected(command.minArguments, most);
            if (command.minArguments > 0) arguments->required();
        }
        for (const FlagSpec &flag : flagSpecs) {
            if (!(command.options & flag.bit)) continue;
            bool byDefault = (command.trueByDefault & flag.bit) != 0;
            in.*flag.field = byDefault;
            sub->add_flag(flag.name, in.*flag.field,
                          std::string(flag.help) + (byDefault ? " (default: true; =false turns it off)" : ""));
        }
        if (command.options & propertyListOption)
            propertyListOptions[i] = sub->add_option("--property-list", propertyLists[i],
                                                     "PropertyList: only these properties, as NAME,NAME ('' for none)");
        for (const TextSpec &text : textSpecs)
            if (command.options & text.bit)
                sub->add_option_function<std::string>(
                    text.name, [&in, field = text.field](const std::string &value) { in.*field = value; }, text.help);
        if (command.options & queryLanguageOption)
            sub->add_option("--query-language", in.queryLanguage, "the query's language (WQL)");
        if (command.options & pullOption)
            sub->add_option("--max-object-count", in.maxObjectCount,
                            "MaxObjectCount: the objects each piece of the pulled enumeration holds (1000)")
                ->check(CLI::Range(1u, 4294967295u));
        if (command.options & filterQueryOption) {
            sub->add_option_function<std::string>(
                "--filter-query", [&in](const std::string &value) { in.filterQuery = value; },
                "FilterQuery: only the instances the query selects (a pulled enumeration only)");
            sub->add_option("--filter-query-language", in.filterQueryLanguage,
                            "FilterQueryLanguage: the filter's language (DMTF:FQL)");
        }
        if (command.options & operationTimeoutOption)
            sub->add_option_function<unsigned>(
                   "--operation-timeout", [&in](unsigned value) { in.operationTimeout = value; },
                   "OperationTimeout: seconds the server keeps the enumeration between two pulls (its default)")
                ->check(CLI::Range(1u, 4294967295u));
        subcommands.push_back(sub);
    }

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp &help) {
        app.exit(help, out, out);
        return std::nullopt;
    } catch (const CLI::CallForAllHelp &help) {
        app.exit(help, out, out);
        return std::nullopt;
    } catch (const CLI::ParseError &error) {
        std::string where;
        for (size_t i = 0; i < subcommands.size(); ++i)
            if (subcommands[i]->parsed()) where = std::string(table[i].name) + ": ";
        // Without a command, the first word that is no option is a misspelt one.
        for (int i = 1; where.empty() && i < argc; ++i)
            if (argv[i][0] != '-')
                throw remote::ClientError(remote::exitUsage, std::string("unknown command ") + argv[i] +
                                                                 " (cimxml-cli --help lists the commands)");
        throw remote::ClientError(remote::exitUsage, where + remote::oneLine(error.what()));
    }
    for (size_t i = 0; i < table.size(); ++i) {
        if (!subcommands[i]->parsed()) continue;
        for (const std::string &argument : invocations[i].arguments)
            if (argument.empty())
                throw remote::ClientError(remote::exitUsage,
                                          std::string(table[i].name) + ": " + table[i].argumentsName + " is empty");
        parsed.command = &table[i];
        parsed.invocation = std::move(invocations[i]);
        if (propertyListOptions[i] && propertyListOptions[i]->count() > 0)
            parsed.invocation.propertyList = commaSeparated(propertyLists[i]);
    }
    parsed.output = output == "json" ? OutputForm::json : output == "xml" ? OutputForm::xml : OutputForm::mof;
    return parsed;
}

}  // namespace cli
