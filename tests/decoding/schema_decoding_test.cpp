// Decoding of classes, instances, qualifiers, declarations, properties,
// methods and their values, as parameters of requests.
#include <gtest/gtest.h>

#include "decoding/decoding_support.h"
#include "support/log_capture.h"

using namespace decoding;

namespace {

class SchemaDecoding : public ::testing::Test {
protected:
    void SetUp() override { mark_last_error(); }

    // The class given as NewClass in a CreateClass request with body as its content.
    CIMClass *new_class(const std::string &classElement) {
        md_ = parse(intrinsic("CreateClass", "root/cimv2",
                              "<IPARAMVALUE NAME=\"NewClass\">" + classElement + "</IPARAMVALUE>\n"));
        if (!md_) return nullptr;
        CIMProperty *p = parameter(md_.get(), "NewClass");
        if (!p || propertyGetType(p) != CIM_CLASS) return nullptr;
        return static_cast<CIMClass *>(content(propertyGetValue(p)));
    }

    // The instance given as NewInstance in a CreateInstance request.
    CIMInstance *new_instance(const std::string &instanceElement) {
        md_ = parse(intrinsic("CreateInstance", "root/cimv2",
                              "<IPARAMVALUE NAME=\"NewInstance\">" + instanceElement + "</IPARAMVALUE>\n"));
        if (!md_) return nullptr;
        CIMProperty *p = parameter(md_.get(), "NewInstance");
        if (!p || propertyGetType(p) != CIM_OBJECT) return nullptr;
        return static_cast<CIMInstance *>(content(propertyGetValue(p)));
    }

