// Tests of the message bodies: the worked SIMPLERSP examples, entries that are
// left out, METHODRESPONSE, ERROR and the export response; SIMPLEREQ with
// IPARAMVALUE and PARAMVALUE by kind and name, and the export request.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "cimxml_schema/cim_fixtures.h"
#include "cimxml_schema/mini_dom.h"
#include "cimxml_schema/request_body.h"
#include "cimxml_schema/response_body.h"
#include "support/log_capture.h"

using namespace fixtures;

namespace {

// The pool text written by an intrinsic SIMPLERSP; the lists and the error are freed.
std::string intrinsic_body(const wchar_t *method, CIMList *results, CIMList *declarations = nullptr,
                           ReturnCode *error = nullptr) {
    Pool pool;
    auto name = own(str(method));
    auto owners = std::make_tuple(own(results), own(declarations), own(error));
    EXPECT_EQ(cim_simplersp_toxml(name.get(), nullptr, results, declarations, error, 1, &pool.pool), 1);
    return pool.text();
}

std::string wrapped(const std::string &method, const std::string &entries) {
    return "<SIMPLERSP>\n<IMETHODRESPONSE NAME=\"" + method + "\">\n<IRETURNVALUE>\n" + entries +
           "</IRETURNVALUE>\n</IMETHODRESPONSE>\n</SIMPLERSP>\n";
}

TEST(SimpleResponse, EnumerateClassNamesExample) {
    EXPECT_EQ(intrinsic_body(L"EnumerateClassNames", list_of(CIMLIST_OBJECTPATH, {path(L"CIM_Namespace", L"root")})),
              "<SIMPLERSP>\n"
              "<IMETHODRESPONSE NAME=\"EnumerateClassNames\">\n"
              "<IRETURNVALUE>\n"
              "<CLASSNAME NAME=\"CIM_Namespace\"/>\n"
              "</IRETURNVALUE>\n"
              "</IMETHODRESPONSE>\n"
              "</SIMPLERSP>\n");
}

TEST(SimpleResponse, FailedGetClassWithStatusZeroExample) {
    EXPECT_EQ(intrinsic_body(L"GetClass", nullptr, nullptr, newReturnCode(0, nullptr)),
              "<SIMPLERSP>\n"
              "<IMETHODRESPONSE NAME=\"GetClass\">\n"
              "<ERROR CODE=\"1\" DESCRIPTION=\"Requested operation failed.\"/>\n"
              "</IMETHODRESPONSE>\n"
              "</SIMPLERSP>\n");
}

std::string entry_names(const std::string &body) { return child_names(body, {"IMETHODRESPONSE", "IRETURNVALUE"}); }

// Which entries each listed method writes is checked with the whole messages
// of the conformance test; here the other names and the entries left out.
TEST(SimpleResponse, EntriesInListOrderByPropertyTypeOrSkipped) {
    testsupport::LogCapture quiet;
    auto named = [](uint32_t n) {
        return "<VALUE.NAMEDINSTANCE>\n" + keyed_name_text(n) + keyed_instance_text(n) + "</VALUE.NAMEDINSTANCE>\n";
    };
    EXPECT_EQ(
        intrinsic_body(L"EnumerateInstances",
                       list_of(CIMLIST_INSTANCE, {keyed_instance(1), instance(L"CIM_Foo", {}), keyed_instance(2)})),
        wrapped("EnumerateInstances", named(1) + named(2)));  // the instance without a path of its own is skipped
    EXPECT_EQ(
        entry_names(intrinsic_body(L"GetProperty", property_list({property(L"s", string_value(L"text")),
                                                                  property(L"r", reference_value(path(L"CIM_R"))),
                                                                  property(L"a", array_value(104, {uint32_value(1)})),
                                                                  property(L"n", newCIMValueNULL(CIM_STRING))}))),
        "VALUE VALUE.REFERENCE VALUE.ARRAY");  // by property type under a name the table does not list
    EXPECT_EQ(entry_names(intrinsic_body(L"EnumerateInstances", property_list({property(L"s", string_value(L"x"))}))),
              "");
    EXPECT_EQ(entry_names(intrinsic_body(L"EnumerateInstances", newList(CIMLIST_INSTANCE))), "");
    EXPECT_EQ(entry_names(intrinsic_body(
                  L"GetClass", list_of(CIMLIST_CLASS, {newCIMClass(str(L"A"), nullptr)}),
                  list_of(CIMLIST_QUALIFIERTYPE, {newQualifierType(str(L"Key"), 0, nullptr, CIM_BOOLEAN, 0, 8)}))),
              "");  // declarations, when given, decide alone
}

TEST(MethodResponse, ReturnValueBeforeOutputParametersInOrderOrTheError) {
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
    Pool failed;
    auto error = own(newReturnCode(16, nullptr));
    ASSERT_EQ(cim_methodresponse_toxml(name.get(), nullptr, nullptr, error.get(), &failed.pool), 1);
    EXPECT_EQ(failed.text(), "<METHODRESPONSE NAME=\"InvokeMethod\">\n<ERROR CODE=\"16\" />\n</METHODRESPONSE>\n");
}

TEST(MethodAndExportResponse, EmbeddedReturnValueAndErrorWithStatusZero) {
    EXPECT_EQ(encoded(cim_returnvalue_toxml, property(L"e", instance_value(instance(L"I", {})))),
              "<RETURNVALUE EmbeddedObject=\"instance\" PARAMTYPE=\"string\">\n"
              "<VALUE><![CDATA[<INSTANCE CLASSNAME=\"I\">\n</INSTANCE>\n]]></VALUE>\n</RETURNVALUE>\n");
    Pool pool;
    auto name = own(str(L"ExportIndication"));
    auto error = own(newReturnCode(0, nullptr));
    ASSERT_EQ(cim_simpleexprsp_toxml(name.get(), nullptr, nullptr, error.get(), nullptr, &pool.pool), 1);
    EXPECT_EQ(pool.text(), "<SIMPLEEXPRSP>\n<EXPMETHODRESPONSE NAME=\"ExportIndication\">\n"
                           "<ERROR CODE=\"1\" DESCRIPTION=\"Requested operation failed.\"/>\n"
                           "</EXPMETHODRESPONSE>\n</SIMPLEEXPRSP>\n");
}

TEST(ResponseFailures, MissingNamesAndPoolsAreLoggedAndNotFatal) {
    testsupport::LogCapture log;
    Pool pool;
    EXPECT_EQ(cim_simplersp_toxml(nullptr, nullptr, nullptr, nullptr, nullptr, 1, &pool.pool), 0);
    EXPECT_TRUE(log.contains("cim_imethodresponse_toxml - failed, method name is NULL!!", 0));
    EXPECT_EQ(pool.text(), "<SIMPLERSP>\n");
    EXPECT_EQ(cim_methodresponse_toxml(nullptr, nullptr, nullptr, nullptr, &pool.pool), 0);
    EXPECT_TRUE(log.contains("cim_methodresponse_toxml - failed, method name is NULL!", 0));
    EXPECT_EQ(cim_simpleexprsp_toxml(nullptr, nullptr, nullptr, nullptr, nullptr, &pool.pool), 0);
    EXPECT_TRUE(log.containsFragment("cim_expmethodresponse_toxml: failed -  "));
    auto nameless = own(str(nullptr));
    EXPECT_EQ(cim_imethodresponse_toxml(nameless.get(), nullptr, nullptr, nullptr, &pool.pool), 0);
    EXPECT_TRUE(log.contains("cim_imethodresponse_toxml - cimname_encodeformat failed!!", 0));
    EXPECT_EQ(cim_ireturnvalue_toxml(nullptr, nullptr, nullptr, &pool.pool), 0);
    auto name = own(str(L"GetClass"));
    EXPECT_EQ(cim_ireturnvalue_toxml(name.get(), nullptr, nullptr, nullptr), 0);
    EXPECT_TRUE(log.contains("cim_ireturnvalue_toxml - failed; unable to allocate memory for return", 0));
}

const std::string root_cimv2 =
    "<LOCALNAMESPACEPATH>\n<NAMESPACE NAME=\"root\"/>\n<NAMESPACE NAME=\"cimv2\"/>\n</LOCALNAMESPACEPATH>\n";

TEST(IntrinsicRequest, GetClassWithItsParameters) {
    auto target = own(path(L"CIM_Foo", L"root/cimv2"));
    auto method = own(str(L"GetClass"));
    auto parameters =
        own(property_list({typed_property(L"ClassName", CIM_STRING, string_value(L"CIM_Foo")),
                           typed_property(L"LocalOnly", CIM_BOOLEAN, boolean_value(0)),
                           typed_property(L"PropertyList", 108, array_value(108, {string_value(L"A")}))}));
    EXPECT_EQ(take(cim_simplereq_toxml(method.get(), target.get(), parameters.get(), nullptr, 1)),
              "<SIMPLEREQ>\n<IMETHODCALL NAME=\"GetClass\">\n" + root_cimv2 +
                  "<IPARAMVALUE NAME=\"ClassName\">\n<VALUE>CIM_Foo</VALUE>\n</IPARAMVALUE>\n"
                  "<IPARAMVALUE NAME=\"LocalOnly\">\n<VALUE>false</VALUE>\n</IPARAMVALUE>\n"
                  "<IPARAMVALUE NAME=\"PropertyList\">\n<VALUE.ARRAY>\n<VALUE>A</VALUE>\n</VALUE.ARRAY>\n"
                  "</IPARAMVALUE>\n</IMETHODCALL>\n</SIMPLEREQ>\n");
}

TEST(IParamValue, ChildByKindAndName) {
    auto k_class = [] { return class_value(newCIMClass(str(L"K"), nullptr)); };
    auto i_instance = [] { return instance_value(instance(L"I", {})); };
    auto keyed = [] { return reference_value(keyed_path(1, L"root", L"h")); };
    const struct {
        const wchar_t *name;
        int type;
        std::function<CIMValue *()> value;
        std::string child;
    } cases[] = {
        {L"ClassName", CIM_REFERENCE, keyed, "CLASSNAME"},
        {L"InstanceName", CIM_REFERENCE, keyed, "INSTANCENAME"},
        {L"ObjectName", CIM_REFERENCE, keyed, "OBJECTPATH"},
        {L"Target", CIM_REFERENCE, keyed, "VALUE.REFERENCE"},
        {L"PropertyList", 108, [] { return array_value(108, {string_value(L"p")}); }, "VALUE.ARRAY"},
        {L"NewClass", CIM_CLASS, k_class, "CLASS"},
        {L"ModifiedClass", CIM_CLASS, k_class, "CLASS"},
        {L"NewInstance", CIM_OBJECT, i_instance, "INSTANCE"},
        {L"NewIndication", CIM_OBJECT, i_instance, "INSTANCE"},
        {L"ModifiedInstance", CIM_OBJECT, [] { return instance_value(keyed_instance(1)); }, "VALUE.NAMEDINSTANCE"},
        {L"Other", CIM_CLASS, k_class, ""},
        {L"NewInstance", CIM_CLASS, k_class, ""},  // a class where an instance is expected
        {L"NewClass", CIM_CLASS, [] { return string_value(L"not an object"); }, ""},
        {L"DeepInheritance", CIM_BOOLEAN, [] { return boolean_value(1); }, "VALUE"},
        {L"Role", CIM_STRING, [] { return newCIMValueNULL(CIM_STRING); }, ""},
    };
    for (const auto &c : cases) {
        testsupport::LogCapture quiet;
        auto parameter = own(typed_property(c.name, c.type, c.value()));
        std::string text = take(cim_iparamvalue_toxml(parameter.get(), nullptr));
        std::string name = take(createCharFromCIMString(propertyGetName(parameter.get())));
        EXPECT_EQ(text.rfind("<IPARAMVALUE NAME=\"" + name + "\">\n", 0), 0u);
        EXPECT_EQ(child_names(text, {}), c.child) << c.name;
    }
    auto declaration = own(newQualifierType(str(L"Key"), 0, nullptr, CIM_BOOLEAN, 0, 8));
    auto parameter = own(typed_property(L"QualifierDeclaration", CIM_STRING, nullptr));
    EXPECT_EQ(child_names(take(cim_iparamvalue_toxml(parameter.get(), declaration.get())), {}),
              "QUALIFIER.DECLARATION");
}

TEST(ExtrinsicRequest, KeysChooseLocalInstancePathAndParameterValuesFollowTheirKind) {
    auto target = own(keyed_path(1, L"root"));
    auto method = own(str(L"Reset"));
    auto parameters = own(property_list({typed_property(L"Force", CIM_BOOLEAN, boolean_value(1)),
                                         typed_property(nullptr, CIM_UINT32, uint32_value(1))}));  // cannot be written
    EXPECT_EQ(take(cim_simplereq_toxml(method.get(), target.get(), parameters.get(), nullptr, 0)),
              "<SIMPLEREQ>\n<METHODCALL NAME=\"Reset\">\n<LOCALINSTANCEPATH>\n<LOCALNAMESPACEPATH>\n"
              "<NAMESPACE NAME=\"root\"/>\n</LOCALNAMESPACEPATH>\n" + keyed_name_text(1) +
                  "</LOCALINSTANCEPATH>\n<PARAMVALUE NAME=\"Force\" PARAMTYPE=\"boolean\">\n<VALUE>true</VALUE>\n"
                  "</PARAMVALUE>\n</METHODCALL>\n</SIMPLEREQ>\n");
    auto classTarget = own(path(L"CIM_Foo", L"root"));
    EXPECT_EQ(take(cim_methodcall_toxml(method.get(), classTarget.get(), parameters.get()))
                  .find("<METHODCALL NAME=\"Reset\">\n<LOCALCLASSPATH>\n"),
              0u);

    const std::pair<CIMProperty *, std::string> values[] = {
        {typed_property(L"R", 114, array_value(114, {reference_value(path(L"CIM_R"))})), "VALUE.REFARRAY"},
        {typed_property(L"A", 104, array_value(104, {uint32_value(3)})), "VALUE.ARRAY"},
        {typed_property(L"E", CIM_CLASS, class_value(newCIMClass(str(L"K"), nullptr))), "VALUE"},
        {typed_property(L"N", CIM_UINT32, nullptr), ""},
    };
    for (const auto &[parameter, child] : values)
        EXPECT_EQ(child_names(encoded(cim_paramvalue_toxml, parameter), {}), child);
}

TEST(ExportRequest, ExportIndicationWithItsInstanceAndLoggedFailures) {
    auto method = own(str(L"ExportIndication"));
    auto parameters = own(property_list({typed_property(
        L"NewIndication", CIM_OBJECT,
        instance_value(instance(L"CIM_Alert", {property(L"Message", string_value(L"disk <full>"))})))}));
    EXPECT_EQ(take(cim_simpleexpreq_toxml(method.get(), parameters.get())),
              "<SIMPLEEXPREQ>\n<EXPMETHODCALL NAME=\"ExportIndication\">\n<EXPPARAMVALUE NAME=\"NewIndication\">\n"
              "<INSTANCE CLASSNAME=\"CIM_Alert\">\n<PROPERTY NAME=\"Message\" TYPE=\"string\" PROPAGATED=\"false\">\n"
              "<VALUE>disk &lt;full&gt;</VALUE>\n</PROPERTY>\n</INSTANCE>\n</EXPPARAMVALUE>\n</EXPMETHODCALL>\n"
              "</SIMPLEEXPREQ>\n");
    EXPECT_EQ(encoded(cim_expparamvalue_toxml, typed_property(L"NewIndication", CIM_STRING, string_value(L"x"))),
              "<EXPPARAMVALUE NAME=\"NewIndication\">\n</EXPPARAMVALUE>\n");
    testsupport::LogCapture log;
    auto nameless = own(str(nullptr));
    EXPECT_EQ(take(cim_simpleexpreq_toxml(nameless.get(), parameters.get())), null_text);
    EXPECT_TRUE(log.containsFragment("cim_expmethodcall_toxml: failed - "));
    EXPECT_TRUE(log.containsFragment("cim_simpleexpreq_toxml: failed - "));
}

}  // namespace
