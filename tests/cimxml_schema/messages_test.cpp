// Message bodies and heads: the entries of a SIMPLERSP and those left out,
// RETURNVALUE and the export response; the response head in the pool and the
// join of header and message. Whole error responses are the operation tests';
// the request encoders' whole requests are the client round trip's.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "cimxml/response_writer.h"
#include "cimxml_common/http_headers.h"
#include "cimxml_common/last_error.h"
#include "cimxml_schema/message_framing.h"
#include "cimxml_schema/request_body.h"
#include "cimxml_schema/response_body.h"
#include "support/cim_fixtures.h"
#include "support/last_error_text.h"
#include "support/log_capture.h"
#include "support/mini_dom.h"
#include "support/profiles.h"

using namespace fixtures;

namespace {

// The pool text written by an intrinsic SIMPLERSP; the lists and the error are freed.
std::string intrinsic_body(const wchar_t *method, CIMList *results, CIMList *declarations = nullptr,
                           ReturnCode *error = nullptr) {
    Pool pool;
    auto name = own(str(method));
    auto owners = std::make_tuple(own(results), own(declarations), own(error));
    EXPECT_EQ(cim_simplersp_toxml(name.get(), nullptr, results, declarations, error, 1, &pool.pool), 1);
    return pool.text();
}

std::string entry_names(const std::string &body) { return child_names(body, {"IMETHODRESPONSE", "IRETURNVALUE"}); }

// Which entries each listed method writes is checked with the whole messages
// of the conformance test; here the other names and the entries left out.
TEST(SimpleResponse, EntriesInListOrderByPropertyTypeOrSkipped) {
    testsupport::LogCapture quiet;
    auto named = [] { return instance(L"CIM_Foo", {}, path(L"CIM_Foo", L"root")); };
    EXPECT_EQ(entry_names(intrinsic_body(L"EnumerateInstances",
                                         list_of(CIMLIST_INSTANCE, {named(), instance(L"CIM_Foo", {}), named()}))),
              "VALUE.NAMEDINSTANCE VALUE.NAMEDINSTANCE");  // the instance without a path is skipped
    EXPECT_EQ(
        entry_names(intrinsic_body(L"GetProperty", property_list({property(L"s", string_value(L"text")),
                                                                  property(L"r", reference_value(path(L"CIM_R"))),
                                                                  property(L"a", array_value(104, {uint32_value(1)})),
                                                                  property(L"n", newCIMValueNULL(CIM_STRING))}))),
        "VALUE VALUE.REFERENCE VALUE.ARRAY");  // by property type under a name the table does not list
    EXPECT_EQ(entry_names(intrinsic_body(L"EnumerateInstances", property_list({property(L"s", string_value(L"x"))}))),
              "");
    EXPECT_EQ(entry_names(intrinsic_body(L"EnumerateInstances", newList(CIMLIST_INSTANCE))), "");
    EXPECT_EQ(entry_names(intrinsic_body(
                  L"GetClass", list_of(CIMLIST_CLASS, {newCIMClass(str(L"A"), nullptr)}),
                  list_of(CIMLIST_QUALIFIERTYPE, {newQualifierType(str(L"Key"), 0, nullptr, CIM_BOOLEAN, 0, 8)}))),
              "");  // declarations, when given, decide alone
}

TEST(MethodAndExportResponse, EmbeddedReturnValueAndErrorWithStatusZero) {
    EXPECT_EQ(encoded(cim_returnvalue_toxml, property(L"e", instance_value(instance(L"I", {})))),
              "<RETURNVALUE EmbeddedObject=\"instance\" PARAMTYPE=\"string\">\n"
              "<VALUE><![CDATA[<INSTANCE CLASSNAME=\"I\">\n</INSTANCE>\n]]></VALUE>\n</RETURNVALUE>\n");
    Pool pool;
    auto name = own(str(L"ExportIndication"));
    auto error = own(newReturnCode(0, nullptr));
    ASSERT_EQ(cim_simpleexprsp_toxml(name.get(), nullptr, nullptr, error.get(), nullptr, &pool.pool), 1);
    EXPECT_EQ(pool.text(), "<SIMPLEEXPRSP>\n<EXPMETHODRESPONSE NAME=\"ExportIndication\">\n"
                           "<ERROR CODE=\"1\" DESCRIPTION=\"Requested operation failed.\"/>\n"
                           "</EXPMETHODRESPONSE>\n</SIMPLEEXPRSP>\n");
}

// A missing name or pool fails the write (after the part written so far)
// and leaves the failure as the thread's last error, never a crash.
TEST(ResponseFailures, MissingNamesAndPoolsAreNotFatal) {
    testsupport::LogCapture quiet(-1);
    Pool pool;
    auto nameless = own(str(nullptr));
    auto name = own(str(L"GetClass"));
    EXPECT_EQ(cim_simplersp_toxml(nullptr, nullptr, nullptr, nullptr, nullptr, 1, &pool.pool), 0);
    EXPECT_EQ(cim_methodresponse_toxml(nullptr, nullptr, nullptr, nullptr, &pool.pool), 0);
    EXPECT_EQ(cim_simpleexprsp_toxml(nullptr, nullptr, nullptr, nullptr, nullptr, &pool.pool), 0);
    EXPECT_EQ(cim_imethodresponse_toxml(nameless.get(), nullptr, nullptr, nullptr, &pool.pool), 0);
    EXPECT_EQ(cim_ireturnvalue_toxml(nullptr, nullptr, nullptr, &pool.pool), 0);
    EXPECT_EQ(cim_ireturnvalue_toxml(name.get(), nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(pool.text(), "<SIMPLERSP>\n<SIMPLEEXPRSP>\n");
    auto error = own(newReturnCode(1, nullptr));
    cimxml_encode_ErrorResponse(nullptr, "1", name.get(), error.get(), 1);
    EXPECT_EQ(testsupport::lastError(), "1: cimxml_encode_ErrorResponse: cim_simplersp_to_xml_failed");
}

const std::string header_lines = "CIMOperation: MethodResponse\r\nCIMProtocolVersion: 1.2\r\n\r\n";
const std::string head_1001 =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n"
    "<MESSAGE ID=\"1001\" PROTOCOLVERSION=\"1.0\">\n";
const std::string tail = "</MESSAGE>\n</CIM>\n";
const std::regex fresh_id(R"(\d{4}(:\d{2}){5}:\d{8})");

// The head with an id is in every whole response of the operation tests.
TEST(ResponseHeader, WithoutIdOnlyTheLines) {
    testsupport::LogCapture log;
    Pool noId;
    EXPECT_EQ(cimxml_begin_response(&noId.pool, nullptr, nullptr), 0);
    EXPECT_EQ(noId.text(), header_lines);
    EXPECT_TRUE(log.contains("No Message ID!", 0));
    EXPECT_TRUE(log.contains("Unable to prepend header to pool", 0));
    EXPECT_EQ(build_cimResponse_header("1", nullptr), 0);
    EXPECT_EQ(cimxml_end_response(nullptr), 0);
}

TEST(Join, HeaderOneEmptyLineThenTheMessageWithAGivenOrFreshId) {
    EXPECT_EQ(take(join_header_and_message("H: 1\r\n", "<SIMPLEREQ/>\n", "1001")),
              "H: 1\r\n\r\n" + head_1001 + "<SIMPLEREQ/>\n" + tail);
    EXPECT_EQ(take(join_header_and_message("H\r\n", nullptr, "1")), null_text);
    std::string joined = take(join_header_and_message(nullptr, "<B/>\n", nullptr));
    std::smatch id;
    ASSERT_TRUE(
        std::regex_search(joined, id, std::regex("<MESSAGE ID=\"([^\"]*)\" PROTOCOLVERSION=\"1.0\">\n<B/>\n" + tail)));
    EXPECT_TRUE(std::regex_match(id[1].str(), fresh_id)) << joined;
}

// Strict ids carry a process-wide count: none repeats, on any thread.
TEST(MessageIds, FreshIdsInTheStrictProfileNeverRepeat) {
    testsupport::ProfileScope strict(true);
    std::vector<std::string> ids[2];
    auto make = [&ids](int t) {
        for (int i = 0; i < 500; ++i) ids[t].push_back(take(get_message_id()));
    };
    std::thread(make, 1).join();
    make(0);
    ids[0].insert(ids[0].end(), ids[1].begin(), ids[1].end());
    EXPECT_EQ(std::set<std::string>(ids[0].begin(), ids[0].end()).size(), 1000u);
    EXPECT_TRUE(std::regex_match(ids[0][0], std::regex(R"(\d{4}(:\d{2}){5}:\d{8}:\d+)"))) << ids[0][0];
}

TEST(ReceivedMessage, SplitsAtTheFirstEmptyLine) {
    received_message_parts parts;
    const char *message = "H: 1\r\nH: 2\r\n\r\n<A/>\r\n\r\n";
    EXPECT_EQ(split_received_message(message, &parts), 1);
    EXPECT_EQ(std::string(parts.header, parts.headerLength), "H: 1\r\nH: 2");
    EXPECT_STREQ(parts.body, "<A/>\r\n\r\n");
    EXPECT_EQ(split_received_message("<A/>", &parts), 0);
    EXPECT_EQ(parts.header, nullptr);
    EXPECT_STREQ(parts.body, "<A/>");
    EXPECT_EQ(split_received_message(nullptr, &parts), 0);
    EXPECT_EQ(parts.body, nullptr);
}

}  // namespace
