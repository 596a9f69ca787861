// Tests of the response bodies written into the pool: SIMPLERSP with
// IMETHODRESPONSE or METHODRESPONSE, every IRETURNVALUE branch, ERROR,
// RETURNVALUE and the export response.
#include <gtest/gtest.h>

#include <string>

#include "cimxml_schema/cim_fixtures.h"
#include "cimxml_schema/response_body.h"
#include "support/log_capture.h"

using namespace fixtures;

namespace {

// The pool text written by an intrinsic SIMPLERSP.
std::string intrinsic_body(const wchar_t *method, const CIMList *results, const CIMList *declarations = nullptr,
                           const ReturnCode *error = nullptr) {
    Pool pool;
    auto name = own(str(method));
    EXPECT_EQ(cim_simplersp_toxml(name.get(), nullptr, results, declarations, error, 1, &pool.pool), 1);
    return pool.text();
}

std::string wrapped(const std::string &method, const std::string &entries) {
    return "<SIMPLERSP>\n<IMETHODRESPONSE NAME=\"" + method + "\">\n<IRETURNVALUE>\n" + entries +
           "</IRETURNVALUE>\n</IMETHODRESPONSE>\n</SIMPLERSP>\n";
}

CIMInstance *keyed_instance(uint32_t n) {
    CIMObjectPath *own_path = path(L"CIM_Foo", L"root");
    add_key(own_path, L"Id", uint32_value(n));
    return instance(L"CIM_Foo", {property(L"Id", uint32_value(n))}, own_path);
}

std::string instance_text(uint32_t n) {
    return "<INSTANCE CLASSNAME=\"CIM_Foo\">\n<PROPERTY NAME=\"Id\" TYPE=\"uint32\" PROPAGATED=\"false\">\n<VALUE>" +
           std::to_string(n) + "</VALUE>\n</PROPERTY>\n</INSTANCE>\n";
}

std::string name_text(uint32_t n) {
    return "<INSTANCENAME CLASSNAME=\"CIM_Foo\">\n<KEYBINDING NAME=\"Id\">\n"
           "<KEYVALUE VALUETYPE=\"numeric\" TYPE=\"uint32\">" +
           std::to_string(n) + "</KEYVALUE>\n</KEYBINDING>\n</INSTANCENAME>\n";
}

TEST(SimpleResponse, EnumerateClassNamesExample) {
    auto names = own(list_of(CIMLIST_OBJECTPATH, {path(L"CIM_Namespace", L"root")}));
    EXPECT_EQ(intrinsic_body(L"EnumerateClassNames", names.get()),
              "<SIMPLERSP>\n"
              "<IMETHODRESPONSE NAME=\"EnumerateClassNames\">\n"
              "<IRETURNVALUE>\n"
              "<CLASSNAME NAME=\"CIM_Namespace\"/>\n"
              "</IRETURNVALUE>\n"
              "</IMETHODRESPONSE>\n"
              "</SIMPLERSP>\n");
}

TEST(SimpleResponse, FailedGetClassWithStatusZeroExample) {
    auto error = own(newReturnCode(0, nullptr));
    EXPECT_EQ(intrinsic_body(L"GetClass", nullptr, nullptr, error.get()),
              "<SIMPLERSP>\n"
              "<IMETHODRESPONSE NAME=\"GetClass\">\n"
              "<ERROR CODE=\"1\" DESCRIPTION=\"Requested operation failed.\"/>\n"
              "</IMETHODRESPONSE>\n"
              "</SIMPLERSP>\n");
}

TEST(SimpleResponse, NeitherListGivesEmptyReturnValue) {
    EXPECT_EQ(intrinsic_body(L"DeleteInstance", nullptr), wrapped("DeleteInstance", ""));
    auto empty = own(newList(CIMLIST_INSTANCE));
    EXPECT_EQ(intrinsic_body(L"EnumerateInstances", empty.get()), wrapped("EnumerateInstances", ""));
}

TEST(ErrorElement, CodeAndEscapedDescription) {
    auto error = own(newReturnCode(6, L"no \"such\" <thing>"));
    EXPECT_EQ(take(cim_error_toxml(error.get())),
              "<ERROR CODE=\"6\" DESCRIPTION=\"no &quot;such&quot; &lt;thing&gt;\"/>\n");
}

TEST(ErrorElement, MissingDescriptionLeavesTheBlank) {
    auto error = own(newReturnCode(7, nullptr));
    EXPECT_EQ(take(cim_error_toxml(error.get())), "<ERROR CODE=\"7\" />\n");
    auto outside = own(newReturnCode(99, L"x"));
    EXPECT_EQ(take(cim_error_toxml(outside.get())), "<ERROR CODE=\"1\" DESCRIPTION=\"x\"/>\n");
    EXPECT_EQ(take(cim_error_toxml(nullptr)), null_text);
}

TEST(ReturnValueTable, EnumerateInstancesInListOrderSkippingPathless) {
    testsupport::LogCapture log;
    auto instances = own(list_of(CIMLIST_INSTANCE, {keyed_instance(1), instance(L"CIM_Foo", {}), keyed_instance(2),
                                                    keyed_instance(3)}));
    auto named = [](uint32_t n) {
        return "<VALUE.NAMEDINSTANCE>\n" + name_text(n) + instance_text(n) + "</VALUE.NAMEDINSTANCE>\n";
    };
    EXPECT_EQ(intrinsic_body(L"EnumerateInstances", instances.get()),
              wrapped("EnumerateInstances", named(1) + named(2) + named(3)));
    EXPECT_TRUE(log.contains("get_instance_instancename - Instance does not have an ObjectPath!", 2));
}

TEST(ReturnValueTable, ClassesForGetClassAndEnumerateClasses) {
    auto classes = own(list_of(CIMLIST_CLASS, {newCIMClass(str(L"A"), nullptr), newCIMClass(str(L"B"), str(L"A"))}));
    std::string entries = "<CLASS NAME=\"A\">\n</CLASS>\n<CLASS NAME=\"B\" SUPERCLASS=\"A\">\n</CLASS>\n";
    EXPECT_EQ(intrinsic_body(L"GetClass", classes.get()), wrapped("GetClass", entries));
    EXPECT_EQ(intrinsic_body(L"EnumerateClasses", classes.get()), wrapped("EnumerateClasses", entries));
}

TEST(ReturnValueTable, InstanceNamesAndObjectPaths) {
    CIMObjectPath *p = path(L"CIM_Foo", L"root", L"h");
    add_key(p, L"Id", uint32_value(4));
    auto paths = own(list_of(CIMLIST_OBJECTPATH, {p}));
    EXPECT_EQ(intrinsic_body(L"CreateInstance", paths.get()), wrapped("CreateInstance", name_text(4)));
    EXPECT_EQ(intrinsic_body(L"EnumerateInstanceNames", paths.get()), wrapped("EnumerateInstanceNames", name_text(4)));
    const std::string objectPath = "<OBJECTPATH>\n<INSTANCEPATH>\n<NAMESPACEPATH>\n<HOST>h</HOST>\n"
                                   "<LOCALNAMESPACEPATH>\n<NAMESPACE NAME=\"root\"/>\n</LOCALNAMESPACEPATH>\n"
                                   "</NAMESPACEPATH>\n" +
                                   name_text(4) + "</INSTANCEPATH>\n</OBJECTPATH>\n";
    EXPECT_EQ(intrinsic_body(L"AssociatorNames", paths.get()), wrapped("AssociatorNames", objectPath));
    EXPECT_EQ(intrinsic_body(L"ReferenceNames", paths.get()), wrapped("ReferenceNames", objectPath));
}

TEST(ReturnValueTable, AssociatorsOfInstancesAndOfClasses) {
    auto instances = own(list_of(CIMLIST_INSTANCE, {keyed_instance(5)}));
    std::string body = intrinsic_body(L"Associators", instances.get());
    EXPECT_NE(body.find("<IRETURNVALUE>\n<VALUE.OBJECTWITHPATH>\n<INSTANCEPATH>\n"), std::string::npos) << body;
    EXPECT_NE(body.find("</INSTANCEPATH>\n" + instance_text(5) + "</VALUE.OBJECTWITHPATH>\n</IRETURNVALUE>"),
              std::string::npos);

    CIMClass *c = newCIMClass(str(L"CIM_C"), nullptr);
    setClassNameSpace(c, str(L"root"));
    auto classes = own(list_of(CIMLIST_CLASS, {c}));
    body = intrinsic_body(L"References", classes.get());
    EXPECT_NE(body.find("<IRETURNVALUE>\n<VALUE.OBJECTWITHPATH>\n<CLASSPATH>\n<NAMESPACEPATH>\n<HOST>" + system_host()),
              std::string::npos)
        << body;
}

TEST(ReturnValueTable, GetInstanceWritesTheInstanceOfTheProperty) {
    auto results = own(property_list({property(L"instance", instance_value(keyed_instance(6)))}));
    EXPECT_EQ(intrinsic_body(L"GetInstance", results.get()), wrapped("GetInstance", instance_text(6)));
}

TEST(ReturnValueTable, ExecQueryWritesValueObjects) {
    auto instances = own(list_of(CIMLIST_INSTANCE, {keyed_instance(8)}));
    EXPECT_EQ(intrinsic_body(L"ExecQuery", instances.get()),
              wrapped("ExecQuery", "<VALUE.OBJECT>\n" + instance_text(8) + "</VALUE.OBJECT>\n"));
    auto classes = own(list_of(CIMLIST_CLASS, {newCIMClass(str(L"Q"), nullptr)}));
    EXPECT_EQ(intrinsic_body(L"ExecQuery", classes.get()),
              wrapped("ExecQuery", "<VALUE.OBJECT>\n<CLASS NAME=\"Q\">\n</CLASS>\n</VALUE.OBJECT>\n"));
}

TEST(ReturnValueTable, OtherNamesWriteValuesByPropertyType) {
    auto results = own(property_list({property(L"s", string_value(L"text")),
                                      property(L"r", reference_value(path(L"CIM_R"))),
                                      property(L"a", array_value(104, {uint32_value(1)})),
                                      property(L"n", newCIMValueNULL(CIM_STRING))}));
    EXPECT_EQ(intrinsic_body(L"GetProperty", results.get()),
              wrapped("GetProperty", "<VALUE>text</VALUE>\n"
                                     "<VALUE.REFERENCE>\n<CLASSNAME NAME=\"CIM_R\"/>\n</VALUE.REFERENCE>\n"
                                     "<VALUE.ARRAY>\n<VALUE>1</VALUE>\n</VALUE.ARRAY>\n"));
}

TEST(ReturnValueTable, QualifierDeclarationsOnlyForTheirOperations) {
    auto declarations =
        own(list_of(CIMLIST_QUALIFIERTYPE, {newQualifierType(str(L"Key"), 0, boolean_value(1), CIM_BOOLEAN, 0, 8)}));
    std::string body = intrinsic_body(L"EnumerateQualifiers", nullptr, declarations.get());
    EXPECT_NE(body.find("<IRETURNVALUE>\n<QUALIFIER.DECLARATION NAME=\"Key\""), std::string::npos) << body;
    EXPECT_NE(intrinsic_body(L"GetQualifier", nullptr, declarations.get()).find("<QUALIFIER.DECLARATION"),
              std::string::npos);
    EXPECT_EQ(intrinsic_body(L"GetClass", nullptr, declarations.get()), wrapped("GetClass", ""));
}

TEST(ReturnValueTable, ListOfTheWrongKindWritesNoEntries) {
    auto properties = own(property_list({property(L"s", string_value(L"x"))}));
    EXPECT_EQ(intrinsic_body(L"EnumerateInstances", properties.get()), wrapped("EnumerateInstances", ""));
    EXPECT_EQ(intrinsic_body(L"GetClass", properties.get()), wrapped("GetClass", ""));
}

TEST(MethodResponse, ReturnValueBeforeOutputParametersInOrder) {
    Pool pool;
    auto name = own(str(L"InvokeMethod"));
    auto returned = own(typed_property(L"ReturnValue", CIM_UINT32, uint32_value(0)));
    auto outputs = own(property_list({property(L"First", string_value(L"a")), property(L"Second", boolean_value(1))}));
    ASSERT_EQ(cim_simplersp_toxml(name.get(), returned.get(), outputs.get(), nullptr, nullptr, 0, &pool.pool), 1);
    EXPECT_EQ(pool.text(), "<SIMPLERSP>\n<METHODRESPONSE NAME=\"InvokeMethod\">\n"
                           "<RETURNVALUE PARAMTYPE=\"uint32\">\n<VALUE>0</VALUE>\n</RETURNVALUE>\n"
                           "<PARAMVALUE NAME=\"First\" PARAMTYPE=\"string\">\n<VALUE>a</VALUE>\n</PARAMVALUE>\n"
                           "<PARAMVALUE NAME=\"Second\" PARAMTYPE=\"boolean\">\n<VALUE>true</VALUE>\n</PARAMVALUE>\n"
                           "</METHODRESPONSE>\n</SIMPLERSP>\n");
}

TEST(MethodResponse, ErrorAndEmptyForms) {
    Pool pool;
    auto name = own(str(L"Stop"));
    auto error = own(newReturnCode(16, nullptr));
    ASSERT_EQ(cim_methodresponse_toxml(name.get(), nullptr, nullptr, error.get(), &pool.pool), 1);
    EXPECT_EQ(pool.text(), "<METHODRESPONSE NAME=\"Stop\">\n<ERROR CODE=\"16\" />\n</METHODRESPONSE>\n");
    Pool empty;
    ASSERT_EQ(cim_methodresponse_toxml(name.get(), nullptr, nullptr, nullptr, &empty.pool), 1);
    EXPECT_EQ(empty.text(), "<METHODRESPONSE NAME=\"Stop\">\n</METHODRESPONSE>\n");
}

TEST(ReturnValue, FormsByKind) {
    auto reference = own(typed_property(L"r", CIM_REFERENCE, reference_value(path(L"CIM_R"))));
    EXPECT_EQ(take(cim_returnvalue_toxml(reference.get())),
              "<RETURNVALUE PARAMTYPE=\"reference\">\n<VALUE.REFERENCE>\n<CLASSNAME NAME=\"CIM_R\"/>\n"
              "</VALUE.REFERENCE>\n</RETURNVALUE>\n");
    auto embedded = own(property(L"e", instance_value(instance(L"I", {}))));
    EXPECT_EQ(take(cim_returnvalue_toxml(embedded.get())),
              "<RETURNVALUE EmbeddedObject=\"instance\" PARAMTYPE=\"string\">\n"
              "<VALUE><![CDATA[<INSTANCE CLASSNAME=\"I\">\n</INSTANCE>\n]]></VALUE>\n</RETURNVALUE>\n");
    auto array = own(property(L"a", array_value(104, {uint32_value(1)})));
    EXPECT_EQ(take(cim_returnvalue_toxml(array.get())), "<RETURNVALUE PARAMTYPE=\"uint32\">\n</RETURNVALUE>\n");
    EXPECT_EQ(take(cim_returnvalue_toxml(nullptr)), null_text);
}

TEST(ExportResponse, ErrorOrEmptyReturnValue) {
    Pool pool;
    auto name = own(str(L"ExportIndication"));
    ASSERT_EQ(cim_simpleexprsp_toxml(name.get(), nullptr, nullptr, nullptr, nullptr, &pool.pool), 1);
    EXPECT_EQ(pool.text(), "<SIMPLEEXPRSP>\n<EXPMETHODRESPONSE NAME=\"ExportIndication\">\n<IRETURNVALUE>\n"
                           "</IRETURNVALUE>\n</EXPMETHODRESPONSE>\n</SIMPLEEXPRSP>\n");
    Pool failed;
    auto error = own(newReturnCode(0, nullptr));
    ASSERT_EQ(cim_simpleexprsp_toxml(name.get(), nullptr, nullptr, error.get(), nullptr, &failed.pool), 1);
    EXPECT_EQ(failed.text(), "<SIMPLEEXPRSP>\n<EXPMETHODRESPONSE NAME=\"ExportIndication\">\n"
                             "<ERROR CODE=\"1\" DESCRIPTION=\"Requested operation failed.\"/>\n"
                             "</EXPMETHODRESPONSE>\n</SIMPLEEXPRSP>\n");
}

TEST(ResponseFailures, NullMethodNamesAreLoggedByEachEncoder) {
    testsupport::LogCapture log;
    Pool pool;
    EXPECT_EQ(cim_simplersp_toxml(nullptr, nullptr, nullptr, nullptr, nullptr, 1, &pool.pool), 0);
    EXPECT_TRUE(log.contains("cim_imethodresponse_toxml - failed, method name is NULL!!", 0));
    EXPECT_TRUE(log.containsFragment("cim_simplersp_toxml: failed - "));
    EXPECT_EQ(pool.text(), "<SIMPLERSP>\n");
    EXPECT_EQ(cim_methodresponse_toxml(nullptr, nullptr, nullptr, nullptr, &pool.pool), 0);
    EXPECT_TRUE(log.contains("cim_methodresponse_toxml - failed, method name is NULL!", 0));
    EXPECT_EQ(cim_simpleexprsp_toxml(nullptr, nullptr, nullptr, nullptr, nullptr, &pool.pool), 0);
    EXPECT_TRUE(log.contains("cim_expmethodresponse_toxml - failed, method name is NULL!!", 0));
    EXPECT_TRUE(log.containsFragment("cim_expmethodresponse_toxml: failed -  "));
    EXPECT_EQ(cim_ireturnvalue_toxml(nullptr, nullptr, nullptr, &pool.pool), 0);
    EXPECT_TRUE(log.contains("cim_ireturnvalue_toxml - failed; methodname is NULL", 0));
}

TEST(ResponseFailures, NamelessStringIsNotANameAttribute) {
    testsupport::LogCapture log;
    Pool pool;
    auto nameless = own(str(nullptr));
    EXPECT_EQ(cim_imethodresponse_toxml(nameless.get(), nullptr, nullptr, nullptr, &pool.pool), 0);
    EXPECT_TRUE(log.contains("cim_imethodresponse_toxml - cimname_encodeformat failed!!", 0));
}

TEST(ResponseFailures, NullPoolFailsWithoutCrash) {
    testsupport::LogCapture log;
    auto name = own(str(L"GetClass"));
    EXPECT_EQ(cim_simplersp_toxml(name.get(), nullptr, nullptr, nullptr, nullptr, 1, nullptr), 0);
    EXPECT_EQ(cim_ireturnvalue_toxml(name.get(), nullptr, nullptr, nullptr), 0);
    EXPECT_TRUE(log.contains("cim_ireturnvalue_toxml - failed; unable to allocate memory for return", 0));
}

}  // namespace