    Message md_;
};

std::vector<std::string> names(const CIMPropertyList *list) {
    std::vector<std::string> result;
    for (int i = 0; i < getCIMPropertyListLength(list); ++i)
        result.push_back(narrow(propertyGetName(getCIMPropertyAt(list, i))));
    return result;
}

TEST_F(SchemaDecoding, DecodesNewClassWithQualifiersAndProperties) {
    CIMClass *cls = new_class(
        "<CLASS NAME=\"C\" SUPERCLASS=\"Base\">\n"
        "<QUALIFIER NAME=\"Abstract\" TYPE=\"boolean\"><VALUE>true</VALUE></QUALIFIER>\n"
        "<PROPERTY NAME=\"P\" TYPE=\"string\">\n"
        "<QUALIFIER NAME=\"Description\" TYPE=\"string\" TRANSLATABLE=\"true\"><VALUE>a p</VALUE></QUALIFIER>\n"
        "<VALUE>hello</VALUE>\n"
        "</PROPERTY>\n"
        "<PROPERTY NAME=\"Count\" TYPE=\"uint32\" CLASSORIGIN=\"Base\" PROPAGATED=\"true\"><VALUE>7</VALUE>"
        "<VALUE>8</VALUE></PROPERTY>\n"
        "</CLASS>\n");
    ASSERT_NE(cls, nullptr);
    EXPECT_EQ(narrow(getClassName(cls)), "C");
    EXPECT_EQ(narrow(getClassSuperName(cls)), "Base");

    CIMQualifierList *classQualifiers = getClassQualifiers(cls);
    ASSERT_EQ(getCIMQualifierListLength(classQualifiers), 1);
    CIMQualifier *abstract = getCIMQualifierAt(classQualifiers, 0);
    EXPECT_EQ(narrow(getQualifierName(abstract)), "Abstract");
    EXPECT_EQ(getQualifierFlavors(abstract), 0);
    EXPECT_EQ(bool_value(getQualifierValue(abstract)), 1);

    CIMPropertyList *properties = getClassProperties(cls);
    EXPECT_EQ(names(properties), (std::vector<std::string>{"P", "Count"}));
    CIMProperty *p = getCIMPropertyAt(properties, 0);
    EXPECT_EQ(string_value(propertyGetValue(p)), "hello");
    ASSERT_EQ(getCIMQualifierListLength(propertyGetQualifiers(p)), 1);
    CIMQualifier *description = getCIMQualifierAt(propertyGetQualifiers(p), 0);
    EXPECT_EQ(narrow(getQualifierName(description)), "Description");
    EXPECT_EQ(getQualifierFlavors(description), 16);
    EXPECT_EQ(string_value(getQualifierValue(description)), "a p");

    // The second VALUE no longer finds the property's marker and is ignored.
    CIMProperty *count = getCIMPropertyAt(properties, 1);
    EXPECT_EQ(propertyGetType(count), CIM_UINT32);
    EXPECT_EQ(value_text(propertyGetValue(count)), "7");
    EXPECT_EQ(narrow(propertyGetClassOrigin(count)), "Base");
    EXPECT_EQ(isPropertyPropagated(count), 1);

    EXPECT_TRUE(stack_isEmpty(&md_->objectStack));
    EXPECT_EQ(last_error(), "unchanged");
}

TEST_F(SchemaDecoding, DecodesMethodsWithParametersOfAllFourKinds) {
    CIMClass *cls = new_class(
        "<CLASS NAME=\"Svc\">\n"
        "<METHOD NAME=\"Start\" TYPE=\"uint32\" CLASSORIGIN=\"Svc\">\n"
        "<QUALIFIER NAME=\"Description\" TYPE=\"string\"><VALUE>starts</VALUE></QUALIFIER>\n"
        "<PARAMETER NAME=\"Mode\" TYPE=\"uint16\">"
        "<QUALIFIER NAME=\"In\" TYPE=\"boolean\"><VALUE>true</VALUE></QUALIFIER></PARAMETER>\n"
        "<PARAMETER.REFERENCE NAME=\"Target\" REFERENCECLASS=\"CIM_System\">"
        "<QUALIFIER NAME=\"In\" TYPE=\"boolean\"><VALUE>true</VALUE></QUALIFIER></PARAMETER.REFERENCE>\n"
        "<PARAMETER.ARRAY NAME=\"Flags\" TYPE=\"string\" ARRAYSIZE=\"3\">"
        "<QUALIFIER NAME=\"Values\" TYPE=\"string\"><VALUE.ARRAY><VALUE>a</VALUE><VALUE>b</VALUE></VALUE.ARRAY>"
        "</QUALIFIER></PARAMETER.ARRAY>\n"
        "<PARAMETER.REFARRAY NAME=\"Peers\" REFERENCECLASS=\"CIM_Peer\">"
        "<QUALIFIER NAME=\"ValueMap\" TYPE=\"string\"><VALUE.ARRAY><VALUE>1</VALUE></VALUE.ARRAY>"
        "</QUALIFIER></PARAMETER.REFARRAY>\n"
        "</METHOD>\n"
        "</CLASS>\n");
    ASSERT_NE(cls, nullptr);
    ASSERT_EQ(getCIMMethodListLength(getClassMethods(cls)), 1);
    CIMMethod *start = getCIMMethodAt(getClassMethods(cls), 0);
    EXPECT_EQ(narrow(getMethodName(start)), "Start");
    EXPECT_EQ(getMethodReturnType(start), CIM_UINT32);
    EXPECT_EQ(narrow(getMethodClassOrigin(start)), "Svc");
    ASSERT_EQ(getCIMQualifierListLength(getMethodQualifiers(start)), 1);
    EXPECT_EQ(string_value(getQualifierValue(getCIMQualifierAt(getMethodQualifiers(start), 0))), "starts");

    CIMPropertyList *params = getMethodParameters(start);
    EXPECT_EQ(names(params), (std::vector<std::string>{"Mode", "Target", "Flags", "Peers"}));
    struct Expect {
        int type;
        const char *qualifier;
        int qualifierType;
    };
    const Expect expected[] = {{CIM_UINT16, "In", CIM_BOOLEAN},
                               {CIM_REFERENCE, "In", CIM_BOOLEAN},
                               {CIM_STRING + CIM_ARRAY, "Values", CIM_STRING + CIM_ARRAY},
                               {CIM_REFERENCE + CIM_ARRAY, "ValueMap", CIM_STRING + CIM_ARRAY}};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        CIMProperty *param = getCIMPropertyAt(params, i);
        EXPECT_EQ(propertyGetType(param), expected[i].type);
        ASSERT_EQ(getCIMQualifierListLength(propertyGetQualifiers(param)), 1);
        CIMQualifier *q = getCIMQualifierAt(propertyGetQualifiers(param), 0);
        EXPECT_EQ(narrow(getQualifierName(q)), expected[i].qualifier);
        EXPECT_EQ(getCIMValueType(getQualifierValue(q)), expected[i].qualifierType);
    }
    EXPECT_EQ(narrow(propertyGetReferenceClass(getCIMPropertyAt(params, 1))), "CIM_System");
    EXPECT_EQ(narrow(getCIMValueReferenceType(propertyGetValue(getCIMPropertyAt(params, 3)))), "CIM_Peer");
    EXPECT_EQ(last_error(), "unchanged");
}

