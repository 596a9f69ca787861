// commands.h - the subcommands of cimxml-cli: one per CIM operation, each
// with the operation's parameters as options and the object as a WBEM URL.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cim_connection.h"
#include "result_writer.h"

namespace cli {

// The options a command takes, as bits.
enum OptionBit : unsigned {
    deepInheritanceOption = 1u << 0,
    localOnlyOption = 1u << 1,
    includeQualifiersOption = 1u << 2,
    includeClassOriginOption = 1u << 3,
    propertyListOption = 1u << 4,
    assocClassOption = 1u << 5,
    resultClassOption = 1u << 6,
    roleOption = 1u << 7,
    resultRoleOption = 1u << 8,
    queryLanguageOption = 1u << 9,
    mofOption = 1u << 10,
    namespaceOption = 1u << 11,
    dtdOption = 1u << 12,
    classicOption = 1u << 13,
    pullOption = 1u << 14,              // --max-object-count, --no-pull
    filterQueryOption = 1u << 15,       // --filter-query, --filter-query-language
    operationTimeoutOption = 1u << 16,  // --operation-timeout
    subscriptionOption = 1u << 17,      // --destination, --name
};

// What the command line says to one command.
struct Invocation {
    std::string url;
    std::vector<std::string> arguments;  // after the URL
    bool deepInheritance = false;
    bool localOnly = false;
    bool includeQualifiers = false;
    bool includeClassOrigin = false;
    std::optional<std::vector<std::string>> propertyList;  // nullopt: every property
    std::optional<std::string> assocClass, resultClass, role, resultRole;
    std::string queryLanguage = "WQL";
    std::optional<std::string> mof;  // --mof TEXT
    std::optional<std::string> nameSpace, dtd;  // conformance: --namespace NS, --dtd FILE
    bool classic = false;                       // conformance: --classic
    // Pulled enumerations: the size of each piece, or the traditional
    // operation only; the open's filter and the context's timeout.
    unsigned maxObjectCount = 1000;
    bool noPull = false;
    std::optional<std::string> filterQuery;
    std::string filterQueryLanguage = "DMTF:FQL";
    std::optional<unsigned> operationTimeout;  // seconds; nullopt: the server's default
    // listen: where, how many indications before ending (0: no end), TLS.
    std::string bind = "127.0.0.1";
    int port = 5990;
    unsigned count = 0;
    std::string tlsCert, tlsKey;
    // subscribe: the listener's URL and the name of the three instances.
    std::optional<std::string> destination, subscriptionName;
};

// What a command works with while it runs.
struct CommandContext {
    remote::CimConnection &connection;
    ResultWriter &out;
    const Invocation &invocation;
    const char *commandName;
    OutputForm output;                          // -o, for commands that write their own report
    const remote::TransportOptions &transport;  // for commands that talk HTTP themselves

    // Sends request and hands the answer's body to the writer; returns the body.
    std::string call(char *request, const char *operation);
};

struct Command {
    const char *name;
    const char *summary;
    const char *object;              // what the URL names, for the help ("a class: http://host/ns:Class")
    const char *argumentsName;       // the positional arguments after the URL; nullptr: none
    int minArguments, maxArguments;  // maxArguments -1: any number
    unsigned options;                // OptionBit values
    unsigned trueByDefault;          // the flags among them that default to true
    void (*run)(CommandContext &context);
    bool listens = false;  // takes no server URL: it is a server itself
};

// Every command, in the order the help lists them.
const std::vector<Command> &commandTable();

// The runners, grouped by the operations they serve (one file each).
void runGetClass(CommandContext &c);
void runEnumerateClasses(CommandContext &c);
void runEnumerateClassNames(CommandContext &c);
void runCreateClass(CommandContext &c);
void runModifyClass(CommandContext &c);
void runDeleteClass(CommandContext &c);
void runGetInstance(CommandContext &c);
void runEnumerateInstances(CommandContext &c);
void runEnumerateInstanceNames(CommandContext &c);
void runEnumerationCount(CommandContext &c);
void runCreateInstance(CommandContext &c);
void runModifyInstance(CommandContext &c);
void runDeleteInstance(CommandContext &c);
void runExecQuery(CommandContext &c);
void runGetProperty(CommandContext &c);
void runSetProperty(CommandContext &c);
void runInvokeMethod(CommandContext &c);
void runAssociators(CommandContext &c);
void runAssociatorNames(CommandContext &c);
void runReferences(CommandContext &c);
void runReferenceNames(CommandContext &c);
void runGetQualifier(CommandContext &c);
void runSetQualifier(CommandContext &c);
void runDeleteQualifier(CommandContext &c);
void runEnumerateQualifiers(CommandContext &c);
void runCreateNamespace(CommandContext &c);
void runDeleteNamespace(CommandContext &c);
void runEnumerateNamespaces(CommandContext &c);
void runConformance(CommandContext &c);
void runServer(CommandContext &c);
// The filter, destination and subscription of one listener, made (the
// three paths written) or removed by their name.
void runSubscribe(CommandContext &c);
void runUnsubscribe(CommandContext &c);
// Listens for ExportIndication requests and writes each indication as it
// comes; ends after --count of them (never without), or on a failure to
// listen (exit 69).
int runListen(const Invocation &invocation, OutputForm output);

}  // namespace cli
