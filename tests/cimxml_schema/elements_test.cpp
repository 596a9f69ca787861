// Exact texts of the written elements (escaping across chunk edges, UTF-8
// at the edges of its lengths, flavors and scopes, the choice of path
// elements, empty arrays, embedded instances), and bad input: null values of
// every type, nameless objects, huge texts. Bad input gives NULL, a skipped
// entry, or the element without the missing piece.
#include <gtest/gtest.h>

#include "support/profiles.h"

#include <string>

#include "cimxml_schema/class_encoding.h"
#include "cimxml_schema/method_encoding.h"
#include "cimxml_schema/object_wrappers.h"
#include "cimxml_schema/path_encoding.h"
#include "cimxml_schema/property_encoding.h"
#include "cimxml_schema/qualifier_encoding.h"
#include "cimxml_schema/request_body.h"
#include "cimxml_schema/response_body.h"
#include "cimxml_schema/value_encoding.h"
#include "cimxml_schema/xml_primitives.h"
#include "support/cim_fixtures.h"
#include "support/log_capture.h"
#include "support/mini_dom.h"

using namespace fixtures;

namespace {

std::string escaped_by_hand(const std::string &text) {
    std::string out;
    for (char c : text)
        out += c == '"' ? "&quot;" : c == '&' ? "&amp;" : c == '\'' ? "&apos;" : c == '<' ? "&lt;" : c == '>' ? "&gt;"
                                                                                              : std::string(1, c);
    return out;
}

// Escaped text goes into a pool that starts at a kilobyte and grows: texts
// that end right at its edge, or put an entity across it, come out whole.
TEST(Escaping, ReplacesTheFiveCharactersAcrossChunkEdges) {
    EXPECT_EQ(encoded(pcdata_encodeformat, narrow_string_value("a\"b&c'd<e>f")), "a&quot;b&amp;c&apos;d&lt;e&gt;f");
    EXPECT_EQ(encoded(pcdata_encodeformat, narrow_string_value("&amp;")), "&amp;amp;");
    for (std::size_t fill : {1017, 1018, 1019, 1020, 1021, 1022, 1023, 1024, 2041, 2042, 2043}) {
        for (const std::string &text : {"&" + std::string(fill, 'a'), std::string(fill, 'a') + "<",
                                        std::string(fill, 'a') + ">z", "\xc3\xa9" + std::string(fill / 5, '\'') + "b"})
            EXPECT_EQ(encoded(cim_value_toxml, narrow_string_value(text)), "<VALUE>" + escaped_by_hand(text) + "</VALUE>\n")
                << fill << " " << text.substr(0, 3);
    }
}

// Each code point at an edge of the UTF-8 lengths is written with its own
// number of bytes; what is no character (a surrogate, beyond U+10FFFF) as
// U+FFFD. Strict also writes a CR as a reference and what no XML document
// may hold (controls, U+FFFE, U+FFFF, a byte that was not UTF-8) as U+FFFD.
TEST(Escaping, CodePointsAtTheEdgesOfEachUtf8Length) {
    const char *const replaced = "\xef\xbf\xbd";
    const struct {
        wchar_t c;
        const char *classic;
        const char *strict;
    } cases[] = {
        {0x7F, "\x7f", "\x7f"},       {0x80, "\xc2\x80", "\xc2\x80"},           {0x7FF, "\xdf\xbf", "\xdf\xbf"},
        {0x800, "\xe0\xa0\x80", "\xe0\xa0\x80"},                           {0xFFFF, "\xef\xbf\xbf", replaced},
        {0x10000, "\xf0\x90\x80\x80", "\xf0\x90\x80\x80"},           {0x10FFFF, "\xf4\x8f\xbf\xbf", "\xf4\x8f\xbf\xbf"},
        {0x110000, replaced, replaced},                               {0xD800, replaced, replaced},
        {L'\r', "\r", "&#13;"},                                       {L'\t', "\t", "\t"},
        {0x01, "\x01", replaced},                                     {0xDC80 + 0x7F, "\xff", replaced}};
    for (bool strict : {false, true}) {
        testsupport::ProfileScope profile(strict);
        for (const auto &one : cases) {
            const wchar_t text[] = {L'<', one.c, L'>', 0};
            EXPECT_EQ(encoded(cim_value_toxml, string_value(text)),
                      std::string("<VALUE>&lt;") + (strict ? one.strict : one.classic) + "&gt;</VALUE>\n")
                << static_cast<unsigned>(one.c) << (strict ? " strict" : " classic");
        }
    }
}

TEST(Primitives, NamedAttributeWritersTagsAndJoins) {
    auto value = own(string_value(L"v<"));
    const std::pair<char *(*)(const CIMValue *), std::string> writers[] = {
        {cimname_encodeformat, "NAME"}, {type_encodeformat, "TYPE"}, {paramtype_encodeformat, "PARAMTYPE"},
        {classorigin_encodeformat, "CLASSORIGIN"}, {propagated_encodeformat, "PROPAGATED"},
        {embeddedobject_encodeformat, "EmbeddedObject"}, {arraysize_encodeformat, "ARRAYSIZE"},
        {isarray_encodeformat, "ISARRAY"}, {superclass_encodeformat, "SUPERCLASS"},
        {classname_encodeformat, "CLASSNAME"}, {referenceclass_encodeformat, "REFERENCECLASS"},
    };
    for (const auto &[writer, name] : writers) EXPECT_EQ(take(writer(value.get())), name + "=\"v&lt;\"");
    EXPECT_EQ(take(emptytag_with_attribute("CLASSNAME", "NAME=\"A\"")), "<CLASSNAME NAME=\"A\"/>\n");
    auto fragment = [](const char *text) { return real_dupChar(text, __FILE_NAME__, __LINE__); };
    EXPECT_EQ(take(fragment_append(fragment("a"), fragment("b"), 0)), "ab");
    EXPECT_EQ(take(fragment_append(nullptr, fragment("b"), 1)), " b");
    char *first = fragment("kept");
    EXPECT_EQ(take(fragment_append(first, nullptr, 1)), null_text);
    EXPECT_EQ(take(first), "kept");  // not released when the join fails
    int32_t bits = 2 | 8;
    auto flavor = own(newCIMValue(CIM_SINT32, &bits));
    EXPECT_EQ(take(flavor_encodeformat(flavor.get())), " OVERRIDABLE=\"false\" TOSUBCLASS=\"true\" TRANSLATABLE=\"false\"");
    EXPECT_EQ(take(scope_encodeformat(flavor.get())), "  CLASS=\"false\"  ASSOCIATION=\"true\"  REFERENCE=\"false\"  PROPERTY=\"true\"  METHOD=\"false\"  "
              "PARAMETER=\"false\"  INDICATION=\"false\"");
}

TEST(Qualifier, KeyExampleWithTwoBlanksBeforeFlavorsAndEachFlavorBit) {
    EXPECT_EQ(encoded(cim_qualifier_toxml, boolean_qualifier(L"Key", 1, 2 | 8)),
              "<QUALIFIER NAME=\"Key\" TYPE=\"boolean\" PROPAGATED=\"false\"  OVERRIDABLE=\"false\" "
              "TOSUBCLASS=\"true\" TRANSLATABLE=\"false\">\n<VALUE>true</VALUE>\n</QUALIFIER>\n");
    const std::pair<int, const char *> flavors[] = {
        {0, " TRANSLATABLE=\"false\""}, {1 | 2, " OVERRIDABLE=\"true\" TRANSLATABLE=\"false\""},
        {4, " TOSUBCLASS=\"false\" TRANSLATABLE=\"false\""}, {4 | 8, " TOSUBCLASS=\"true\" TRANSLATABLE=\"false\""},
        {31, " OVERRIDABLE=\"true\" TOSUBCLASS=\"true\" TRANSLATABLE=\"true\""},
    };
    for (auto [bits, expected] : flavors) EXPECT_EQ(take(flavor_attributes(bits)), expected) << bits;
}

TEST(QualifierDeclaration, ScopeExampleLineAndArrayForms) {
    auto key = own(newQualifierType(str(L"Key"), 0, nullptr, CIM_BOOLEAN, 0, 1 | 8));
    EXPECT_EQ(take(cim_qualifierdeclaration_toxml(key.get())),
              "<QUALIFIER.DECLARATION NAME=\"Key\" TYPE=\"boolean\" ISARRAY=\"false\"  TRANSLATABLE=\"false\">\n"
              "<SCOPE   CLASS=\"true\"  ASSOCIATION=\"false\"  REFERENCE=\"false\"  PROPERTY=\"true\"  METHOD=\"false\"  "
              "PARAMETER=\"false\"  INDICATION=\"false\"/>\n</QUALIFIER.DECLARATION>\n");
    auto values = own(newQualifierType(str(L"Values"), 0, array_value(108, {string_value(L"a"), string_value(L"b")}),
                                       108, 0, 4 | 16 | 32 | 64));
    EXPECT_EQ(take(cim_qualifierdeclaration_toxml(values.get())),
              "<QUALIFIER.DECLARATION NAME=\"Values\" TYPE=\"string\" ISARRAY=\"true\" ARRAYSIZE=\"2\"  "
              "TRANSLATABLE=\"false\">\n<SCOPE   CLASS=\"false\"  ASSOCIATION=\"false\"  REFERENCE=\"true\"  "
              "PROPERTY=\"false\"  METHOD=\"true\"  PARAMETER=\"true\"  INDICATION=\"true\"/>\n"
              "<VALUE.ARRAY>\n<VALUE>a</VALUE>\n<VALUE>b</VALUE>\n</VALUE.ARRAY>\n</QUALIFIER.DECLARATION>\n");
    // This name declares an array whatever its case and declared type.
    auto map = own(newQualifierType(str(L"VALUEMAP"), 0, string_value(L"x"), CIM_STRING, 0, 0));
    EXPECT_EQ(take(cim_qualifierdeclaration_toxml(map.get())),
              "<QUALIFIER.DECLARATION NAME=\"VALUEMAP\" TYPE=\"string\" ISARRAY=\"true\"  TRANSLATABLE=\"false\">\n"
              "<SCOPE   CLASS=\"false\"  ASSOCIATION=\"false\"  REFERENCE=\"false\"  PROPERTY=\"false\"  METHOD=\"false\"  "
              "PARAMETER=\"false\"  INDICATION=\"false\"/>\n<VALUE>x</VALUE>\n</QUALIFIER.DECLARATION>\n");
}

// A key's VALUETYPE by its type; the whole INSTANCENAME is the operations' tests.
TEST(KeyValue, TypedByItsValue) {
    EXPECT_EQ(encoded(cim_keyvalue_toxml, boolean_value(1)),
              "<KEYVALUE VALUETYPE=\"boolean\" TYPE=\"boolean\">true</KEYVALUE>\n");
    EXPECT_EQ(
        encoded(cim_keyvalue_toxml, newCIMValue(CIM_DATETIME, const_cast<wchar_t *>(L"20240101000000.000000+000"))),
        "<KEYVALUE VALUETYPE=\"string\" TYPE=\"datetime\">20240101000000.000000+000</KEYVALUE>\n");
}

TEST(ValueReference, ChildChosenByHostNamespaceAndKeys) {
    const struct {
        const wchar_t *nameSpace;
        const wchar_t *host;
        bool keys;
        std::string child;
    } cases[] = {
        {L"root", L"h", true, "INSTANCEPATH"}, {L"root", L"h", false, "CLASSPATH"},
        {L"root", nullptr, true, "LOCALINSTANCEPATH"}, {L"root", nullptr, false, "LOCALCLASSPATH"},
        {nullptr, nullptr, true, "INSTANCENAME"}, {nullptr, nullptr, false, "CLASSNAME"},
        {L"", L"", false, "CLASSNAME"},
    };
    for (const auto &c : cases) {
        CIMObjectPath *p = path(L"A", c.nameSpace, c.host);
        if (c.keys) add_key(p, L"k", uint32_value(1));
        EXPECT_EQ(child_names(encoded(cim_valuereference_toxml, reference_value(p)), {}), c.child);
    }
}

TEST(NamespacePath, OneElementPerComponentAndTheHostOrTheMachinesAddress) {
    const std::string two = "<NAMESPACE NAME=\"root\"/>\n<NAMESPACE NAME=\"cimv2\"/>\n";
    for (const wchar_t *text : {L"root/cimv2", L"/root//cimv2/", L"root\\cimv2", L"\\root\\\\cimv2\\"})
        EXPECT_EQ(encoded(cim_localnamespacepath_toxml, str(text)),
                  "<LOCALNAMESPACEPATH>\n" + two + "</LOCALNAMESPACEPATH>\n");
    EXPECT_EQ(encoded(cim_localnamespacepath_toxml, str(L"")), "<LOCALNAMESPACEPATH>\n</LOCALNAMESPACEPATH>\n");
    EXPECT_EQ(encoded(cim_localnamespacepath_toxml, str(nullptr)), null_text);
    EXPECT_EQ(encoded(cim_namespacepath_toxml, path(L"A", L"root/cimv2", L"server&1")),
              "<NAMESPACEPATH>\n<HOST>server&amp;1</HOST>\n<LOCALNAMESPACEPATH>\n" + two +
                  "</LOCALNAMESPACEPATH>\n</NAMESPACEPATH>\n");
    EXPECT_EQ(encoded(cim_namespacepath_toxml, path(L"A", L"root")).substr(0, 22 + system_host().size()),
              "<NAMESPACEPATH>\n<HOST>" + system_host());
}

// Null array entries are left out and an empty array has no VALUE.ARRAY;
// an embedded instance goes into CDATA under an EmbeddedObject qualifier
// that is added once, not at every write.
TEST(Instance, EmbeddedInstancesAndArraysWithNullEntriesOrNone) {
    auto i = own(instance(L"CIM_Foo", {property(L"Names", array_value(108, {string_value(L"a"), nullptr})),
                                       property(L"None", array_value(104, {})),
                                       property(L"Inner", instance_value(instance(L"CIM_Inner", {}))),
                                       property(L"Items", array_value(115, {instance_value(instance(L"I", {}))}))}));
    const std::string expected =
        "<INSTANCE CLASSNAME=\"CIM_Foo\">\n"
        "<PROPERTY.ARRAY NAME=\"Names\" TYPE=\"string\" ARRAYSIZE=\"2\" PROPAGATED=\"false\">\n"
        "<VALUE.ARRAY>\n<VALUE>a</VALUE>\n</VALUE.ARRAY>\n</PROPERTY.ARRAY>\n"
        "<PROPERTY.ARRAY NAME=\"None\" TYPE=\"uint32\" PROPAGATED=\"false\">\n</PROPERTY.ARRAY>\n"
        "<PROPERTY NAME=\"Inner\" EmbeddedObject=\"instance\" TYPE=\"string\" PROPAGATED=\"false\">\n"
        "<QUALIFIER NAME=\"EmbeddedObject\" TYPE=\"boolean\" PROPAGATED=\"false\"  OVERRIDABLE=\"false\" "
        "TRANSLATABLE=\"false\">\n<VALUE>true</VALUE>\n</QUALIFIER>\n"
        "<VALUE><![CDATA[<INSTANCE CLASSNAME=\"CIM_Inner\">\n</INSTANCE>\n]]></VALUE>\n</PROPERTY>\n"
        "<PROPERTY.ARRAY NAME=\"Items\" EmbeddedObject=\"instance\" TYPE=\"string\" ARRAYSIZE=\"1\" "
        "PROPAGATED=\"false\">\n"
        "<VALUE.ARRAY>\n<VALUE><![CDATA[<INSTANCE CLASSNAME=\"I\">\n</INSTANCE>\n]]></VALUE>\n</VALUE.ARRAY>\n"
        "</PROPERTY.ARRAY>\n</INSTANCE>\n";
    EXPECT_EQ(take(cim_instance_toxml(i.get())), expected);
    EXPECT_EQ(take(cim_instance_toxml(i.get())), expected);
}

// A null value of any type, valid or not, writes no VALUE and no KEYVALUE.
TEST(NullValues, OfEveryTypeWriteNoValue) {
    testsupport::LogCapture quiet;
    for (int type : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, -1, -2, 100, 104, 108, 109,
                     112, 113, 114, 115, 116, 99, 200, -7}) {
        EXPECT_EQ(encoded(cim_value_toxml, newCIMValueNULL(type)), null_text) << type;
        EXPECT_EQ(encoded(cim_keyvalue_toxml, newCIMValueNULL(type)), null_text) << type;
    }
}

