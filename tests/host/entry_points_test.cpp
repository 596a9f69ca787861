// The module as a host sees it: what the shared library exports, and the
// answers of its entry points to requests a host must survive.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <string>

#include "host/loaded_module.h"
#include "support/cimom_double.h"
#include "support/xml_checks.h"

namespace {

using hosttest::module;

#define REQUIRE_MODULE()                                              \
    do {                                                              \
        if (!module().loaded()) FAIL() << module().error;             \
    } while (0)

// Symbols every shared object defines that are the linker's, not ours.
bool is_linker_symbol(const std::string &name) {
    static const std::set<std::string> names = {"_init", "_fini", "_end", "_edata", "__bss_start"};
    return names.count(name) != 0;
}

TEST(ModuleExports, DefinesExactlyTheThreeRequestEntryPoints) {
    FILE *pipe = popen("nm -D --defined-only '" CIMXML_MODULE_PATH "' 2>&1", "r");
    ASSERT_NE(pipe, nullptr);
    std::string listing;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) listing += buffer;
    ASSERT_EQ(pclose(pipe), 0) << listing;

    std::set<std::string> ours;
    std::string unexpected;
    std::istringstream lines(listing);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string address, type, name;
        fields >> address >> type >> name;
        if (name.empty() || is_linker_symbol(name) || name.find('@') != std::string::npos) continue;
        if (name.rfind("CIMXML_", 0) == 0) ours.insert(name);
        else unexpected += line + "\n";
    }
    EXPECT_EQ(ours, (std::set<std::string>{"CIMXML_RequestMessage_Handler", "CIMXML_getResponseFromMessageHandler",
                                           "CIMXML_releaseMessageHandler"}));
    EXPECT_EQ(unexpected, "") << "symbols the module must not export";
}

// A body that is well formed and valid against the DTD our output follows;
// empty when it is, else what is wrong.
std::string body_problem(const std::string &response) {
    if (response.rfind(hosttest::response_header, 0) != 0) return "header lines missing: " + response.substr(0, 80);
    std::string body = testsupport::bodyAfterHeader(response);
    std::string error = testsupport::wellFormednessError(body);
    if (!error.empty()) return "not well formed: " + error;
    std::string dtd = testsupport::ownOutputDtd();
    if (dtd.empty() || !testsupport::haveXmllint()) return "";
    error = testsupport::dtdValidationError(body, dtd);
    return error.empty() ? "" : "not DTD-valid: " + error;
}

const char *const get_class_request =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\"><MESSAGE ID=\"77\" PROTOCOLVERSION=\"1.0\"><SIMPLEREQ>"
    "<IMETHODCALL NAME=\"GetClass\"><LOCALNAMESPACEPATH><NAMESPACE NAME=\"root\"/><NAMESPACE NAME=\"cimv2\"/>"
    "</LOCALNAMESPACEPATH><IPARAMVALUE NAME=\"ClassName\"><CLASSNAME NAME=\"CIM_Foo\"/></IPARAMVALUE>"
    "</IMETHODCALL></SIMPLEREQ></MESSAGE></CIM>";

const char *const multiple_request =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\"><MESSAGE ID=\"78\" PROTOCOLVERSION=\"1.0\"><MULTIREQ>"
    "<SIMPLEREQ><IMETHODCALL NAME=\"DeleteClass\"><LOCALNAMESPACEPATH><NAMESPACE NAME=\"root\"/>"
    "</LOCALNAMESPACEPATH><IPARAMVALUE NAME=\"ClassName\"><CLASSNAME NAME=\"A\"/></IPARAMVALUE>"
    "</IMETHODCALL></SIMPLEREQ><SIMPLEREQ><IMETHODCALL NAME=\"DeleteClass\"><LOCALNAMESPACEPATH>"
    "<NAMESPACE NAME=\"root\"/></LOCALNAMESPACEPATH><IPARAMVALUE NAME=\"ClassName\"><CLASSNAME NAME=\"B\"/>"
    "</IPARAMVALUE></IMETHODCALL></SIMPLEREQ></MULTIREQ></MESSAGE></CIM>";

