// Tests of VALUE, VALUE.ARRAY, VALUE.REFERENCE, VALUE.REFARRAY, KEYVALUE and
// embedded objects.
#include <gtest/gtest.h>

#include <string>

#include "cimxml_schema/cim_fixtures.h"
#include "cimxml_schema/value_encoding.h"
#include "support/log_capture.h"

using namespace fixtures;

namespace {

TEST(Value, OneLineWithEscapedText) {
    auto value = own(string_value(L"a&b"));
    EXPECT_EQ(take(cim_value_toxml(value.get())), "<VALUE>a&amp;b</VALUE>\n");
    auto empty = own(string_value(L""));
    EXPECT_EQ(take(cim_value_toxml(empty.get())), "<VALUE></VALUE>\n");
}

TEST(Value, NullAndAbsentValuesDisappear) {
    auto absent = own(newCIMValueNULL(CIM_UINT32));
    EXPECT_EQ(take(cim_value_toxml(nullptr)), null_text);
    EXPECT_EQ(take(cim_value_toxml(absent.get())), null_text);
}

TEST(ValueArray, OneValuePerElementAndNullElementsSkipped) {
    auto value = own(array_value(108, {string_value(L"a"), nullptr, string_value(L"<c>")}));
    EXPECT_EQ(take(cim_valuearray_toxml(value.get())),
              "<VALUE.ARRAY>\n<VALUE>a</VALUE>\n<VALUE>&lt;c&gt;</VALUE>\n</VALUE.ARRAY>\n");
}

TEST(ValueArray, EmptyOrAllNullArrayIsNoElement) {
    auto empty = own(array_value(104, {}));
    auto allNull = own(array_value(104, {nullptr, nullptr}));
    auto noList = own(newCIMValueNULL(104));
    auto scalar = own(uint32_value(1));
    for (const CIMValue *value : std::initializer_list<const CIMValue *>{empty.get(), allNull.get(), noList.get(), scalar.get(), nullptr})
        EXPECT_EQ(take(cim_valuearray_toxml(value)), null_text);
}

TEST(ValueArray, ObjectElementsGoIntoCdataSections) {
    auto value = own(array_value(115, {instance_value(instance(L"A", {property(L"p", uint32_value(1))}))}));
    EXPECT_EQ(take(cim_valuearray_toxml(value.get())),
              "<VALUE.ARRAY>\n<VALUE><![CDATA[<INSTANCE CLASSNAME=\"A\">\n"
              "<PROPERTY NAME=\"p\" TYPE=\"uint32\" PROPAGATED=\"false\">\n<VALUE>1</VALUE>\n</PROPERTY>\n"
              "</INSTANCE>\n]]></VALUE>\n</VALUE.ARRAY>\n");
}

struct ReferenceCase {
    const char *label;
    const wchar_t *nameSpace;
    const wchar_t *host;
    bool keys;
    std::string child;  // the element name the reference is written with
};

TEST(ValueReference, ChildChosenByHostNamespaceAndKeys) {
    const ReferenceCase cases[] = {
        {"host, keys", L"root", L"h", true, "INSTANCEPATH"},
        {"host, no keys", L"root", L"h", false, "CLASSPATH"},
        {"namespace, keys", L"root", nullptr, true, "LOCALINSTANCEPATH"},
        {"namespace, no keys", L"root", nullptr, false, "LOCALCLASSPATH"},
        {"keys only", nullptr, nullptr, true, "INSTANCENAME"},
        {"class only", nullptr, nullptr, false, "CLASSNAME"},
        {"empty host and namespace", L"", L"", false, "CLASSNAME"},
    };
    for (const ReferenceCase &c : cases) {
        CIMObjectPath *p = path(L"A", c.nameSpace, c.host);
        if (c.keys) add_key(p, L"k", uint32_value(1));
        auto value = own(reference_value(p));
        std::string text = take(cim_valuereference_toxml(value.get()));
        ASSERT_EQ(text.rfind("<VALUE.REFERENCE>\n<" + c.child, 0), 0u) << c.label << "\n" << text;
        EXPECT_EQ(text.substr(text.size() - 19), "</VALUE.REFERENCE>\n") << c.label;
    }
}

TEST(ValueReference, WholeLocalInstancePath) {
    CIMObjectPath *p = path(L"CIM_Foo", L"root/cimv2");
    add_key(p, L"Id", string_value(L"x"));
    auto value = own(reference_value(p));
    EXPECT_EQ(take(cim_valuereference_toxml(value.get())),
              "<VALUE.REFERENCE>\n<LOCALINSTANCEPATH>\n<LOCALNAMESPACEPATH>\n<NAMESPACE NAME=\"root\"/>\n"
              "<NAMESPACE NAME=\"cimv2\"/>\n</LOCALNAMESPACEPATH>\n<INSTANCENAME CLASSNAME=\"CIM_Foo\">\n"
              "<KEYBINDING NAME=\"Id\">\n<KEYVALUE VALUETYPE=\"string\" TYPE=\"string\">x</KEYVALUE>\n"
              "</KEYBINDING>\n</INSTANCENAME>\n</LOCALINSTANCEPATH>\n</VALUE.REFERENCE>\n");
}

TEST(ValueReference, MissingPathLogsAtTraceLevel) {
    testsupport::LogCapture log;
    auto noPath = own(newCIMValueNULL(CIM_REFERENCE));
    EXPECT_EQ(take(cim_valuereference_toxml(noPath.get())), null_text);
    EXPECT_TRUE(log.contains("cim_valuereference_toxml - getCIMValue failed", 2));
    log.clear();
    auto nameless = own(reference_value(path(nullptr)));
    EXPECT_EQ(take(cim_valuereference_toxml(nameless.get())), null_text);
    EXPECT_TRUE(log.contains("cim_valuereference_toxml - failed; subelements are null", 2));
}

TEST(ValueRefArray, OneReferencePerElement) {
    auto value = own(array_value(114, {reference_value(path(L"A")), nullptr, reference_value(path(L"B"))}));
    EXPECT_EQ(take(cim_valuerefarray_toxml(value.get())),
              "<VALUE.REFARRAY>\n<VALUE.REFERENCE>\n<CLASSNAME NAME=\"A\"/>\n</VALUE.REFERENCE>\n"
              "<VALUE.REFERENCE>\n<CLASSNAME NAME=\"B\"/>\n</VALUE.REFERENCE>\n</VALUE.REFARRAY>\n");
    auto empty = own(array_value(114, {}));
    EXPECT_EQ(take(cim_valuerefarray_toxml(empty.get())), null_text);
}

TEST(KeyValue, ValueTypeAndTypeByKind) {
    const struct {
        CIMValue *(*make)();
        const char *expected;
    } cases[] = {
        {[] { return uint32_value(42); }, "<KEYVALUE VALUETYPE=\"numeric\" TYPE=\"uint32\">42</KEYVALUE>\n"},
        {[] { return string_value(L"it's"); }, "<KEYVALUE VALUETYPE=\"string\" TYPE=\"string\">it&apos;s</KEYVALUE>\n"},
        {[] { return boolean_value(1); }, "<KEYVALUE VALUETYPE=\"boolean\" TYPE=\"boolean\">true</KEYVALUE>\n"},
        {[] { return char16_value('x'); }, "<KEYVALUE VALUETYPE=\"numeric\" TYPE=\"char16\">x</KEYVALUE>\n"},
        {[] { return datetime_value(L"20240101000000.000000+000"); },
         "<KEYVALUE VALUETYPE=\"string\" TYPE=\"datetime\">20240101000000.000000+000</KEYVALUE>\n"},
    };
    for (const auto &c : cases) {
        auto value = own(c.make());
        EXPECT_EQ(take(cim_keyvalue_toxml(value.get())), c.expected);
    }
}

TEST(KeyValue, NoTextLogsAndGivesNull) {
    testsupport::LogCapture log;
    auto absent = own(newCIMValueNULL(CIM_STRING));
    EXPECT_EQ(take(cim_keyvalue_toxml(absent.get())), null_text);
    EXPECT_TRUE(log.contains("cim_keyvalue_toxml - pcdata_encodeformat failed", 2));
    EXPECT_EQ(take(cim_keyvalue_toxml(nullptr)), null_text);
}

TEST(EmbeddedObject, InstanceAndClassTexts) {
    auto instanceValue = own(instance_value(instance(L"A", {})));
    EXPECT_EQ(take(embeddedobject_toxml(instanceValue.get())), "<INSTANCE CLASSNAME=\"A\">\n</INSTANCE>\n");
    auto classValue = own(class_value(newCIMClass(str(L"C"), nullptr)));
    EXPECT_EQ(take(embeddedobject_toxml(classValue.get())), "<CLASS NAME=\"C\">\n</CLASS>\n");
}

TEST(EmbeddedObject, UnparsedStringAndOtherTypesGiveNothing) {
    testsupport::LogCapture log;
    auto text = own(string_value(L"<INSTANCE CLASSNAME=\"A\"/>"));
    auto number = own(uint32_value(3));
    EXPECT_EQ(take(embeddedobject_toxml(text.get())), null_text);
    EXPECT_EQ(take(embeddedobject_toxml(number.get())), null_text);
    EXPECT_TRUE(log.lines().empty());
    EXPECT_EQ(take(embeddedobject_toxml(nullptr)), null_text);
    ASSERT_EQ(log.lines().size(), 1u);
    EXPECT_EQ(log.lines()[0].text.rfind("embeddedobject_toxml failed, ", 0), 0u);
}

TEST(EmbeddedTests, QualifiersAndTypesDecide) {
    auto plain = own(property(L"p", string_value(L"x")));
    EXPECT_EQ(propertyIsEmbeddedObject(plain.get()), 0);
    EXPECT_EQ(propertyHasEmbeddedQualifier(plain.get()), 0);
    add_qualifier(plain.get(), boolean_qualifier(L"EmbeddedObject", 1));
    EXPECT_EQ(propertyIsEmbeddedObject(plain.get()), 1);
    EXPECT_EQ(propertyHasEmbeddedQualifier(plain.get()), 1);

    auto disabled = own(property(L"p", string_value(L"x")));
    add_qualifier(disabled.get(), boolean_qualifier(L"EmbeddedObject", 0));
    EXPECT_EQ(propertyIsEmbeddedObject(disabled.get()), 0);

    auto instanceOnly = own(property(L"p", string_value(L"x")));
    add_qualifier(instanceOnly.get(), boolean_qualifier(L"EmbeddedInstance", 1));
    EXPECT_EQ(propertyIsEmbeddedObject(instanceOnly.get()), 0);
    EXPECT_EQ(propertyHasEmbeddedQualifier(instanceOnly.get()), 1);

    for (int type : {15, 16, 115}) {
        auto typed = own(typed_property(L"p", type, nullptr));
        EXPECT_EQ(propertyIsEmbeddedObject(typed.get()), 1) << type;
    }
    auto classArray = own(typed_property(L"p", 116, nullptr));
    EXPECT_EQ(propertyIsEmbeddedObject(classArray.get()), 0);
    EXPECT_EQ(propertyIsEmbeddedObject(nullptr), 0);
}

TEST(EmbeddedTests, AddedQualifierIsBooleanTrue) {
    auto p = own(typed_property(L"p", 15, nullptr));
    EXPECT_EQ(propertyAddEmbeddedObjectQualifier(p.get()), 1);
    EXPECT_EQ(isBoolQualEnabledInList(propertyGetQualifiers(p.get()), L"EmbeddedObject"), 1);
    const CIMQualifier *q = getCIMQualifierAt(propertyGetQualifiers(p.get()), 0);
    EXPECT_EQ(getQualifierFlavors(q), 2);
    EXPECT_EQ(getQualifierValueType(q), CIM_BOOLEAN);
}

}  // namespace
