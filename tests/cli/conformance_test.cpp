// cimxml-cli conformance: against the real cimxmld in both profiles (every
// check passes, the scratch objects are gone afterwards, a leftover of an
// interrupted run is removed first), and against recorded faulty answers,
// each of which must fail its check with the reason.
#include <gtest/gtest.h>

#include <iostream>

#include "replay_server.h"
#include "support/xml_checks.h"

namespace clitest {
namespace {

using httptest::ServerProcess;

std::string summaryLine(const std::string &out) {
    size_t at = out.rfind("{\"kind\":\"summary\"");
    return at == std::string::npos ? std::string() : out.substr(at);
}

TEST(Conformance, CimxmldPassesInBothProfiles) {
    for (bool strict : {true, false}) {
        SCOPED_TRACE(strict ? "strict" : "classic");
        ServerProcess server({"--profile", strict ? "strict" : "classic"});
        const std::string url = "http://127.0.0.1:" + std::to_string(server.port()) + "/root/cimv2";
        // What an interrupted run would have left behind (the strict client
        // tools refuse classic's answer to CreateClass, so strict only).
        if (strict) {
            ASSERT_EQ(runTool({"create-class", url, "--mof", "class ConfCheck_Plain { [Key] string Name; };"}).status,
                      0);
        }

        std::vector<std::string> args = {"conformance", url, "-o", "json"};
        if (!strict) args.push_back("--classic");
        std::string dtd = testsupport::ownOutputDtd(strict);
        if (dtd.empty())
            std::cerr << "[  NOTE    ] no conformance data (CIMXML_CONFORMANCE_DIR): DTD validation skipped\n";
        else
            args.insert(args.end(), {"--dtd", dtd});
        httptest::CommandResult result = runTool(args);
        EXPECT_EQ(result.status, 0) << result.out << result.err;
        EXPECT_EQ(result.err, "");
        std::string summary = summaryLine(result.out);
        EXPECT_NE(summary.find("\"failed\":0,\"not_run\":0"), std::string::npos) << summary;
        if (strict) {
            EXPECT_NE(summary.find("\"settled\":[]"), std::string::npos) << summary;
        } else {
            for (const char *settled : {"\"createclass.base\"", "\"unserved.openenumerateinstances\"",
                                        "\"getclass.no-classname\"", "\"deletequalifier.unused\""})
                EXPECT_NE(summary.find(settled), std::string::npos) << settled;
        }
        EXPECT_EQ(runTool({"get-class", url + ":ConfCheck_Scratch"}).status, 6);
        EXPECT_EQ(runTool({"get-class", url + ":ConfCheck_Plain"}).status, 6);
        EXPECT_EQ(runTool({"get-qualifier", url, "ConfCheck_Mark"}).status, 6);
    }
}

std::string message(const std::string &response) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">"
           "<MESSAGE ID=\"1\" PROTOCOLVERSION=\"1.0\"><SIMPLERSP>" +
           response + "</SIMPLERSP></MESSAGE></CIM>\n";
}
const std::vector<std::pair<std::string, std::string>> cimHeaders = {{"CIMOperation", "MethodResponse"},
                                                                     {"CIMProtocolVersion", "1.0"}};
RecordedAnswer answer(const std::string &name, const std::string &inside,
                      std::vector<std::pair<std::string, std::string>> headers = cimHeaders) {
    return {200, message("<IMETHODRESPONSE NAME=\"" + name + "\">" + inside + "</IMETHODRESPONSE>"), headers, 0};
}

struct Faulty {
    const char *check;  // the check that receives the answer
    RecordedAnswer answer;
    const char *reason;  // what its report line must say
};

TEST(Conformance, FaultyAnswersFailTheirChecks) {
    const Faulty faults[] = {
        {"setqualifier.create", answer("SetQualifier", "<IRETURNVALUE></IRETURNVALUE>"),
         "empty IRETURNVALUE where the operation returns nothing"},
        {"setqualifier.second", answer("SetQualifier", "<ERROR CODE=\"4\"/>"),
         "CIM_ERR_INVALID_PARAMETER (4), expected success"},
        {"setqualifier.bad-namespace", answer("SetQualifier", "<ERROR CODE=\"6\"/>"),
         "CIM_ERR_NOT_FOUND (6), expected CIM_ERR_INVALID_NAMESPACE (3)"},
        {"getqualifier.found", answer("GetClass", "<IRETURNVALUE></IRETURNVALUE>"),
         "IMETHODRESPONSE NAME \"GetClass\", expected \"GetQualifier\""},
        {"getqualifier.not-found", answer("GetQualifier", "<ERROR CODE=\"6\"/>", {}),
         "no CIMOperation header (MethodResponse expected)"},
        {"getqualifier.no-name", {200, "<CIM><MESSAGE>", cimHeaders, 0}, "body is not well-formed XML"},
        {"enumeratequalifiers.all", answer("EnumerateQualifiers", "<IRETURNVALUE><CLASS NAME=\"A\"/></IRETURNVALUE>"),
         "CLASS in IRETURNVALUE, expected QUALIFIER.DECLARATION"},
        {"enumeratequalifiers.bad-namespace",
         answer("EnumerateQualifiers", "<IRETURNVALUE></IRETURNVALUE><ERROR CODE=\"3\"/>"), "holds ERROR beside"},
        {"createclass.base", answer("CreateClass", "<ERROR CODE=\"x\"/>"), "ERROR CODE \"x\" is no number"},
        {"createclass.subclass",
         answer("CreateClass", "", {{"CIMOperation", "MethodResponse"}, {"CIMProtocolVersion", "1.0"},
                                    {"CIMError", "request-not-valid"}}),
         "a CIMError header (\"request-not-valid\") on a 200 answer"},
    };
    // The clean-up rows go first, before any check.
    std::vector<RecordedAnswer> answers(8, answer("DeleteClass", ""));
    for (const Faulty &fault : faults) answers.push_back(fault.answer);
    ReplayServer server(answers);
    std::vector<std::string> args = {"conformance", "http://127.0.0.1:" + std::to_string(server.port())};
    std::string dtd = testsupport::ownOutputDtd(true);
    if (!dtd.empty()) args.insert(args.end(), {"--dtd", dtd});
    httptest::CommandResult result = runTool(args);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("conformance checks failed"), std::string::npos) << result.err;
    for (const Faulty &fault : faults) {
        size_t line = result.out.find("FAIL    " + std::string(fault.check) + " ");
        ASSERT_NE(line, std::string::npos) << fault.check << "\n" << result.out;
        std::string text = result.out.substr(line, result.out.find('\n', line) - line);
        EXPECT_NE(text.find(fault.reason), std::string::npos) << text;
    }
    // Every recorded answer carries MESSAGE ID 1.
    EXPECT_NE(result.out.find("MESSAGE ID \"1\", expected the request's"), std::string::npos);
    if (!dtd.empty()) {
        EXPECT_NE(result.out.find("not valid against the DTD"), std::string::npos);
    }
    // The replaying server stops after 64 requests: what follows is not run.
    EXPECT_NE(result.out.find("NOT RUN "), std::string::npos);
}

}  // namespace
}  // namespace clitest
