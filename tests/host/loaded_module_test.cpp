// The built libcimxml.so as a host sees it: what it exports, and its answers
// to the requests of an independent client, loaded with dlopen.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include <cimxml/cimxml.h>

#include "support/cimom_double.h"
#include "support/log_capture.h"
#include "support/conformance_requests.h"

namespace {

namespace fs = std::filesystem;

std::string output_of(const std::string &command) {
    FILE *pipe = popen((command + " 2>&1").c_str(), "r");
    std::string output;
    char buffer[1024];
    while (pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
    if (pipe != nullptr) pclose(pipe);
    return output;
}

TEST(ModuleExports, DefineExactlyTheThreeRequestEntryPoints) {
    std::istringstream lines(output_of("nm -D --defined-only '" CIMXML_MODULE_PATH "'"));
    const std::set<std::string> linker = {"_init", "_fini", "_end", "_edata", "__bss_start"};
    std::set<std::string> exported;
    std::string address, type, name;
    while (lines >> address >> type >> name) {
        if (linker.count(name) == 0 && name.find('@') == std::string::npos) exported.insert(name);
    }
    EXPECT_EQ(exported, (std::set<std::string>{"CIMXML_RequestMessage_Handler", "CIMXML_getResponseFromMessageHandler",
                                               "CIMXML_releaseMessageHandler"}));
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
    void *library = dlopen(CIMXML_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto handle = reinterpret_cast<decltype(&CIMXML_RequestMessage_Handler)>(
        dlsym(library, "CIMXML_RequestMessage_Handler"));
    auto response = reinterpret_cast<decltype(&CIMXML_getResponseFromMessageHandler)>(
        dlsym(library, "CIMXML_getResponseFromMessageHandler"));
    auto release =
        reinterpret_cast<decltype(&CIMXML_releaseMessageHandler)>(dlsym(library, "CIMXML_releaseMessageHandler"));
    ASSERT_TRUE(handle && response && release);
    testsupport::CimomDouble cimom;
    cimom.answerEverySlot();
    testsupport::LogCapture quiet(-1);
    fs::path folder = fs::temp_directory_path() / ("cimxml-host-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    std::string failures, files;
    int sent = testsupport::forEachServedRequest([&](const std::string &name, const std::string &operation,
                                                     const std::string &text) {
        cimom.clearCalls();
        // The second argument is the host's own; the module must not read it.
        MessageHandler *record = handle(text.c_str(), reinterpret_cast<void *>(0x1), cimom.handle());
        std::string answer = record != nullptr && response(record) != nullptr ? response(record) : "(no response)";
        release(record);
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
        std::ofstream(folder / (name + ".xml"), std::ios::binary) << body;
        files += " '" + name + ".xml'";
    });
    if (sent == 0) {
        fs::remove_all(folder);
        GTEST_SKIP() << "conformance folder absent";
    }
    EXPECT_GT(sent, 300);
    EXPECT_EQ(failures, "");

    // One xmllint run validates every answer; it names each file it rejects
    // and fails when there is one.
    const std::string dtd = testsupport::ownOutputDtd(strict_profile());
    if (!dtd.empty() && testsupport::haveXmllint()) {
        std::string complaints = output_of("cd '" + folder.string() + "' && xmllint --noout --dtdvalid '" + dtd + "'" +
                                           files + " && echo all valid");
        EXPECT_EQ(complaints, "all valid\n") << "responses that are not DTD-valid:\n" << complaints;
    }
    fs::remove_all(folder);
    std::printf("sent %d client documents\n", sent);
}

}  // namespace
