// The built libcimxml.so as a host sees it: what it and libcimxmlclient.so
// export, and its answers to the requests of an independent client, loaded
// with dlopen.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include <cimxml/cimxml.h>

#include "support/cimom_double.h"
#include "support/conformance_requests.h"
#include "support/loaded_module.h"
#include "support/log_capture.h"

namespace {

std::string output_of(const std::string &command) {
    FILE *pipe = popen((command + " 2>&1").c_str(), "r");
    std::string output;
    char buffer[1024];
    while (pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
    if (pipe != nullptr) pclose(pipe);
    return output;
}

// The functions a public header marks for export, by name.
std::set<std::string> declared_exports(const std::string &header) {
    std::ifstream file(std::string(CIMXML_SOURCE_DIR) + "/include/cimxml/" + header);
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    static const std::regex declaration("\nCIMXML_EXPORT[^(;]*?(\\w+)\\(");
    std::set<std::string> names;
    for (std::sregex_iterator it(text.begin(), text.end(), declaration), end; it != end; ++it) names.insert((*it)[1]);
    return names;
}

// Each library exports exactly what its header declares, nothing else of ours.
TEST(ModuleExports, EachLibraryDefinesExactlyWhatItsHeaderDeclares) {
    for (const auto &[library, header] : {std::pair{CIMXML_MODULE_PATH, "cimxml.h"},
                                          std::pair{CIMXML_CLIENT_PATH, "cimxml_client.h"}}) {
        std::istringstream lines(output_of("nm -D --defined-only '" + std::string(library) + "'"));
        const std::set<std::string> linker = {"_init", "_fini", "_end", "_edata", "__bss_start"};
        std::set<std::string> exported;
        std::string address, type, name;
        while (lines >> address >> type >> name) {
            if (linker.count(name) == 0 && name.find('@') == std::string::npos) exported.insert(name);
        }
        EXPECT_EQ(exported, declared_exports(header)) << library;
    }
}

// The slot an operation reaches, and the start of the element its answer is in.
std::string slot_of(const std::string &operation) {
    if (operation == "ModifyInstance") return "pfn_setInstance";
    if (operation == "ExportIndication") return "pfn_deliverIndication";
    return "pfn_" + std::string(1, static_cast<char>(operation[0] - 'A' + 'a')) + operation.substr(1);
}
std::string answer_element(const std::string &operation, const std::string &request) {
    static const std::regex call("<METHODCALL\\s+NAME=\"([^\"]*)\"");
    std::smatch match;
    if (operation == "ExportIndication") return "<EXPMETHODRESPONSE NAME=\"ExportIndication\">";
    if (operation == "InvokeMethod" && std::regex_search(request, match, call))
        return "<METHODRESPONSE NAME=\"" + match[1].str() + "\">";
    return "<IMETHODRESPONSE NAME=\"" + operation + "\">";
}

// The profile the module was loaded in, as the host chose it.
bool strict_profile() {
    const char *profile = std::getenv("CIMXML_PROFILE");
    return profile != nullptr && std::string(profile) == "strict";
}

// Registered twice with CTest: as loaded by default (classic), and with
// CIMXML_PROFILE=strict, whose answers validate against the DMTF DTD itself.
TEST(ConformanceRequests, EveryServedOperationIsAnsweredWithAValidResponse) {
    testsupport::LoadedModule module;
    ASSERT_TRUE(module.loaded()) << dlerror();
    testsupport::CimomDouble cimom;
    cimom.answerEverySlot();
    testsupport::LogCapture quiet(-1);
    std::string failures;
    std::vector<std::pair<std::string, std::string>> answers;
    int sent = testsupport::forEachServedRequest([&](const std::string &name, const std::string &operation,
                                                     const std::string &text) {
        cimom.clearCalls();
        std::string answer = module.answer(text, cimom.handle());
        std::string body = testsupport::bodyAfterHeader(answer);
        std::string problem = testsupport::wellFormednessError(body);
        const char *kind = operation == "ExportIndication" && strict_profile() ? "CIMExport" : "CIMOperation";
        if (answer.rfind(std::string(kind) + ": MethodResponse\r\nCIMProtocolVersion: 1.2\r\n\r\n", 0) != 0)
            problem += " header lines missing";
        if (body.find(answer_element(operation, text)) == std::string::npos) problem += " no answer element";
        // Every slot succeeds, so an ERROR is the module's own.
        if (body.find("<ERROR ") != std::string::npos) problem += " answered with an ERROR";
        std::string calls = cimom.callsText();
        if (calls.rfind(slot_of(operation) + "(", 0) != 0 || std::count(calls.begin(), calls.end(), '\n') != 1)
            problem += " calls:\n" + calls;
        if (!problem.empty()) failures += name + ":" + problem + "\n";
        answers.emplace_back(name, body);
    });
    if (sent == 0) GTEST_SKIP() << "conformance folder absent";
    EXPECT_GT(sent, 300);
    EXPECT_EQ(failures, "");
    EXPECT_EQ(testsupport::ownDtdComplaints(answers, strict_profile()).value_or(""), "")
        << "responses that are not DTD-valid";
    std::printf("sent %d client documents\n", sent);
}

}  // namespace
