// Bad input: truncated, malformed, misplaced, unknown, incomplete, deeply
// nested and huge documents, and embedded objects. Nothing may crash or
// hang; the parse gives NULL or a MessageData with the last error telling
// what went wrong.
#include <gtest/gtest.h>


#include "cimop_request/embedded_objects.h"
#include "decoding/decoded.h"
#include "support/log_capture.h"
#include "support/conformance_requests.h"
#include "support/decoded_results.h"
#include "support/profiles.h"

namespace {

using namespace decoding;

class BadInput : public testing::Test {
protected:
    void SetUp() override { markLastError(); }
    // Thousands of parse errors are expected here.
    LogCapture log_{0};
};

// A request that reaches most handlers.
const std::string rich = intrinsic(
    "CreateClass", "root/cimv2",
    iparam("NewClass",
           "<CLASS NAME=\"Bad_C\" SUPERCLASS=\"Base\"><QUALIFIER NAME=\"Description\" TYPE=\"string\" "
           "TRANSLATABLE=\"true\"><VALUE>d &amp; &lt;x&gt;</VALUE></QUALIFIER>\n<PROPERTY NAME=\"P\" TYPE=\"uint32\">"
           "<QUALIFIER NAME=\"Key\" TYPE=\"boolean\"><VALUE>true</VALUE></QUALIFIER><VALUE>7</VALUE></PROPERTY>\n"
           "<PROPERTY.ARRAY NAME=\"A\" TYPE=\"string\"><VALUE.ARRAY><VALUE>a</VALUE><VALUE>b</VALUE></VALUE.ARRAY>"
           "</PROPERTY.ARRAY>\n<PROPERTY.REFERENCE NAME=\"R\" REFERENCECLASS=\"T\"><VALUE.REFERENCE><INSTANCEPATH>"
           "<NAMESPACEPATH><HOST>h</HOST><LOCALNAMESPACEPATH><NAMESPACE NAME=\"root\"/></LOCALNAMESPACEPATH>"
           "</NAMESPACEPATH><INSTANCENAME CLASSNAME=\"T\"><KEYBINDING NAME=\"K\"><KEYVALUE VALUETYPE=\"string\">k"
           "</KEYVALUE></KEYBINDING></INSTANCENAME></INSTANCEPATH></VALUE.REFERENCE></PROPERTY.REFERENCE>\n"
           "<PROPERTY NAME=\"E\" TYPE=\"string\" EmbeddedObject=\"instance\"><VALUE>&lt;INSTANCE CLASSNAME="
           "&quot;In&quot;&gt;&lt;PROPERTY NAME=&quot;Q&quot; TYPE=&quot;uint8&quot;&gt;&lt;VALUE&gt;1&lt;/VALUE&gt;"
           "&lt;/PROPERTY&gt;&lt;/INSTANCE&gt;</VALUE></PROPERTY>\n<METHOD NAME=\"M\" TYPE=\"uint32\"><PARAMETER "
           "NAME=\"X\" TYPE=\"string\"/><PARAMETER.REFERENCE NAME=\"Y\" REFERENCECLASS=\"T\"/><PARAMETER.ARRAY "
           "NAME=\"Z\" TYPE=\"uint8\"/><PARAMETER.REFARRAY NAME=\"W\"/></METHOD>\n</CLASS>") +
        iparam("PropertyList", "<VALUE.ARRAY><VALUE>P</VALUE></VALUE.ARRAY>") +
        iparam("InstanceName", instanceName("T", "1")) +
        iparam("QualifierDeclaration", "<QUALIFIER.DECLARATION NAME=\"D\" TYPE=\"string\"><SCOPE CLASS=\"true\"/>"
                                       "<VALUE>v</VALUE></QUALIFIER.DECLARATION>"));

std::string repeated(const std::string &piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += piece;
    return text;
}

// Every prefix of document (sampled past the first 400 bytes) is refused.
void expect_prefixes_refused(const std::string &document) {
    ASSERT_TRUE(parse(document));
    for (std::size_t length = 0; length < document.rfind("</CIM>") + 6; length += length < 400 ? 1 : 3) {
        EXPECT_FALSE(parse(document.substr(0, length))) << "prefix of " << length << " bytes";
    }
}

TEST_F(BadInput, DocumentsCutAtAnyOffsetAreRefused) {
    expect_prefixes_refused(rich);
    std::string document = fileText(conformanceDir() + "/vectors/embeddedinstances.EmbeddedInstanceCDATA4.request.xml");
    if (!document.empty()) expect_prefixes_refused(document);
}

TEST_F(BadInput, MisplacedUnknownAndIncompleteElementsAreReportedNotFatal) {
    const struct {
        const char *body;   // in an IMETHODCALL, or a whole SIMPLEREQ
        const char *error;  // the last error afterwards; "" for any error
    } cases[] = {
        {"<IPARAMVALUE NAME=\"NewClass\"><CLASS/></IPARAMVALUE>", "1: common_class_element: NAME attribute is null"},
        {"<IPARAMVALUE NAME=\"NewInstance\"><INSTANCE/></IPARAMVALUE>", ""},
        {"<IPARAMVALUE NAME=\"NewClass\"><CLASS NAME=\"C\"><PROPERTY TYPE=\"string\"/></CLASS></IPARAMVALUE>", ""},
        {"<IPARAMVALUE NAME=\"NewClass\"><CLASS NAME=\"C\"><METHOD NAME=\"M\"/></CLASS></IPARAMVALUE>", ""},
        {"<IPARAMVALUE NAME=\"NewClass\"><CLASS NAME=\"C\"><QUALIFIER NAME=\"Q\"/></CLASS></IPARAMVALUE>", ""},
        {"<IPARAMVALUE NAME=\"NewClass\"><CLASS NAME=\"C\"><METHOD NAME=\"M\" TYPE=\"uint8\"><PARAMETER.REFERENCE/>"
         "</METHOD></CLASS></IPARAMVALUE>", "1: common_parameter_ref_element: NAME attribute is null"},
        {"<IPARAMVALUE NAME=\"NewClass\"><CLASS NAME=\"C\"><METHOD NAME=\"M\" TYPE=\"uint8\"><PARAMETER.REFARRAY/>"
         "</METHOD></CLASS></IPARAMVALUE>", "1: common_parameter_refarray_element: NAME attribute is null."},
        {"<IPARAMVALUE NAME=\"NewClass\"><CLASS NAME=\"C\"><PARAMETER.REFERENCE NAME=\"Lost\"/></CLASS></IPARAMVALUE>",
         "1: common_parameter_ref_element: invalid stack object."},
        {"<IPARAMVALUE NAME=\"NewClass\"><CLASS NAME=\"C\"><PARAMETER NAME=\"P\" TYPE=\"uint8\"/><PARAMETER.ARRAY "
         "NAME=\"Q\" TYPE=\"uint8\"/><PARAMETER.REFARRAY NAME=\"R\"/></CLASS></IPARAMVALUE>", unchanged.c_str()},
        {"<IPARAMVALUE NAME=\"NewClass\"><CLASS NAME=\"C\"><METHOD NAME=\"M\" TYPE=\"uint8\"><QUALIFIER NAME=\"Q\" "
         "TYPE=\"string\"><VALUE.ARRAY><VALUE>x</VALUE></VALUE.ARRAY></QUALIFIER></METHOD></CLASS></IPARAMVALUE>",
         unchanged.c_str()},
        {"<IPARAMVALUE NAME=\"Q\"><QUALIFIER.DECLARATION TYPE=\"string\"/></IPARAMVALUE>", "1: NAME attribute is null"},
        {"<IPARAMVALUE NAME=\"Q\"><QUALIFIER.DECLARATION NAME=\"Q\"/></IPARAMVALUE>", "1: TYPE attribute is null"},
        {"<SCOPE CLASS=\"true\"/><QUALIFIER.DECLARATION NAME=\"Q\" TYPE=\"string\"/>", ""},
        {"<METHOD NAME=\"M\" TYPE=\"string\"/>", ""},
        {"<PARAMETER.REFERENCE NAME=\"R\"/>", "1: common_parameter_ref_element: empty stack."},
        {"<IPARAMVALUE NAME=\"X\"><PARAMETER.REFARRAY NAME=\"R\"/></IPARAMVALUE>", unchanged.c_str()},
        {"<VALUE.REFERENCE><CLASSNAME NAME=\"A\"/></VALUE.REFERENCE>", ""},
        // Without a parameter to go to, the array stays on the object stack
        // until the message is freed.
        {"<VALUE.REFARRAY><VALUE.REFERENCE><CLASSNAME NAME=\"A\"/></VALUE.REFERENCE></VALUE.REFARRAY>",
         "1: common_value_refarray_endhandler: stack item is NULL"},
        {"<VALUE.ARRAY><VALUE>1</VALUE></VALUE.ARRAY><VALUE>loose</VALUE><KEYBINDING NAME=\"K\"/>", unchanged.c_str()},
        {"<KEYVALUE>1</KEYVALUE>", ""},
        {"<IPARAMVALUE NAME=\"P\"><VALUE.REFARRAY><VALUE/></VALUE.REFARRAY></IPARAMVALUE>", unchanged.c_str()},
        {"<IPARAMVALUE NAME=\"P\"><VALUE.NAMEDINSTANCE><KEYVALUE>1</KEYVALUE></VALUE.NAMEDINSTANCE></IPARAMVALUE>",
         unchanged.c_str()},
        {"<UNKNOWN><ALSO.UNKNOWN X=\"1\">text<DEEPER/></ALSO.UNKNOWN></UNKNOWN>", unchanged.c_str()},
        {"<IPARAMVALUE NAME=\"NewInstance\"><INSTANCE CLASSNAME=\"I\"><QUALIFIER NAME=\"Q\" TYPE=\"string\"><VALUE>x"
         "</VALUE></QUALIFIER></INSTANCE></IPARAMVALUE>", unchanged.c_str()},
        // A property or property array without an owner is dropped (the first with a log line).
        {"<PROPERTY NAME=\"P\" TYPE=\"string\"/><PROPERTY.ARRAY NAME=\"A\" TYPE=\"uint8\"><VALUE.ARRAY><VALUE>1"
         "</VALUE></VALUE.ARRAY></PROPERTY.ARRAY>", unchanged.c_str()},
        {"<SIMPLEREQ><IMETHODCALL></IMETHODCALL></SIMPLEREQ>", ""},
        {"<SIMPLEREQ><IPARAMVALUE NAME=\"ClassName\"><CLASSNAME NAME=\"A\"/></IPARAMVALUE><METHODCALL NAME=\"m\"/>"
         "</SIMPLEREQ>", ""},
        {"<SIMPLEREQ><IMETHODCALL NAME=\"GetClass\"><CLASSNAME NAME=\"A\"/></IMETHODCALL></SIMPLEREQ>", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.body);
        markLastError();
        std::string body = c.body;
        Message md = parse(body.rfind("<SIMPLEREQ", 0) == 0 ? request(body) : intrinsic("X", "root", body));
        ASSERT_TRUE(md);
        EXPECT_EQ(element_stack_depth(&md->elementStack), 0u);
        if (*c.error == '\0') {
            EXPECT_NE(lastError(), unchanged);
        } else {
            EXPECT_EQ(lastError(), c.error);
        }
    }
    EXPECT_TRUE(log_.contains("common_property_element - stack_pop failed", 0));
    EXPECT_TRUE(log_.containsFragment("CIMXML decoding error in request_handlers.cpp at line "));
}

TEST_F(BadInput, TenThousandNestedLevelsOfEveryElement) {
    for (const char *element : {"VALUE.ARRAY", "VALUE.REFERENCE", "VALUE.REFARRAY", "INSTANCENAME", "IPARAMVALUE",
                                "PARAMVALUE", "VALUE.NAMEDINSTANCE", "QUALIFIER", "PROPERTY", "UNKNOWN", "VALUE",
                                "CLASS", "INSTANCE", "METHOD", "PARAMETER.REFARRAY", "QUALIFIER.DECLARATION"}) {
        std::string open = std::string("<") + element + " NAME=\"n\" TYPE=\"string\" CLASSNAME=\"c\">";
        std::string body = repeated(open, 10000) + "x" + repeated(std::string("</") + element + ">", 10000);
        Message md = parse(intrinsic("X", "root", iparam("P", body)));
        ASSERT_TRUE(md) << element;
        EXPECT_EQ(element_stack_depth(&md->elementStack), 0u) << element;
    }
}

// Huge texts decode in full and in linear time: an attribute value with
// 200,000 escaped references and a value of 100,000 pieces.
TEST_F(BadInput, HugeAttributeAndTextDecodeInFull) {
    Message md =
        parse(intrinsic(repeated("a&amp;lt;", 200000), "root", valueParam("Query", repeated("x&lt;", 100000))));
    ASSERT_TRUE(md);
    EXPECT_EQ(narrowText(getMethodName(md->method)), repeated("a<", 200000));
    EXPECT_EQ(narrowText(static_cast<CIMString *>(content(md.get(), "Query"))), repeated("x<", 100000));
}

TEST_F(BadInput, InvalidUtf8IsRefusedByTheParser) {
    // A broken sequence, a byte that starts none, the first value beyond U+10FFFF.
    for (const char *bytes : {"\xc3\x28", "\xff", "\xf4\x90\x80\x80"})
        EXPECT_FALSE(parse(intrinsic("GetClass", "root", classNameParam(bytes)))) << bytes;
    EXPECT_EQ(lastError(), unchanged);
}

// Embedded objects: the object parsers, namespace defaults, recursion and
// its bound, and texts that are not objects.
class EmbeddedObjects : public testing::Test {
protected:
    void SetUp() override { markLastError(); }
    void TearDown() override { EXPECT_EQ(embeddedObjectDepth(), 0); }
};

// The object parsers read their own kind, with plain or escaped quotes, and
// refuse other texts in their own words. The text is wrapped into a request
// of its own, answered as parameter NewInstance of a call "Null" on
// namespace "Null" with a fresh message id.
TEST_F(EmbeddedObjects, ParseTheirOwnKindOnly) {
    for (const char *text :
         {"<INSTANCE CLASSNAME=\"A\"><PROPERTY NAME=\"P\" TYPE=\"uint8\"><VALUE>5</VALUE></PROPERTY>"
          "</INSTANCE>",
          "<INSTANCE CLASSNAME=\\\"A\\\"><PROPERTY NAME=\\\"P\\\" TYPE=\\\"uint8\\\"><VALUE>5</VALUE>"
          "</PROPERTY></INSTANCE>"})
        EXPECT_EQ(taken(cimxmlParseInstance(text), instanceText), "(null):A{P:uint8=5}");
    EXPECT_EQ(taken(cimxmlParseClass("<CLASS NAME=\"B\" SUPERCLASS=\"A\"/>"), classText), "(null):B:A{}");
    EXPECT_EQ(taken(cimxmlParseObjectPath("<INSTANCENAME CLASSNAME=\"K\"><KEYBINDING NAME=\"Id\"><KEYVALUE "
                                          "VALUETYPE=\"numeric\" TYPE=\"uint32\">4</KEYVALUE></KEYBINDING>"
                                          "</INSTANCENAME>"),
                    pathText),
              "(null):K.Id=4");
    EXPECT_EQ(lastError(), unchanged);
    LogCapture log;
    EXPECT_EQ(getEmbeddedObjectValue(nullptr, CIM_STRING, "<INSTANCE CLASSNAME=\"A\"/>"), nullptr);
    EXPECT_EQ(getEmbeddedObjectValue(nullptr, CIM_OBJECT + CIM_ARRAY, "<INSTANCE CLASSNAME=\"A\"/>"), nullptr);
    EXPECT_TRUE(log.lines().empty());
    EXPECT_EQ(getEmbeddedObjectValue(nullptr, CIM_OBJECT, "just a string"), nullptr);
    EXPECT_EQ(cimxmlParseObject(nullptr, "NewInstance"), nullptr);
    EXPECT_EQ(lastError(), "1: cimxmlParseObject failed - Null parameter(s).");
    EXPECT_EQ(cimxmlParseObject("no object here", "NewInstance"), nullptr);
    EXPECT_EQ(cimxmlParseInstance(nullptr), nullptr);
    EXPECT_EQ(cimxmlParseClass("<INSTANCE CLASSNAME=\"A\"/>"), nullptr);
    EXPECT_EQ(cimxmlParseInstance("<CLASS NAME=\"A\"/>"), nullptr);
    // A malformed text: the thread's last error stands for the cause and is
    // logged in its place.
    markLastError();
    EXPECT_EQ(getEmbeddedObjectValue(nullptr, CIM_OBJECT, "<INSTANCE CLASSNAME=\"A\">"), nullptr);
    EXPECT_TRUE(log.contains("status 0: unchanged", 0));
    EXPECT_TRUE(log.contains("getEmbeddedObjectValue - Could not parse embedded object string.", 0));
}

// Each text as an instance and as a class: a text that is not a whole
// object of that kind gives no value, elements inside a VALUE are no
// embedded object, and of two objects the last is kept.
TEST_F(EmbeddedObjects, MalformedAndSelfNestingTexts) {
    LogCapture quiet(-1);
    const std::string inner = "<PROPERTY NAME=\"Inner\" TYPE=\"string\" EmbeddedObject=\"instance\"><VALUE>";
    const std::string none = "(null) | (null)", innerless = "object {(null):A{Inner:object=(null)}} | (null)";
    const std::pair<std::string, std::string> cases[] = {
        {"<INSTANCE CLASSNAME=\"A\">", none},
        {"<INSTANCE CLASSNAME=\"A\">" + inner + "<INSTANCE CLASSNAME=\"A\">" + inner +
             "</VALUE></PROPERTY></INSTANCE></VALUE></PROPERTY></INSTANCE>",
         innerless},
        {"</INSTANCE>", none},
        {"<CLASS", none},
        {"<INSTANCE CLASSNAME=\"A\"></IPARAMVALUE></IMETHODCALL></SIMPLEREQ></MESSAGE></CIM><CIM>", none},
        {"<INSTANCE CLASSNAME=\"A\"/><INSTANCE CLASSNAME=\"B\"/>", "object {(null):B{}} | (null)"},
        {"<INSTANCE CLASSNAME=\"A\">" + inner + "&lt;INSTANCE</VALUE></PROPERTY></INSTANCE>", innerless},
        {"<INSTANCE CLASSNAME=\"\xff\xfe\"/>", none}};
    for (const auto &[text, expected] : cases) {
        std::string got;
        for (int type : {CIM_OBJECT, CIM_CLASS}) {
            CIMValue *value = getEmbeddedObjectValue(nullptr, type, text.c_str());
            got += (got.empty() ? "" : " | ") + valueText(value);
            freeCIMValue(value);
        }
        EXPECT_EQ(got, expected) << text;
    }
}

// An instance of class L<level> whose property Inner holds the next level
// as an embedded instance, down to the innermost level.
std::string nested(int level, int innermost) {
    std::string text = "<INSTANCE CLASSNAME=\"L" + std::to_string(level) + "\">";
    if (level < innermost) {
        std::string inner;
        for (char c : nested(level + 1, innermost))
            inner += c == '<' ? "&lt;" : c == '"' ? "&quot;" : c == '&' ? "&amp;" : std::string(1, c);
        text += "<PROPERTY NAME=\"Inner\" TYPE=\"string\" EmbeddedObject=\"instance\"><VALUE>" + inner +
                "</VALUE></PROPERTY>";
    }
    return text + "</INSTANCE>";
}

// Levels below the first take the namespace of the synthetic request,
// "Null"; in the strict profile they take the request's. Nesting is
// bounded; the rest of the document still decodes.
TEST_F(EmbeddedObjects, NestInstancesRecursivelyDownTo32LevelsOnly) {
    const std::string classic =
        "(null):L0{Inner:object={root/cimv2:L1{Inner:object={Null:L2{Inner:object={Null:L3{}}}}}}}";
    for (bool strict : {false, true}) {
        ProfileScope profile(strict);
        Message md = parse(intrinsic("CreateInstance", "root/cimv2", iparam("NewInstance", nested(0, 3))));
        EXPECT_EQ(instanceText(static_cast<CIMInstance *>(content(md.get(), "NewInstance"))),
                  strict ? strictForm(classic, {{"Null:L2", "root/cimv2:L2"}, {"Null:L3", "root/cimv2:L3"}}) : classic);
    }
    EXPECT_EQ(lastError(), unchanged);
    for (int innermost : {kMaxEmbeddedObjectDepth, kMaxEmbeddedObjectDepth + 1}) {
        markLastError();
        Message md = parse(intrinsic("CreateInstance", "root", iparam("NewInstance", nested(0, innermost)) +
                                                                   valueParam("Role", "after")));
        std::string text = instanceText(static_cast<CIMInstance *>(content(md.get(), "NewInstance")));
        std::size_t levels = 0;
        for (std::size_t at = 0; (at = text.find("Inner:object={", at)) != std::string::npos; ++at) ++levels;
        EXPECT_EQ(levels, static_cast<std::size_t>(kMaxEmbeddedObjectDepth));
        EXPECT_EQ(lastError(), innermost == kMaxEmbeddedObjectDepth
                                   ? unchanged
                                   : "1: getEmbeddedObjectValue - Embedded objects nested deeper than 32 levels.");
        EXPECT_EQ(narrowText(static_cast<CIMString *>(content(md.get(), "Role"))), "after");
    }
}

}  // namespace
