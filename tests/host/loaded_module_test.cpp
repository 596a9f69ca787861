// The built libcimxml.so and libcimxmlclient.so as a host sees them: each
// exports exactly what its public header declares. Their answers, loaded
// with dlopen, are the client round trip's.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <vector>

namespace {

std::string output_of(const std::string &command) {
    FILE *pipe = popen((command + " 2>&1").c_str(), "r");
    std::string output;
    char buffer[1024];
    while (pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
    if (pipe != nullptr) pclose(pipe);
    return output;
}

// The functions public headers mark for export, by name.
std::set<std::string> declared_exports(const std::vector<const char *> &headers) {
    std::set<std::string> names;
    for (const char *header : headers) {
        std::ifstream file(std::string(CIMXML_SOURCE_DIR) + "/include/cimxml/" + header);
        std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        static const std::regex declaration("\nCIMXML_EXPORT[^(;]*?(\\w+)\\(");
        for (std::sregex_iterator it(text.begin(), text.end(), declaration), end; it != end; ++it)
            names.insert((*it)[1]);
    }
    return names;
}

// Each library exports exactly what its header declares, nothing else of ours.
TEST(ModuleExports, EachLibraryDefinesExactlyWhatItsHeaderDeclares) {
    using Headers = std::vector<const char *>;
    for (const auto &[library, headers] : {std::pair{CIMXML_MODULE_PATH, Headers{"cimxml.h", "cimxml_host.h"}},
                                           std::pair{CIMXML_CLIENT_PATH, Headers{"cimxml_client.h"}}}) {
        std::istringstream lines(output_of("nm -D --defined-only '" + std::string(library) + "'"));
        const std::set<std::string> linker = {"_init", "_fini", "_end", "_edata", "__bss_start"};
        std::set<std::string> exported;
        std::string address, type, name;
        while (lines >> address >> type >> name) {
            if (linker.count(name) == 0 && name.find('@') == std::string::npos) exported.insert(name);
        }
        EXPECT_EQ(exported, declared_exports(headers)) << library;
    }
}

}  // namespace
