// Tests of the message bodies: SIMPLERSP with every IRETURNVALUE branch,
// METHODRESPONSE, ERROR and the export response; SIMPLEREQ with IPARAMVALUE
// and PARAMVALUE by kind and name, and the export request.
#include <gtest/gtest.h>

#include <cwchar>
#include <functional>
#include <string>

#include "cimxml_schema/cim_fixtures.h"
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

std::string namespace_path_text(const std::string &host) {
    return "<NAMESPACEPATH>\n<HOST>" + host + "</HOST>\n<LOCALNAMESPACEPATH>\n<NAMESPACE NAME=\"root\"/>\n"
           "</LOCALNAMESPACEPATH>\n</NAMESPACEPATH>\n";
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

TEST(SimpleResponse, ReturnValueEntriesAreChosenByMethodNameInListOrder) {
    auto two_classes = [] { return list_of(CIMLIST_CLASS, {newCIMClass(str(L"A"), nullptr), newCIMClass(str(L"B"), str(L"A"))}); };
    auto one_name = [] { return list_of(CIMLIST_OBJECTPATH, {keyed_path(4, L"root", L"h")}); };
    auto named = [](uint32_t n) { return "<VALUE.NAMEDINSTANCE>\n" + keyed_name_text(n) + keyed_instance_text(n) + "</VALUE.NAMEDINSTANCE>\n"; };
    const std::string classes = "<CLASS NAME=\"A\">\n</CLASS>\n<CLASS NAME=\"B\" SUPERCLASS=\"A\">\n</CLASS>\n";
    const std::string objectPath = "<OBJECTPATH>\n<INSTANCEPATH>\n" + namespace_path_text("h") + keyed_name_text(4) + "</INSTANCEPATH>\n</OBJECTPATH>\n";
    const struct {
        const wchar_t *method;
        std::function<CIMList *()> results;
        std::string entries;
    } cases[] = {
        {L"EnumerateInstances", [] { return list_of(CIMLIST_INSTANCE, {keyed_instance(1), instance(L"CIM_Foo", {}), keyed_instance(2)}); },
         named(1) + named(2)},  // the instance without a path is skipped
        {L"GetClass", two_classes, classes},
        {L"EnumerateClasses", two_classes, classes},
        {L"CreateInstance", one_name, keyed_name_text(4)},
        {L"EnumerateInstanceNames", one_name, keyed_name_text(4)},
        {L"AssociatorNames", one_name, objectPath},
        {L"ReferenceNames", one_name, objectPath},
        {L"Associators", [] { return list_of(CIMLIST_INSTANCE, {keyed_instance(5)}); },
         "<VALUE.OBJECTWITHPATH>\n<INSTANCEPATH>\n" + namespace_path_text(system_host()) + keyed_name_text(5) +
             "</INSTANCEPATH>\n" + keyed_instance_text(5) + "</VALUE.OBJECTWITHPATH>\n"},
        {L"References",
         [] {
             CIMClass *c = newCIMClass(str(L"CIM_C"), nullptr);
             setClassNameSpace(c, str(L"root"));
             return list_of(CIMLIST_CLASS, {c});
         },
         "<VALUE.OBJECTWITHPATH>\n<CLASSPATH>\n" + namespace_path_text(system_host()) +
             "<CLASSNAME NAME=\"CIM_C\"/>\n</CLASSPATH>\n<CLASS NAME=\"CIM_C\">\n</CLASS>\n</VALUE.OBJECTWITHPATH>\n"},
        {L"GetInstance", [] { return property_list({property(L"instance", instance_value(keyed_instance(6)))}); },
         keyed_instance_text(6)},
        {L"ExecQuery", [] { return list_of(CIMLIST_INSTANCE, {keyed_instance(8)}); },
         "<VALUE.OBJECT>\n" + keyed_instance_text(8) + "</VALUE.OBJECT>\n"},
        {L"ExecQuery", [] { return list_of(CIMLIST_CLASS, {newCIMClass(str(L"Q"), nullptr)}); },
         "<VALUE.OBJECT>\n<CLASS NAME=\"Q\">\n</CLASS>\n</VALUE.OBJECT>\n"},
        {L"GetProperty",
         [] {
             return property_list({property(L"s", string_value(L"text")), property(L"r", reference_value(path(L"CIM_R"))),
                                   property(L"a", array_value(104, {uint32_value(1)})), property(L"n", newCIMValueNULL(CIM_STRING))});
         },
         "<VALUE>text</VALUE>\n<VALUE.REFERENCE>\n<CLASSNAME NAME=\"CIM_R\"/>\n</VALUE.REFERENCE>\n"
         "<VALUE.ARRAY>\n<VALUE>1</VALUE>\n</VALUE.ARRAY>\n"},
        {L"EnumerateInstances", [] { return property_list({property(L"s", string_value(L"x"))}); }, ""},  // wrong kind
        {L"EnumerateInstances", [] { return newList(CIMLIST_INSTANCE); }, ""},
        {L"DeleteInstance", [] { return nullptr; }, ""},
    };
    for (const auto &c : cases) {
        testsupport::LogCapture quiet;
        std::string method(c.method, c.method + wcslen(c.method));
        EXPECT_EQ(intrinsic_body(c.method, c.results()), wrapped(method, c.entries)) << method;
    }
    auto declarations = [] { return list_of(CIMLIST_QUALIFIERTYPE, {newQualifierType(str(L"Key"), 0, nullptr, CIM_BOOLEAN, 0, 8)}); };
    for (const wchar_t *method : {L"EnumerateQualifiers", L"GetQualifier"})
        EXPECT_NE(intrinsic_body(method, nullptr, declarations()).find("<IRETURNVALUE>\n<QUALIFIER.DECLARATION NAME=\"Key\""), std::string::npos);
    EXPECT_EQ(intrinsic_body(L"GetClass", two_classes(), declarations()), wrapped("GetClass", ""));
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

TEST(ReturnValueAndError, FormsByKind) {
    EXPECT_EQ(encoded(cim_returnvalue_toxml, property(L"e", instance_value(instance(L"I", {})))),
              "<RETURNVALUE EmbeddedObject=\"instance\" PARAMTYPE=\"string\">\n"
              "<VALUE><![CDATA[<INSTANCE CLASSNAME=\"I\">\n</INSTANCE>\n]]></VALUE>\n</RETURNVALUE>\n");
    EXPECT_EQ(encoded(cim_returnvalue_toxml, property(L"a", array_value(104, {uint32_value(1)}))),
              "<RETURNVALUE PARAMTYPE=\"uint32\">\n</RETURNVALUE>\n");
    EXPECT_EQ(encoded(cim_error_toxml, newReturnCode(6, L"no \"such\" <thing>")),
              "<ERROR CODE=\"6\" DESCRIPTION=\"no &quot;such&quot; &lt;thing&gt;\"/>\n");
    EXPECT_EQ(encoded(cim_error_toxml, newReturnCode(99, L"x")), "<ERROR CODE=\"1\" DESCRIPTION=\"x\"/>\n");
}

TEST(ExportResponse, EmptyReturnValueOrTheError) {
    auto name = own(str(L"ExportIndication"));
    for (int failed : {0, 1}) {
        Pool pool;
        auto error = own(failed ? newReturnCode(0, nullptr) : nullptr);
        ASSERT_EQ(cim_simpleexprsp_toxml(name.get(), nullptr, nullptr, error.get(), nullptr, &pool.pool), 1);
        EXPECT_EQ(pool.text(), std::string("<SIMPLEEXPRSP>\n<EXPMETHODRESPONSE NAME=\"ExportIndication\">\n") +
                                   (failed ? "<ERROR CODE=\"1\" DESCRIPTION=\"Requested operation failed.\"/>\n"
                                           : "<IRETURNVALUE>\n</IRETURNVALUE>\n") +
                                   "</EXPMETHODRESPONSE>\n</SIMPLEEXPRSP>\n");
    }
}

TEST(ResponseFailures, MissingNamesAndPoolsAreLoggedAndNotFatal) {
    testsupport::LogCapture log;
    Pool pool;
    EXPECT_EQ(cim_simplersp_toxml(nullptr, nullptr, nullptr, nullptr, nullptr, 1, &pool.pool), 0);
    EXPECT_TRUE(log.contains("cim_imethodresponse_toxml - failed, method name is NULL!!", 0));
    EXPECT_TRUE(log.containsFragment("cim_simplersp_toxml: failed - "));
    EXPECT_EQ(pool.text(), "<SIMPLERSP>\n");
    EXPECT_EQ(cim_methodresponse_toxml(nullptr, nullptr, nullptr, nullptr, &pool.pool), 0);
    EXPECT_TRUE(log.contains("cim_methodresponse_toxml - failed, method name is NULL!", 0));
    EXPECT_EQ(cim_simpleexprsp_toxml(nullptr, nullptr, nullptr, nullptr, nullptr, &pool.pool), 0);
    EXPECT_TRUE(log.containsFragment("cim_expmethodresponse_toxml: failed -  "));
    auto nameless = own(str(nullptr));
    EXPECT_EQ(cim_imethodresponse_toxml(nameless.get(), nullptr, nullptr, nullptr, &pool.pool), 0);
    EXPECT_TRUE(log.contains("cim_imethodresponse_toxml - cimname_encodeformat failed!!", 0));
    auto name = own(str(L"GetClass"));
    EXPECT_EQ(cim_ireturnvalue_toxml(name.get(), nullptr, nullptr, nullptr), 0);
    EXPECT_TRUE(log.contains("cim_ireturnvalue_toxml - failed; unable to allocate memory for return", 0));
}

const std::string root_cimv2 =
    "<LOCALNAMESPACEPATH>\n<NAMESPACE NAME=\"root\"/>\n<NAMESPACE NAME=\"cimv2\"/>\n</LOCALNAMESPACEPATH>\n";

TEST(IntrinsicRequest, GetClassWithItsParameters) {
    auto target = own(path(L"CIM_Foo", L"root/cimv2"));
    auto method = own(str(L"GetClass"));
    auto parameters = own(property_list({typed_property(L"ClassName", CIM_STRING, string_value(L"CIM_Foo")),
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
        std::string child;  // the first line of the child, or empty
    } cases[] = {
        {L"ClassName", CIM_REFERENCE, keyed, "<CLASSNAME NAME=\"CIM_Foo\"/>"},
        {L"InstanceName", CIM_REFERENCE, keyed, "<INSTANCENAME CLASSNAME=\"CIM_Foo\">"},
        {L"ObjectName", CIM_REFERENCE, keyed, "<OBJECTPATH>"},
        {L"Target", CIM_REFERENCE, keyed, "<VALUE.REFERENCE>"},
        {L"PropertyList", 108, [] { return array_value(108, {string_value(L"p")}); }, "<VALUE.ARRAY>"},
        {L"NewClass", CIM_CLASS, k_class, "<CLASS NAME=\"K\">"},
        {L"ModifiedClass", CIM_CLASS, k_class, "<CLASS NAME=\"K\">"},
        {L"NewInstance", CIM_OBJECT, i_instance, "<INSTANCE CLASSNAME=\"I\">"},
        {L"NewIndication", CIM_OBJECT, i_instance, "<INSTANCE CLASSNAME=\"I\">"},
        {L"ModifiedInstance", CIM_OBJECT, [] { return instance_value(keyed_instance(1)); }, "<VALUE.NAMEDINSTANCE>"},
        {L"Other", CIM_CLASS, k_class, ""},
        {L"NewInstance", CIM_CLASS, k_class, ""},  // a class where an instance is expected
        {L"NewClass", CIM_CLASS, [] { return string_value(L"not an object"); }, ""},
        {L"DeepInheritance", CIM_BOOLEAN, [] { return boolean_value(1); }, "<VALUE>true</VALUE>"},
        {L"Role", CIM_STRING, [] { return newCIMValueNULL(CIM_STRING); }, ""},
    };
    for (const auto &c : cases) {
        testsupport::LogCapture quiet;
        std::string name(c.name, c.name + wcslen(c.name));
        std::string text = encoded([](CIMProperty *p) { return cim_iparamvalue_toxml(p, nullptr); },
                                   typed_property(c.name, c.type, c.value()));
        std::string start = "<IPARAMVALUE NAME=\"" + name + "\">\n";
        ASSERT_EQ(text.rfind(start, 0), 0u) << text;
        EXPECT_EQ(text.substr(start.size(), c.child.size() + 1), c.child.empty() ? std::string("<") : c.child + "\n") << name;
        EXPECT_EQ(text.substr(text.size() - 15), "</IPARAMVALUE>\n");
    }
    auto declaration = own(newQualifierType(str(L"Key"), 0, nullptr, CIM_BOOLEAN, 0, 8));
    auto parameter = own(typed_property(L"QualifierDeclaration", CIM_STRING, nullptr));
    EXPECT_EQ(take(cim_iparamvalue_toxml(parameter.get(), declaration.get())).rfind(
                  "<IPARAMVALUE NAME=\"QualifierDeclaration\">\n<QUALIFIER.DECLARATION NAME=\"Key\"", 0),
              0u);
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
    auto none = own(newCIMPropertyList());
    EXPECT_EQ(take(cim_methodcall_toxml(method.get(), classTarget.get(), none.get())),
              "<METHODCALL NAME=\"Reset\">\n<LOCALCLASSPATH>\n<LOCALNAMESPACEPATH>\n<NAMESPACE NAME=\"root\"/>\n"
              "</LOCALNAMESPACEPATH>\n<CLASSNAME NAME=\"CIM_Foo\"/>\n</LOCALCLASSPATH>\n</METHODCALL>\n");

    const std::pair<CIMProperty *, std::string> values[] = {
        {typed_property(L"R", 114, array_value(114, {reference_value(path(L"CIM_R"))})),
         "<PARAMVALUE NAME=\"R\" PARAMTYPE=\"reference\">\n<VALUE.REFARRAY>\n<VALUE.REFERENCE>\n"},
        {typed_property(L"A", 104, array_value(104, {uint32_value(3)})),
         "<PARAMVALUE NAME=\"A\" PARAMTYPE=\"uint32\">\n<VALUE.ARRAY>\n<VALUE>3</VALUE>\n"},
        {typed_property(L"E", CIM_CLASS, class_value(newCIMClass(str(L"K"), nullptr))),
         "<PARAMVALUE NAME=\"E\" EmbeddedObject=\"object\" PARAMTYPE=\"string\">\n<VALUE><![CDATA[<CLASS NAME=\"K\">\n"},
        {typed_property(L"N", CIM_UINT32, nullptr), "<PARAMVALUE NAME=\"N\" PARAMTYPE=\"uint32\">\n</PARAMVALUE>\n"},
    };
    for (const auto &[parameter, start] : values) EXPECT_EQ(encoded(cim_paramvalue_toxml, parameter).rfind(start, 0), 0u) << start;
}

TEST(ExportRequest, ExportIndicationWithItsInstanceAndLoggedFailures) {
    auto method = own(str(L"ExportIndication"));
    auto parameters = own(property_list(
        {typed_property(L"NewIndication", CIM_OBJECT,
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
    EXPECT_EQ(take(cim_expparamvalue_toxml(nullptr)), null_text);
    EXPECT_TRUE(log.containsFragment("cim_expparamvalue_toxml: failed - "));
}

}  // namespace
