// Encode, read back with an XML parser, compare with what was encoded: the
// texts a reader sees must be the texts the objects hold, for every element
// kind the module writes.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "cimxml/response_writer.h"
#include "cimxml_schema/cim_fixtures.h"
#include "cimxml_schema/class_encoding.h"
#include "cimxml_schema/method_encoding.h"
#include "cimxml_schema/mini_dom.h"
#include "cimxml_schema/object_wrappers.h"
#include "cimxml_schema/path_encoding.h"
#include "cimxml_schema/property_encoding.h"
#include "cimxml_schema/qualifier_encoding.h"
#include "cimxml_schema/request_body.h"
#include "cimxml_schema/response_body.h"
#include "cimxml_schema/value_encoding.h"
#include "support/log_capture.h"

using namespace fixtures;

namespace {

// Every special character and a multi-byte character.
const std::string tricky = "a\"b&c'd<e>f \xc3\xa9";
const wchar_t *const tricky_wide = L"a\"b&c'd<e>f \u00e9";

std::unique_ptr<Node> read_back(const std::string &fragment) {
    std::string error;
    auto root = parse_document(fragment, &error);
    EXPECT_NE(root, nullptr) << error << "\n" << fragment;
    return root;
}

TEST(RoundTrip, CharacterDataComesBackUnchanged) {
    auto value = own(string_value(tricky_wide));
    auto root = read_back(take(cim_value_toxml(value.get())));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->text, tricky);

    auto key = own(string_value(tricky_wide));
    root = read_back(take(cim_keyvalue_toxml(key.get())));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->text, tricky);

    root = read_back(take(cim_host_toxml(tricky.c_str())));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->text, tricky);
}

TEST(RoundTrip, AttributeValuesComeBackUnchanged) {
    auto name = own(str(tricky_wide));
    auto root = read_back(take(cim_classname_toxml(name.get())));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->attribute("NAME"), tricky);

    auto p = own(path(tricky_wide));
    add_key(p.get(), tricky_wide, uint32_value(1));
    root = read_back(take(cim_instancename_toxml(p.get())));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->attribute("CLASSNAME"), tricky);
    ASSERT_NE(root->child("KEYBINDING"), nullptr);
    EXPECT_EQ(root->child("KEYBINDING")->attribute("NAME"), tricky);

    root = read_back(take(cim_namespace_toxml(tricky.c_str())));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->attribute("NAME"), tricky);

    auto prop = own(newProperty(str(tricky_wide), str(tricky_wide), uint32_value(2), CIM_UINT32, nullptr, 0));
    root = read_back(take(cim_property_toxml(prop.get())));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->attribute("NAME"), tricky);
    EXPECT_EQ(root->attribute("CLASSORIGIN"), tricky);

    auto error = own(newReturnCode(5, tricky_wide));
    root = read_back(take(cim_error_toxml(error.get())));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->attribute("DESCRIPTION"), tricky);
}

TEST(RoundTrip, EmbeddedInstanceReadsBackAsTheSameInstance) {
    auto outer = own(property(L"Embedded", instance_value(instance(L"CIM_Inner", {property(L"Text", string_value(tricky_wide))}))));
    auto root = read_back(take(cim_property_toxml(outer.get())));
    ASSERT_NE(root, nullptr);
    const Node *value = root->child("VALUE");
    ASSERT_NE(value, nullptr);
    auto inner = read_back(value->text);
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->name, "INSTANCE");
    EXPECT_EQ(inner->attribute("CLASSNAME"), "CIM_Inner");
    ASSERT_NE(inner->child("PROPERTY"), nullptr);
    ASSERT_NE(inner->child("PROPERTY")->child("VALUE"), nullptr);
    EXPECT_EQ(inner->child("PROPERTY")->child("VALUE")->text, tricky);
}

TEST(RoundTrip, ArrayElementsComeBackInOrder) {
    auto array = own(array_value(108, {string_value(L"<1>"), string_value(L"&2"), string_value(L"'3'")}));
    auto root = read_back(take(cim_valuearray_toxml(array.get())));
    ASSERT_NE(root, nullptr);
    ASSERT_EQ(root->children.size(), 3u);
    EXPECT_EQ(root->children[0]->text, "<1>");
    EXPECT_EQ(root->children[1]->text, "&2");
    EXPECT_EQ(root->children[2]->text, "'3'");
}

// One encoded sample of each element kind, and the element it must be.
struct Sample {
    std::string element;
    std::function<char *()> encode;
};

