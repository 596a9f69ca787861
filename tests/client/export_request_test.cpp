// What an indication listener reads from the export requests it receives:
// the module's own request comes back as the instance it carried (encoded
// again, the same message), and every other text is refused with a status
// saying why.
#include <cimxml/cimxml_client.h>
#include <gtest/gtest.h>

#include <regex>

#include "support/decoded_results.h"
#include "support/rich_objects.h"

namespace {

using namespace fixtures;
using testsupport::outcome;

// The message without its (always fresh) message id.
std::string withoutId(const char *text) {
    return std::regex_replace(std::string(text ? text : ""), std::regex("MESSAGE ID=\"[^\"]*\""), "MESSAGE ID=\"\"");
}

TEST(ExportRequests, ListenersGetTheIndicationBackOrAReasonToRefuse) {
    // Values both profiles carry unchanged.
    CIMInstance *alert = instance(L"RT_Alert", {property(L"Message", string_value(tricky.c_str())),
                                                property(L"Count", scalar(CIM_UINT32, 1)),
                                                property(L"Time", scalar(CIM_DATETIME, 1)),
                                                property(L"Codes", array_of(CIM_SINT64))});
    const std::string request = CIMXMLencode_exportIndication(alert, 0);
    const std::string message = CIMXMLencode_exportIndication(alert, 1);
    const std::string call = "<EXPMETHODCALL NAME=\"ExportIndication\">";
    struct Case {
        const char *name;
        std::string text, outcome;
    } cases[] = {
        {"the whole HTTP request", request, "0"},
        {"the message alone", message, "0"},
        {"another method", std::regex_replace(message, std::regex(call), "<EXPMETHODCALL NAME=\"ExportOther\">"),
         "7: the export method is not ExportIndication"},
        {"no NewIndication", std::regex_replace(message, std::regex("\"NewIndication\""), "\"Other\""),
         "4: the request has no NewIndication instance"},
        {"cut short", message.substr(0, message.size() / 2), "1: the request is not well formed: "},
        {"an operation", "<CIM><MESSAGE ID=\"1\"><SIMPLEREQ><IMETHODCALL NAME=\"GetClass\"/></SIMPLEREQ></MESSAGE></CIM>",
         "1: the request is no CIM-XML export request"},
        {"a header only", "POST / HTTP/1.1\r\nHost: x\r\n", "1: the request has no empty line after its header"},
    };
    for (const Case &c : cases) {
        CIMInstance *indication = nullptr;
        char *id = nullptr;
        std::string got = outcome(CIMXMLdecode_exportRequest(c.text.c_str(), &indication, &id));
        EXPECT_EQ(got.substr(0, c.outcome.size()), c.outcome) << c.name << ": " << got;
        EXPECT_EQ(indication != nullptr, c.outcome == "0") << c.name;
        if (!indication) continue;
        EXPECT_NE(c.text.find(std::string("MESSAGE ID=\"") + id + "\""), std::string::npos) << c.name << ": " << id;
        EXPECT_EQ(withoutId(CIMXMLencode_exportIndication(indication, 1)), withoutId(message.c_str())) << c.name;
        freeCIMInstance(indication);
    }
    freeCIMInstance(alert);
}

}  // namespace