TEST(MissingPieces, NamelessObjectsAndPathsWithoutNamespaceAreNotWritten) {
    testsupport::LogCapture log;
    auto hostOnly = own(path(L"A", nullptr, L"h"));
    add_key(hostOnly.get(), L"k", uint32_value(1));
    for (auto encoder : {cim_namespacepath_toxml, cim_classpath_toxml, cim_localclasspath_toxml,
                         cim_instancepath_toxml, cim_localinstancepath_toxml, cim_objectpath_toxml})
        EXPECT_EQ(take(encoder(hostOnly.get())), null_text);
    EXPECT_EQ(encoded(cim_instancename_toxml, path(nullptr)), null_text);
    EXPECT_EQ(encoded(cim_valuereference_toxml, reference_value(path(nullptr))), null_text);
    EXPECT_EQ(encoded(cim_keybinding_toxml, newPropertyKey(nullptr, nullptr, uint32_value(1))), null_text);
    EXPECT_EQ(encoded(cim_class_toxml, newCIMClassEmpty()), null_text);
    EXPECT_EQ(encoded(get_class_classpath, newCIMClassEmpty()), null_text);
    EXPECT_EQ(encoded([](CIMClass *c) { return cim_objectwithpath_toxml(c, 1); }, newCIMClass(str(L"C"), nullptr)),
              null_text);  // a class without namespace has no path
    EXPECT_EQ(encoded(cim_instance_toxml, newInstanceEmpty()), null_text);
    EXPECT_TRUE(log.contains("cim_class_toxml failed: Could not encode classname", 0));
}

