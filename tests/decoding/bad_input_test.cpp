// Bad input: truncated, malformed, misplaced, deeply nested, huge and
// mutated documents. Nothing may crash or hang; the parse gives NULL or a
// MessageData with the last error telling what went wrong.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "decoding/decoding_support.h"
#include "support/log_capture.h"
#include "support/xml_checks.h"

using namespace decoding;

namespace {

class BadInput : public ::testing::Test {
protected:
    void SetUp() override { mark_last_error(); }
    // Keeps the log quiet: thousands of parse errors are expected here.
    testsupport::LogCapture log_{0};
};

// A request that reaches most handlers: a class with qualifiers, properties,
// a reference, a method with parameters, an embedded instance, and
// parameters of several kinds.
std::string rich_request() {
    return intrinsic(
        "CreateClass", "root/cimv2",
        "<IPARAMVALUE NAME=\"NewClass\">\n"
        "<CLASS NAME=\"Bad_C\" SUPERCLASS=\"Base\">\n"
        "<QUALIFIER NAME=\"Description\" TYPE=\"string\" TRANSLATABLE=\"true\"><VALUE>d &amp; &lt;x&gt;</VALUE>"
        "</QUALIFIER>\n"
        "<PROPERTY NAME=\"P\" TYPE=\"uint32\"><QUALIFIER NAME=\"Key\" TYPE=\"boolean\"><VALUE>true</VALUE>"
        "</QUALIFIER><VALUE>7</VALUE></PROPERTY>\n"
        "<PROPERTY.ARRAY NAME=\"A\" TYPE=\"string\"><VALUE.ARRAY><VALUE>a</VALUE><VALUE>b</VALUE></VALUE.ARRAY>"
        "</PROPERTY.ARRAY>\n"
        "<PROPERTY.REFERENCE NAME=\"R\" REFERENCECLASS=\"T\"><VALUE.REFERENCE><INSTANCEPATH><NAMESPACEPATH>"
        "<HOST>h</HOST><LOCALNAMESPACEPATH><NAMESPACE NAME=\"root\"/></LOCALNAMESPACEPATH></NAMESPACEPATH>"
        "<INSTANCENAME CLASSNAME=\"T\"><KEYBINDING NAME=\"K\"><KEYVALUE VALUETYPE=\"string\">k</KEYVALUE>"
        "</KEYBINDING></INSTANCENAME></INSTANCEPATH></VALUE.REFERENCE></PROPERTY.REFERENCE>\n"
        "<PROPERTY NAME=\"E\" TYPE=\"string\" EmbeddedObject=\"instance\"><VALUE>&lt;INSTANCE CLASSNAME="
        "&quot;In&quot;&gt;&lt;PROPERTY NAME=&quot;Q&quot; TYPE=&quot;uint8&quot;&gt;&lt;VALUE&gt;1&lt;/VALUE&gt;"
        "&lt;/PROPERTY&gt;&lt;/INSTANCE&gt;</VALUE></PROPERTY>\n"
        "<METHOD NAME=\"M\" TYPE=\"uint32\"><PARAMETER NAME=\"X\" TYPE=\"string\"/>"
        "<PARAMETER.REFERENCE NAME=\"Y\" REFERENCECLASS=\"T\"/><PARAMETER.ARRAY NAME=\"Z\" TYPE=\"uint8\"/>"
        "<PARAMETER.REFARRAY NAME=\"W\"/></METHOD>\n"
        "</CLASS>\n"
        "</IPARAMVALUE>\n"
        "<IPARAMVALUE NAME=\"PropertyList\"><VALUE.ARRAY><VALUE>P</VALUE></VALUE.ARRAY></IPARAMVALUE>\n"
        "<IPARAMVALUE NAME=\"InstanceName\"><INSTANCENAME CLASSNAME=\"T\"><KEYBINDING NAME=\"K\">"
        "<KEYVALUE>1</KEYVALUE></KEYBINDING></INSTANCENAME></IPARAMVALUE>\n"
        "<IPARAMVALUE NAME=\"QualifierDeclaration\"><QUALIFIER.DECLARATION NAME=\"D\" TYPE=\"string\">"
        "<SCOPE CLASS=\"true\"/><VALUE>v</VALUE></QUALIFIER.DECLARATION></IPARAMVALUE>\n");
}

TEST_F(BadInput, TheRichRequestItselfDecodesCleanly) {
    Message md = parse(rich_request());
    ASSERT_TRUE(md);
    EXPECT_EQ(parameters(md.get()).size(), 4u);
    EXPECT_EQ(last_error(), "unchanged");
}

// Every prefix shorter than the whole document (sampled past the first 400
// bytes) is refused.
void expect_prefixes_refused(const std::string &document) {
    const std::size_t complete = document.rfind("</CIM>") + 6;
    for (std::size_t length = 0; length < complete; length += (length < 400 ? 1 : 3)) {
        Message md = parse(document.substr(0, length));
        EXPECT_FALSE(md) << "prefix of " << length << " bytes";
    }
}

TEST_F(BadInput, TruncationAtAnyOffsetGivesNull) {
    expect_prefixes_refused(rich_request());
    // A request written by an independent client, when the shared data is there.
    std::string dir = testsupport::conformanceDir();
    std::ifstream in(dir + "/vectors/embeddedinstances.EmbeddedInstanceCDATA4.request.xml", std::ios::binary);
    std::string document((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!document.empty()) {
        ASSERT_TRUE(parse(document));
        expect_prefixes_refused(document);
    }
}

TEST_F(BadInput, MisplacedUnknownAndIncompleteElementsAreReportedNotFatal) {
    struct Case {
        const char *body;
        const char *error;  // the last error afterwards; "" for any error
    };
    const Case cases[] = {
        {"<IPARAMVALUE NAME=\"NewClass\"><CLASS/></IPARAMVALUE>", "1: common_class_element: NAME attribute is null"},
        {"<IPARAMVALUE NAME=\"NewInstance\"><INSTANCE/></IPARAMVALUE>", ""},
        {"<IPARAMVALUE NAME=\"NewClass\"><CLASS NAME=\"C\"><PROPERTY TYPE=\"string\"/></CLASS></IPARAMVALUE>", ""},
        {"<IPARAMVALUE NAME=\"NewClass\"><CLASS NAME=\"C\"><METHOD NAME=\"M\"/></CLASS></IPARAMVALUE>", ""},
        {"<IPARAMVALUE NAME=\"NewClass\"><CLASS NAME=\"C\"><QUALIFIER NAME=\"Q\"/></CLASS></IPARAMVALUE>", ""},
        {"<METHOD NAME=\"M\" TYPE=\"string\"/>", ""},
        {"<PARAMETER.REFERENCE NAME=\"R\"/>", "1: common_parameter_ref_element: empty stack."},
        {"<IPARAMVALUE NAME=\"X\"><PARAMETER.REFARRAY NAME=\"R\"/></IPARAMVALUE>", "unchanged"},
        {"<VALUE.REFERENCE><CLASSNAME NAME=\"A\"/></VALUE.REFERENCE>", ""},
        {"<VALUE.ARRAY><VALUE>1</VALUE></VALUE.ARRAY>", "unchanged"},
        {"<VALUE>loose</VALUE>", "unchanged"},
        {"<KEYVALUE>1</KEYVALUE>", ""},
        {"<KEYBINDING NAME=\"K\"/>", "unchanged"},
        {"<IPARAMVALUE NAME=\"P\"><VALUE.REFARRAY><VALUE/></VALUE.REFARRAY></IPARAMVALUE>", "unchanged"},
        {"<IPARAMVALUE NAME=\"P\"><VALUE.NAMEDINSTANCE><KEYVALUE>1</KEYVALUE></VALUE.NAMEDINSTANCE></IPARAMVALUE>",
         "unchanged"},
        {"<SCOPE CLASS=\"true\"/><QUALIFIER.DECLARATION NAME=\"Q\" TYPE=\"string\"/>", ""},
        {"<UNKNOWN><ALSO.UNKNOWN X=\"1\">text</ALSO.UNKNOWN></UNKNOWN>", "unchanged"},
        // An array property without owner is dropped silently.
        {"<PROPERTY.ARRAY NAME=\"A\" TYPE=\"uint8\"><VALUE.ARRAY><VALUE>1</VALUE></VALUE.ARRAY></PROPERTY.ARRAY>",
         "unchanged"},
        {"<IPARAMVALUE NAME=\"NewClass\"><CLASS NAME=\"C\"><PARAMETER NAME=\"P\" TYPE=\"uint8\"/><PARAMETER.ARRAY "
         "NAME=\"Q\" TYPE=\"uint8\"/></CLASS></IPARAMVALUE>",
         "unchanged"},
        {"<IPARAMVALUE NAME=\"NewClass\"><CLASS NAME=\"C\"><METHOD NAME=\"M\" TYPE=\"uint8\"><QUALIFIER NAME=\"Q\" "
         "TYPE=\"string\"><VALUE.ARRAY><VALUE>x</VALUE></VALUE.ARRAY></QUALIFIER></METHOD></CLASS></IPARAMVALUE>",
         "unchanged"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.body);
        mark_last_error();
        Message md = parse(intrinsic("X", "root", c.body));
        ASSERT_TRUE(md);
        EXPECT_TRUE(stack_isEmpty(&md->elementStack));
        if (std::string(c.error).empty())
            EXPECT_NE(last_error(), "unchanged");
        else
            EXPECT_EQ(last_error(), c.error);
    }
}

TEST_F(BadInput, TenThousandNestedLevelsOfEveryElement) {
    const char *elements[] = {"VALUE.ARRAY", "VALUE.REFERENCE", "VALUE.REFARRAY", "INSTANCENAME", "IPARAMVALUE",
                              "PARAMVALUE",  "VALUE.NAMEDINSTANCE", "QUALIFIER", "PROPERTY", "UNKNOWN",
                              "VALUE",       "CLASS",           "INSTANCE",       "METHOD",  "PARAMETER.REFARRAY",
                              "QUALIFIER.DECLARATION"};
    for (const char *element : elements) {
        SCOPED_TRACE(element);
        std::string open = std::string("<") + element + " NAME=\"n\" TYPE=\"string\" CLASSNAME=\"c\">";
        std::string close = std::string("</") + element + ">";
        std::string body;
        body.reserve(10000 * (open.size() + close.size()));
        for (int i = 0; i < 10000; ++i) body += open;
        body += "x";
        for (int i = 0; i < 10000; ++i) body += close;
        Message md = parse(intrinsic("X", "root", "<IPARAMVALUE NAME=\"P\">" + body + "</IPARAMVALUE>"));
        ASSERT_TRUE(md);
        EXPECT_TRUE(stack_isEmpty(&md->elementStack));
    }
}

TEST_F(BadInput, HugeAttributeValuesDecodeInFull) {
    std::string name;
    std::string expected;
    for (int i = 0; i < 200000; ++i) {
        name += "a&amp;lt;";
        expected += "a<";
    }
    Message md = parse(request("<SIMPLEREQ><IMETHODCALL NAME=\"" + name + "\"></IMETHODCALL></SIMPLEREQ>"));
    ASSERT_TRUE(md);
    EXPECT_EQ(method_name(md.get()), expected);
}

TEST_F(BadInput, InvalidUtf8IsRefusedByTheParser) {
    testsupport::LogCapture log;
    std::string document = intrinsic("GetClass", "root",
                                     "<IPARAMVALUE NAME=\"ClassName\"><CLASSNAME NAME=\"\xc3\x28\"/></IPARAMVALUE>");
    EXPECT_FALSE(parse(document));
    EXPECT_TRUE(log.containsFragment("Parse error at line "));
    EXPECT_FALSE(parse(intrinsic("X\xff", "root", "")));
    EXPECT_EQ(last_error(), "unchanged");
}

TEST_F(BadInput, RandomMutationsNeverCrash) {
    const std::string original = rich_request();
    std::mt19937 random(7);
    std::uniform_int_distribution<std::size_t> position(0, original.size() - 1);
    std::uniform_int_distribution<int> byte(0, 255);
    const char *tokens[] = {"<", ">", "/", "\"", "&", "<VALUE>", "</VALUE>", "<CLASS NAME=\"x\">", "</CLASS>",
                            "<INSTANCE CLASSNAME=\"i\">", "</INSTANCE>", "&lt;INSTANCE&gt;", "<VALUE.ARRAY>"};
    int decoded = 0;
    for (int round = 0; round < 1500; ++round) {
        std::string text = original;
        for (int edits = 1 + round % 4; edits > 0; --edits) {
            std::size_t at = position(random) % text.size();
            switch (byte(random) % 3) {
                case 0: text[at] = static_cast<char>(byte(random)); break;
                case 1: text.erase(at, 1 + byte(random) % 8); break;
                default: text.insert(at, tokens[byte(random) % std::size(tokens)]); break;
            }
        }
        Message md = parse(text);
        if (md) {
            ++decoded;
            EXPECT_TRUE(stack_isEmpty(&md->elementStack));
        }
    }
    // Some mutations keep the document well formed and take the handlers' error paths.
    EXPECT_GT(decoded, 50);
}

}  // namespace