TEST(RoundTrip, EveryElementKindIsOneWellFormedElementOfItsName) {
    testsupport::LogCapture quiet;
    auto keyed = own(path(L"CIM_K", L"root/cimv2", L"host"));
    add_key(keyed.get(), L"Id", string_value(L"1"));
    auto nameSpace = own(str(L"root/cimv2"));
    auto className = own(str(L"CIM_K"));
    auto stringValue = own(string_value(L"v"));
    auto arrayValue = own(array_value(104, {uint32_value(1)}));
    auto referenceValue = own(reference_value(path(L"CIM_R")));
    auto refArrayValue = own(array_value(114, {reference_value(path(L"CIM_R"))}));
    auto embedded = own(instance_value(instance(L"CIM_E", {})));
    auto key = own(newPropertyKey(str(L"Id"), nullptr, string_value(L"1")));
    CIMObjectPath *ownPath = path(L"CIM_I");
    add_key(ownPath, L"Id", uint32_value(1));
    auto inst = own(instance(L"CIM_I", {property(L"Id", uint32_value(1))}, ownPath));
    setInstanceNameSpace(inst.get(), str(L"root"));
    auto cls = own(newCIMClass(str(L"CIM_C"), nullptr));
    setClassNameSpace(cls.get(), str(L"root"));
    auto qualifier = own(boolean_qualifier(L"Key", 1, 2 | 8));
    auto declaration = own(newQualifierType(str(L"Key"), 0, boolean_value(0), CIM_BOOLEAN, 0, 8));
    auto scalar = own(property(L"S", uint32_value(1)));
    auto array = own(property(L"A", array_value(104, {uint32_value(1)})));
    auto reference = own(property(L"R", reference_value(path(L"CIM_R"))));
    auto method = own(newMethod(str(L"M"), nullptr, 0, nullptr, CIM_UINT32, nullptr));
    auto parameter = own(typed_property(L"P", CIM_UINT32, nullptr));
    auto refParameter = own(typed_property(L"P", CIM_REFERENCE, nullptr));
    auto arrayParameter = own(typed_property(L"P", 104, nullptr));
    auto refArrayParameter = own(typed_property(L"P", 114, nullptr));
    auto callName = own(str(L"GetClass"));
    auto parameters = own(property_list({typed_property(L"ClassName", CIM_STRING, string_value(L"CIM_C"))}));
    auto error = own(newReturnCode(6, L"gone"));
    auto exportName = own(str(L"ExportIndication"));
    auto exportParameters =
        own(property_list({typed_property(L"NewIndication", CIM_OBJECT, instance_value(instance(L"CIM_A", {})))}));

    const Sample samples[] = {
        {"VALUE", [&] { return cim_value_toxml(stringValue.get()); }},
        {"VALUE.ARRAY", [&] { return cim_valuearray_toxml(arrayValue.get()); }},
        {"VALUE.REFERENCE", [&] { return cim_valuereference_toxml(referenceValue.get()); }},
        {"VALUE.REFARRAY", [&] { return cim_valuerefarray_toxml(refArrayValue.get()); }},
        {"KEYVALUE", [&] { return cim_keyvalue_toxml(stringValue.get()); }},
        {"INSTANCE", [&] { return embeddedobject_toxml(embedded.get()); }},
        {"HOST", [&] { return cim_host_toxml("h"); }},
        {"NAMESPACEPATH", [&] { return cim_namespacepath_toxml(keyed.get()); }},
        {"LOCALNAMESPACEPATH", [&] { return cim_localnamespacepath_toxml(nameSpace.get()); }},
        {"NAMESPACE", [&] { return cim_namespace_toxml("root"); }},
        {"CLASSPATH", [&] { return cim_classpath_toxml(keyed.get()); }},
        {"LOCALCLASSPATH", [&] { return cim_localclasspath_toxml(keyed.get()); }},
        {"CLASSNAME", [&] { return cim_classname_toxml(className.get()); }},
        {"INSTANCEPATH", [&] { return cim_instancepath_toxml(keyed.get()); }},
        {"LOCALINSTANCEPATH", [&] { return cim_localinstancepath_toxml(keyed.get()); }},
        {"INSTANCENAME", [&] { return cim_instancename_toxml(keyed.get()); }},
        {"KEYBINDING", [&] { return cim_keybinding_toxml(key.get()); }},
        {"OBJECTPATH", [&] { return cim_objectpath_toxml(keyed.get()); }},
        {"CLASS", [&] { return cim_class_toxml(cls.get()); }},
        {"INSTANCE", [&] { return cim_instance_toxml(inst.get()); }},
        {"QUALIFIER", [&] { return cim_qualifier_toxml(qualifier.get()); }},
        {"QUALIFIER.DECLARATION", [&] { return cim_qualifierdeclaration_toxml(declaration.get()); }},
        {"PROPERTY", [&] { return cim_property_toxml(scalar.get()); }},
        {"PROPERTY.ARRAY", [&] { return cim_propertyarray_toxml(array.get()); }},
        {"PROPERTY.REFERENCE", [&] { return cim_propertyreference_toxml(reference.get()); }},
        {"METHOD", [&] { return cim_method_toxml(method.get()); }},
        {"PARAMETER", [&] { return cim_parameter_toxml(parameter.get()); }},
        {"PARAMETER.REFERENCE", [&] { return cim_parameterreference_toxml(refParameter.get()); }},
        {"PARAMETER.ARRAY", [&] { return cim_parameterarray_toxml(arrayParameter.get()); }},
        {"PARAMETER.REFARRAY", [&] { return cim_parameterrefarray_toxml(refArrayParameter.get()); }},
        {"VALUE.OBJECT", [&] { return cim_valueobject_toxml(inst.get(), 0); }},
        {"VALUE.NAMEDINSTANCE", [&] { return cim_namedinstance_toxml(inst.get()); }},
        {"VALUE.OBJECTWITHPATH", [&] { return cim_objectwithpath_toxml(cls.get(), 1); }},
        {"VALUE.OBJECTWITHPATH", [&] { return cim_objectwithpath_toxml(inst.get(), 0); }},
        {"SIMPLEREQ", [&] { return cim_simplereq_toxml(callName.get(), keyed.get(), parameters.get(), nullptr, 1); }},
        {"IMETHODCALL", [&] { return cim_imethodcall_toxml(callName.get(), keyed.get(), parameters.get(), nullptr); }},
        {"METHODCALL", [&] { return cim_methodcall_toxml(callName.get(), keyed.get(), parameters.get()); }},
        {"PARAMVALUE", [&] { return cim_paramvalue_toxml(scalar.get()); }},
        {"IPARAMVALUE", [&] { return cim_iparamvalue_toxml(scalar.get(), nullptr); }},
        {"SIMPLEEXPREQ", [&] { return cim_simpleexpreq_toxml(exportName.get(), exportParameters.get()); }},
        {"EXPMETHODCALL", [&] { return cim_expmethodcall_toxml(exportName.get(), exportParameters.get()); }},
        {"EXPPARAMVALUE", [&] { return cim_expparamvalue_toxml(getCIMPropertyAt(exportParameters.get(), 0)); }},
        {"ERROR", [&] { return cim_error_toxml(error.get()); }},
        {"RETURNVALUE", [&] { return cim_returnvalue_toxml(scalar.get()); }},
    };
    for (const Sample &sample : samples) {
        std::string text = take(sample.encode());
        ASSERT_NE(text, null_text) << sample.element;
        ASSERT_EQ(text.back(), '\n') << sample.element;
        auto root = read_back(text);
        ASSERT_NE(root, nullptr) << sample.element;
        EXPECT_EQ(root->name, sample.element);
    }
}

