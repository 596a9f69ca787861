// Requests written by an independent client, sent through the loaded module:
// every answer must be a complete, DTD-valid CIM-XML response.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "host/loaded_module.h"
#include "support/cimom_double.h"
#include "support/xml_checks.h"

namespace {

namespace fs = std::filesystem;

// Operations this module answers; the pull operations and their kind are not.
const std::set<std::string> served = {
    "CreateInstance", "ExportIndication", "EnumerateQualifiers", "EnumerateClasses", "EnumerateClassNames",
    "DeleteQualifier", "GetQualifier", "SetQualifier", "CreateClass", "DeleteClass", "GetClass", "ModifyClass",
    "GetProperty", "SetProperty", "ModifyInstance", "DeleteInstance", "EnumerateInstances",
    "EnumerateInstanceNames", "GetInstance", "ExecQuery", "InvokeMethod", "Associators", "AssociatorNames",
    "References", "ReferenceNames"};

std::string read_file(const fs::path &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string operation_of(const fs::path &meta) {
    static const std::regex field("\"operation\"\\s*:\\s*\"([^\"]*)\"");
    std::smatch match;
    std::string text = read_file(meta);
    return std::regex_search(text, match, field) ? match[1].str() : std::string();
}

// The slot an operation reaches (ModifyInstance is the object manager's setInstance).
std::string slot_of(const std::string &operation) {
    if (operation == "ModifyInstance") return "pfn_setInstance";
    if (operation == "ExportIndication") return "pfn_deliverIndication";
    std::string slot = "pfn_" + operation;
    slot[4] = static_cast<char>(slot[4] - 'A' + 'a');
    return slot;
}

// The element that must carry the answer for an operation.
std::string response_element(const std::string &operation, const std::string &request) {
    if (operation == "ExportIndication") return "<EXPMETHODRESPONSE NAME=\"ExportIndication\">";
    if (operation == "InvokeMethod") {
        static const std::regex call("<METHODCALL\\s+NAME=\"([^\"]*)\"");
        std::smatch match;
        return std::regex_search(request, match, call) ? "<METHODRESPONSE NAME=\"" + match[1].str() + "\">"
                                                       : "<METHODRESPONSE";
    }
    return "<IMETHODRESPONSE NAME=\"" + operation + "\">";
}

struct Sent {
    std::string name;
    std::string operation;
    std::string body;
};

// Validates every body with one xmllint run; maps a document's name to
// xmllint's complaints about it (absent when it validated).
std::map<std::string, std::string> dtd_problems(const std::vector<Sent> &sent, const std::string &dtd) {
    std::map<std::string, std::string> problems;
    // A document xmllint must reject proves that the complaints are read.
    std::vector<Sent> documents = sent;
    documents.push_back({"self-check", "", "<?xml version=\"1.0\"?>\n<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\"/>"});
    fs::path folder = fs::temp_directory_path() / ("cimxml-host-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    std::string command = "cd '" + folder.string() + "' && xmllint --noout --dtdvalid '" + dtd + "'";
    for (const Sent &document : documents) {
        std::ofstream(folder / (document.name + ".xml"), std::ios::binary) << document.body;
        command += " '" + document.name + ".xml'";
    }
    command += " 2>&1";
    FILE *pipe = popen(command.c_str(), "r");
    std::string output;
    char buffer[1024];
    while (pipe != nullptr && std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
    int status = pipe != nullptr ? pclose(pipe) : -1;
    fs::remove_all(folder);

    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        // xmllint names the file at the start of each complaint, or in
        // "Document NAME.xml does not validate against ...".
        std::string file;
        if (line.rfind("Document ", 0) == 0) {
            file = line.substr(9, line.find(' ', 9) - 9);
        } else {
            auto colon = line.find(".xml:");
            if (colon != std::string::npos && line.find(' ') > colon) file = line.substr(0, colon + 4);
        }
        if (file.size() > 4) problems[file.substr(0, file.size() - 4)] += line + "\n";
    }
    if (status == 0 || problems.erase("self-check") == 0) problems["xmllint"] = "did not run as expected:\n" + output;
    return problems;
}

TEST(ConformanceRequests, EveryServedOperationIsAnsweredWithAValidResponse) {
    if (!hosttest::module().loaded()) FAIL() << hosttest::module().error;
    std::string conformance = testsupport::conformanceDir();
    if (conformance.empty()) GTEST_SKIP() << "conformance folder absent";
    fs::path vectors = fs::path(conformance) / "vectors";

    std::vector<fs::path> requests;
    for (const auto &entry : fs::directory_iterator(vectors)) {
        std::string file = entry.path().filename().string();
        if (file.size() > 12 && file.compare(file.size() - 12, 12, ".request.xml") == 0) requests.push_back(entry);
    }
    std::sort(requests.begin(), requests.end());

    testsupport::CimomDouble cimom;
    cimom.answerEverySlot();
    std::vector<Sent> sent;
    std::string failures;
    int errorAnswers = 0;
    for (const fs::path &request : requests) {
        std::string file = request.filename().string();
        std::string name = file.substr(0, file.size() - 12);
        std::string operation = operation_of(vectors / (name + ".meta.json"));
        if (served.count(operation) == 0) continue;

        std::string text = read_file(request);
        cimom.clearCalls();
        std::string response = hosttest::module().roundTrip(text.c_str(), cimom.handle());
        if (response.rfind(hosttest::response_header, 0) != 0) {
            failures += name + ": header lines missing\n";
            continue;
        }
        std::string body = testsupport::bodyAfterHeader(response);
        std::string error = testsupport::wellFormednessError(body);
        if (!error.empty()) failures += name + ": not well formed: " + error + "\n";
        if (body.find(response_element(operation, text)) == std::string::npos) {
            failures += name + ": no " + response_element(operation, text) + "\n";
        }
        auto calls = cimom.calls();
        if (calls.size() != 1 || calls[0].slot != slot_of(operation)) {
            failures += name + ": " + std::to_string(calls.size()) + " calls, not one of " + slot_of(operation) + "\n";
        }
        if (body.find("<ERROR ") != std::string::npos) {
            // Every slot answers with success, so an error is the module's own.
            ++errorAnswers;
            auto at = body.find("<ERROR ");
            failures += name + ": answered " + body.substr(at, body.find('>', at) - at + 1) + "\n";
        }
        sent.push_back({name, operation, body});
    }

    std::string dtd = testsupport::ownOutputDtd();
    std::size_t invalid = 0;
    if (!dtd.empty() && testsupport::haveXmllint()) {
        auto problems = dtd_problems(sent, dtd);
        invalid = problems.size();
        for (const auto &[name, complaint] : problems) failures += name + ": not DTD-valid:\n" + complaint;
    }
    std::printf("sent %zu client documents, %zu DTD-valid, %d answered with an ERROR\n", sent.size(),
                sent.size() - invalid, errorAnswers);
    EXPECT_GT(sent.size(), 0u);
    EXPECT_EQ(failures, "");
}

}  // namespace
