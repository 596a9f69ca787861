// Tests of the request bodies: SIMPLEREQ with IMETHODCALL or METHODCALL,
// IPARAMVALUE by kind and name, PARAMVALUE, and the export request.
#include <gtest/gtest.h>

#include <string>

#include "cimxml_schema/cim_fixtures.h"
#include "cimxml_schema/request_body.h"
#include "support/log_capture.h"

using namespace fixtures;

namespace {

const std::string root_nspath =
    "<LOCALNAMESPACEPATH>\n<NAMESPACE NAME=\"root\"/>\n<NAMESPACE NAME=\"cimv2\"/>\n</LOCALNAMESPACEPATH>\n";

TEST(IntrinsicRequest, GetClassWithItsParameters) {
    auto target = own(path(L"CIM_Foo", L"root/cimv2"));
    auto method = own(str(L"GetClass"));
    auto parameters = own(property_list({typed_property(L"ClassName", CIM_STRING, string_value(L"CIM_Foo")),
                                         typed_property(L"LocalOnly", CIM_BOOLEAN, boolean_value(0)),
                                         typed_property(L"PropertyList", 108, array_value(108, {string_value(L"A")}))}));
    EXPECT_EQ(take(cim_simplereq_toxml(method.get(), target.get(), parameters.get(), nullptr, 1)),
              "<SIMPLEREQ>\n<IMETHODCALL NAME=\"GetClass\">\n" + root_nspath +
                  "<IPARAMVALUE NAME=\"ClassName\">\n<VALUE>CIM_Foo</VALUE>\n</IPARAMVALUE>\n"
                  "<IPARAMVALUE NAME=\"LocalOnly\">\n<VALUE>false</VALUE>\n</IPARAMVALUE>\n"
                  "<IPARAMVALUE NAME=\"PropertyList\">\n<VALUE.ARRAY>\n<VALUE>A</VALUE>\n</VALUE.ARRAY>\n"
                  "</IPARAMVALUE>\n</IMETHODCALL>\n</SIMPLEREQ>\n");
}

TEST(IntrinsicRequest, EmptyParameterListWritesOnlyTheNamespace) {
    auto target = own(path(nullptr, L"root/cimv2"));
    auto method = own(str(L"EnumerateQualifiers"));
    auto parameters = own(newCIMPropertyList());
    EXPECT_EQ(take(cim_simplereq_toxml(method.get(), target.get(), parameters.get(), nullptr, 1)),
              "<SIMPLEREQ>\n<IMETHODCALL NAME=\"EnumerateQualifiers\">\n" + root_nspath +
                  "</IMETHODCALL>\n</SIMPLEREQ>\n");
}

TEST(IntrinsicRequest, NullArgumentsGiveNull) {
    auto target = own(path(L"A", L"root"));
    auto method = own(str(L"GetClass"));
    auto parameters = own(newCIMPropertyList());
    EXPECT_EQ(take(cim_simplereq_toxml(nullptr, target.get(), parameters.get(), nullptr, 1)), null_text);
    EXPECT_EQ(take(cim_simplereq_toxml(method.get(), nullptr, parameters.get(), nullptr, 1)), null_text);
    EXPECT_EQ(take(cim_simplereq_toxml(method.get(), target.get(), nullptr, nullptr, 1)), null_text);
}

struct IParamCase {
    const char *label;
    CIMProperty *(*make)();
    std::string child;
};

CIMObjectPath *keyed_path() {
    CIMObjectPath *p = path(L"CIM_Foo", L"root", L"h");
    add_key(p, L"Id", uint32_value(1));
    return p;
}

const std::string keyed_name = "<INSTANCENAME CLASSNAME=\"CIM_Foo\">\n<KEYBINDING NAME=\"Id\">\n"
                               "<KEYVALUE VALUETYPE=\"numeric\" TYPE=\"uint32\">1</KEYVALUE>\n</KEYBINDING>\n"
                               "</INSTANCENAME>\n";

TEST(IParamValue, ChildByKindAndName) {
    const IParamCase cases[] = {
        {"ClassName reference", [] { return typed_property(L"ClassName", CIM_REFERENCE, reference_value(keyed_path())); },
         "<CLASSNAME NAME=\"CIM_Foo\"/>\n"},
        {"InstanceName reference",
         [] { return typed_property(L"InstanceName", CIM_REFERENCE, reference_value(keyed_path())); }, keyed_name},
        {"ObjectName reference",
         [] { return typed_property(L"ObjectName", CIM_REFERENCE, reference_value(keyed_path())); },
         "<OBJECTPATH>\n<INSTANCEPATH>\n<NAMESPACEPATH>\n<HOST>h</HOST>\n<LOCALNAMESPACEPATH>\n"
         "<NAMESPACE NAME=\"root\"/>\n</LOCALNAMESPACEPATH>\n</NAMESPACEPATH>\n" +
             keyed_name + "</INSTANCEPATH>\n</OBJECTPATH>\n"},
        {"other reference", [] { return typed_property(L"Target", CIM_REFERENCE, reference_value(path(L"CIM_T"))); },
         "<VALUE.REFERENCE>\n<CLASSNAME NAME=\"CIM_T\"/>\n</VALUE.REFERENCE>\n"},
        {"array", [] { return typed_property(L"PropertyList", 108, array_value(108, {string_value(L"p")})); },
         "<VALUE.ARRAY>\n<VALUE>p</VALUE>\n</VALUE.ARRAY>\n"},
        {"NewClass", [] { return typed_property(L"NewClass", CIM_CLASS, class_value(newCIMClass(str(L"K"), nullptr))); },
         "<CLASS NAME=\"K\">\n</CLASS>\n"},
        {"ModifiedClass",
         [] { return typed_property(L"ModifiedClass", CIM_CLASS, class_value(newCIMClass(str(L"K"), nullptr))); },
         "<CLASS NAME=\"K\">\n</CLASS>\n"},
        {"NewInstance", [] { return typed_property(L"NewInstance", CIM_OBJECT, instance_value(instance(L"I", {}))); },
         "<INSTANCE CLASSNAME=\"I\">\n</INSTANCE>\n"},
        {"NewIndication",
         [] { return typed_property(L"NewIndication", CIM_OBJECT, instance_value(instance(L"I", {}))); },
         "<INSTANCE CLASSNAME=\"I\">\n</INSTANCE>\n"},
        {"ModifiedInstance",
         [] {
             CIMObjectPath *own_path = path(L"CIM_Foo");
             add_key(own_path, L"Id", uint32_value(1));
             return typed_property(L"ModifiedInstance", CIM_OBJECT,
                                   instance_value(instance(L"CIM_Foo", {}, own_path)));
         },
         "<VALUE.NAMEDINSTANCE>\n" + keyed_name + "<INSTANCE CLASSNAME=\"CIM_Foo\">\n</INSTANCE>\n"
                                                  "</VALUE.NAMEDINSTANCE>\n"},
        {"other object", [] { return typed_property(L"Other", CIM_CLASS, class_value(newCIMClass(str(L"K"), nullptr))); },
         ""},
        {"class named as instance",
         [] { return typed_property(L"NewInstance", CIM_CLASS, class_value(newCIMClass(str(L"K"), nullptr))); }, ""},
        {"boolean", [] { return typed_property(L"DeepInheritance", CIM_BOOLEAN, boolean_value(1)); },
         "<VALUE>true</VALUE>\n"},
        {"null string", [] { return typed_property(L"Role", CIM_STRING, newCIMValueNULL(CIM_STRING)); }, ""},
    };
    for (const IParamCase &c : cases) {
        testsupport::LogCapture quiet;
        auto parameter = own(c.make());
        std::string name = take(createCharFromCIMString(propertyGetName(parameter.get())));
        EXPECT_EQ(take(cim_iparamvalue_toxml(parameter.get(), nullptr)),
                  "<IPARAMVALUE NAME=\"" + name + "\">\n" + c.child + "</IPARAMVALUE>\n")
            << c.label;
    }
}

TEST(IParamValue, QualifierDeclarationIsThePassedDeclaration) {
    auto declaration = own(newQualifierType(str(L"Key"), 0, nullptr, CIM_BOOLEAN, 0, 8));
    auto parameter = own(typed_property(L"QualifierDeclaration", CIM_STRING, nullptr));
    std::string text = take(cim_iparamvalue_toxml(parameter.get(), declaration.get()));
    EXPECT_EQ(text.rfind("<IPARAMVALUE NAME=\"QualifierDeclaration\">\n<QUALIFIER.DECLARATION NAME=\"Key\"", 0), 0u)
        << text;
    EXPECT_EQ(take(cim_iparamvalue_toxml(nullptr, nullptr)), null_text);
}

TEST(ExtrinsicRequest, KeysChooseLocalInstancePath) {
    auto target = own(keyed_path());
    auto method = own(str(L"Reset"));
    auto parameters = own(property_list({typed_property(L"Force", CIM_BOOLEAN, boolean_value(1))}));
    EXPECT_EQ(take(cim_simplereq_toxml(method.get(), target.get(), parameters.get(), nullptr, 0)),
              "<SIMPLEREQ>\n<METHODCALL NAME=\"Reset\">\n<LOCALINSTANCEPATH>\n<LOCALNAMESPACEPATH>\n"
              "<NAMESPACE NAME=\"root\"/>\n</LOCALNAMESPACEPATH>\n" +
                  keyed_name +
                  "</LOCALINSTANCEPATH>\n<PARAMVALUE NAME=\"Force\" PARAMTYPE=\"boolean\">\n<VALUE>true</VALUE>\n"
                  "</PARAMVALUE>\n</METHODCALL>\n</SIMPLEREQ>\n");
}

TEST(ExtrinsicRequest, NoKeysChooseLocalClassPath) {
    auto target = own(path(L"CIM_Foo", L"root"));
    auto method = own(str(L"Create"));
    auto parameters = own(newCIMPropertyList());
    EXPECT_EQ(take(cim_methodcall_toxml(method.get(), target.get(), parameters.get())),
              "<METHODCALL NAME=\"Create\">\n<LOCALCLASSPATH>\n<LOCALNAMESPACEPATH>\n<NAMESPACE NAME=\"root\"/>\n"
              "</LOCALNAMESPACEPATH>\n<CLASSNAME NAME=\"CIM_Foo\"/>\n</LOCALCLASSPATH>\n</METHODCALL>\n");
    EXPECT_EQ(take(cim_methodcall_toxml(method.get(), target.get(), nullptr)), null_text);
}

TEST(ParamValue, FormsByKind) {
    auto reference = own(typed_property(L"R", CIM_REFERENCE, reference_value(path(L"CIM_R"))));
    EXPECT_EQ(take(cim_paramvalue_toxml(reference.get())),
              "<PARAMVALUE NAME=\"R\" PARAMTYPE=\"reference\">\n<VALUE.REFERENCE>\n<CLASSNAME NAME=\"CIM_R\"/>\n"
              "</VALUE.REFERENCE>\n</PARAMVALUE>\n");
    auto refArray = own(typed_property(L"RA", 114, array_value(114, {reference_value(path(L"CIM_R"))})));
    EXPECT_EQ(take(cim_paramvalue_toxml(refArray.get())),
              "<PARAMVALUE NAME=\"RA\" PARAMTYPE=\"reference\">\n<VALUE.REFARRAY>\n<VALUE.REFERENCE>\n"
              "<CLASSNAME NAME=\"CIM_R\"/>\n</VALUE.REFERENCE>\n</VALUE.REFARRAY>\n</PARAMVALUE>\n");
    auto array = own(typed_property(L"A", 104, array_value(104, {uint32_value(3)})));
    EXPECT_EQ(take(cim_paramvalue_toxml(array.get())),
              "<PARAMVALUE NAME=\"A\" PARAMTYPE=\"uint32\">\n<VALUE.ARRAY>\n<VALUE>3</VALUE>\n</VALUE.ARRAY>\n"
              "</PARAMVALUE>\n");
    auto embedded = own(typed_property(L"E", CIM_CLASS, class_value(newCIMClass(str(L"K"), nullptr))));
    EXPECT_EQ(take(cim_paramvalue_toxml(embedded.get())),
              "<PARAMVALUE NAME=\"E\" EmbeddedObject=\"object\" PARAMTYPE=\"string\">\n"
              "<VALUE><![CDATA[<CLASS NAME=\"K\">\n</CLASS>\n]]></VALUE>\n</PARAMVALUE>\n");
    auto absent = own(typed_property(L"N", CIM_UINT32, nullptr));
    EXPECT_EQ(take(cim_paramvalue_toxml(absent.get())),
              "<PARAMVALUE NAME=\"N\" PARAMTYPE=\"uint32\">\n</PARAMVALUE>\n");
    auto nameless = own(typed_property(nullptr, CIM_UINT32, uint32_value(1)));
    EXPECT_EQ(take(cim_paramvalue_toxml(nameless.get())), null_text);
}

TEST(ParameterLists, SkipWhatCannotBeWrittenAndEmptyGivesNull) {
    auto parameters = own(property_list({typed_property(nullptr, CIM_UINT32, uint32_value(1)),
                                         typed_property(L"B", CIM_UINT32, uint32_value(2))}));
    EXPECT_EQ(take(paramvaluelist_toxml(parameters.get())),
              "<PARAMVALUE NAME=\"B\" PARAMTYPE=\"uint32\">\n<VALUE>2</VALUE>\n</PARAMVALUE>\n");
    EXPECT_EQ(take(iparamvaluelist_toxml(parameters.get(), nullptr)),
              "<IPARAMVALUE NAME=\"B\">\n<VALUE>2</VALUE>\n</IPARAMVALUE>\n");
    auto empty = own(newCIMPropertyList());
    EXPECT_EQ(take(paramvaluelist_toxml(empty.get())), null_text);
    EXPECT_EQ(take(iparamvaluelist_toxml(nullptr, nullptr)), null_text);
    EXPECT_EQ(take(expparamvaluelist_toxml(empty.get())), null_text);
}

TEST(ExportRequest, ExportIndicationWithItsInstance) {
    auto method = own(str(L"ExportIndication"));
    auto parameters = own(property_list(
        {typed_property(L"NewIndication", CIM_OBJECT,
                        instance_value(instance(L"CIM_Alert", {property(L"Message", string_value(L"disk <full>"))})))}));
    EXPECT_EQ(take(cim_simpleexpreq_toxml(method.get(), parameters.get())),
              "<SIMPLEEXPREQ>\n<EXPMETHODCALL NAME=\"ExportIndication\">\n<EXPPARAMVALUE NAME=\"NewIndication\">\n"
              "<INSTANCE CLASSNAME=\"CIM_Alert\">\n<PROPERTY NAME=\"Message\" TYPE=\"string\" PROPAGATED=\"false\">\n"
              "<VALUE>disk &lt;full&gt;</VALUE>\n</PROPERTY>\n</INSTANCE>\n</EXPPARAMVALUE>\n</EXPMETHODCALL>\n"
              "</SIMPLEEXPREQ>\n");
}

TEST(ExportRequest, MissingPiecesLogTheirEncoder) {
    testsupport::LogCapture log;
    auto method = own(str(L"ExportIndication"));
    EXPECT_EQ(take(cim_simpleexpreq_toxml(method.get(), nullptr)), null_text);
    EXPECT_TRUE(log.containsFragment("cim_simpleexpreq_toxml: failed - "));
    log.clear();
    auto nameless = own(str(nullptr));
    auto parameters = own(newCIMPropertyList());
    EXPECT_EQ(take(cim_simpleexpreq_toxml(nameless.get(), parameters.get())), null_text);
    EXPECT_TRUE(log.containsFragment("cim_expmethodcall_toxml: failed - "));
    EXPECT_TRUE(log.containsFragment("cim_simpleexpreq_toxml: failed - "));
    log.clear();
    EXPECT_EQ(take(cim_expparamvalue_toxml(nullptr)), null_text);
    EXPECT_TRUE(log.containsFragment("cim_expparamvalue_toxml: failed - "));
}

TEST(ExportRequest, ParameterWithoutInstanceIsEmpty) {
    auto parameter = own(typed_property(L"NewIndication", CIM_STRING, string_value(L"x")));
    EXPECT_EQ(take(cim_expparamvalue_toxml(parameter.get())),
              "<EXPPARAMVALUE NAME=\"NewIndication\">\n</EXPPARAMVALUE>\n");
}

}  // namespace
