// Bad input never crashes an encoder: NULL arguments, null values of every
// type in every position, huge texts, nameless objects. Each gives NULL, a
// skipped entry, or the element without the missing piece.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "cimxml_schema/cim_fixtures.h"
#include "cimxml_schema/class_encoding.h"
#include "cimxml_schema/method_encoding.h"
#include "cimxml_schema/object_wrappers.h"
#include "cimxml_schema/path_encoding.h"
#include "cimxml_schema/property_encoding.h"
#include "cimxml_schema/qualifier_encoding.h"
#include "cimxml_schema/request_body.h"
#include "cimxml_schema/response_body.h"
#include "cimxml_schema/value_encoding.h"
#include "cimxml_schema/xml_primitives.h"
#include "support/log_capture.h"
#include "support/xml_checks.h"

using namespace fixtures;

namespace {

const int every_type[] = {0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  11,  12,  13,
                          14,  15,  16,  17,  18,  -1,  -2,  100, 101, 102, 103, 104, 105, 106,
                          107, 108, 109, 110, 111, 112, 113, 114, 115, 116, 99,  200, -7};

template <typename T>
void expect_null_for_null(const char *argument, std::initializer_list<char *(*)(const T *)> encoders) {
    int index = 0;
    for (auto encoder : encoders) EXPECT_EQ(take(encoder(nullptr)), null_text) << argument << " encoder " << index++;
}

TEST(NullArguments, EveryFragmentEncoderGivesNull) {
    testsupport::LogCapture quiet;
    expect_null_for_null<char>("char", {start_tag, end_tag, cdata_section_encodeformat, messagestart_toxml,
                                        cim_host_toxml, cim_namespace_toxml});
    expect_null_for_null<CIMValue>("CIMValue", {cim_value_toxml, cim_valuearray_toxml, cim_valuereference_toxml,
                                                cim_valuerefarray_toxml, cim_keyvalue_toxml, embeddedobject_toxml,
                                                flavor_encodeformat, scope_encodeformat});
    expect_null_for_null<CIMString>("CIMString", {cim_localnamespacepath_toxml, cim_classname_toxml});
    expect_null_for_null<CIMObjectPath>("CIMObjectPath",
                                        {cim_namespacepath_toxml, cim_classpath_toxml, cim_localclasspath_toxml,
                                         cim_instancepath_toxml, cim_localinstancepath_toxml, cim_instancename_toxml,
                                         cim_objectpath_toxml});
    expect_null_for_null<CIMProperty>("CIMProperty",
                                      {cim_keybinding_toxml, cim_propertyarray_toxml, cim_propertyreference_toxml,
                                       cim_parameter_toxml, cim_parameterreference_toxml, cim_parameterarray_toxml,
                                       cim_parameterrefarray_toxml, cim_paramvalue_toxml, cim_expparamvalue_toxml,
                                       cim_returnvalue_toxml});
    expect_null_for_null<CIMList>("CIMList", {qualifierlist_toxml, propertylist_toxml, methodlist_toxml,
                                              parameterlist_toxml, paramvaluelist_toxml, expparamvaluelist_toxml});
    expect_null_for_null<CIMInstance>("CIMInstance", {cim_instance_toxml, cim_namedinstance_toxml,
                                                      get_instance_instancename, get_instance_instancepath});
    expect_null_for_null<CIMClass>("CIMClass", {cim_class_toxml, get_class_classpath});
    expect_null_for_null<CIMQualifier>("CIMQualifier", {cim_qualifier_toxml, cim_qualifierdeclaration_toxml});
    expect_null_for_null<CIMMethod>("CIMMethod", {cim_method_toxml});
    expect_null_for_null<ReturnCode>("ReturnCode", {cim_error_toxml});
    const std::function<char *()> others[] = {
        [] { return otag_with_attribute("CLASS", nullptr); }, [] { return emptytag_with_attribute(nullptr, "N"); },
        [] { return attribute_encodeformat("NAME", nullptr); }, [] { return cim_property_toxml(nullptr); },
        [] { return iparamvaluelist_toxml(nullptr, nullptr); }, [] { return cim_iparamvalue_toxml(nullptr, nullptr); },
        [] { return cim_valueobject_toxml(nullptr, 0); }, [] { return cim_objectwithpath_toxml(nullptr, 1); },
        [] { return cim_simplereq_toxml(nullptr, nullptr, nullptr, nullptr, 1); },
        [] { return cim_imethodcall_toxml(nullptr, nullptr, nullptr, nullptr); },
        [] { return cim_methodcall_toxml(nullptr, nullptr, nullptr); },
        [] { return cim_simpleexpreq_toxml(nullptr, nullptr); },
        [] { return cim_expmethodcall_toxml(nullptr, nullptr); },
    };
    for (const auto &encoder : others) EXPECT_EQ(take(encoder()), null_text);
}

// Every fragment an encoder gives for bad content is NULL or well formed.
void expect_null_or_element(char *fragment, const std::string &what) {
    std::string text = take(fragment);
    EXPECT_EQ(text == null_text ? "" : testsupport::wellFormednessError(text), "") << what << "\n" << text;
}

TEST(NullValues, EveryTypeInEveryPositionGivesNullOrAnElementWithoutValue) {
    testsupport::LogCapture quiet;
    for (int type : every_type) {
        std::string what = "type " + std::to_string(type);
        auto value = own(newCIMValueNULL(type));
        for (auto encoder : {cim_value_toxml, cim_valuearray_toxml, cim_valuereference_toxml, cim_valuerefarray_toxml,
                             cim_keyvalue_toxml, embeddedobject_toxml, pcdata_encodeformat})
            EXPECT_EQ(take(encoder(value.get())), null_text) << what;
        auto p = own(typed_property(L"P", type, newCIMValueNULL(type)));
        auto noValue = own(typed_property(L"P", type, nullptr));
        for (CIMProperty *property : {p.get(), noValue.get()}) {
            for (auto encoder : {cim_propertyarray_toxml, cim_propertyreference_toxml, cim_parameter_toxml,
                                 cim_paramvalue_toxml, cim_expparamvalue_toxml, cim_returnvalue_toxml})
                expect_null_or_element(encoder(property), what);
            expect_null_or_element(cim_property_toxml(property), what);
            expect_null_or_element(cim_iparamvalue_toxml(property, nullptr), what);
        }
        auto instanceOfIt = own(instance(L"CIM_X", {copyCIMProperty(p.get())}));
        expect_null_or_element(cim_instance_toxml(instanceOfIt.get()), what);
        auto q = own(newQualifier(str(L"Q"), 0, newCIMValueNULL(type), type, 0));
        expect_null_or_element(cim_qualifier_toxml(q.get()), what);
        auto d = own(newQualifierType(str(L"D"), 0, newCIMValueNULL(type), type, 0, 0));
        expect_null_or_element(cim_qualifierdeclaration_toxml(d.get()), what);
    }
    for (const wchar_t *method : {L"GetProperty", L"GetInstance", L"Unlisted"}) {
        auto results = own(newCIMPropertyList());
        for (int type : every_type)
            freeReturnCode(appendToCIMPropertyList(results.get(), typed_property(L"P", type, newCIMValueNULL(type))));
        Pool pool;
        auto name = own(str(method));
        EXPECT_EQ(cim_simplersp_toxml(name.get(), nullptr, results.get(), nullptr, nullptr, 1, &pool.pool), 1);
        EXPECT_EQ(testsupport::wellFormednessError(pool.text()), "");
    }
}

TEST(MissingPieces, NamelessObjectsAndPathsWithoutNamespaceAreNotWritten) {
    testsupport::LogCapture log;
    auto hostOnly = own(path(L"A", nullptr, L"h"));
    add_key(hostOnly.get(), L"k", uint32_value(1));
    for (auto encoder : {cim_namespacepath_toxml, cim_classpath_toxml, cim_localclasspath_toxml,
                         cim_instancepath_toxml, cim_localinstancepath_toxml, cim_objectpath_toxml})
        EXPECT_EQ(take(encoder(hostOnly.get())), null_text);
    EXPECT_EQ(encoded(cim_instancename_toxml, path(nullptr)), null_text);
    EXPECT_EQ(encoded(cim_valuereference_toxml, reference_value(path(nullptr))), null_text);
    EXPECT_EQ(encoded(cim_keybinding_toxml, newPropertyKey(nullptr, nullptr, uint32_value(1))), null_text);
    EXPECT_EQ(encoded(cim_class_toxml, newCIMClassEmpty()), null_text);
    EXPECT_EQ(encoded(get_class_classpath, newCIMClassEmpty()), null_text);
    EXPECT_EQ(encoded([](CIMClass *c) { return cim_objectwithpath_toxml(c, 1); }, newCIMClass(str(L"C"), nullptr)),
              null_text);  // a class without namespace has no path
    EXPECT_EQ(encoded(cim_instance_toxml, newInstanceEmpty()), null_text);
    EXPECT_TRUE(log.contains("cim_class_toxml failed: Could not encode classname", 0));
}

TEST(MissingPieces, ListEntriesThatCannotBeWrittenAreSkipped) {
    testsupport::LogCapture log;
    CIMObjectPath *p = path(L"A");
    add_key(p, L"bad", newCIMValueNULL(CIM_STRING));
    add_key(p, L"good", uint32_value(7));
    EXPECT_EQ(encoded(cim_instancename_toxml, p),
              "<INSTANCENAME CLASSNAME=\"A\">\n<KEYBINDING NAME=\"good\">\n"
              "<KEYVALUE VALUETYPE=\"numeric\" TYPE=\"uint32\">7</KEYVALUE>\n</KEYBINDING>\n</INSTANCENAME>\n");
    auto methods = own(list_of(CIMLIST_METHOD, {newMethod(nullptr, nullptr, 0, nullptr, CIM_UINT32, nullptr),
                                                newMethod(str(L"Ok"), nullptr, 0, nullptr, CIM_UINT32, nullptr)}));
    EXPECT_EQ(take(methodlist_toxml(methods.get())),
              "<METHOD NAME=\"Ok\" TYPE=\"uint32\" PROPAGATED=\"false\">\n</METHOD>\n");
    EXPECT_TRUE(log.contains("methodlist_toxml - Method list encoding failed.", 1));
    auto parameters = own(property_list({typed_property(nullptr, CIM_UINT32, uint32_value(1)),
                                         typed_property(L"B", CIM_UINT32, uint32_value(2))}));
    EXPECT_EQ(take(iparamvaluelist_toxml(parameters.get(), nullptr)),
              "<IPARAMVALUE NAME=\"B\">\n<VALUE>2</VALUE>\n</IPARAMVALUE>\n");
    EXPECT_EQ(take(parameterlist_toxml(parameters.get())), "<PARAMETER NAME=\"B\" TYPE=\"uint32\">\n</PARAMETER>\n");
}

TEST(HugeTexts, SeveralMegabytesWithSpecialsAndHighBytesAndLongNames) {
    std::string text, escaped;
    while (text.size() < 4 * 1024 * 1024) {
        text += "<\xc3\xa9&\"\xe2\x82\xac'>plain ";
        escaped += "&lt;\xc3\xa9&amp;&quot;\xe2\x82\xac&apos;&gt;plain ";
    }
    std::string element = encoded(cim_value_toxml, narrow_string_value(text));
    ASSERT_EQ(element.size(), escaped.size() + 16);
    EXPECT_TRUE(element == "<VALUE>" + escaped + "</VALUE>\n");

    std::wstring name(200000, L'N');
    auto p = own(path(name.c_str(), (name + L"/x").c_str(), name.c_str()));
    add_key(p.get(), name.c_str(), string_value(name.c_str()));
    std::string instancePath = take(cim_instancepath_toxml(p.get()));
    EXPECT_GT(instancePath.size(), 5 * name.size());
    EXPECT_EQ(testsupport::wellFormednessError(instancePath), "");
    // Tag names beyond the fixed buffer are cut, not overrun.
    EXPECT_EQ(take(start_tag(std::string(70, 'N').c_str())), "<" + std::string(58, 'N'));
}

TEST(MismatchedContent, EmbeddedQualifierOnANumberAndAbsentListEntriesWriteNoValue) {
    auto embeddedNumber = typed_property(L"E", CIM_UINT32, uint32_value(1));
    add_qualifier(embeddedNumber, boolean_qualifier(L"EmbeddedObject", 1));
    EXPECT_EQ(encoded(cim_property_toxml, embeddedNumber),
              "<PROPERTY NAME=\"E\" EmbeddedObject=\"instance\" TYPE=\"string\" PROPAGATED=\"false\">\n"
              "<QUALIFIER NAME=\"EmbeddedObject\" TYPE=\"boolean\" PROPAGATED=\"false\"  TRANSLATABLE=\"false\">\n"
              "<VALUE>true</VALUE>\n</QUALIFIER>\n</PROPERTY>\n");
    // A borrowing list holds a path where the list type promises none.
    auto borrowed = own(newList(CIMLIST_POINTER));
    auto a = own(path(L"CIM_A"));
    freeReturnCode(appendToList(borrowed.get(), a.get()));
    Pool pool;
    auto name = own(str(L"EnumerateClassNames"));
    ASSERT_EQ(cim_ireturnvalue_toxml(name.get(), borrowed.get(), nullptr, &pool.pool), 1);
    EXPECT_EQ(pool.text(), "<IRETURNVALUE>\n<CLASSNAME NAME=\"CIM_A\"/>\n</IRETURNVALUE>\n");
}

}  // namespace