TEST_F(SchemaDecoding, QualifierDeclarationFlavorsAndScopes) {
    struct Case {
        const char *attributes;
        const char *scope;
        int flavor;
        int scopeBits;
        int type;
    };
    const Case cases[] = {
        {"", "", 9, 507, CIM_STRING},
        {"", "<SCOPE CLASS=\"true\"/>", 9, 1, CIM_STRING},
        {"", "<SCOPE CLASS=\"TRUE\" ASSOCIATION=\"true\" PROPERTY=\"false\"/>", 9, 3, CIM_STRING},
        {"", "<SCOPE CLASS=\"false\"/>", 9, 507, CIM_STRING},
        {"", "<SCOPE REFERENCE=\"true\" METHOD=\"true\" PARAMETER=\"true\" INDICATION=\"true\"/>", 9, 116,
         CIM_STRING},
        {" OVERRIDABLE=\"false\" TOSUBCLASS=\"false\" TRANSLATABLE=\"true\"", "", 22, 507, CIM_STRING},
        {" OVERRIDABLE=\"FALSE\"", "", 10, 507, CIM_STRING},
        {" ISARRAY=\"true\"", "", 9, 507, CIM_STRING + CIM_ARRAY},
        {" ISARRAY=\"TRUE\"", "", 9, 507, CIM_STRING},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.attributes) + c.scope);
        md_ = parse(intrinsic("SetQualifier", "root",
                              std::string("<IPARAMVALUE NAME=\"QualifierDeclaration\">"
                                          "<QUALIFIER.DECLARATION NAME=\"Q\" TYPE=\"string\"") +
                                  c.attributes + ">" + c.scope + "</QUALIFIER.DECLARATION></IPARAMVALUE>"));
        ASSERT_TRUE(md_);
        ASSERT_NE(md_->qualifierType, nullptr);
        EXPECT_EQ(getQualifierTypeFlavors(md_->qualifierType), c.flavor);
        EXPECT_EQ(getQualifierTypeScope(md_->qualifierType), c.scopeBits);
        EXPECT_EQ(getQualifierTypeValueType(md_->qualifierType), c.type);
    }
}

TEST_F(SchemaDecoding, DeclarationDefaultValuesScalarAndArray) {
    md_ = parse(intrinsic("SetQualifier", "root",
                          "<IPARAMVALUE NAME=\"QualifierDeclaration\">"
                          "<QUALIFIER.DECLARATION NAME=\"ValueMap\" TYPE=\"uint8\" ISARRAY=\"true\">"
                          "<VALUE.ARRAY><VALUE>1</VALUE><VALUE>2</VALUE></VALUE.ARRAY>"
                          "</QUALIFIER.DECLARATION></IPARAMVALUE>"));
    ASSERT_TRUE(md_);
    ASSERT_NE(md_->qualifierType, nullptr);
    CIMValue *value = getQualifierTypeValue(md_->qualifierType);
    EXPECT_EQ(getCIMValueType(value), CIM_UINT8 + CIM_ARRAY);
    std::vector<std::string> texts;
    for (CIMValue *v : elements(value)) texts.push_back(value_text(v));
    EXPECT_EQ(texts, (std::vector<std::string>{"1", "2"}));
}

