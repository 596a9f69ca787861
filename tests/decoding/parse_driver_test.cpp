// The parser driver: classification, the three checks, parse errors, text
// joining, routing of unknown elements and of responses, and threads.
#include <gc/gc.h>
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "common_handlers/parse_driver.h"
#include "decoding/decoding_support.h"
#include "support/log_capture.h"

using namespace decoding;

namespace {

class ParseDriver : public ::testing::Test {
protected:
    void SetUp() override { mark_last_error(); }
};

TEST(ClassifyMessageKind, FirstMatchingRuleDecides) {
    struct Case {
        const char *text;
        int kind;
    };
    const Case cases[] = {
        {"<IMETHODCALL NAME=\"GetClass\">", 1},
        {"<METHODCALL NAME=\"Reset\">", 1},
        {"<EXPMETHODCALL NAME=\"ExportIndication\">", 1},
        {"<IMETHODRESPONSE NAME=\"GetClass\">", 2},
        {"CIMEXPORT: MethodResponse\r\n<EXPMETHODRESPONSE>", 4},
        {"METHODRESPONSE and METHODCALL", 1},
        {"CIMExport: MethodRequest", 3},
        {"methodcall methodresponse", 0},
        {"", 0},
        {"<CIM/>", 0},
    };
    for (const Case &c : cases) EXPECT_EQ(classifyMessageKind(c.text), c.kind) << c.text;
    EXPECT_EQ(classifyMessageKind(nullptr), 0);
}

TEST_F(ParseDriver, RefusesNullAndKindlessDocumentsWithTheirTexts) {
    testsupport::LogCapture log;
    EXPECT_EQ(cimxmlParseMessage(nullptr), nullptr);
    EXPECT_EQ(last_error(), "1: cimxmlParseMessage failed - Xmldocument is null.");
    EXPECT_TRUE(log.contains("cimxmlParseMessage failed - Xmldocument is null.", 0));

    EXPECT_EQ(cimxmlParseMessage(""), nullptr);
    EXPECT_EQ(last_error(), "1: cimxmlParseMessage failed - Message does not contain operation type.");
    EXPECT_EQ(cimxmlParseMessage("<CIM><MESSAGE ID=\"1\"/></CIM>"), nullptr);
    EXPECT_EQ(last_error(), "1: cimxmlParseMessage failed - Message does not contain operation type.");
}

TEST_F(ParseDriver, MalformedDocumentLogsItsLineAndLeavesTheLastError) {
    testsupport::LogCapture log;
    const char *document =
        "<CIM>\n<MESSAGE ID=\"1\" PROTOCOLVERSION=\"1.0\"><SIMPLEREQ><IMETHODCALL NAME=\"GetClass\">\n"
        "</SIMPLEREQ></MESSAGE></CIM>\n";
    EXPECT_EQ(cimxmlParseMessage(document), nullptr);
    EXPECT_TRUE(log.contains("Parse error at line 3: mismatched tag", 0));
    EXPECT_EQ(last_error(), "unchanged");
}

TEST_F(ParseDriver, JoinsTextThatExpatDeliversInPieces) {
    Message md = parse(intrinsic("X", "root",
                                 "<IPARAMVALUE NAME=\"Query\"><VALUE>a&amp;b&#65;c&lt;d<![CDATA[<raw> &amp;]]>"
                                 "tail</VALUE></IPARAMVALUE>"));
    ASSERT_TRUE(md);
    EXPECT_EQ(string_value(propertyGetValue(parameter(md.get(), "Query"))), "a&bAc<d<raw> &amp;tail");
    EXPECT_EQ(last_error(), "unchanged");
}

TEST_F(ParseDriver, JoinsAHundredThousandReferencesIntoOneValue) {
    std::string text;
    std::string expected;
    for (int i = 0; i < 100000; ++i) {
        text += "x&lt;";
        expected += "x<";
    }
    Message md = parse(intrinsic("X", "root", "<IPARAMVALUE NAME=\"Query\"><VALUE>" + text + "</VALUE></IPARAMVALUE>"));
    ASSERT_TRUE(md);
    EXPECT_EQ(string_value(propertyGetValue(parameter(md.get(), "Query"))), expected);
}

TEST_F(ParseDriver, ElementsWithoutHandlerPassWithoutEffect) {
    Message md = parse(intrinsic("GetClass", "root",
                                 "<VALUE.OBJECT><UNKNOWN A=\"1\">text<DEEPER/></UNKNOWN></VALUE.OBJECT>"
                                 "<IPARAMVALUE NAME=\"ClassName\"><CLASSNAME NAME=\"A\"/></IPARAMVALUE>"));
    ASSERT_TRUE(md);
    EXPECT_EQ(string_value(propertyGetValue(parameter(md.get(), "ClassName"))), "A");
    EXPECT_TRUE(stack_isEmpty(&md->elementStack));
    EXPECT_TRUE(stack_isEmpty(&md->objectStack));
    EXPECT_EQ(last_error(), "unchanged");
}

TEST_F(ParseDriver, ResponsesAreParsedButNothingIsDecodedYet) {
    const std::string response =
        "<?xml version=\"1.0\"?><CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\"><MESSAGE ID=\"5\" "
        "PROTOCOLVERSION=\"1.0\"><SIMPLERSP><IMETHODRESPONSE NAME=\"GetClass\"><IRETURNVALUE>"
        "<CLASS NAME=\"A\"><PROPERTY NAME=\"P\" TYPE=\"string\"><VALUE>v</VALUE></PROPERTY></CLASS>"
        "</IRETURNVALUE></IMETHODRESPONSE></SIMPLERSP></MESSAGE></CIM>";
    Message md = parse(response);
    ASSERT_TRUE(md);
    EXPECT_EQ(md->kind, 2);
    EXPECT_EQ(md->messageId, nullptr);
    EXPECT_EQ(md->method, nullptr);
    EXPECT_EQ(md->responseMethodName, nullptr);
    EXPECT_EQ(md->returnValues, nullptr);
    EXPECT_TRUE(stack_isEmpty(&md->elementStack));
    EXPECT_TRUE(stack_isEmpty(&md->objectStack));

    Message exportResponse = parse("CIMEXPORT: x\n<CIM><MESSAGE><SIMPLEEXPRSP><EXPMETHODRESPONSE NAME=\"E\"/>"
                                   "</SIMPLEEXPRSP></MESSAGE></CIM>");
    // The header line makes the text no XML document at all.
    EXPECT_FALSE(exportResponse);
    exportResponse = parse("<CIM><!-- CIMEXPORT: --><MESSAGE><SIMPLEEXPRSP><EXPMETHODRESPONSE NAME=\"E\"/>"
                           "</SIMPLEEXPRSP></MESSAGE></CIM>");
    ASSERT_TRUE(exportResponse);
    EXPECT_EQ(exportResponse->kind, 4);
    EXPECT_EQ(last_error(), "unchanged");
}

TEST_F(ParseDriver, ObjectsLeftOnTheStackStayUntilTheMessageIsFreed) {
    // A reference array outside any parameter has no owner to go to.
    Message md = parse(intrinsic("X", "root", "<VALUE.REFARRAY><VALUE.REFERENCE><CLASSNAME NAME=\"A\"/>"
                                              "</VALUE.REFERENCE></VALUE.REFARRAY>"));
    ASSERT_TRUE(md);
    EXPECT_EQ(last_error(), "1: common_value_refarray_endhandler: stack item is NULL");
    ASSERT_FALSE(stack_isEmpty(&md->objectStack));
    EXPECT_STREQ(md->objectStack->item->description, "VALUE.REFARRAY");
    EXPECT_TRUE(stack_isEmpty(&md->elementStack));
}

TEST_F(ParseDriver, ParsesOnSeveralThreadsWhileTheCollectorRuns) {
    constexpr int threads = 6;
    constexpr int rounds = 150;
    std::atomic<int> failures{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t) {
        workers.emplace_back([t, &failures] {
            for (int r = 0; r < rounds; ++r) {
                std::string name = "C" + std::to_string(t) + "_" + std::to_string(r);
                std::string padding(2000, 'p');
                Message md = parse(intrinsic(
                    "CreateClass", "root/t" + std::to_string(t),
                    "<IPARAMVALUE NAME=\"NewClass\"><CLASS NAME=\"" + name + "\"><PROPERTY NAME=\"P\" "
                    "TYPE=\"string\"><VALUE>" + padding + "</VALUE></PROPERTY></CLASS></IPARAMVALUE>"));
                if (r % 25 == 0) GC_gcollect();
                CIMProperty *p = md ? parameter(md.get(), "NewClass") : nullptr;
                auto *cls = p ? static_cast<CIMClass *>(content(propertyGetValue(p))) : nullptr;
                if (!cls || narrow(getClassName(cls)) != name ||
                    narrow(getObjectPathNameSpace(md->objectPath)) != "root/t" + std::to_string(t) ||
                    string_value(propertyGetValue(getCIMPropertyAt(getClassProperties(cls), 0))) != padding)
                    ++failures;
            }
        });
    }
    for (auto &w : workers) w.join();
    EXPECT_EQ(failures.load(), 0);
}

}  // namespace
