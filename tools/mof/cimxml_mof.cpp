// cimxml_mof.cpp - cimxml-mof: compiles MOF files into an object manager
// loaded with the default schema (or a durable repository file) and reports
// every error as file:line:column: message; writes a repository back as MOF.
// Exit status 0 when every file compiled, 1 when one did not (or the dump
// failed), 2 for a wrong command line, a repository that cannot be opened
// or a default schema that fails. With --url the files go to a CIM server
// instead (server_upload.h).
#include <cimom/object_manager.h>
#include <cimom/repository_store.h>

#include <optional>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "server_upload.h"
#include "strict_profile.h"

namespace {

const char usage[] =
    "usage: cimxml-mof [-n NAMESPACE] [-I DIR]... [--schema DIR] [--repository FILE] [--bare] FILE.mof...\n"
    "       cimxml-mof --dump [-n NAMESPACE] [--repository FILE] [--bare] [FILE.mof...]\n"
    "       cimxml-mof --url URL [--timeout S] [--ca FILE] [--insecure] [-n NAMESPACE] FILE.mof...\n"
    "Compiles MOF files against the default schema and reports each error as\n"
    "FILE:LINE:COLUMN: MESSAGE. A file with an error changes nothing.\n"
    "With --url the files are compiled against the server the WBEM URL names\n"
    "(http[s]://[user[:password]@]host[:port]/namespace) and their declarations\n"
    "are sent to it in order; a refused one stops its file. Exit status 69, 75,\n"
    "76 or 77 when the server cannot be reached, times out, answers badly or\n"
    "refuses the credentials.\n"
    "  -n NAMESPACE       namespace of declarations without #pragma namespace (root/cimv2);\n"
    "                     with --dump, the only namespace written\n"
    "  -I DIR             folder searched for #pragma include files\n"
    "  --schema DIR       folder of the default schema (root_cimv2.mof, root_interop.mof)\n"
    "  --repository FILE  compile into the durable repository FILE (an SQLite file, made\n"
    "                     from the default schema when new); each MOF file is one transaction\n"
    "  --bare             start without the default schema (a new repository file is made empty)\n"
    "  --dump             after compiling, write the repository (or NAMESPACE) to standard\n"
    "                     output as MOF that cimxml-mof --bare loads to an equal repository\n"
    "  --help             this text\n";

int fail(const std::string &message) {
    std::fprintf(stderr, "cimxml-mof: %s\n%s", message.c_str(), usage);
    return 2;
}

struct Options {
    cimom::MofOptions mof;
    bool namespaceGiven = false;
    std::string schemaDir = cimom::ObjectManager::defaultSchemaDir();
    std::string repository;
    bool bare = false;
    bool dump = false;
    std::optional<std::string> url;
    remote::TransportOptions transport;
    std::vector<std::string> files;
};

// Reads the command line into options; an error message, or empty.
std::string parse(int argc, char **argv, Options &options, bool &help) {
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        bool hasValue = i + 1 < argc;
        if (argument == "--help" || argument == "-h") {
            help = true;
        } else if (argument == "-n") {
            if (!hasValue) return "-n needs a namespace";
            options.mof.defaultNamespace = cimobj::fromUtf8(argv[++i]);
            options.namespaceGiven = true;
        } else if (argument == "-I") {
            if (!hasValue) return "-I needs a folder";
            options.mof.includeDirs.push_back(argv[++i]);
        } else if (argument == "--schema") {
            if (!hasValue) return "--schema needs a folder";
            options.schemaDir = argv[++i];
        } else if (argument == "--repository") {
            if (!hasValue) return "--repository needs a file";
            options.repository = argv[++i];
        } else if (argument == "--bare") {
            options.bare = true;
        } else if (argument == "--dump") {
            options.dump = true;
        } else if (argument == "--url") {
            if (!hasValue) return "--url needs a WBEM URL";
            options.url = argv[++i];
        } else if (argument == "--timeout") {
            if (!hasValue || std::atoi(argv[i + 1]) < 1) return "--timeout needs a number of seconds";
            options.transport.timeoutSeconds = std::atoi(argv[++i]);
        } else if (argument == "--ca") {
            if (!hasValue) return "--ca needs a file";
            options.transport.caFile = argv[++i];
        } else if (argument == "--insecure") {
            options.transport.insecure = true;
        } else if (argument.size() > 1 && argument[0] == '-') {
            return "unknown option " + argument;
        } else {
            options.files.push_back(argument);
        }
    }
    if (options.files.empty() && !options.dump && !help) return "no MOF file given";
    return {};
}

}  // namespace

int main(int argc, char **argv) {
    Options options;
    bool help = false;
    std::string wrong = parse(argc, argv, options, help);
    if (help) {
        std::fputs(usage, stdout);
        return 0;
    }
    if (!wrong.empty()) return fail(wrong);
    if (options.url) {
        remote::restartInStrictProfile(argv);
        cimSetLogLevel(-1);  // the client library's log lines would repeat each error
        options.transport.program = "cimxml-mof";
        std::optional<std::wstring> nameSpace;
        if (options.namespaceGiven) nameSpace = options.mof.defaultNamespace;
        return uploadMofFiles(*options.url, options.transport, nameSpace, options.files);
    }

    cimom::ObjectManager objectManager;
    std::string schemaDir = options.bare ? std::string() : options.schemaDir;
    // A dump reads the store's tables: without a file, a store in memory
    // takes what is loaded.
    std::string path = options.repository.empty() && options.dump ? ":memory:" : options.repository;
    std::shared_ptr<cimom::RepositoryStore> store;
    if (!path.empty()) {
        cimom::Status status;
        store = cimom::openRepository(objectManager, path, status, schemaDir);
        if (!store) {
            std::fprintf(stderr, "cimxml-mof: %s\n", status.message.c_str());
            return 2;
        }
    } else if (!schemaDir.empty()) {
        std::vector<cimom::MofDiagnostic> errors = objectManager.loadDefaultSchema(schemaDir, cimom::Journaling::Off);
        for (const cimom::MofDiagnostic &error : errors) std::fprintf(stderr, "%s\n", error.text().c_str());
        if (!errors.empty()) return 2;
    }

    cimom::Journaling journaling = store ? cimom::Journaling::On : cimom::Journaling::Off;
    int exitStatus = 0;
    for (const std::string &file : options.files) {
        for (const cimom::MofDiagnostic &error : objectManager.compileMofFile(file, options.mof, journaling)) {
            std::fprintf(stderr, "%s\n", error.text().c_str());
            exitStatus = 1;
        }
    }
    if (options.dump) {
        cimom::Status dumped =
            store->writeMof(std::cout, options.namespaceGiven ? options.mof.defaultNamespace : std::wstring());
        std::cout.flush();
        if (!dumped.ok()) {
            std::fprintf(stderr, "cimxml-mof: %s\n", dumped.message.c_str());
            exitStatus = 1;
        }
    }
    return exitStatus;
}
