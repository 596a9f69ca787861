// Tests of the response header in the pool, the request headers, the join of
// header and message, message ids, dates and the split of received messages.
#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <string>

#include "cimxml_common/http_headers.h"
#include "cimxml_common/memory.h"
#include "cimxml_schema/cim_fixtures.h"
#include "support/log_capture.h"

using namespace fixtures;

namespace {

const char *const head_1001 =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n"
    "<MESSAGE ID=\"1001\" PROTOCOLVERSION=\"1.0\">\n";

std::string host_line() {
    std::string host = system_host();
    return host == "localhost" ? "" : "Host: " + host + "\r\n";
}

TEST(ResponseHeader, PoolForMessage1001HoldsLinesEmptyLineAndHead) {
    Pool pool;
    EXPECT_EQ(build_cimResponse_header("1001", &pool.pool), 1);
    EXPECT_EQ(pool.text(), std::string("CIMOperation: MethodResponse\r\nCIMProtocolVersion: 1.2\r\n\r\n") + head_1001);
}

TEST(ResponseHeader, WithoutMessageIdKeepsTheLinesAndFails) {
    testsupport::LogCapture log;
    Pool pool;
    EXPECT_EQ(build_cimResponse_header(nullptr, &pool.pool), 0);
    EXPECT_EQ(pool.text(), "CIMOperation: MethodResponse\r\nCIMProtocolVersion: 1.2\r\n\r\n");
    EXPECT_TRUE(log.contains("No Message ID!", 0));
}

TEST(ResponseHeader, NullPoolFails) { EXPECT_EQ(build_cimResponse_header("1", nullptr), 0); }

TEST(RequestHeader, LinesInTheirOrder) {
    std::string expected = std::string("POST /CIMOM2 HTTP/1.1\r\n") + "Content-Length: 350\r\n" +
                           "CIMObject: root/cimv2\r\n" + "Connection: Keep-Alive\r\n" + host_line() +
                           "User-Agent: ZEL_CLIENT_ADAPTER\r\n" + "CIMOperation: MethodCall\r\n" +
                           "CIMProtocolVersion: 1.2\r\n" + "CIMMethod: GetClass\r\n" +
                           "Content-Type: text/xml;charset=UTF-8\r\n" + "Accept: text/xml, application/xml\r\n";
    std::string header = take(build_cimRequest_header("GetClass", "root/cimv2", 350, 0));
    EXPECT_EQ(header, expected);
    EXPECT_EQ(header.find("Date:"), std::string::npos);
}

TEST(RequestHeader, BatchLineTakesTheObjectLinesPlace) {
    std::string header = take(build_cimRequest_header("GetClass", "root/cimv2", 350, 1));
    EXPECT_NE(header.find("Content-Length: 350\r\nCIMBatch: \r\nConnection: Keep-Alive\r\n"), std::string::npos);
    EXPECT_EQ(header.find("CIMObject"), std::string::npos);
}

TEST(RequestHeader, NoObjectTextNoObjectLine) {
    std::string header = take(build_cimRequest_header("EnumerateClasses", nullptr, 1, 0));
    EXPECT_NE(header.find("Content-Length: 1\r\nConnection: Keep-Alive\r\n"), std::string::npos);
}

TEST(RequestHeader, NullMethodGivesNull) {
    EXPECT_EQ(take(build_cimRequest_header(nullptr, "root", 1, 0)), null_text);
    EXPECT_EQ(take(build_cimexpRequest_header(nullptr, 1, 0)), null_text);
}

TEST(RequestHeader, LongMethodAndObjectAreWrittenWhole) {
    std::string method(300, 'M');
    std::string object(500, 'o');
    std::string header = take(build_cimRequest_header(method.c_str(), object.c_str(), 1, 0));
    EXPECT_NE(header.find("CIMMethod: " + method + "\r\n"), std::string::npos);
    EXPECT_NE(header.find("CIMObject: " + object + "\r\n"), std::string::npos);
}

TEST(ExportHeader, LinesInTheirOrderWithDate) {
    std::string header = take(build_cimexpRequest_header("ExportIndication", 1234, 0));
    std::string before = std::string("POST /CIMOM2 HTTP/1.1\r\nContent-Length: 1234\r\nConnection: Keep-Alive\r\n") +
                         host_line() +
                         "User-Agent: ZEL_CLIENT_ADAPTER\r\nCIMExport: MethodRequest\r\nCIMProtocolVersion: 1.2\r\n"
                         "CIMExportMethod: ExportIndication\r\nContent-Type: text/xml;charset=UTF-8\r\n";
    ASSERT_EQ(header.compare(0, before.size(), before), 0) << header;
    std::string rest = header.substr(before.size());
    EXPECT_TRUE(std::regex_match(
        rest, std::regex("Date: [A-Z][a-z]{2} [A-Z][a-z]{2} \\d{2} \\d{2}:\\d{2}:\\d{2} \\d{4}\r\n"
                         "Accept: text/xml, application/xml\r\n")))
        << rest;
}

TEST(ExportHeader, BatchLineAfterLength) {
    std::string header = take(build_cimexpRequest_header("ExportIndication", 5, 1));
    EXPECT_NE(header.find("Content-Length: 5\r\nCIMExportBatch: \r\nConnection"), std::string::npos);
}

TEST(Join, HeaderOneEmptyLineThenDeclaration) {
    std::string joined = take(join_header_and_message("H: 1\r\n", "<SIMPLEREQ/>\n", "1001"));
    EXPECT_EQ(joined, std::string("H: 1\r\n\r\n") + head_1001 + "<SIMPLEREQ/>\n</MESSAGE>\n</CIM>\n");
}

TEST(Join, WithoutHeaderStartsWithDeclaration) {
    std::string joined = take(join_header_and_message(nullptr, "<SIMPLEREQ/>\n", "1001"));
    EXPECT_EQ(joined, std::string(head_1001) + "<SIMPLEREQ/>\n</MESSAGE>\n</CIM>\n");
    EXPECT_EQ(take(join_header_and_message("H\r\n", nullptr, "1")), null_text);
}

TEST(Join, FreshIdHasTheEnvelopeLengthAnnounced) {
    std::string joined = take(join_header_and_message(nullptr, "<B/>\n", nullptr));
    EXPECT_EQ(joined.size(), message_envelope_length(message_id_length) + std::strlen("<B/>\n"));
}

TEST(TimeTexts, MessageIdAndDateShapes) {
    std::string id = take(get_message_id());
    EXPECT_TRUE(std::regex_match(id, std::regex(R"(\d{4}(:\d{2}){5}:\d{8})"))) << id;
    EXPECT_EQ(id.size(), message_id_length);
    std::string date = take(get_date_text());
    EXPECT_TRUE(std::regex_match(date, std::regex(R"([A-Z][a-z]{2} [A-Z][a-z]{2} \d{2} \d{2}:\d{2}:\d{2} \d{4})")))
        << date;
}

TEST(ReceivedMessage, SplitsAtTheFirstEmptyLine) {
    const char *message = "A: 1\r\nB: 2\r\n\r\n<?xml?>\r\n\r\nrest";
    received_message_parts parts;
    ASSERT_EQ(split_received_message(message, &parts), 1);
    EXPECT_EQ(std::string(parts.header, parts.headerLength), "A: 1\r\nB: 2");
    EXPECT_STREQ(parts.body, "<?xml?>\r\n\r\nrest");
}

TEST(ReceivedMessage, WithoutEmptyLineTheWholeTextIsBody) {
    received_message_parts parts;
    EXPECT_EQ(split_received_message("<?xml?>", &parts), 0);
    EXPECT_EQ(parts.header, nullptr);
    EXPECT_STREQ(parts.body, "<?xml?>");
    EXPECT_EQ(split_received_message(nullptr, &parts), 0);
    EXPECT_EQ(parts.body, nullptr);
}

}  // namespace
