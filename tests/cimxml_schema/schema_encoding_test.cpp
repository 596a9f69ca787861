// Tests of CLASS, INSTANCE, QUALIFIER, QUALIFIER.DECLARATION with SCOPE, the
// property and parameter forms, METHOD and the list encoders.
#include <gtest/gtest.h>

#include <string>

#include "cimxml_schema/cim_fixtures.h"
#include "cimxml_schema/class_encoding.h"
#include "cimxml_schema/method_encoding.h"
#include "cimxml_schema/property_encoding.h"
#include "cimxml_schema/qualifier_encoding.h"
#include "cimxml_schema/value_encoding.h"
#include "support/log_capture.h"

using namespace fixtures;

namespace {

CIMQualifierType *declaration(const wchar_t *name, int type, CIMValue *value, int flavor, int scope) {
    return newQualifierType(str(name), flavor, value, type, 0, scope);
}

TEST(Qualifier, KeyExampleWithTwoBlanksBeforeFlavors) {
    auto key = own(boolean_qualifier(L"Key", 1, 2 | 8));
    EXPECT_EQ(take(cim_qualifier_toxml(key.get())),
              "<QUALIFIER NAME=\"Key\" TYPE=\"boolean\" PROPAGATED=\"false\"  OVERRIDABLE=\"false\" "
              "TOSUBCLASS=\"true\" TRANSLATABLE=\"false\">\n"
              "<VALUE>true</VALUE>\n"
              "</QUALIFIER>\n");
}

TEST(Qualifier, FlavorZeroGivesOnlyTranslatable) {
    auto q = own(newQualifier(str(L"Description"), 0, string_value(L"x"), CIM_STRING, 1));
    EXPECT_EQ(take(cim_qualifier_toxml(q.get())),
              "<QUALIFIER NAME=\"Description\" TYPE=\"string\" PROPAGATED=\"true\"  TRANSLATABLE=\"false\">\n"
              "<VALUE>x</VALUE>\n</QUALIFIER>\n");
}

TEST(Qualifier, ArrayValueUsesElementTypeAndValueArray) {
    auto q = own(newQualifier(str(L"ValueMap"), 16, array_value(108, {string_value(L"0"), string_value(L"1")}),
                              108, 0));
    EXPECT_EQ(take(cim_qualifier_toxml(q.get())),
              "<QUALIFIER NAME=\"ValueMap\" TYPE=\"string\" PROPAGATED=\"false\"  TRANSLATABLE=\"true\">\n"
              "<VALUE.ARRAY>\n<VALUE>0</VALUE>\n<VALUE>1</VALUE>\n</VALUE.ARRAY>\n</QUALIFIER>\n");
}

TEST(Qualifier, WithoutNameIsNotWritten) {
    auto q = own(newQualifier(nullptr, 0, boolean_value(1), CIM_BOOLEAN, 0));
    EXPECT_EQ(take(cim_qualifier_toxml(q.get())), null_text);
    EXPECT_EQ(take(cim_qualifier_toxml(nullptr)), null_text);
}

TEST(Scope, ExampleLineWithThreeAndTwoBlanks) {
    auto d = own(declaration(L"Key", CIM_BOOLEAN, nullptr, 0, 1 | 8));
    std::string text = take(cim_qualifierdeclaration_toxml(d.get()));
    EXPECT_NE(text.find("\n<SCOPE   CLASS=\"true\"  ASSOCIATION=\"false\"  REFERENCE=\"false\"  PROPERTY=\"true\"  "
                        "METHOD=\"false\"  PARAMETER=\"false\"  INDICATION=\"false\"/>\n"),
              std::string::npos)
        << text;
}

TEST(Scope, EachBitSetsItsAttribute) {
    EXPECT_EQ(take(scope_attributes(1 | 2)),
              "  CLASS=\"true\"  ASSOCIATION=\"true\"  REFERENCE=\"false\"  PROPERTY=\"false\"  METHOD=\"false\""
              "  PARAMETER=\"false\"  INDICATION=\"false\"");
    EXPECT_EQ(take(scope_attributes(4 | 16 | 32 | 64)),
              "  CLASS=\"false\"  ASSOCIATION=\"false\"  REFERENCE=\"true\"  PROPERTY=\"false\"  METHOD=\"true\""
              "  PARAMETER=\"true\"  INDICATION=\"true\"");
    int32_t bits = 8;
    auto value = own(newCIMValue(CIM_SINT32, &bits));
    EXPECT_EQ(take(scope_encodeformat(value.get())), take(scope_attributes(8)));
    EXPECT_EQ(take(scope_encodeformat(nullptr)), null_text);
}

TEST(QualifierDeclaration, WholeScalarDeclaration) {
    auto d = own(declaration(L"Key", CIM_BOOLEAN, boolean_value(0), 2 | 8, 8 | 16));
    EXPECT_EQ(take(cim_qualifierdeclaration_toxml(d.get())),
              "<QUALIFIER.DECLARATION NAME=\"Key\" TYPE=\"boolean\" ISARRAY=\"false\"  OVERRIDABLE=\"false\" "
              "TOSUBCLASS=\"true\" TRANSLATABLE=\"false\">\n"
              "<SCOPE   CLASS=\"false\"  ASSOCIATION=\"false\"  REFERENCE=\"true\"  PROPERTY=\"true\"  "
              "METHOD=\"false\"  PARAMETER=\"false\"  INDICATION=\"false\"/>\n"
              "<VALUE>false</VALUE>\n"
              "</QUALIFIER.DECLARATION>\n");
}

TEST(QualifierDeclaration, ArrayTypeWritesIsArrayAndSize) {
    auto d = own(declaration(L"Values", 108, array_value(108, {string_value(L"a"), string_value(L"b")}), 0, 8));
    std::string text = take(cim_qualifierdeclaration_toxml(d.get()));
    EXPECT_EQ(text.rfind("<QUALIFIER.DECLARATION NAME=\"Values\" TYPE=\"string\" ISARRAY=\"true\" ARRAYSIZE=\"2\"  "
                         "TRANSLATABLE=\"false\">\n<SCOPE ",
                         0),
              0u)
        << text;
    EXPECT_NE(text.find("/>\n<VALUE.ARRAY>\n<VALUE>a</VALUE>\n<VALUE>b</VALUE>\n</VALUE.ARRAY>\n"
                        "</QUALIFIER.DECLARATION>\n"),
              std::string::npos);
}

TEST(QualifierDeclaration, ArrayQualifierNamesAreArraysWhateverTheirCase) {
    for (const wchar_t *name : {L"values", L"VALUEMAP", L"ModelCorrespondence"}) {
        auto d = own(declaration(name, CIM_STRING, string_value(L"x"), 0, 0));
        std::string text = take(cim_qualifierdeclaration_toxml(d.get()));
        EXPECT_NE(text.find("TYPE=\"string\" ISARRAY=\"true\"  TRANSLATABLE"), std::string::npos) << text;
        EXPECT_NE(text.find("/>\n<VALUE>x</VALUE>\n</QUALIFIER.DECLARATION>\n"), std::string::npos) << text;
    }
}

TEST(QualifierDeclaration, NoDefaultValueNoValueChild) {
    auto d = own(declaration(L"Abstract", CIM_BOOLEAN, nullptr, 0, 1));
    std::string text = take(cim_qualifierdeclaration_toxml(d.get()));
    const std::string ending = "INDICATION=\"false\"/>\n</QUALIFIER.DECLARATION>\n";
    ASSERT_GE(text.size(), ending.size());
    EXPECT_EQ(text.substr(text.size() - ending.size()), ending);
}

TEST(Property, ScalarWithOriginAndQualifiers) {
    CIMProperty *p = newProperty(str(L"Name"), str(L"CIM_Base"), string_value(L"x<y"), CIM_STRING, nullptr, 1);
    add_qualifier(p, boolean_qualifier(L"Key", 1, 2 | 8));
    auto owner = own(p);
    EXPECT_EQ(take(cim_property_toxml(p)),
              "<PROPERTY NAME=\"Name\" TYPE=\"string\" CLASSORIGIN=\"CIM_Base\" PROPAGATED=\"true\">\n"
              "<QUALIFIER NAME=\"Key\" TYPE=\"boolean\" PROPAGATED=\"false\"  OVERRIDABLE=\"false\" "
              "TOSUBCLASS=\"true\" TRANSLATABLE=\"false\">\n<VALUE>true</VALUE>\n</QUALIFIER>\n"
              "<VALUE>x&lt;y</VALUE>\n</PROPERTY>\n");
}

TEST(Property, NullValueHasNoValueChild) {
    auto p = own(typed_property(L"Count", CIM_UINT32, newCIMValueNULL(CIM_UINT32)));
    EXPECT_EQ(take(cim_property_toxml(p.get())),
              "<PROPERTY NAME=\"Count\" TYPE=\"uint32\" PROPAGATED=\"false\">\n</PROPERTY>\n");
}

TEST(Property, EmptyQualifierListLogsAndWritesNone) {
    testsupport::LogCapture log;
    auto p = own(property(L"n", uint32_value(1)));
    propertySetQualifiers(p.get(), newCIMQualifierList());
    EXPECT_EQ(take(cim_property_toxml(p.get())),
              "<PROPERTY NAME=\"n\" TYPE=\"uint32\" PROPAGATED=\"false\">\n<VALUE>1</VALUE>\n</PROPERTY>\n");
    EXPECT_TRUE(log.contains("qualifierlist_toxml - Qualifier list encoding failed.", 0));
}

TEST(Property, EmbeddedInstanceGainsQualifierAndCdataValue) {
    auto p = own(property(L"Embedded", instance_value(instance(L"Inner", {property(L"v", uint32_value(5))}))));
    EXPECT_EQ(take(cim_property_toxml(p.get())),
              "<PROPERTY NAME=\"Embedded\" EmbeddedObject=\"instance\" TYPE=\"string\" PROPAGATED=\"false\">\n"
              "<QUALIFIER NAME=\"EmbeddedObject\" TYPE=\"boolean\" PROPAGATED=\"false\"  OVERRIDABLE=\"false\" "
              "TRANSLATABLE=\"false\">\n<VALUE>true</VALUE>\n</QUALIFIER>\n"
              "<VALUE><![CDATA[<INSTANCE CLASSNAME=\"Inner\">\n"
              "<PROPERTY NAME=\"v\" TYPE=\"uint32\" PROPAGATED=\"false\">\n<VALUE>5</VALUE>\n</PROPERTY>\n"
              "</INSTANCE>\n]]></VALUE>\n</PROPERTY>\n");
    EXPECT_EQ(propertyHasEmbeddedQualifier(p.get()), 1);
    // A second encoding finds the qualifier and adds no other.
    take(cim_property_toxml(p.get()));
    EXPECT_EQ(getCIMQualifierListLength(propertyGetQualifiers(p.get())), 1);
}

TEST(Property, EmbeddedClassIsWrittenAsObject) {
    auto p = own(property(L"C", class_value(newCIMClass(str(L"K"), nullptr))));
    std::string text = take(cim_property_toxml(p.get()));
    EXPECT_EQ(text.rfind("<PROPERTY NAME=\"C\" EmbeddedObject=\"object\" TYPE=\"string\"", 0), 0u) << text;
    EXPECT_NE(text.find("<VALUE><![CDATA[<CLASS NAME=\"K\">\n</CLASS>\n]]></VALUE>\n"), std::string::npos);
}

TEST(Property, EmbeddedInstanceQualifierIsKeptAsItIs) {
    auto p = own(property(L"E", instance_value(instance(L"I", {}))));
    add_qualifier(p.get(), boolean_qualifier(L"EmbeddedInstance", 1));
    take(cim_property_toxml(p.get()));
    EXPECT_EQ(getCIMQualifierListLength(propertyGetQualifiers(p.get())), 1);
}

TEST(PropertyArray, ElementTypeAndSize) {
    auto p = own(property(L"Bytes", array_value(100, {uint8_value(1), uint8_value(2), uint8_value(3), uint8_value(4)})));
    EXPECT_EQ(take(cim_propertyarray_toxml(p.get())),
              "<PROPERTY.ARRAY NAME=\"Bytes\" TYPE=\"uint8\" ARRAYSIZE=\"4\" PROPAGATED=\"false\">\n"
              "<VALUE.ARRAY>\n<VALUE>1</VALUE>\n<VALUE>2</VALUE>\n<VALUE>3</VALUE>\n<VALUE>4</VALUE>\n"
              "</VALUE.ARRAY>\n</PROPERTY.ARRAY>\n");
}

TEST(PropertyArray, EmptyArrayHasNoSizeAndNoValues) {
    auto p = own(property(L"Bytes", array_value(100, {})));
    EXPECT_EQ(take(cim_propertyarray_toxml(p.get())),
              "<PROPERTY.ARRAY NAME=\"Bytes\" TYPE=\"uint8\" PROPAGATED=\"false\">\n</PROPERTY.ARRAY>\n");
}

TEST(PropertyArray, EmbeddedObjectsWithoutAddedQualifier) {
    auto p = own(property(L"Items", array_value(115, {instance_value(instance(L"I", {}))})));
    EXPECT_EQ(take(cim_propertyarray_toxml(p.get())),
              "<PROPERTY.ARRAY NAME=\"Items\" EmbeddedObject=\"instance\" TYPE=\"string\" ARRAYSIZE=\"1\" "
              "PROPAGATED=\"false\">\n<VALUE.ARRAY>\n<VALUE><![CDATA[<INSTANCE CLASSNAME=\"I\">\n</INSTANCE>\n]]>"
              "</VALUE>\n</VALUE.ARRAY>\n</PROPERTY.ARRAY>\n");
    EXPECT_EQ(propertyGetQualifiers(p.get()), nullptr);
}

TEST(PropertyReference, TypeReferenceAndReferenceClass) {
    CIMValue *value = reference_value(path(L"CIM_Target"));
    auto p = own(property(L"Antecedent", value));
    EXPECT_EQ(take(cim_propertyreference_toxml(p.get())),
              "<PROPERTY.REFERENCE NAME=\"Antecedent\" TYPE=\"reference\" REFERENCECLASS=\"CIM_Target\" "
              "PROPAGATED=\"false\">\n<VALUE.REFERENCE>\n<CLASSNAME NAME=\"CIM_Target\"/>\n</VALUE.REFERENCE>\n"
              "</PROPERTY.REFERENCE>\n");
    auto withoutValue = own(typed_property(L"Dependent", CIM_REFERENCE, nullptr));
    EXPECT_EQ(take(cim_propertyreference_toxml(withoutValue.get())),
              "<PROPERTY.REFERENCE NAME=\"Dependent\" TYPE=\"reference\" PROPAGATED=\"false\">\n"
              "</PROPERTY.REFERENCE>\n");
}

TEST(Instance, PropertiesOfEachKindWithoutInstanceQualifiers) {
    auto i = own(instance(L"CIM_Foo", {property(L"a", uint32_value(1)), property(L"b", array_value(108, {string_value(L"s")})),
                                        property(L"r", reference_value(path(L"X")))}));
    EXPECT_EQ(take(cim_instance_toxml(i.get())),
              "<INSTANCE CLASSNAME=\"CIM_Foo\">\n"
              "<PROPERTY NAME=\"a\" TYPE=\"uint32\" PROPAGATED=\"false\">\n<VALUE>1</VALUE>\n</PROPERTY>\n"
              "<PROPERTY.ARRAY NAME=\"b\" TYPE=\"string\" ARRAYSIZE=\"1\" PROPAGATED=\"false\">\n"
              "<VALUE.ARRAY>\n<VALUE>s</VALUE>\n</VALUE.ARRAY>\n</PROPERTY.ARRAY>\n"
              "<PROPERTY.REFERENCE NAME=\"r\" TYPE=\"reference\" REFERENCECLASS=\"X\" PROPAGATED=\"false\">\n"
              "<VALUE.REFERENCE>\n<CLASSNAME NAME=\"X\"/>\n</VALUE.REFERENCE>\n</PROPERTY.REFERENCE>\n"
              "</INSTANCE>\n");
}

TEST(Instance, WithoutPropertiesAndWithoutName) {
    testsupport::LogCapture log;
    auto empty = own(instance(L"E", {}));
    EXPECT_EQ(take(cim_instance_toxml(empty.get())), "<INSTANCE CLASSNAME=\"E\">\n</INSTANCE>\n");
    EXPECT_TRUE(log.contains("propertylist_toxml - Property list is null.", 2));
    auto nameless = own(newInstanceEmpty());
    EXPECT_EQ(take(cim_instance_toxml(nameless.get())), null_text);
    EXPECT_TRUE(log.contains("cim_instance_toxml - newCIMValue failed", 2));
    EXPECT_EQ(take(cim_instance_toxml(nullptr)), null_text);
    EXPECT_TRUE(log.contains("cim_instance_toxml - Null parameter(s).", 2));
}

TEST(Class, WithoutMembersIsStartThenEnd) {
    auto c = own(newCIMClass(str(L"CIM_Empty"), nullptr));
    EXPECT_EQ(take(cim_class_toxml(c.get())), "<CLASS NAME=\"CIM_Empty\">\n</CLASS>\n");
}

TEST(Class, QualifiersPropertiesAndMethodsInOrder) {
    CIMClass *c = newCIMClass(str(L"CIM_Foo"), str(L"CIM_Base"));
    auto owner = own(c);
    setClassQualifiers(c, list_of(CIMLIST_QUALIFIER, {boolean_qualifier(L"Abstract", 1, 0)}));
    setClassProperties(c, property_list({property(L"p", string_value(L"v"))}));
    CIMPropertyList *parameters = property_list({typed_property(L"In", CIM_UINT32, nullptr)});
    CIMMethod *m = newMethod(str(L"Run"), nullptr, 0, nullptr, CIM_UINT32, parameters);
    setClassMethods(c, list_of(CIMLIST_METHOD, {m}));
    EXPECT_EQ(take(cim_class_toxml(c)),
              "<CLASS NAME=\"CIM_Foo\" SUPERCLASS=\"CIM_Base\">\n"
              "<QUALIFIER NAME=\"Abstract\" TYPE=\"boolean\" PROPAGATED=\"false\"  TRANSLATABLE=\"false\">\n"
              "<VALUE>true</VALUE>\n</QUALIFIER>\n"
              "<PROPERTY NAME=\"p\" TYPE=\"string\" PROPAGATED=\"false\">\n<VALUE>v</VALUE>\n</PROPERTY>\n"
              "<METHOD NAME=\"Run\" TYPE=\"uint32\" PROPAGATED=\"false\">\n"
              "<PARAMETER NAME=\"In\" TYPE=\"uint32\">\n</PARAMETER>\n</METHOD>\n"
              "</CLASS>\n");
}

TEST(Class, NullAndNamelessClassesLog) {
    testsupport::LogCapture log;
    EXPECT_EQ(take(cim_class_toxml(nullptr)), null_text);
    EXPECT_TRUE(log.contains("cim_class_toxml failed: Null parameter(s)", 0));
    auto nameless = own(newCIMClassEmpty());
    EXPECT_EQ(take(cim_class_toxml(nameless.get())), null_text);
    EXPECT_TRUE(log.contains("cim_class_toxml failed: Could not encode classname", 0));
}

TEST(Parameters, EachFormByKind) {
    CIMProperty *reference = typed_property(L"Target", CIM_REFERENCE, reference_value(path(L"CIM_T")));
    CIMProperty *refArray = typed_property(
        L"Targets", 114, array_value(114, {reference_value(path(L"CIM_A")), reference_value(path(L"CIM_B"))}));
    CIMProperty *array = typed_property(L"Codes", 104, array_value(104, {uint32_value(1), uint32_value(2)}));
    CIMProperty *scalar = typed_property(L"Flag", CIM_BOOLEAN, nullptr);
    add_qualifier(scalar, boolean_qualifier(L"In", 1, 0));
    auto parameters = own(property_list({reference, refArray, array, scalar}));
    EXPECT_EQ(take(parameterlist_toxml(parameters.get())),
              "<PARAMETER.REFERENCE NAME=\"Target\" REFERENCECLASS=\"CIM_T\">\n</PARAMETER.REFERENCE>\n"
              "<PARAMETER.REFARRAY NAME=\"Targets\" REFERENCECLASS=\"CIM_A\" ARRAYSIZE=\"2\">\n"
              "</PARAMETER.REFARRAY>\n"
              "<PARAMETER.ARRAY NAME=\"Codes\" TYPE=\"uint32\" ARRAYSIZE=\"2\">\n</PARAMETER.ARRAY>\n"
              "<PARAMETER NAME=\"Flag\" TYPE=\"boolean\">\n"
              "<QUALIFIER NAME=\"In\" TYPE=\"boolean\" PROPAGATED=\"false\"  TRANSLATABLE=\"false\">\n"
              "<VALUE>true</VALUE>\n</QUALIFIER>\n</PARAMETER>\n");
}

TEST(Parameters, WithoutValuesNoSizeNoReferenceClass) {
    auto refArray = own(typed_property(L"R", 114, nullptr));
    EXPECT_EQ(take(cim_parameterrefarray_toxml(refArray.get())),
              "<PARAMETER.REFARRAY NAME=\"R\">\n</PARAMETER.REFARRAY>\n");
    auto array = own(typed_property(L"A", 108, nullptr));
    EXPECT_EQ(take(cim_parameterarray_toxml(array.get())),
              "<PARAMETER.ARRAY NAME=\"A\" TYPE=\"string\">\n</PARAMETER.ARRAY>\n");
}

TEST(Method, OriginPropagationAndQualifiers) {
    CIMMethod *m = newMethod(str(L"Stop"), str(L"CIM_Base"), 1,
                             list_of(CIMLIST_QUALIFIER, {boolean_qualifier(L"Static", 1, 0)}), CIM_SINT32, nullptr);
    auto owner = own(m);
    EXPECT_EQ(take(cim_method_toxml(m)),
              "<METHOD NAME=\"Stop\" TYPE=\"sint32\" CLASSORIGIN=\"CIM_Base\" PROPAGATED=\"true\">\n"
              "<QUALIFIER NAME=\"Static\" TYPE=\"boolean\" PROPAGATED=\"false\"  TRANSLATABLE=\"false\">\n"
              "<VALUE>true</VALUE>\n</QUALIFIER>\n</METHOD>\n");
}

TEST(MethodList, NamelessMethodIsSkippedWithWarning) {
    testsupport::LogCapture log;
    auto methods = own(list_of(CIMLIST_METHOD, {newMethod(nullptr, nullptr, 0, nullptr, CIM_UINT32, nullptr),
                                                newMethod(str(L"Ok"), nullptr, 0, nullptr, CIM_UINT32, nullptr)}));
    EXPECT_EQ(take(methodlist_toxml(methods.get())),
              "<METHOD NAME=\"Ok\" TYPE=\"uint32\" PROPAGATED=\"false\">\n</METHOD>\n");
    EXPECT_TRUE(log.contains("methodlist_toxml - Method list encoding failed.", 1));
    EXPECT_EQ(take(methodlist_toxml(nullptr)), null_text);
}

TEST(PropertyList, NullAndEmptyListsLogTheirLevels) {
    testsupport::LogCapture log;
    EXPECT_EQ(take(propertylist_toxml(nullptr)), null_text);
    EXPECT_TRUE(log.contains("propertylist_toxml - Property list is null.", 2));
    auto empty = own(newCIMPropertyList());
    EXPECT_EQ(take(propertylist_toxml(empty.get())), null_text);
    EXPECT_TRUE(log.contains("propertylist_toxml - Property list is empty.", 1));
}

TEST(QualifierList, NullIsSilentEmptyLogs) {
    testsupport::LogCapture log;
    EXPECT_EQ(take(qualifierlist_toxml(nullptr)), null_text);
    EXPECT_TRUE(log.lines().empty());
    auto empty = own(newCIMQualifierList());
    EXPECT_EQ(take(qualifierlist_toxml(empty.get())), null_text);
    EXPECT_TRUE(log.contains("qualifierlist_toxml - Qualifier list encoding failed.", 0));
}

}  // namespace
