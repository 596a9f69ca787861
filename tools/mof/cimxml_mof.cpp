// cimxml_mof.cpp - cimxml-mof: compiles MOF files into an object manager
// loaded with the default schema and reports every error as
// file:line:column: message. Exit status 0 when every file compiled, 1 when
// one did not, 2 for a wrong command line or a default schema that fails.
#include <cimom/object_manager.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char usage[] =
    "usage: cimxml-mof [-n NAMESPACE] [-I DIR]... [--schema DIR] FILE.mof...\n"
    "Compiles MOF files against the default schema and reports each error as\n"
    "FILE:LINE:COLUMN: MESSAGE. A file with an error changes nothing.\n"
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
    cimom::MofOptions options;
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