TEST(MissingPieces, ListEntriesThatCannotBeWrittenAreSkipped) {
    testsupport::LogCapture log;
    CIMObjectPath *p = path(L"A");
    add_key(p, L"bad", newCIMValueNULL(CIM_STRING));
    add_key(p, L"good", uint32_value(7));
    EXPECT_EQ(encoded(cim_instancename_toxml, p),
              "<INSTANCENAME CLASSNAME=\"A\">\n<KEYBINDING NAME=\"good\">\n"
              "<KEYVALUE VALUETYPE=\"numeric\" TYPE=\"uint32\">7</KEYVALUE>\n</KEYBINDING>\n</INSTANCENAME>\n");
    auto methods = own(list_of(CIMLIST_METHOD, {newMethod(nullptr, nullptr, 0, nullptr, CIM_UINT32, nullptr),
                                                newMethod(str(L"Ok"), nullptr, 0, nullptr, CIM_UINT32, nullptr)}));
    EXPECT_EQ(take(methodlist_toxml(methods.get())),
              "<METHOD NAME=\"Ok\" TYPE=\"uint32\" PROPAGATED=\"false\">\n</METHOD>\n");
    EXPECT_TRUE(log.contains("methodlist_toxml - Method list encoding failed.", 1));
    auto parameters = own(property_list({typed_property(nullptr, CIM_UINT32, uint32_value(1)),
                                         typed_property(L"B", CIM_UINT32, uint32_value(2))}));
    EXPECT_EQ(take(iparamvaluelist_toxml(parameters.get(), nullptr)),
              "<IPARAMVALUE NAME=\"B\">\n<VALUE>2</VALUE>\n</IPARAMVALUE>\n");
    EXPECT_EQ(take(paramvaluelist_toxml(parameters.get())),
              "<PARAMVALUE NAME=\"B\" PARAMTYPE=\"uint32\">\n<VALUE>2</VALUE>\n</PARAMVALUE>\n");
    EXPECT_EQ(take(parameterlist_toxml(parameters.get())), "<PARAMETER NAME=\"B\" TYPE=\"uint32\">\n</PARAMETER>\n");
}

TEST(MismatchedContent, EmbeddedQualifierOnANumberWritesNoValue) {
    auto embeddedNumber = typed_property(L"E", CIM_UINT32, uint32_value(1));
    add_qualifier(embeddedNumber, boolean_qualifier(L"EmbeddedObject", 1));
    EXPECT_EQ(encoded(cim_property_toxml, embeddedNumber),
              "<PROPERTY NAME=\"E\" EmbeddedObject=\"instance\" TYPE=\"string\" PROPAGATED=\"false\">\n"
              "<QUALIFIER NAME=\"EmbeddedObject\" TYPE=\"boolean\" PROPAGATED=\"false\"  TRANSLATABLE=\"false\">\n"
              "<VALUE>true</VALUE>\n</QUALIFIER>\n</PROPERTY>\n");
}

}  // namespace
