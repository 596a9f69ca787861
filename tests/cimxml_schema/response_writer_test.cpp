// Tests of opening and closing responses in the pool and of the complete
// error response.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "cimxml/last_error.h"
#include "cimxml/response_writer.h"
#include "cimxml_schema/cim_fixtures.h"
#include "cimxml_schema/mini_dom.h"
#include "support/log_capture.h"
#include "support/xml_checks.h"

using namespace fixtures;

namespace {

const std::string header_lines = "CIMOperation: MethodResponse\r\nCIMProtocolVersion: 1.2\r\n\r\n";

std::string error_response(const char *id, const wchar_t *method, int code, const wchar_t *description,
                           int intrinsic) {
    Pool pool;
    auto name = own(str(method));
    auto error = own(newReturnCode(code, description));
    cimxml_encode_ErrorResponse(&pool.pool, id, name.get(), error.get(), intrinsic);
    return pool.text();
}

TEST(BeginResponse, WritesHeaderAndHeadReplacingEarlierText) {
    Pool pool;
    pool.pool.append(&pool.pool, "left over", 0, 0);
    ASSERT_EQ(cimxml_begin_response(&pool.pool, "1001", "test"), 1);
    const std::string tail = "</MESSAGE>\n</CIM>\n";
    const std::string whole = message_around("", "1001");
    EXPECT_EQ(pool.text(), header_lines + whole.substr(0, whole.size() - tail.size()));
    EXPECT_EQ(cimxml_end_response(&pool.pool), 1);
    EXPECT_EQ(pool.text(), header_lines + message_around("", "1001"));
}

TEST(BeginResponse, WithoutMessageIdFailsAfterTheHeaderLines) {
    testsupport::LogCapture log;
    Pool pool;
    EXPECT_EQ(cimxml_begin_response(&pool.pool, nullptr, nullptr), 0);
    EXPECT_EQ(pool.text(), header_lines);
    EXPECT_TRUE(log.contains("No Message ID!", 0));
    EXPECT_TRUE(log.contains("Unable to prepend header to pool", 0));
}

TEST(BeginResponse, NullPoolCannotBeInitialised) {
    testsupport::LogCapture log;
    EXPECT_EQ(cimxml_begin_response(nullptr, "1", "x"), 0);
    EXPECT_TRUE(log.contains("Unable to initialize string pool", 0));
    EXPECT_EQ(cimxml_end_response(nullptr), 0);
}

TEST(ErrorResponse, KnownIdGivesTheWholeResponse) {
    EXPECT_EQ(error_response("1001", L"GetClass", 6, L"CIM_Foo not found", 1),
              header_lines + message_around("<SIMPLERSP>\n<IMETHODRESPONSE NAME=\"GetClass\">\n"
                                            "<ERROR CODE=\"6\" DESCRIPTION=\"CIM_Foo not found\"/>\n"
                                            "</IMETHODRESPONSE>\n</SIMPLERSP>\n",
                                            "1001"));
}

TEST(ErrorResponse, StatusSevenWithoutDescription) {
    std::string text = error_response("7", L"MethodResponse", 7, nullptr, 1);
    EXPECT_NE(text.find("<IMETHODRESPONSE NAME=\"MethodResponse\">\n<ERROR CODE=\"7\" />\n</IMETHODRESPONSE>\n"),
              std::string::npos)
        << text;
}

TEST(ErrorResponse, InvokeMethodInIntrinsicFormAndExtrinsicForm) {
    std::string intrinsic = error_response("1", L"InvokeMethod", 1, nullptr, 1);
    EXPECT_NE(intrinsic.find("<SIMPLERSP>\n<IMETHODRESPONSE NAME=\"InvokeMethod\">\n"), std::string::npos);
    std::string extrinsic = error_response("1", L"ExportIndication", 1, nullptr, 0);
    EXPECT_NE(extrinsic.find("<SIMPLERSP>\n<METHODRESPONSE NAME=\"ExportIndication\">\n<ERROR CODE=\"1\" />\n"
                             "</METHODRESPONSE>\n</SIMPLERSP>\n</MESSAGE>\n</CIM>\n"),
              std::string::npos)
        << extrinsic;
}

TEST(ErrorResponse, UnknownIdGetsAFreshIdAndAWholeDocument) {
    std::string text = error_response(nullptr, L"Unknown", 4, L"Invalid message!", 1);
    ASSERT_EQ(text.rfind(header_lines, 0), 0u);
    std::string document = testsupport::bodyAfterHeader(text);
    EXPECT_EQ(testsupport::wellFormednessError(document), "");
    auto root = parse_document(document);
    ASSERT_NE(root, nullptr);
    const Node *message = root->child("MESSAGE");
    ASSERT_NE(message, nullptr);
    EXPECT_TRUE(std::regex_match(message->attribute("ID"), std::regex(R"(\d{4}(:\d{2}){5}:\d{8})")));
    const Node *error = message->child("SIMPLERSP")->child("IMETHODRESPONSE")->child("ERROR");
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->attribute("CODE"), "4");
    EXPECT_EQ(error->attribute("DESCRIPTION"), "Invalid message!");
}

TEST(ErrorResponse, RestartsAPoolThatHeldAPartialResponse) {
    Pool pool;
    ASSERT_EQ(cimxml_begin_response(&pool.pool, "9", "test"), 1);
    pool.pool.append(&pool.pool, "<SIMPLERSP>\n<IMETHODRESPONSE NAME=\"X\">\n", 0, 0);
    auto name = own(str(L"X"));
    auto error = own(newReturnCode(1, L"late failure"));
    cimxml_encode_ErrorResponse(&pool.pool, "9", name.get(), error.get(), 1);
    EXPECT_EQ(testsupport::wellFormednessError(testsupport::bodyAfterHeader(pool.text())), "");
    EXPECT_EQ(pool.text().find("<SIMPLERSP>"), pool.text().rfind("<SIMPLERSP>"));
}

TEST(ErrorResponse, NullMethodNameIsLoggedAndRecorded) {
    testsupport::LogCapture log;
    Pool pool;
    auto error = own(newReturnCode(1, nullptr));
    cimxml_encode_ErrorResponse(&pool.pool, "1", nullptr, error.get(), 1);
    EXPECT_TRUE(log.contains("cimxml_encode_ErrorResponse - failed", 0));
    auto last = own(cimxml_getlasterror());
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->rc, 1);
    auto description = take(createCharFromCIMString(last->description));
    EXPECT_EQ(description, "cimxml_encode_ErrorResponse: cim_simplersp_to_xml_failed");
}

TEST(ErrorResponse, NullPoolIsRecordedNotFatal) {
    testsupport::LogCapture log;
    auto name = own(str(L"GetClass"));
    auto error = own(newReturnCode(1, nullptr));
    cimxml_encode_ErrorResponse(nullptr, "1", name.get(), error.get(), 1);
    EXPECT_TRUE(log.contains("Unable to initialize string pool", 0));
    auto last = own(cimxml_getlasterror());
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(take(createCharFromCIMString(last->description)),
              "cimxml_encode_ErrorResponse: cim_simplersp_to_xml_failed");
}

}  // namespace