TEST_F(SchemaDecoding, EmbeddedObjectAttributeDecidesThePropertyType) {
    struct Case {
        const char *attributes;
        int type;
    };
    const Case cases[] = {
        {"TYPE=\"string\" EmbeddedObject=\"object\"", CIM_CLASS},
        {"TYPE=\"uint8\" EmbeddedObject=\"Object\"", CIM_CLASS},
        {"TYPE=\"string\" EmbeddedObject=\"instance\"", CIM_OBJECT},
        {"TYPE=\"string\" EmbeddedObject=\"whatever\"", CIM_OBJECT},
        {"TYPE=\"string\"", CIM_STRING},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.attributes);
        CIMClass *cls = new_class(std::string("<CLASS NAME=\"C\"><PROPERTY NAME=\"E\" ") + c.attributes +
                                  "/></CLASS>");
        ASSERT_NE(cls, nullptr);
        EXPECT_EQ(propertyGetType(getCIMPropertyAt(getClassProperties(cls), 0)), c.type);
    }
}

TEST_F(SchemaDecoding, EmbeddedObjectQualifierDecodesByOwnerKind) {
    const std::string embedded =
        "<QUALIFIER NAME=\"EmbeddedObject\" TYPE=\"boolean\"><VALUE>true</VALUE></QUALIFIER>"
        "<VALUE>&lt;CLASS NAME=&quot;Inner&quot;&gt;&lt;/CLASS&gt;</VALUE>";
    CIMClass *cls = new_class("<CLASS NAME=\"C\"><PROPERTY NAME=\"E\" TYPE=\"string\">" + embedded +
                              "</PROPERTY></CLASS>");
    ASSERT_NE(cls, nullptr);
    CIMValue *classValue = propertyGetValue(getCIMPropertyAt(getClassProperties(cls), 0));
    ASSERT_EQ(getCIMValueType(classValue), CIM_CLASS);
    EXPECT_EQ(narrow(getClassName(static_cast<CIMClass *>(content(classValue)))), "Inner");

    CIMInstance *instance = new_instance(
        "<INSTANCE CLASSNAME=\"C\"><PROPERTY NAME=\"E\" TYPE=\"string\">"
        "<QUALIFIER NAME=\"EmbeddedObject\" TYPE=\"boolean\"><VALUE>true</VALUE></QUALIFIER>"
        "<VALUE>&lt;INSTANCE CLASSNAME=&quot;Inner&quot;&gt;&lt;/INSTANCE&gt;</VALUE></PROPERTY></INSTANCE>");
    ASSERT_NE(instance, nullptr);
    CIMValue *instanceValue = propertyGetValue(getCIMPropertyAt(getInstanceProperties(instance), 0));
    ASSERT_EQ(getCIMValueType(instanceValue), CIM_OBJECT);
    EXPECT_EQ(narrow(getInstanceName(static_cast<CIMInstance *>(content(instanceValue)))), "Inner");
    EXPECT_EQ(last_error(), "unchanged");
}

TEST_F(SchemaDecoding, QualifierOfAPropertyGoesToThePropertyNotTheClass) {
    CIMClass *cls = new_class(
        "<CLASS NAME=\"C\"><QUALIFIER NAME=\"Version\" TYPE=\"string\"><VALUE>1</VALUE></QUALIFIER>"
        "<PROPERTY NAME=\"P\" TYPE=\"string\"><QUALIFIER NAME=\"Units\" TYPE=\"string\" OVERRIDABLE=\"false\" "
        "TOSUBCLASS=\"true\"><VALUE>m</VALUE></QUALIFIER></PROPERTY></CLASS>");
    ASSERT_NE(cls, nullptr);
    CIMQualifier *classQualifier = getCIMQualifierAt(getClassQualifiers(cls), 0);
    EXPECT_EQ(getCIMQualifierListLength(getClassQualifiers(cls)), 1);
    EXPECT_EQ(string_value(getQualifierValue(classQualifier)), "1");
    CIMProperty *p = getCIMPropertyAt(getClassProperties(cls), 0);
    CIMQualifier *units = getCIMQualifierAt(propertyGetQualifiers(p), 0);
    EXPECT_EQ(string_value(getQualifierValue(units)), "m");
    EXPECT_EQ(getQualifierFlavors(units), 2 + 8);
    EXPECT_TRUE(isCIMValueNull(propertyGetValue(p)));
}

