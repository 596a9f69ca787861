// cimxml_mof.cpp - cimxml-mof: compiles MOF files into an object manager
// loaded with the default schema and reports every error as
// file:line:column: message. Exit status 0 when every file compiled, 1 when
// one did not, 2 for a wrong command line or a default schema that fails.
// With --url the files go to a CIM server instead (server_upload.h).
#include <cimom/object_manager.h>

#include <optional>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "server_upload.h"
#include "strict_profile.h"

namespace {

const char usage[] =
    "usage: cimxml-mof [-n NAMESPACE] [-I DIR]... [--schema DIR] FILE.mof...\n"
    "       cimxml-mof --url URL [--timeout S] [--ca FILE] [--insecure] [-n NAMESPACE] FILE.mof...\n"
    "Compiles MOF files against the default schema and reports each error as\n"
    "FILE:LINE:COLUMN: MESSAGE. A file with an error changes nothing.\n"
    "With --url the files are compiled against the server the WBEM URL names\n"
    "(http[s]://[user[:password]@]host[:port]/namespace) and their declarations\n"
    "are sent to it in order; a refused one stops its file. Exit status 69, 75,\n"
    "76 or 77 when the server cannot be reached, times out, answers badly or\n"
    "refuses the credentials.\n"
    "  -n NAMESPACE   namespace of declarations without #pragma namespace (root/cimv2)\n"
    "  -I DIR         folder searched for #pragma include files\n"
    "  --schema DIR   folder of the default schema (root_cimv2.mof, root_interop.mof)\n"
    "  --help         this text\n";

int fail(const char *message) {
    std::fprintf(stderr, "cimxml-mof: %s\n%s", message, usage);
    return 2;
}

}  // namespace

int main(int argc, char **argv) {
    remote::restartInStrictProfile(argv);
    cimSetLogLevel(-1);  // the client library's log lines would repeat each error
    cimom::MofOptions options;
    std::optional<std::string> url;
    std::optional<std::wstring> nameSpace;
    remote::TransportOptions transport;
    transport.program = "cimxml-mof";
    std::string schemaDir = cimom::ObjectManager::defaultSchemaDir();
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        bool hasValue = i + 1 < argc;
        if (argument == "--help" || argument == "-h") {
            std::fputs(usage, stdout);
            return 0;
        } else if (argument == "-n") {
            if (!hasValue) return fail("-n needs a namespace");
            options.defaultNamespace = cimobj::fromUtf8(argv[++i]);
            nameSpace = options.defaultNamespace;
        } else if (argument == "--url") {
            if (!hasValue) return fail("--url needs a WBEM URL");
            url = argv[++i];
        } else if (argument == "--timeout") {
            if (!hasValue || std::atoi(argv[i + 1]) < 1) return fail("--timeout needs a number of seconds");
            transport.timeoutSeconds = std::atoi(argv[++i]);
        } else if (argument == "--ca") {
            if (!hasValue) return fail("--ca needs a file");
            transport.caFile = argv[++i];
        } else if (argument == "--insecure") {
            transport.insecure = true;
        } else if (argument == "-I") {
            if (!hasValue) return fail("-I needs a folder");
            options.includeDirs.push_back(argv[++i]);
        } else if (argument == "--schema") {
            if (!hasValue) return fail("--schema needs a folder");
            schemaDir = argv[++i];
        } else if (argument.size() > 1 && argument[0] == '-') {
            return fail(("unknown option " + argument).c_str());
        } else {
            files.push_back(argument);
        }
    }
    if (files.empty()) return fail("no MOF file given");
    if (url) return uploadMofFiles(*url, transport, nameSpace, files);

    cimom::ObjectManager objectManager;
    std::vector<cimom::MofDiagnostic> schemaErrors = objectManager.loadDefaultSchema(schemaDir, cimom::Journaling::Off);
    for (const cimom::MofDiagnostic &error : schemaErrors) std::fprintf(stderr, "%s\n", error.text().c_str());
    if (!schemaErrors.empty()) return 2;

    int status = 0;
    for (const std::string &file : files) {
        for (const cimom::MofDiagnostic &error : objectManager.compileMofFile(file, options, cimom::Journaling::Off)) {
            std::fprintf(stderr, "%s\n", error.text().c_str());
            status = 1;
        }
    }
    return status;
}