TEST(RoundTrip, EveryResponseBodyKindIsOneWellFormedElement) {
    auto name = own(str(L"EnumerateClassNames"));
    auto names = own(list_of(CIMLIST_OBJECTPATH, {path(L"CIM_A")}));
    const struct {
        std::string element;
        std::function<int(PoolString *)> write;
    } bodies[] = {
        {"SIMPLERSP", [&](PoolString *pool) { return cim_simplersp_toxml(name.get(), nullptr, names.get(), nullptr, nullptr, 1, pool); }},
        {"IMETHODRESPONSE", [&](PoolString *pool) { return cim_imethodresponse_toxml(name.get(), names.get(), nullptr, nullptr, pool); }},
        {"METHODRESPONSE", [&](PoolString *pool) { return cim_methodresponse_toxml(name.get(), nullptr, nullptr, nullptr, pool); }},
        {"IRETURNVALUE", [&](PoolString *pool) { return cim_ireturnvalue_toxml(name.get(), names.get(), nullptr, pool); }},
        {"SIMPLEEXPRSP", [&](PoolString *pool) { return cim_simpleexprsp_toxml(name.get(), nullptr, nullptr, nullptr, nullptr, pool); }},
        {"EXPMETHODRESPONSE", [&](PoolString *pool) { return cim_expmethodresponse_toxml(name.get(), nullptr, nullptr, nullptr, pool); }},
    };
    for (const auto &body : bodies) {
        Pool pool;
        ASSERT_EQ(body.write(&pool.pool), 1) << body.element;
        auto root = read_back(pool.text());
        ASSERT_NE(root, nullptr) << body.element;
        EXPECT_EQ(root->name, body.element);
    }
}

}  // namespace