TEST_F(SchemaDecoding, ArrayPropertiesAndReferencesOfAnInstance) {
    CIMInstance *instance = new_instance(
        "<INSTANCE CLASSNAME=\"I\">\n"
        "<PROPERTY.ARRAY NAME=\"Nums\" TYPE=\"sint32\"><VALUE.ARRAY><VALUE>-1</VALUE><VALUE>2</VALUE>"
        "<VALUE>3</VALUE></VALUE.ARRAY></PROPERTY.ARRAY>\n"
        "<PROPERTY.ARRAY NAME=\"Empty\" TYPE=\"uint64\"></PROPERTY.ARRAY>\n"
        "<PROPERTY.REFERENCE NAME=\"Owner\" REFERENCECLASS=\"CIM_Owner\"><VALUE.REFERENCE>"
        "<INSTANCENAME CLASSNAME=\"CIM_Owner\"><KEYBINDING NAME=\"Id\"><KEYVALUE>9</KEYVALUE></KEYBINDING>"
        "</INSTANCENAME></VALUE.REFERENCE></PROPERTY.REFERENCE>\n"
        "<PROPERTY.REFERENCE NAME=\"Unset\"/>\n"
        "<QUALIFIER NAME=\"Ignored\" TYPE=\"string\"><VALUE>not stored</VALUE></QUALIFIER>\n"
        "<PROPERTY NAME=\"After\" TYPE=\"boolean\"><VALUE>false</VALUE></PROPERTY>\n"
        "</INSTANCE>");
    ASSERT_NE(instance, nullptr);
    CIMPropertyList *properties = getInstanceProperties(instance);
    EXPECT_EQ(names(properties), (std::vector<std::string>{"Nums", "Empty", "Owner", "Unset", "After"}));

    CIMProperty *nums = getCIMPropertyAt(properties, 0);
    EXPECT_EQ(propertyGetType(nums), CIM_SINT32 + CIM_ARRAY);
    std::vector<std::string> texts;
    for (CIMValue *v : elements(propertyGetValue(nums))) texts.push_back(value_text(v));
    EXPECT_EQ(texts, (std::vector<std::string>{"-1", "2", "3"}));

    CIMProperty *empty = getCIMPropertyAt(properties, 1);
    EXPECT_EQ(propertyGetType(empty), CIM_UINT64 + CIM_ARRAY);
    EXPECT_TRUE(isCIMValueNull(propertyGetValue(empty)));

    CIMProperty *owner = getCIMPropertyAt(properties, 2);
    EXPECT_EQ(propertyIsKey(owner), 1);
    ASSERT_EQ(propertyGetType(owner), CIM_REFERENCE);
    auto *path = static_cast<CIMObjectPath *>(content(propertyGetValue(owner)));
    EXPECT_EQ(keys(path), std::vector<std::string>{"Id=9"});
    EXPECT_EQ(narrow(propertyGetReferenceClass(owner)), "CIM_Owner");

    CIMProperty *unset = getCIMPropertyAt(properties, 3);
    EXPECT_EQ(propertyIsKey(unset), 1);
    EXPECT_EQ(propertyGetType(unset), CIM_REFERENCE);
    EXPECT_TRUE(isCIMValueNull(propertyGetValue(unset)));

    // The qualifier directly inside the instance is not kept, and its marker
    // leaves with it, so the next property still lands in the instance.
    CIMProperty *after = getCIMPropertyAt(properties, 4);
    EXPECT_EQ(bool_value(propertyGetValue(after)), 0);
    EXPECT_EQ(last_error(), "unchanged");
}

