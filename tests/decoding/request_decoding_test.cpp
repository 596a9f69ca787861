// Decoding of whole request documents: the call, its target path and its
// parameters as MessageData holds them afterwards.
#include <gtest/gtest.h>

#include "decoding/decoding_support.h"
#include "support/log_capture.h"

using namespace decoding;

namespace {

class RequestDecoding : public ::testing::Test {
protected:
    void SetUp() override { mark_last_error(); }
};

TEST_F(RequestDecoding, DecodesGetInstanceIntoMethodTargetAndParameters) {
    Message md = parse(intrinsic("GetInstance", "root/cimv2",
                                 "<IPARAMVALUE NAME=\"InstanceName\">\n"
                                 "<INSTANCENAME CLASSNAME=\"X\">\n"
                                 "<KEYBINDING NAME=\"K\">\n"
                                 "<KEYVALUE VALUETYPE=\"string\" TYPE=\"string\">v</KEYVALUE>\n"
                                 "</KEYBINDING>\n"
                                 "</INSTANCENAME>\n"
                                 "</IPARAMVALUE>\n"
                                 "<IPARAMVALUE NAME=\"LocalOnly\"><VALUE>false</VALUE></IPARAMVALUE>\n"));
    ASSERT_TRUE(md);
    EXPECT_EQ(md->kind, 1);
    EXPECT_STREQ(md->messageId, "1001");
    EXPECT_EQ(method_name(md.get()), "GetInstance");
    EXPECT_EQ(md->isMethodCall, 0);
    ASSERT_NE(md->objectPath, nullptr);
    EXPECT_EQ(narrow(getObjectPathNameSpace(md->objectPath)), "root/cimv2");
    EXPECT_EQ(narrow(getObjectPathName(md->objectPath)), "Container");
    EXPECT_TRUE(keys(md->objectPath).empty());

    ASSERT_EQ(parameters(md.get()).size(), 2u);
    CIMProperty *instanceName = parameters(md.get())[0];
    EXPECT_EQ(narrow(propertyGetName(instanceName)), "InstanceName");
    EXPECT_EQ(propertyGetType(instanceName), CIM_REFERENCE);
    auto *path = static_cast<CIMObjectPath *>(content(propertyGetValue(instanceName)));
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(narrow(getObjectPathName(path)), "X");
    EXPECT_EQ(keys(path), std::vector<std::string>{"K=v"});
    EXPECT_EQ(getCIMValueType(propertyGetValue(getCIMPropertyAt(getObjectPathKeys(path), 0))), CIM_STRING);

    CIMProperty *localOnly = parameters(md.get())[1];
    EXPECT_EQ(narrow(propertyGetName(localOnly)), "LocalOnly");
    EXPECT_EQ(propertyGetType(localOnly), CIM_BOOLEAN);
    EXPECT_EQ(bool_value(propertyGetValue(localOnly)), 0);

    EXPECT_EQ(md->instancePaths, nullptr);
    EXPECT_EQ(md->qualifierType, nullptr);
    EXPECT_TRUE(stack_isEmpty(&md->objectStack));
    EXPECT_TRUE(stack_isEmpty(&md->elementStack));
    EXPECT_EQ(last_error(), "unchanged");
}

TEST_F(RequestDecoding, ClassNameParameterIsAStringAndLeavesThePlaceholder) {
    Message md = parse(intrinsic("GetClass", "root/cimv2",
                                 "<IPARAMVALUE NAME=\"ClassName\"><CLASSNAME NAME=\"CIM_Foo\"/></IPARAMVALUE>\n"));
    ASSERT_TRUE(md);
    EXPECT_EQ(narrow(getObjectPathNameSpace(md->objectPath)), "root/cimv2");
    EXPECT_EQ(narrow(getObjectPathName(md->objectPath)), "Container");
    CIMProperty *className = parameter(md.get(), "ClassName");
    ASSERT_NE(className, nullptr);
    EXPECT_EQ(propertyGetType(className), CIM_STRING);
    EXPECT_EQ(string_value(propertyGetValue(className)), "CIM_Foo");
    EXPECT_EQ(last_error(), "unchanged");
}

TEST_F(RequestDecoding, TypesIntrinsicParametersByName) {
    struct Case {
        const char *param;
        int type;
        const char *text;
    };
    const Case cases[] = {
        {"<IPARAMVALUE NAME=\"DeepInheritance\"><VALUE>true</VALUE></IPARAMVALUE>", CIM_BOOLEAN, "true"},
        {"<IPARAMVALUE NAME=\"INCLUDEQUALIFIERS\"><VALUE>TRUE</VALUE></IPARAMVALUE>", CIM_BOOLEAN, "true"},
        {"<IPARAMVALUE NAME=\"Role\"><VALUE>Antecedent</VALUE></IPARAMVALUE>", CIM_STRING, "Antecedent"},
        {"<IPARAMVALUE NAME=\"MaxObjectCount\"><VALUE>100</VALUE></IPARAMVALUE>", CIM_STRING, "100"},
        {"<IPARAMVALUE NAME=\"Count\" PARAMTYPE=\"uint32\"><VALUE>42</VALUE></IPARAMVALUE>", CIM_UINT32, "42"},
        {"<IPARAMVALUE NAME=\"LocalOnly\"><VALUE>maybe</VALUE></IPARAMVALUE>", CIM_BOOLEAN, "(null)"},
        {"<IPARAMVALUE NAME=\"DeepInheritance\"/>", CIM_BOOLEAN, "(null)"},
        {"<IPARAMVALUE><VALUE>x</VALUE></IPARAMVALUE>", CIM_NULL, "(null)"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.param);
        Message md = parse(intrinsic("EnumerateClasses", "root", std::string(c.param) + "\n"));
        ASSERT_TRUE(md);
        ASSERT_EQ(parameters(md.get()).size(), 1u);
        CIMProperty *p = parameters(md.get())[0];
        EXPECT_EQ(propertyGetType(p), c.type);
        EXPECT_EQ(value_text(propertyGetValue(p)), c.text);
    }
}

TEST_F(RequestDecoding, PropertyListBecomesAStringArrayInDocumentOrder) {
    Message md = parse(intrinsic("GetInstance", "root",
                                 "<IPARAMVALUE NAME=\"PropertyList\"><VALUE.ARRAY>\n"
                                 "<VALUE>Name</VALUE>\n<VALUE>Size</VALUE>\n<VALUE></VALUE>\n"
                                 "</VALUE.ARRAY></IPARAMVALUE>\n"));
    ASSERT_TRUE(md);
    CIMProperty *list = parameter(md.get(), "PropertyList");
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(propertyGetType(list), CIM_STRING + CIM_ARRAY);
    std::vector<std::string> texts;
    for (CIMValue *v : elements(propertyGetValue(list))) texts.push_back(string_value(v));
    // An empty VALUE carries no text at all, so its element is a null string.
    EXPECT_EQ(texts, (std::vector<std::string>{"Name", "Size", "(null)"}));
    EXPECT_EQ(last_error(), "unchanged");
}

TEST_F(RequestDecoding, EmbeddedObjectAttributeTypesParamValues) {
    const std::string instanceText =
        "&lt;INSTANCE CLASSNAME=&quot;Inner&quot;&gt;&lt;PROPERTY NAME=&quot;N&quot; TYPE=&quot;string&quot;&gt;"
        "&lt;VALUE&gt;x&lt;/VALUE&gt;&lt;/PROPERTY&gt;&lt;/INSTANCE&gt;";
    Message md = parse(request(
        "<SIMPLEREQ><METHODCALL NAME=\"Take\"><LOCALCLASSPATH><LOCALNAMESPACEPATH>"
        "<NAMESPACE NAME=\"root\"/><NAMESPACE NAME=\"cimv2\"/></LOCALNAMESPACEPATH>"
        "<CLASSNAME NAME=\"Taker\"/></LOCALCLASSPATH>\n"
        "<PARAMVALUE NAME=\"AsClass\" PARAMTYPE=\"string\" EmbeddedObject=\"OBJECT\"/>\n"
        "<PARAMVALUE NAME=\"AsInstance\" PARAMTYPE=\"string\" EmbeddedObject=\"instance\"><VALUE>" +
        instanceText + "</VALUE></PARAMVALUE>\n</METHODCALL></SIMPLEREQ>\n"));
    ASSERT_TRUE(md);
    EXPECT_EQ(md->isMethodCall, 1);
    EXPECT_EQ(method_name(md.get()), "Take");
    EXPECT_EQ(narrow(getObjectPathName(md->objectPath)), "Taker");
    EXPECT_EQ(narrow(getObjectPathNameSpace(md->objectPath)), "root/cimv2");

    EXPECT_EQ(propertyGetType(parameter(md.get(), "AsClass")), CIM_CLASS);
    CIMProperty *asInstance = parameter(md.get(), "AsInstance");
    ASSERT_EQ(propertyGetType(asInstance), CIM_OBJECT);
    auto *instance = static_cast<CIMInstance *>(content(propertyGetValue(asInstance)));
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(narrow(getInstanceName(instance)), "Inner");
    // The embedded instance names no namespace: it gets the request's.
    EXPECT_EQ(narrow(getInstanceNameSpace(instance)), "root/cimv2");
    CIMProperty *n = getCIMPropertyAt(getInstanceProperties(instance), 0);
    EXPECT_EQ(string_value(propertyGetValue(n)), "x");
    EXPECT_EQ(last_error(), "unchanged");
}

TEST_F(RequestDecoding, KeyValueTypeComesFromTypeThenValueType) {
    struct Case {
        const char *keyvalue;
        int type;
        const char *text;
    };
    const Case cases[] = {
        {"<KEYVALUE VALUETYPE=\"numeric\">12</KEYVALUE>", CIM_STRING, "12"},
        {"<KEYVALUE VALUETYPE=\"numeric\" TYPE=\"uint16\">12</KEYVALUE>", CIM_UINT16, "12"},
        {"<KEYVALUE VALUETYPE=\"boolean\">TRUE</KEYVALUE>", CIM_BOOLEAN, "true"},
        {"<KEYVALUE>plain</KEYVALUE>", CIM_STRING, "plain"},
        {"<KEYVALUE TYPE=\"sint64\">-9000000000</KEYVALUE>", CIM_SINT64, "-9000000000"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.keyvalue);
        Message md = parse(request(
            "<SIMPLEREQ><METHODCALL NAME=\"Reset\"><LOCALINSTANCEPATH><LOCALNAMESPACEPATH>"
            "<NAMESPACE NAME=\"root\"/></LOCALNAMESPACEPATH><INSTANCENAME CLASSNAME=\"Dev\">"
            "<KEYBINDING NAME=\"Id\">" +
            std::string(c.keyvalue) + "</KEYBINDING></INSTANCENAME></LOCALINSTANCEPATH></METHODCALL></SIMPLEREQ>"));
        ASSERT_TRUE(md);
        EXPECT_EQ(narrow(getObjectPathName(md->objectPath)), "Dev");
        CIMProperty *key = getCIMPropertyAt(getObjectPathKeys(md->objectPath), 0);
        ASSERT_NE(key, nullptr);
        EXPECT_EQ(getCIMValueType(propertyGetValue(key)), c.type);
        EXPECT_EQ(value_text(propertyGetValue(key)), c.text);
    }
}

TEST_F(RequestDecoding, KeepsTheFirstOfTwoCallElements) {
    Message md = parse(request("<SIMPLEREQ><METHODCALL NAME=\"First\"></METHODCALL>"
                               "<IMETHODCALL NAME=\"Second\"></IMETHODCALL></SIMPLEREQ>"));
    ASSERT_TRUE(md);
    EXPECT_EQ(method_name(md.get()), "First");
    EXPECT_EQ(md->isMethodCall, 1);
}

TEST_F(RequestDecoding, DecodesExportIndicationWithItsInstance) {
    Message md = parse(request(
        "<SIMPLEEXPREQ><EXPMETHODCALL NAME=\"ExportIndication\"><EXPPARAMVALUE NAME=\"NewIndication\">"
        "<INSTANCE CLASSNAME=\"CIM_Alert\"><PROPERTY NAME=\"Severity\" TYPE=\"uint16\"><VALUE>3</VALUE>"
        "</PROPERTY></INSTANCE></EXPPARAMVALUE></EXPMETHODCALL></SIMPLEEXPREQ>"));
    ASSERT_TRUE(md);
    EXPECT_EQ(md->kind, 1);
    EXPECT_EQ(method_name(md.get()), "ExportIndication");
    EXPECT_EQ(md->isMethodCall, 0);
    EXPECT_EQ(md->objectPath, nullptr);
    ASSERT_EQ(parameters(md.get()).size(), 1u);
    CIMProperty *indication = parameters(md.get())[0];
    EXPECT_EQ(narrow(propertyGetName(indication)), "NewIndication");
    ASSERT_EQ(propertyGetType(indication), CIM_OBJECT);
    auto *instance = static_cast<CIMInstance *>(content(propertyGetValue(indication)));
    EXPECT_EQ(narrow(getInstanceName(instance)), "CIM_Alert");
    CIMProperty *severity = getCIMPropertyAt(getInstanceProperties(instance), 0);
    EXPECT_EQ(propertyGetType(severity), CIM_UINT16);
    EXPECT_EQ(value_text(propertyGetValue(severity)), "3");
    EXPECT_EQ(last_error(), "unchanged");
}

TEST_F(RequestDecoding, ModifiedInstanceCollectsItsPathInInstancePaths) {
    Message md = parse(intrinsic("ModifyInstance", "root/cimv2",
                                 "<IPARAMVALUE NAME=\"ModifiedInstance\"><VALUE.NAMEDINSTANCE>"
                                 "<INSTANCENAME CLASSNAME=\"P\"><KEYBINDING NAME=\"Id\">"
                                 "<KEYVALUE VALUETYPE=\"numeric\" TYPE=\"uint32\">7</KEYVALUE></KEYBINDING>"
                                 "</INSTANCENAME><INSTANCE CLASSNAME=\"P\"><PROPERTY NAME=\"Id\" TYPE=\"uint32\">"
                                 "<VALUE>7</VALUE></PROPERTY></INSTANCE></VALUE.NAMEDINSTANCE></IPARAMVALUE>"
                                 "<IPARAMVALUE NAME=\"PropertyList\"><VALUE.ARRAY><VALUE>Id</VALUE>"
                                 "</VALUE.ARRAY></IPARAMVALUE>"));
    ASSERT_TRUE(md);
    ASSERT_NE(md->instancePaths, nullptr);
    ASSERT_EQ(getCIMObjectPathListLength(md->instancePaths), 1);
    CIMObjectPath *path = getCIMObjectPathAt(md->instancePaths, 0);
    EXPECT_EQ(narrow(getObjectPathName(path)), "P");
    EXPECT_EQ(keys(path), std::vector<std::string>{"Id=7"});
    CIMProperty *modified = parameter(md.get(), "ModifiedInstance");
    ASSERT_EQ(propertyGetType(modified), CIM_OBJECT);
    EXPECT_EQ(narrow(getInstanceName(static_cast<CIMInstance *>(content(propertyGetValue(modified))))), "P");
    EXPECT_EQ(narrow(getObjectPathName(md->objectPath)), "Container");
    EXPECT_EQ(last_error(), "unchanged");
}

TEST_F(RequestDecoding, ReferencesAsParametersKeysAndArrays) {
    const std::string reference =
        "<VALUE.REFERENCE><INSTANCEPATH><NAMESPACEPATH><HOST>h.example</HOST><LOCALNAMESPACEPATH>"
        "<NAMESPACE NAME=\"root\"/><NAMESPACE NAME=\"x\"/></LOCALNAMESPACEPATH></NAMESPACEPATH>"
        "<INSTANCENAME CLASSNAME=\"Ref\"><KEYBINDING NAME=\"K\"><KEYVALUE>1</KEYVALUE></KEYBINDING>"
        "</INSTANCENAME></INSTANCEPATH></VALUE.REFERENCE>";
    Message md = parse(request(
        "<SIMPLEREQ><METHODCALL NAME=\"Link\"><LOCALINSTANCEPATH><LOCALNAMESPACEPATH>"
        "<NAMESPACE NAME=\"root\"/></LOCALNAMESPACEPATH><INSTANCENAME CLASSNAME=\"Assoc\">"
        "<KEYBINDING NAME=\"Left\">" +
        reference +
        "</KEYBINDING></INSTANCENAME></LOCALINSTANCEPATH>"
        "<PARAMVALUE NAME=\"One\" PARAMTYPE=\"reference\">" +
        reference +
        "</PARAMVALUE>"
        "<PARAMVALUE NAME=\"Many\" PARAMTYPE=\"reference\"><VALUE.REFARRAY>" +
        reference + reference + "</VALUE.REFARRAY></PARAMVALUE></METHODCALL></SIMPLEREQ>"));
    ASSERT_TRUE(md);
    EXPECT_EQ(keys(md->objectPath), std::vector<std::string>{"Left=[ref Ref]"});

    CIMProperty *one = parameter(md.get(), "One");
    ASSERT_EQ(propertyGetType(one), CIM_REFERENCE);
    auto *path = static_cast<CIMObjectPath *>(content(propertyGetValue(one)));
    EXPECT_EQ(narrow(getObjectPathHost(path)), "h.example");
    EXPECT_EQ(narrow(getObjectPathNameSpace(path)), "root/x");
    EXPECT_EQ(narrow(getObjectPathName(path)), "Ref");
    EXPECT_EQ(keys(path), std::vector<std::string>{"K=1"});

    CIMProperty *many = parameter(md.get(), "Many");
    ASSERT_EQ(propertyGetType(many), CIM_REFERENCE + CIM_ARRAY);
    ASSERT_EQ(elements(propertyGetValue(many)).size(), 2u);
    for (CIMValue *v : elements(propertyGetValue(many))) EXPECT_EQ(getCIMValueType(v), CIM_REFERENCE);
    EXPECT_EQ(last_error(), "unchanged");
}

TEST_F(RequestDecoding, QualifierDeclarationParameterGoesToQualifierType) {
    Message md = parse(intrinsic("SetQualifier", "root",
                                 "<IPARAMVALUE NAME=\"QualifierDeclaration\">"
                                 "<QUALIFIER.DECLARATION NAME=\"Units\" TYPE=\"string\">"
                                 "<VALUE>meters</VALUE></QUALIFIER.DECLARATION></IPARAMVALUE>"));
    ASSERT_TRUE(md);
    ASSERT_NE(md->qualifierType, nullptr);
    EXPECT_EQ(narrow(getQualifierTypeName(md->qualifierType)), "Units");
    EXPECT_EQ(getQualifierTypeFlavors(md->qualifierType), 9);
    EXPECT_EQ(getQualifierTypeScope(md->qualifierType), 507);
    EXPECT_EQ(string_value(getQualifierTypeValue(md->qualifierType)), "meters");
    CIMProperty *p = parameter(md.get(), "QualifierDeclaration");
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(isCIMValueNull(propertyGetValue(p)));
}

TEST_F(RequestDecoding, MessageWithoutIdStillDecodes) {
    Message md = parse("<CIM><MESSAGE><SIMPLEREQ><IMETHODCALL NAME=\"EnumerateClassNames\">"
                       "</IMETHODCALL></SIMPLEREQ></MESSAGE></CIM>");
    ASSERT_TRUE(md);
    EXPECT_EQ(md->messageId, nullptr);
    EXPECT_EQ(method_name(md.get()), "EnumerateClassNames");
    EXPECT_EQ(last_error(), "1: No message id.");

    mark_last_error();
    md = parse("<CIM><MESSAGE ID=\"7\"><SIMPLEREQ><IMETHODCALL NAME=\"X\"/></SIMPLEREQ></MESSAGE></CIM>");
    ASSERT_TRUE(md);
    EXPECT_STREQ(md->messageId, "7");
    EXPECT_EQ(last_error(), "1: No protocol version.");
}

TEST_F(RequestDecoding, ReportsMissingRequiredAttributesWithTheSourcePlace) {
    testsupport::LogCapture log;
    Message md = parse(request("<SIMPLEREQ><IMETHODCALL></IMETHODCALL></SIMPLEREQ>"));
    ASSERT_TRUE(md);
    EXPECT_EQ(md->method, nullptr);
    std::string error = last_error();
    EXPECT_EQ(error.rfind("1: CIMXML decoding error in request_handlers.cpp at line ", 0), 0u) << error;
    EXPECT_TRUE(log.containsFragment("CIMXML decoding error in request_handlers.cpp at line "));

    // A parameter without a call to belong to.
    mark_last_error();
    md = parse(request("<SIMPLEREQ><IPARAMVALUE NAME=\"ClassName\"><CLASSNAME NAME=\"A\"/></IPARAMVALUE>"
                       "<METHODCALL NAME=\"m\"/></SIMPLEREQ>"));
    ASSERT_TRUE(md);
    EXPECT_TRUE(parameters(md.get()).empty());
    EXPECT_NE(last_error(), "unchanged");
}

TEST_F(RequestDecoding, NamespaceAndClassNameOutsideObjectsBuildTheTarget) {
    Message md = parse(request("<SIMPLEREQ><IMETHODCALL NAME=\"DeleteInstance\"><LOCALNAMESPACEPATH>"
                               "<NAMESPACE NAME=\"a\"/><NAMESPACE NAME=\"b\"/><NAMESPACE NAME=\"c\"/>"
                               "</LOCALNAMESPACEPATH><CLASSNAME NAME=\"First\"/><CLASSNAME NAME=\"Second\"/>"
                               "</IMETHODCALL></SIMPLEREQ>"));
    ASSERT_TRUE(md);
    EXPECT_EQ(narrow(getObjectPathNameSpace(md->objectPath)), "a/b/c");
    EXPECT_EQ(narrow(getObjectPathName(md->objectPath)), "First");

    // A class name with no target path to hold it is a decoding error.
    mark_last_error();
    md = parse(request("<SIMPLEREQ><IMETHODCALL NAME=\"GetClass\"><CLASSNAME NAME=\"A\"/></IMETHODCALL></SIMPLEREQ>"));
    ASSERT_TRUE(md);
    EXPECT_EQ(md->objectPath, nullptr);
    EXPECT_NE(last_error(), "unchanged");
}

TEST_F(RequestDecoding, ValueTextLosesLineBreaksAtTheEdgesOnly) {
    Message md = parse(intrinsic("X", "root",
                                 "<IPARAMVALUE NAME=\"Query\"><VALUE>\n  select *\r\n  from A  &#13;\n</VALUE>"
                                 "</IPARAMVALUE>"));
    ASSERT_TRUE(md);
    // Expat turns the CR LF into LF; the character reference stays a CR, and
    // the trailing CR LF pair goes.
    EXPECT_EQ(string_value(propertyGetValue(parameter(md.get(), "Query"))), "  select *\n  from A  ");
}

}  // namespace