const char *const unknown_operation_request =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
    "<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\"><MESSAGE ID=\"79\" PROTOCOLVERSION=\"1.0\"><SIMPLEREQ>"
    "<IMETHODCALL NAME=\"getclass\"><LOCALNAMESPACEPATH><NAMESPACE NAME=\"root\"/></LOCALNAMESPACEPATH>"
    "<IPARAMVALUE NAME=\"ClassName\"><CLASSNAME NAME=\"CIM_Foo\"/></IPARAMVALUE></IMETHODCALL></SIMPLEREQ>"
    "</MESSAGE></CIM>";

struct BadInput {
    const char *name;
    const char *request;
    bool withHandle;
    const char *expected;  // a line the response must hold
};

void PrintTo(const BadInput &input, std::ostream *out) { *out << input.name; }

class HandlerRejects : public testing::TestWithParam<BadInput> {};

TEST_P(HandlerRejects, WithACompleteErrorResponse) {
    REQUIRE_MODULE();
    const BadInput &input = GetParam();
    testsupport::CimomDouble cimom;
    cimom.answerEverySlot();
    // The second argument is the host's; the module must not read it.
    MessageHandler *handler = module().handle(input.request, reinterpret_cast<void *>(0x1),
                                              input.withHandle ? cimom.handle() : nullptr);
    ASSERT_NE(handler, nullptr);
    const char *text = module().response(handler);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(module().response(handler), text) << "the text is the record's, asked for twice";
    std::string response = text;
    module().release(handler);

    EXPECT_EQ(body_problem(response), "") << response;
    EXPECT_NE(response.find(input.expected), std::string::npos) << response;
    EXPECT_TRUE(cimom.calls().empty()) << "the object manager was called for a rejected request";
}

INSTANTIATE_TEST_SUITE_P(
    BadRequests, HandlerRejects,
    testing::Values(
        BadInput{"NullText", nullptr, true, "<ERROR CODE=\"4\" DESCRIPTION=\"Invalid message!\"/>"},
        BadInput{"EmptyText", "", true, "<ERROR CODE=\"4\" DESCRIPTION=\"Invalid message!\"/>"},
        BadInput{"LeadingBlank", " <CIM/>", true, "<ERROR CODE=\"4\" DESCRIPTION=\"Invalid message!\"/>"},
        BadInput{"EmptyTextWithoutHandle", "", false, "<ERROR CODE=\"4\" DESCRIPTION=\"Invalid message!\"/>"},
        BadInput{"NoOperation", "<CIM><MESSAGE ID=\"1\"/></CIM>", true,
                 "<ERROR CODE=\"1\" DESCRIPTION=\"Message does not contain the operation type!\"/>"},
        BadInput{"MultipleRequests", multiple_request, true,
                 "<ERROR CODE=\"7\" DESCRIPTION=\"Multiple requests are not supported!!\"/>"},
        BadInput{"NullHandle", get_class_request, false,
                 "<ERROR CODE=\"1\" DESCRIPTION=\"The CIMOM Handle is NULL!\"/>"},
        BadInput{"OperationNameInOtherCase", unknown_operation_request, true,
                 "<IMETHODRESPONSE NAME=\"MethodResponse\">\n<ERROR CODE=\"7\" />"}),
    [](const testing::TestParamInfo<BadInput> &info) { return std::string(info.param.name); });

TEST(HandlerRecords, ReleaseAndReadIgnoreNull) {
    REQUIRE_MODULE();
    module().release(nullptr);
    EXPECT_EQ(module().response(nullptr), nullptr);
}

TEST(HandlerRecords, AnswerAGoodRequestFromTheObjectManager) {
    REQUIRE_MODULE();
    testsupport::CimomDouble cimom;
    cimom.answerEverySlot();
    std::string response = module().roundTrip(get_class_request, cimom.handle());
    EXPECT_EQ(body_problem(response), "") << response;
    EXPECT_NE(response.find("<MESSAGE ID=\"77\" PROTOCOLVERSION=\"1.0\">"), std::string::npos) << response;
    EXPECT_NE(response.find("<IMETHODRESPONSE NAME=\"GetClass\">\n<IRETURNVALUE>\n<CLASS NAME=\"CIM_Foo\""),
              std::string::npos)
        << response;
    EXPECT_EQ(cimom.lastCall("pfn_getClass"),
              (testsupport::CallArgs{{"path", "root/cimv2:CIM_Foo"},
                                     {"localOnly", "1"},
                                     {"includeQualifiers", "1"},
                                     {"includeClassOrigin", "0"},
                                     {"propertyList", "(null)"}}));
}

}  // namespace