TEST_F(SchemaDecoding, ParameterOutsideAMethod) {
    CIMClass *cls = new_class("<CLASS NAME=\"C\"><PARAMETER NAME=\"Lost\" TYPE=\"string\"/></CLASS>");
    ASSERT_NE(cls, nullptr);
    EXPECT_EQ(getClassMethods(cls), nullptr);
    EXPECT_EQ(last_error(), "unchanged");

    cls = new_class("<CLASS NAME=\"C\"><PARAMETER.REFERENCE NAME=\"Lost\"/></CLASS>");
    ASSERT_NE(cls, nullptr);
    EXPECT_EQ(last_error(), "1: common_parameter_ref_element: invalid stack object.");

    mark_last_error();
    cls = new_class("<CLASS NAME=\"C\"><PARAMETER.REFARRAY NAME=\"Lost\"/></CLASS>");
    ASSERT_NE(cls, nullptr);
    EXPECT_EQ(last_error(), "unchanged");
}

TEST_F(SchemaDecoding, ReportsTheHandlersOwnTexts) {
    struct Case {
        const char *classBody;
        const char *error;
    };
    const Case cases[] = {
        {"<CLASS><PROPERTY NAME=\"P\" TYPE=\"string\"/></CLASS>", "1: common_class_element: NAME attribute is null"},
        {"<CLASS NAME=\"C\"><METHOD NAME=\"M\" TYPE=\"uint8\"><PARAMETER.REFERENCE/></METHOD></CLASS>",
         "1: common_parameter_ref_element: NAME attribute is null"},
        {"<CLASS NAME=\"C\"><METHOD NAME=\"M\" TYPE=\"uint8\"><PARAMETER.REFARRAY/></METHOD></CLASS>",
         "1: common_parameter_refarray_element: NAME attribute is null."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.classBody);
        mark_last_error();
        new_class(c.classBody);
        ASSERT_TRUE(md_);
        EXPECT_EQ(last_error(), c.error);
    }

    mark_last_error();
    md_ = parse(intrinsic("SetQualifier", "root",
                          "<IPARAMVALUE NAME=\"QualifierDeclaration\"><QUALIFIER.DECLARATION TYPE=\"string\"/>"
                          "</IPARAMVALUE>"));
    EXPECT_EQ(last_error(), "1: NAME attribute is null");
    md_ = parse(intrinsic("SetQualifier", "root",
                          "<IPARAMVALUE NAME=\"QualifierDeclaration\"><QUALIFIER.DECLARATION NAME=\"Q\"/>"
                          "</IPARAMVALUE>"));
    EXPECT_EQ(last_error(), "1: TYPE attribute is null");
    EXPECT_EQ(md_->qualifierType, nullptr);
}

TEST_F(SchemaDecoding, PropertyWithoutOwnerIsLoggedNotRecorded) {
    testsupport::LogCapture log;
    md_ = parse(intrinsic("X", "root", "<PROPERTY NAME=\"P\" TYPE=\"string\"/>"));
    ASSERT_TRUE(md_);
    EXPECT_TRUE(log.contains("common_property_element - stack_pop failed", 0));
    EXPECT_EQ(last_error(), "unchanged");
}

TEST_F(SchemaDecoding, ReferenceArrayParameterValueTakesReferenceArrayType) {
    md_ = parse(request(
        "<SIMPLEREQ><METHODCALL NAME=\"M\"><LOCALCLASSPATH><LOCALNAMESPACEPATH><NAMESPACE NAME=\"r\"/>"
        "</LOCALNAMESPACEPATH><CLASSNAME NAME=\"C\"/></LOCALCLASSPATH>"
        "<PARAMVALUE NAME=\"Refs\"><VALUE.REFARRAY><VALUE.REFERENCE><CLASSNAME NAME=\"A\"/></VALUE.REFERENCE>"
        "</VALUE.REFARRAY></PARAMVALUE></METHODCALL></SIMPLEREQ>"));
    ASSERT_TRUE(md_);
    CIMProperty *refs = parameter(md_.get(), "Refs");
    ASSERT_NE(refs, nullptr);
    EXPECT_EQ(propertyGetType(refs), CIM_REFERENCE + CIM_ARRAY);
    ASSERT_EQ(elements(propertyGetValue(refs)).size(), 1u);
    auto *path = static_cast<CIMObjectPath *>(content(elements(propertyGetValue(refs))[0]));
    EXPECT_EQ(narrow(getObjectPathName(path)), "A");
}

}  // namespace
