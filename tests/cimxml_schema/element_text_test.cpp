// Exact texts of the written elements: escaping, flavors and scopes, the
// choice of path elements, and whole class, instance and declaration texts.
#include <gtest/gtest.h>

#include <string>

#include "cimxml_schema/cim_fixtures.h"
#include "cimxml_schema/class_encoding.h"
#include "cimxml_schema/mini_dom.h"
#include "cimxml_schema/path_encoding.h"
#include "cimxml_schema/property_encoding.h"
#include "cimxml_schema/qualifier_encoding.h"
#include "cimxml_schema/value_encoding.h"
#include "cimxml_schema/xml_primitives.h"

using namespace fixtures;

namespace {

TEST(Escaping, ReplacesTheFiveCharactersAndPassesOtherBytesThrough) {
    std::string longText, longEscaped;
    for (int i = 0; i < 5000; ++i, longText += "x<&") longEscaped += "x&lt;&amp;";
    const std::pair<std::string, std::string> cases[] = {
        {"a\"b&c'd<e>f", "a&quot;b&amp;c&apos;d&lt;e&gt;f"},
        {"&amp;", "&amp;amp;"},
        {"caf\xc3\xa9 <\xe2\x82\xac> \xff", "caf\xc3\xa9 &lt;\xe2\x82\xac&gt; \xff"},
        {longText, longEscaped},  // longer than one staging buffer
    };
    for (const auto &[text, escaped] : cases)
        EXPECT_EQ(encoded(pcdata_encodeformat, narrow_string_value(text)), escaped);
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
    // These names declare arrays whatever their case and declared type.
    for (const wchar_t *name : {L"VALUEMAP", L"ModelCorrespondence"}) {
        auto d = own(newQualifierType(str(name), 0, string_value(L"x"), CIM_STRING, 0, 0));
        EXPECT_NE(take(cim_qualifierdeclaration_toxml(d.get())).find("TYPE=\"string\" ISARRAY=\"true\"  TRANSLATABLE"),
                  std::string::npos);
    }
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
}

TEST(KeyValue, ValueTypeByTypeGroup) {
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

TEST(Class, WholeTextWithQualifierPropertiesAndMethodParametersOfEachKind) {
    EXPECT_EQ(
        encoded(cim_class_toxml, sample_class()),
        "<CLASS NAME=\"CIM_Sample\" SUPERCLASS=\"CIM_Base\">\n"
        "<QUALIFIER NAME=\"Abstract\" TYPE=\"boolean\" PROPAGATED=\"false\"  TRANSLATABLE=\"false\">\n"
        "<VALUE>true</VALUE>\n</QUALIFIER>\n"
        "<PROPERTY NAME=\"Id\" TYPE=\"uint32\" CLASSORIGIN=\"CIM_Sample\" PROPAGATED=\"false\">\n"
        "<QUALIFIER NAME=\"Key\" TYPE=\"boolean\" PROPAGATED=\"false\"  OVERRIDABLE=\"false\" TOSUBCLASS=\"true\" "
        "TRANSLATABLE=\"false\">\n<VALUE>true</VALUE>\n</QUALIFIER>\n</PROPERTY>\n"
        "<PROPERTY.ARRAY NAME=\"Codes\" TYPE=\"uint32\" ARRAYSIZE=\"1\" PROPAGATED=\"false\">\n"
        "<VALUE.ARRAY>\n<VALUE>1</VALUE>\n</VALUE.ARRAY>\n</PROPERTY.ARRAY>\n"
        "<PROPERTY.REFERENCE NAME=\"Link\" TYPE=\"reference\" PROPAGATED=\"false\">\n</PROPERTY.REFERENCE>\n"
        "<METHOD NAME=\"Run\" TYPE=\"uint32\" PROPAGATED=\"false\">\n"
        "<PARAMETER NAME=\"Count\" TYPE=\"uint16\">\n</PARAMETER>\n"
        "<PARAMETER.REFERENCE NAME=\"Target\" REFERENCECLASS=\"CIM_T\">\n</PARAMETER.REFERENCE>\n"
        "<PARAMETER.ARRAY NAME=\"Names\" TYPE=\"string\" ARRAYSIZE=\"2\">\n</PARAMETER.ARRAY>\n"
        "<PARAMETER.REFARRAY NAME=\"Targets\" REFERENCECLASS=\"CIM_A\" ARRAYSIZE=\"1\">\n</PARAMETER.REFARRAY>\n"
        "</METHOD>\n</CLASS>\n");
}

TEST(Instance, WholeTextWithPropertiesOfEachKindAndAnEmbeddedInstance) {
    auto i = own(instance(
        L"CIM_Foo", {property(L"Caption", string_value(L"<\"q\" & 'a'>")),
                     property(L"Names", array_value(108, {string_value(L"a"), nullptr, string_value(L"c")})),
                     property(L"Other", reference_value(path(L"CIM_R"))),
                     property(L"Inner", instance_value(instance(L"CIM_Inner", {property(L"v", uint32_value(5))}))),
                     typed_property(L"Empty", CIM_UINT32, newCIMValueNULL(CIM_UINT32)),
                     property(L"Items", array_value(115, {instance_value(instance(L"I", {}))}))}));
    const std::string expected =
        "<INSTANCE CLASSNAME=\"CIM_Foo\">\n"
        "<PROPERTY NAME=\"Caption\" TYPE=\"string\" PROPAGATED=\"false\">\n"
        "<VALUE>&lt;&quot;q&quot; &amp; &apos;a&apos;&gt;</VALUE>\n</PROPERTY>\n"
        "<PROPERTY.ARRAY NAME=\"Names\" TYPE=\"string\" ARRAYSIZE=\"3\" PROPAGATED=\"false\">\n"
        "<VALUE.ARRAY>\n<VALUE>a</VALUE>\n<VALUE>c</VALUE>\n</VALUE.ARRAY>\n</PROPERTY.ARRAY>\n"
        "<PROPERTY.REFERENCE NAME=\"Other\" TYPE=\"reference\" REFERENCECLASS=\"CIM_R\" PROPAGATED=\"false\">\n"
        "<VALUE.REFERENCE>\n<CLASSNAME NAME=\"CIM_R\"/>\n</VALUE.REFERENCE>\n</PROPERTY.REFERENCE>\n"
        "<PROPERTY NAME=\"Inner\" EmbeddedObject=\"instance\" TYPE=\"string\" PROPAGATED=\"false\">\n"
        "<QUALIFIER NAME=\"EmbeddedObject\" TYPE=\"boolean\" PROPAGATED=\"false\"  OVERRIDABLE=\"false\" "
        "TRANSLATABLE=\"false\">\n<VALUE>true</VALUE>\n</QUALIFIER>\n"
        "<VALUE><![CDATA[<INSTANCE CLASSNAME=\"CIM_Inner\">\n"
        "<PROPERTY NAME=\"v\" TYPE=\"uint32\" PROPAGATED=\"false\">\n<VALUE>5</VALUE>\n</PROPERTY>\n"
        "</INSTANCE>\n]]></VALUE>\n</PROPERTY>\n"
        "<PROPERTY NAME=\"Empty\" TYPE=\"uint32\" PROPAGATED=\"false\">\n</PROPERTY>\n"
        "<PROPERTY.ARRAY NAME=\"Items\" EmbeddedObject=\"instance\" TYPE=\"string\" ARRAYSIZE=\"1\" "
        "PROPAGATED=\"false\">\n"
        "<VALUE.ARRAY>\n<VALUE><![CDATA[<INSTANCE CLASSNAME=\"I\">\n</INSTANCE>\n]]></VALUE>\n</VALUE.ARRAY>\n"
        "</PROPERTY.ARRAY>\n</INSTANCE>\n";
    EXPECT_EQ(take(cim_instance_toxml(i.get())), expected);
    // The qualifier added on the way is found again, not added twice.
    EXPECT_EQ(take(cim_instance_toxml(i.get())), expected);
}

}  // namespace
