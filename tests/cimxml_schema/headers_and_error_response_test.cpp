// Tests of the response header and message head in the pool, the request
// headers, the join of header and message, the split of received messages,
// and the complete error response.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "cimxml/last_error.h"
#include "cimxml/response_writer.h"
#include "cimxml_common/http_headers.h"
#include "cimxml_schema/cim_fixtures.h"
#include "cimxml_schema/mini_dom.h"
#include "support/log_capture.h"
#include "support/xml_checks.h"

using namespace fixtures;

namespace {

const std::string header_lines = "CIMOperation: MethodResponse\r\nCIMProtocolVersion: 1.2\r\n\r\n";
const std::string head_1001 =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n"
    "<MESSAGE ID=\"1001\" PROTOCOLVERSION=\"1.0\">\n";
const std::string tail = "</MESSAGE>\n</CIM>\n";
const std::regex fresh_id(R"(\d{4}(:\d{2}){5}:\d{8})");

std::string host_line() {
    std::string host = system_host();
    return host == "localhost" ? "" : "Host: " + host + "\r\n";
}

TEST(ResponseHeader, PoolForMessage1001HoldsLinesEmptyLineAndHeadWithoutIdOnlyTheLines) {
    Pool pool;
    EXPECT_EQ(build_cimResponse_header("1001", &pool.pool), 1);
    EXPECT_EQ(pool.text(), header_lines + head_1001);
    testsupport::LogCapture log;
    Pool noId;
    EXPECT_EQ(cimxml_begin_response(&noId.pool, nullptr, nullptr), 0);
    EXPECT_EQ(noId.text(), header_lines);
    EXPECT_TRUE(log.contains("No Message ID!", 0));
    EXPECT_TRUE(log.contains("Unable to prepend header to pool", 0));
    EXPECT_EQ(build_cimResponse_header("1", nullptr), 0);
    EXPECT_EQ(cimxml_end_response(nullptr), 0);
}

TEST(RequestHeader, LinesInTheirOrderWithObjectOrBatchLine) {
    std::string expected = "POST /CIMOM2 HTTP/1.1\r\nContent-Length: 350\r\nCIMObject: root/cimv2\r\n"
                           "Connection: Keep-Alive\r\n" + host_line() +
                           "User-Agent: ZEL_CLIENT_ADAPTER\r\nCIMOperation: MethodCall\r\nCIMProtocolVersion: 1.2\r\n"
                           "CIMMethod: GetClass\r\nContent-Type: text/xml;charset=UTF-8\r\n"
                           "Accept: text/xml, application/xml\r\n";
    EXPECT_EQ(take(build_cimRequest_header("GetClass", "root/cimv2", 350, 0)), expected);
    std::string batch = take(build_cimRequest_header("GetClass", "root/cimv2", 350, 1));
    EXPECT_EQ(batch, std::regex_replace(expected, std::regex("CIMObject: root/cimv2"), "CIMBatch: "));
    EXPECT_NE(take(build_cimRequest_header("EnumerateClasses", nullptr, 1, 0)).find("Content-Length: 1\r\nConnection"),
              std::string::npos);
    std::string method(300, 'M'), object(500, 'o');  // longer than the fixed line buffers
    std::string header = take(build_cimRequest_header(method.c_str(), object.c_str(), 1, 0));
    EXPECT_NE(header.find("CIMMethod: " + method + "\r\n"), std::string::npos);
    EXPECT_NE(header.find("CIMObject: " + object + "\r\n"), std::string::npos);
    EXPECT_EQ(take(build_cimRequest_header(nullptr, "root", 1, 0)), null_text);
    EXPECT_EQ(take(build_cimexpRequest_header(nullptr, 1, 0)), null_text);
}

TEST(ExportHeader, LinesInTheirOrderWithDateAndBatchLine) {
    std::string header = take(build_cimexpRequest_header("ExportIndication", 1234, 0));
    EXPECT_TRUE(std::regex_match(
        header, std::regex("POST /CIMOM2 HTTP/1.1\r\nContent-Length: 1234\r\nConnection: Keep-Alive\r\n" + host_line() +
                           "User-Agent: ZEL_CLIENT_ADAPTER\r\nCIMExport: MethodRequest\r\nCIMProtocolVersion: 1.2\r\n"
                           "CIMExportMethod: ExportIndication\r\nContent-Type: text/xml;charset=UTF-8\r\n"
                           "Date: [A-Z][a-z]{2} [A-Z][a-z]{2} \\d{2} \\d{2}:\\d{2}:\\d{2} \\d{4}\r\n"
                           "Accept: text/xml, application/xml\r\n")))
        << header;
    EXPECT_NE(take(build_cimexpRequest_header("ExportIndication", 5, 1))
                  .find("Content-Length: 5\r\nCIMExportBatch: \r\nConnection"),
              std::string::npos);
}

TEST(Join, HeaderOneEmptyLineThenTheMessageWithAGivenOrFreshId) {
    EXPECT_EQ(take(join_header_and_message("H: 1\r\n", "<SIMPLEREQ/>\n", "1001")),
              "H: 1\r\n\r\n" + head_1001 + "<SIMPLEREQ/>\n" + tail);
    EXPECT_EQ(take(join_header_and_message(nullptr, "<SIMPLEREQ/>\n", "1001")), head_1001 + "<SIMPLEREQ/>\n" + tail);
    EXPECT_EQ(take(join_header_and_message("H\r\n", nullptr, "1")), null_text);
    std::string joined = take(join_header_and_message(nullptr, "<B/>\n", nullptr));
    std::smatch id;
    ASSERT_TRUE(
        std::regex_search(joined, id, std::regex("<MESSAGE ID=\"([^\"]*)\" PROTOCOLVERSION=\"1.0\">\n<B/>\n" + tail)));
    EXPECT_TRUE(std::regex_match(id[1].str(), fresh_id)) << joined;
    EXPECT_EQ(joined.size(), message_envelope_length(message_id_length) + 5);
}

TEST(ReceivedMessage, SplitsAtTheFirstEmptyLineOrIsAllBody) {
    received_message_parts parts;
    ASSERT_EQ(split_received_message("A: 1\r\nB: 2\r\n\r\n<?xml?>\r\n\r\nrest", &parts), 1);
    EXPECT_EQ(std::string(parts.header, parts.headerLength), "A: 1\r\nB: 2");
    EXPECT_STREQ(parts.body, "<?xml?>\r\n\r\nrest");
    EXPECT_EQ(split_received_message("<?xml?>", &parts), 0);
    EXPECT_STREQ(parts.body, "<?xml?>");
}

std::string error_response(const char *id, const wchar_t *method, int code, const wchar_t *description, int intrinsic,
                           Pool &pool) {
    auto name = own(str(method));
    auto error = own(newReturnCode(code, description));
    cimxml_encode_ErrorResponse(&pool.pool, id, name.get(), error.get(), intrinsic);
    return pool.text();
}

TEST(ErrorResponse, WholeResponseReplacingWhatThePoolHeld) {
    Pool pool;
    ASSERT_EQ(cimxml_begin_response(&pool.pool, "1001", "test"), 1);
    pool.pool.append(&pool.pool, "<SIMPLERSP>\n<IMETHODRESPONSE NAME=\"X\">\n", 0, 0);  // a partial response
    EXPECT_EQ(error_response("1001", L"GetClass", 6, L"CIM_Foo not found", 1, pool),
              header_lines + head_1001 + "<SIMPLERSP>\n<IMETHODRESPONSE NAME=\"GetClass\">\n"
                                         "<ERROR CODE=\"6\" DESCRIPTION=\"CIM_Foo not found\"/>\n"
                                         "</IMETHODRESPONSE>\n</SIMPLERSP>\n" + tail);
    Pool seven, extrinsic;
    EXPECT_NE(error_response("7", L"InvokeMethod", 7, nullptr, 1, seven)
                  .find("<IMETHODRESPONSE NAME=\"InvokeMethod\">\n<ERROR CODE=\"7\" />\n</IMETHODRESPONSE>\n"),
              std::string::npos);
    EXPECT_NE(error_response("1", L"Reset", 1, nullptr, 0, extrinsic)
                  .find("<SIMPLERSP>\n<METHODRESPONSE NAME=\"Reset\">\n<ERROR CODE=\"1\" />\n</METHODRESPONSE>\n"),
              std::string::npos);
}

TEST(ErrorResponse, UnknownIdGetsAFreshIdAndAWholeDocument) {
    Pool pool;
    std::string text = error_response(nullptr, L"Unknown", 4, L"Invalid message!", 1, pool);
    ASSERT_EQ(text.rfind(header_lines, 0), 0u);
    auto root = parse_document(testsupport::bodyAfterHeader(text));
    ASSERT_NE(root, nullptr) << text;
    EXPECT_TRUE(std::regex_match(root->child("MESSAGE")->attribute("ID"), fresh_id)) << text;
    EXPECT_NE(text.find("<IMETHODRESPONSE NAME=\"Unknown\">\n<ERROR CODE=\"4\" DESCRIPTION=\"Invalid message!\"/>\n"),
              std::string::npos);
}

TEST(ErrorResponse, MissingNameOrPoolIsLoggedAndRecordedNotFatal) {
    testsupport::LogCapture log;
    Pool pool;
    auto error = own(newReturnCode(1, nullptr));
    cimxml_encode_ErrorResponse(&pool.pool, "1", nullptr, error.get(), 1);
    EXPECT_TRUE(log.contains("cimxml_encode_ErrorResponse - failed", 0));
    auto name = own(str(L"GetClass"));
    cimxml_encode_ErrorResponse(nullptr, "1", name.get(), error.get(), 1);
    EXPECT_TRUE(log.contains("Unable to initialize string pool", 0));
    auto last = own(cimxml_getlasterror());
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->rc, 1);
    EXPECT_EQ(take(createCharFromCIMString(last->description)),
              "cimxml_encode_ErrorResponse: cim_simplersp_to_xml_failed");
}

}  // namespace
