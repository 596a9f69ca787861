// Tests of tags, attributes, joins, escaping, value texts, flavors and the
// message envelope.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "cimxml_common/memory.h"
#include "cimxml_schema/cim_fixtures.h"
#include "cimxml_schema/xml_primitives.h"
#include "support/log_capture.h"

using namespace fixtures;

namespace {

char *fragment(const char *text) { return real_dupChar(text, __FILE_NAME__, __LINE__); }

TEST(Tags, WriteNameAndLineFeed) {
    EXPECT_EQ(take(start_tag("SIMPLERSP")), "<SIMPLERSP>\n");
    EXPECT_EQ(take(end_tag("SIMPLERSP")), "</SIMPLERSP>\n");
    EXPECT_EQ(take(otag_with_attribute("CLASS", "NAME=\"A\"")), "<CLASS NAME=\"A\">\n");
    EXPECT_EQ(take(emptytag_with_attribute("CLASSNAME", "NAME=\"A\"")), "<CLASSNAME NAME=\"A\"/>\n");
}

TEST(Tags, NullArgumentsGiveNull) {
    EXPECT_EQ(take(start_tag(nullptr)), null_text);
    EXPECT_EQ(take(end_tag(nullptr)), null_text);
    EXPECT_EQ(take(otag_with_attribute("CLASS", nullptr)), null_text);
    EXPECT_EQ(take(otag_with_attribute(nullptr, "NAME=\"A\"")), null_text);
    EXPECT_EQ(take(emptytag_with_attribute(nullptr, "x")), null_text);
    EXPECT_EQ(take(emptytag_with_attribute("SCOPE", nullptr)), null_text);
}

TEST(Tags, LongNamesAreCutAtTheFixedBuffer) {
    std::string name(70, 'N');
    std::string written = take(start_tag(name.c_str()));
    EXPECT_EQ(written.size(), 59u);
    EXPECT_EQ(written, "<" + std::string(58, 'N'));
}

TEST(FragmentAppend, JoinsWithOrWithoutBlank) {
    EXPECT_EQ(take(fragment_append(fragment("a"), fragment("b"), 0)), "ab");
    EXPECT_EQ(take(fragment_append(fragment("a"), fragment("b"), 1)), "a b");
    EXPECT_EQ(take(fragment_append(nullptr, fragment("b"), 1)), " b");
    EXPECT_EQ(take(fragment_append(nullptr, fragment("b"), 0)), "b");
}

TEST(FragmentAppend, NullSecondGivesNullAndKeepsFirst) {
    char *first = fragment("kept");
    EXPECT_EQ(take(fragment_append(first, nullptr, 1)), null_text);
    EXPECT_STREQ(first, "kept");
    cimxml_free(first, CIMXML_ATOMIC);
}

TEST(Escaping, ReplacesEachOfTheFiveCharacters) {
    auto value = own(string_value(L"a\"b&c'd<e>f"));
    EXPECT_EQ(take(pcdata_encodeformat(value.get())), "a&quot;b&amp;c&apos;d&lt;e&gt;f");
}

TEST(Escaping, EscapesExistingEntitiesAgain) {
    auto value = own(string_value(L"&amp;"));
    EXPECT_EQ(take(pcdata_encodeformat(value.get())), "&amp;amp;");
}

TEST(Escaping, PassesHighBytesThrough) {
    std::string text = "caf\xc3\xa9 <\xe2\x82\xac> \xff";
    auto value = own(narrow_string_value(text));
    EXPECT_EQ(take(pcdata_encodeformat(value.get())), "caf\xc3\xa9 &lt;\xe2\x82\xac&gt; \xff");
}

TEST(Escaping, HandlesTextsLongerThanOneStagingBuffer) {
    std::string text;
    std::string expected;
    for (int i = 0; i < 5000; ++i) {
        text += "x<&";
        expected += "x&lt;&amp;";
    }
    auto value = own(narrow_string_value(text));
    EXPECT_EQ(take(pcdata_encodeformat(value.get())), expected);
}

TEST(Escaping, NeedsEscapeRecognisesOnlyTheFive) {
    EXPECT_EQ(needs_xml_escape("plain text 123 /\\;:"), 0);
    for (const char *special : {"\"", "&", "'", "<", ">"}) EXPECT_EQ(needs_xml_escape(special), 1) << special;
    EXPECT_EQ(needs_xml_escape(nullptr), 0);
}

TEST(Escaping, EntityTableIsInTheReadersOrder) {
    EXPECT_STREQ(xml_entity_chars, "\"&<>'");
    const char *expected[] = {"&quot;", "&amp;", "&lt;", "&gt;", "&apos;"};
    for (int i = 0; i < xml_entity_count; ++i) EXPECT_STREQ(xml_entity_strings[i], expected[i]);
}

struct ValueText {
    const char *label;
    CIMValue *(*make)();
    std::string expected;
};

TEST(ValueText, WritesEachTypeInItsForm) {
    const ValueText cases[] = {
        {"true", [] { return boolean_value(1); }, "true"},
        {"false", [] { return boolean_value(0); }, "false"},
        {"uint32", [] { return uint32_value(42); }, "42"},
        {"uint8", [] { return uint8_value(255); }, "255"},
        {"sint64", [] { return sint64_value(-9000000000LL); }, "-9000000000"},
        {"string", [] { return string_value(L"abc"); }, "abc"},
        {"empty string", [] { return string_value(L""); }, ""},
        {"datetime", [] { return datetime_value(L"20240101000000.000000+000"); }, "20240101000000.000000+000"},
        {"char16", [] { return char16_value('<'); }, "&lt;"},
    };
    for (const ValueText &c : cases) {
        auto value = own(c.make());
        EXPECT_EQ(take(pcdata_encodeformat(value.get())), c.expected) << c.label;
    }
}

TEST(ValueText, RealsUseTheLibrarysOwnText) {
    auto value = own(real32_value(1.5f));
    char *library = getCharFromCIMValue(value.get());
    EXPECT_EQ(take(pcdata_encodeformat(value.get())), std::string(library));
}

TEST(ValueText, BooleanStoredAsTwoIsFalse) {
    auto value = own(boolean_value(1));
    value->data.boolean = 2;
    EXPECT_EQ(take(pcdata_encodeformat(value.get())), "false");
}

TEST(ValueText, AbsentTextsGiveNullWithoutMessage) {
    testsupport::LogCapture log;
    auto nullString = own(newCIMValueNULL(CIM_STRING));
    auto nullNumber = own(newCIMValueNULL(CIM_UINT32));
    auto nullBoolean = own(newCIMValueNULL(CIM_BOOLEAN));
    auto empty = own(newCIMValueEmpty());
    EXPECT_EQ(take(pcdata_encodeformat(nullptr)), null_text);
    EXPECT_EQ(take(pcdata_encodeformat(nullString.get())), null_text);
    EXPECT_EQ(take(pcdata_encodeformat(nullNumber.get())), null_text);
    EXPECT_EQ(take(pcdata_encodeformat(nullBoolean.get())), null_text);
    EXPECT_EQ(take(pcdata_encodeformat(empty.get())), null_text);
    EXPECT_TRUE(log.lines().empty());
}

TEST(ValueText, OtherTypesLogUnknownType) {
    auto reference = own(reference_value(path(L"A")));
    auto array = own(array_value(108, {string_value(L"x")}));
    auto cimNull = own(newCIMValueNULL(CIM_NULL));
    for (const CIMValue *value : {reference.get(), array.get(), cimNull.get()}) {
        testsupport::LogCapture log;
        EXPECT_EQ(take(pcdata_encodeformat(value)), null_text);
        EXPECT_TRUE(log.contains("pcdata_encodeformat: unknown type!", 0));
    }
}

TEST(Attributes, NameEqualsQuotedEscapedText) {
    auto value = own(string_value(L"a<b"));
    EXPECT_EQ(take(attribute_encodeformat("NAME", value.get())), "NAME=\"a&lt;b\"");
    EXPECT_EQ(take(attribute_encodeformat(nullptr, value.get())), null_text);
    EXPECT_EQ(take(attribute_encodeformat("NAME", nullptr)), null_text);
    auto absent = own(newCIMValueNULL(CIM_STRING));
    EXPECT_EQ(take(attribute_encodeformat("NAME", absent.get())), null_text);
}

TEST(Attributes, NamedWritersUseTheirFixedNames) {
    auto text = own(string_value(L"v"));
    auto flag = own(boolean_value(1));
    auto size = own(uint32_value(4));
    EXPECT_EQ(take(cimname_encodeformat(text.get())), "NAME=\"v\"");
    EXPECT_EQ(take(type_encodeformat(text.get())), "TYPE=\"v\"");
    EXPECT_EQ(take(paramtype_encodeformat(text.get())), "PARAMTYPE=\"v\"");
    EXPECT_EQ(take(classorigin_encodeformat(text.get())), "CLASSORIGIN=\"v\"");
    EXPECT_EQ(take(propagated_encodeformat(flag.get())), "PROPAGATED=\"true\"");
    EXPECT_EQ(take(embeddedobject_encodeformat(text.get())), "EmbeddedObject=\"v\"");
    EXPECT_EQ(take(arraysize_encodeformat(size.get())), "ARRAYSIZE=\"4\"");
    EXPECT_EQ(take(isarray_encodeformat(flag.get())), "ISARRAY=\"true\"");
    EXPECT_EQ(take(superclass_encodeformat(text.get())), "SUPERCLASS=\"v\"");
    EXPECT_EQ(take(classname_encodeformat(text.get())), "CLASSNAME=\"v\"");
    EXPECT_EQ(take(referenceclass_encodeformat(text.get())), "REFERENCECLASS=\"v\"");
}

TEST(ValueType, QuotedWordByTypeGroup) {
    EXPECT_EQ(take(valuetype_encodeformat(CIM_BOOLEAN)), "\"boolean\"");
    for (int type : {0, 1, 2, 3, 4, 5, 6, 7, 10, 11, 13})
        EXPECT_EQ(take(valuetype_encodeformat(type)), "\"numeric\"") << type;
    for (int type : {8, 12, 14, 15, 17, 108, -1})
        EXPECT_EQ(take(valuetype_encodeformat(type)), "\"string\"") << type;
}

TEST(CdataSection, WrapsTextUnchanged) {
    EXPECT_EQ(take(cdata_section_encodeformat("<INSTANCE>&amp;</INSTANCE>\n")),
              "<VALUE><![CDATA[<INSTANCE>&amp;</INSTANCE>\n]]></VALUE>\n");
}

TEST(CdataSection, NullTextLogs) {
    testsupport::LogCapture log;
    EXPECT_EQ(take(cdata_section_encodeformat(nullptr)), null_text);
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_EQ(log.lines()[0].level, 0);
    EXPECT_TRUE(std::regex_match(log.lines()[0].text, std::regex(R"(cdata_section_encodeformat failed, \S+, \d+\.)")));
}

TEST(Flavors, EachBitPairAndItsPrecedence) {
    const struct {
        int bits;
        const char *expected;
    } cases[] = {
        {0, " TRANSLATABLE=\"false\""},
        {1, " OVERRIDABLE=\"true\" TRANSLATABLE=\"false\""},
        {2, " OVERRIDABLE=\"false\" TRANSLATABLE=\"false\""},
        {3, " OVERRIDABLE=\"true\" TRANSLATABLE=\"false\""},
        {4, " TOSUBCLASS=\"false\" TRANSLATABLE=\"false\""},
        {8, " TOSUBCLASS=\"true\" TRANSLATABLE=\"false\""},
        {12, " TOSUBCLASS=\"true\" TRANSLATABLE=\"false\""},
        {16, " TRANSLATABLE=\"true\""},
        {2 | 8, " OVERRIDABLE=\"false\" TOSUBCLASS=\"true\" TRANSLATABLE=\"false\""},
        {31, " OVERRIDABLE=\"true\" TOSUBCLASS=\"true\" TRANSLATABLE=\"true\""},
    };
    for (const auto &c : cases) {
        int32_t bits = c.bits;
        auto value = own(newCIMValue(CIM_SINT32, &bits));
        EXPECT_EQ(take(flavor_encodeformat(value.get())), c.expected) << c.bits;
    }
    EXPECT_EQ(take(flavor_encodeformat(nullptr)), null_text);
}

TEST(Envelope, DeclarationStartTagsAndTail) {
    EXPECT_EQ(take(xmldecl_toxml()), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    EXPECT_EQ(take(cimstart_toxml()), "<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n");
    EXPECT_EQ(take(messagestart_toxml("1001")), "<MESSAGE ID=\"1001\" PROTOCOLVERSION=\"1.0\">\n");
    EXPECT_EQ(take(messagestart_toxml(nullptr)), null_text);
    EXPECT_EQ(take(message_tail_toxml()), "</MESSAGE>\n</CIM>\n");
}

TEST(Envelope, HeadJoinsTheThreeLines) {
    EXPECT_EQ(take(message_head_toxml("1001")),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n"
              "<MESSAGE ID=\"1001\" PROTOCOLVERSION=\"1.0\">\n");
}

TEST(Envelope, HeadWithoutIdMakesAFreshOne) {
    std::string head = take(message_head_toxml(nullptr));
    std::smatch match;
    ASSERT_TRUE(std::regex_search(head, match, std::regex("<MESSAGE ID=\"([0-9:]+)\" PROTOCOLVERSION=\"1.0\">\n$")));
    EXPECT_TRUE(std::regex_match(match[1].str(), std::regex(R"(\d{4}(:\d{2}){5}:\d{8})"))) << match[1];
}

}  // namespace
