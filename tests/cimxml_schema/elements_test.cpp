// Exact texts of the written elements (escaping, flavors and scopes, the
// choice of path elements, embedded instances), and bad input: NULL
// arguments, null values of every type, nameless objects, huge texts. Bad
// input gives NULL, a skipped entry, or the element without the missing piece.
#include <gc/gc.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "cimxml_schema/class_encoding.h"
#include "cimxml_common/fragment_builder.h"
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
#include "support/xml_checks.h"

using namespace fixtures;

namespace {

// Long texts with high bytes are escaped in the huge-text test below.
TEST(Escaping, ReplacesTheFiveCharacters) {
    EXPECT_EQ(encoded(pcdata_encodeformat, narrow_string_value("a\"b&c'd<e>f")), "a&quot;b&amp;c&apos;d&lt;e&gt;f");
    EXPECT_EQ(encoded(pcdata_encodeformat, narrow_string_value("&amp;")), "&amp;amp;");
    EXPECT_STREQ(xml_entity_chars, "\"&<>'");  // the reader's order
    EXPECT_STREQ(xml_entity_strings[2], "&lt;");
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
    EXPECT_EQ(take(flavor_encodeformat(flavor.get())), take(flavor_attributes(bits)));
    EXPECT_EQ(take(scope_encodeformat(flavor.get())), take(scope_attributes(bits)));
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
    EXPECT_NE(take(cim_qualifierdeclaration_toxml(key.get()))
                  .find("\n<SCOPE   CLASS=\"true\"  ASSOCIATION=\"false\"  REFERENCE=\"false\"  PROPERTY=\"true\"  "
                        "METHOD=\"false\"  PARAMETER=\"false\"  INDICATION=\"false\"/>\n</QUALIFIER.DECLARATION>\n"),
              std::string::npos);
    auto values = own(newQualifierType(str(L"Values"), 0, array_value(108, {string_value(L"a"), string_value(L"b")}),
                                       108, 0, 4 | 16 | 32 | 64));
    EXPECT_EQ(take(cim_qualifierdeclaration_toxml(values.get())),
              "<QUALIFIER.DECLARATION NAME=\"Values\" TYPE=\"string\" ISARRAY=\"true\" ARRAYSIZE=\"2\"  "
              "TRANSLATABLE=\"false\">\n<SCOPE   CLASS=\"false\"  ASSOCIATION=\"false\"  REFERENCE=\"true\"  "
              "PROPERTY=\"false\"  METHOD=\"true\"  PARAMETER=\"true\"  INDICATION=\"true\"/>\n"
              "<VALUE.ARRAY>\n<VALUE>a</VALUE>\n<VALUE>b</VALUE>\n</VALUE.ARRAY>\n</QUALIFIER.DECLARATION>\n");
    // This name declares an array whatever its case and declared type.
    auto map = own(newQualifierType(str(L"VALUEMAP"), 0, string_value(L"x"), CIM_STRING, 0, 0));
    EXPECT_NE(take(cim_qualifierdeclaration_toxml(map.get())).find("TYPE=\"string\" ISARRAY=\"true\"  TRANSLATABLE"),
              std::string::npos);
}

TEST(InstanceName, CimNamespaceExample) {
    CIMObjectPath *p = path(L"CIM_Namespace");
    add_key(p, L"Name", string_value(L"root"));
    EXPECT_EQ(encoded(cim_instancename_toxml, p),
              "<INSTANCENAME CLASSNAME=\"CIM_Namespace\">\n"
              "<KEYBINDING NAME=\"Name\">\n"
              "<KEYVALUE VALUETYPE=\"string\" TYPE=\"string\">root</KEYVALUE>\n"
              "</KEYBINDING>\n"
              "</INSTANCENAME>\n");
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

// Null array entries are left out; an embedded instance goes into CDATA
// under an EmbeddedObject qualifier that is added once, not at every write.
TEST(Instance, EmbeddedInstancesAndArraysWithNullEntries) {
    auto i = own(instance(L"CIM_Foo", {property(L"Names", array_value(108, {string_value(L"a"), nullptr})),
                                       property(L"Inner", instance_value(instance(L"CIM_Inner", {}))),
                                       property(L"Items", array_value(115, {instance_value(instance(L"I", {}))}))}));
    const std::string expected =
        "<INSTANCE CLASSNAME=\"CIM_Foo\">\n"
        "<PROPERTY.ARRAY NAME=\"Names\" TYPE=\"string\" ARRAYSIZE=\"2\" PROPAGATED=\"false\">\n"
        "<VALUE.ARRAY>\n<VALUE>a</VALUE>\n</VALUE.ARRAY>\n</PROPERTY.ARRAY>\n"
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

template <typename T>
void expect_null_for_null(const char *argument, std::initializer_list<char *(*)(const T *)> encoders) {
    int index = 0;
    for (auto encoder : encoders) EXPECT_EQ(take(encoder(nullptr)), null_text) << argument << " encoder " << index++;
}

TEST(NullArguments, EveryFragmentEncoderGivesNull) {
    testsupport::LogCapture quiet;
    expect_null_for_null<char>("char", {start_tag, end_tag, cdata_section_encodeformat, messagestart_toxml,
                                        cim_host_toxml, cim_namespace_toxml});
    expect_null_for_null<CIMValue>("CIMValue", {cim_value_toxml, cim_valuearray_toxml, cim_valuereference_toxml,
                                                cim_valuerefarray_toxml, cim_keyvalue_toxml, embeddedobject_toxml,
                                                flavor_encodeformat, scope_encodeformat});
    expect_null_for_null<CIMString>("CIMString", {cim_localnamespacepath_toxml, cim_classname_toxml});
    expect_null_for_null<CIMObjectPath>("CIMObjectPath",
                                        {cim_namespacepath_toxml, cim_classpath_toxml, cim_localclasspath_toxml,
                                         cim_instancepath_toxml, cim_localinstancepath_toxml, cim_instancename_toxml,
                                         cim_objectpath_toxml});
    expect_null_for_null<CIMProperty>("CIMProperty",
                                      {cim_keybinding_toxml, cim_propertyarray_toxml, cim_propertyreference_toxml,
                                       cim_parameter_toxml, cim_parameterreference_toxml, cim_parameterarray_toxml,
                                       cim_parameterrefarray_toxml, cim_paramvalue_toxml, cim_expparamvalue_toxml,
                                       cim_returnvalue_toxml});
    expect_null_for_null<CIMList>("CIMList", {qualifierlist_toxml, propertylist_toxml, methodlist_toxml,
                                              parameterlist_toxml, paramvaluelist_toxml, expparamvaluelist_toxml});
    expect_null_for_null<CIMInstance>("CIMInstance", {cim_instance_toxml, cim_namedinstance_toxml,
                                                      get_instance_instancename, get_instance_instancepath});
    expect_null_for_null<CIMClass>("CIMClass", {cim_class_toxml, get_class_classpath});
    expect_null_for_null<CIMQualifier>("CIMQualifier", {cim_qualifier_toxml, cim_qualifierdeclaration_toxml});
    expect_null_for_null<CIMMethod>("CIMMethod", {cim_method_toxml});
    expect_null_for_null<ReturnCode>("ReturnCode", {cim_error_toxml});
    const std::function<char *()> others[] = {
        [] { return otag_with_attribute("CLASS", nullptr); }, [] { return emptytag_with_attribute(nullptr, "N"); },
        [] { return attribute_encodeformat("NAME", nullptr); }, [] { return cim_property_toxml(nullptr); },
        [] { return iparamvaluelist_toxml(nullptr, nullptr); }, [] { return cim_iparamvalue_toxml(nullptr, nullptr); },
        [] { return cim_valueobject_toxml(nullptr, 0); }, [] { return cim_objectwithpath_toxml(nullptr, 1); },
        [] { return cim_simplereq_toxml(nullptr, nullptr, nullptr, nullptr, 1); },
        [] { return cim_imethodcall_toxml(nullptr, nullptr, nullptr, nullptr); },
        [] { return cim_methodcall_toxml(nullptr, nullptr, nullptr); },
        [] { return cim_simpleexpreq_toxml(nullptr, nullptr); },
        [] { return cim_expmethodcall_toxml(nullptr, nullptr); },
    };
    for (const auto &encoder : others) EXPECT_EQ(take(encoder()), null_text);
}

// Every fragment an encoder gives for bad content is NULL or well formed.
void expect_null_or_element(const std::string &text, int type) {
    EXPECT_EQ(text == null_text ? "" : testsupport::wellFormednessError(text), "") << type << "\n" << text;
}

// A null value of any type (valid or not) writes no VALUE; its property,
// parameter, qualifier and declaration are written without one, or not at all.
TEST(NullValues, OfEveryTypeWriteNoValue) {
    testsupport::LogCapture quiet;
    for (int type : {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, -1, -2, 100, 104, 108, 109,
                     112, 113, 114, 115, 116, 99, 200, -7}) {
        EXPECT_EQ(encoded(cim_value_toxml, newCIMValueNULL(type)), null_text) << type;
        EXPECT_EQ(encoded(cim_keyvalue_toxml, newCIMValueNULL(type)), null_text) << type;
        expect_null_or_element(encoded(cim_property_toxml, typed_property(L"P", type, newCIMValueNULL(type))), type);
        expect_null_or_element(encoded(cim_paramvalue_toxml, typed_property(L"P", type, nullptr)), type);
        expect_null_or_element(encoded(cim_qualifier_toxml, newQualifier(str(L"Q"), 0, newCIMValueNULL(type), type, 0)),
                               type);
        auto d = own(newQualifierType(str(L"D"), 0, newCIMValueNULL(type), type, 0, 0));
        expect_null_or_element(take(cim_qualifierdeclaration_toxml(d.get())), type);
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

TEST(HugeTexts, SeveralMegabytesWithSpecialsAndHighBytes) {
    std::string text, escaped;
    while (text.size() < 4 * 1024 * 1024) {
        text += "<\xc3\xa9&\"\xe2\x82\xac'>plain ";
        escaped += "&lt;\xc3\xa9&amp;&quot;\xe2\x82\xac&apos;&gt;plain ";
    }
    std::string element = encoded(cim_value_toxml, narrow_string_value(text));
    ASSERT_EQ(element.size(), escaped.size() + 16);
    EXPECT_TRUE(element == "<VALUE>" + escaped + "</VALUE>\n");
    // Tag names beyond the fixed buffer are cut, not overrun.
    EXPECT_EQ(take(start_tag(std::string(70, 'N').c_str())), "<" + std::string(58, 'N'));
}

TEST(MismatchedContent, EmbeddedQualifierOnANumberWritesNoValue) {
    auto embeddedNumber = typed_property(L"E", CIM_UINT32, uint32_value(1));
    add_qualifier(embeddedNumber, boolean_qualifier(L"EmbeddedObject", 1));
    EXPECT_EQ(encoded(cim_property_toxml, embeddedNumber),
              "<PROPERTY NAME=\"E\" EmbeddedObject=\"instance\" TYPE=\"string\" PROPAGATED=\"false\">\n"
              "<QUALIFIER NAME=\"EmbeddedObject\" TYPE=\"boolean\" PROPAGATED=\"false\"  TRANSLATABLE=\"false\">\n"
              "<VALUE>true</VALUE>\n</QUALIFIER>\n</PROPERTY>\n");
}

// Allocates and fills blocks of the fragments' size, so that a block the
// collector wrongly reclaimed would be overwritten.
void churn(std::size_t size, int count) {
    for (int i = 0; i < count; ++i) {
        char *block = static_cast<char *>(CIMXML_MALLOC(size, 1, CIMXML_ATOMIC));
        if (block != nullptr) std::memset(block, 'X', size);
    }
}

// Fragments under construction stay reachable for the collector while a
// builder holds them, on the stack or in its spilled array.
TEST(CollectorSafety, SpilledBuilderKeepsItsFragmentsAlive) {
    std::string expected;
    char *result = nullptr;
    {
        fragment_builder builder;
        for (int i = 0; i < 5000; ++i) {
            std::string piece = "<VALUE>" + std::to_string(i) + "</VALUE>\n";
            expected += piece;
            builder.take(concat_fragment({piece}));
            if (i % 1000 == 999) {
                GC_gcollect();
                churn(24, 20000);
            }
        }
        GC_gcollect();
        churn(24, 50000);
        result = builder.finish();
    }
    EXPECT_EQ(take(result), expected);
}

}  // namespace
