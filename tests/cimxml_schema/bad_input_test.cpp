// Bad input never crashes an encoder: NULL arguments, null values of every
// type in every position, huge texts, nameless objects. Each gives NULL, a
// skipped entry, or the element without the missing piece.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

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

const int every_type[] = {0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  11,  12,  13,  14,  15,  16,
                          17,  18,  -1,  -2,  100, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111,
                          112, 113, 114, 115, 116, 99,  200, -7};

TEST(NullArguments, EveryFragmentEncoderGivesNull) {
    testsupport::LogCapture quiet;
    const std::vector<std::function<char *()>> encoders = {
        [] { return start_tag(nullptr); },
        [] { return end_tag(nullptr); },
        [] { return otag_with_attribute("CLASS", nullptr); },
        [] { return emptytag_with_attribute(nullptr, "NAME=\"A\""); },
        [] { return attribute_encodeformat("NAME", nullptr); },
        [] { return cdata_section_encodeformat(nullptr); },
        [] { return flavor_encodeformat(nullptr); },
        [] { return scope_encodeformat(nullptr); },
        [] { return messagestart_toxml(nullptr); },
        [] { return iparamvaluelist_toxml(nullptr, nullptr); },
        [] { return paramvaluelist_toxml(nullptr); },
        [] { return cim_value_toxml(nullptr); },
        [] { return cim_valuearray_toxml(nullptr); },
        [] { return cim_valuereference_toxml(nullptr); },
        [] { return cim_valuerefarray_toxml(nullptr); },
        [] { return cim_keyvalue_toxml(nullptr); },
        [] { return embeddedobject_toxml(nullptr); },
        [] { return cim_host_toxml(nullptr); },
        [] { return cim_namespacepath_toxml(nullptr); },
        [] { return cim_localnamespacepath_toxml(nullptr); },
        [] { return cim_namespace_toxml(nullptr); },
        [] { return cim_classname_toxml(nullptr); },
        [] { return cim_classpath_toxml(nullptr); },
        [] { return cim_localclasspath_toxml(nullptr); },
        [] { return cim_instancepath_toxml(nullptr); },
        [] { return cim_localinstancepath_toxml(nullptr); },
        [] { return cim_instancename_toxml(nullptr); },
        [] { return cim_keybinding_toxml(nullptr); },
        [] { return cim_objectpath_toxml(nullptr); },
        [] { return cim_class_toxml(nullptr); },
        [] { return cim_instance_toxml(nullptr); },
        [] { return cim_qualifier_toxml(nullptr); },
        [] { return cim_qualifierdeclaration_toxml(nullptr); },
        [] { return cim_property_toxml(nullptr); },
        [] { return cim_propertyarray_toxml(nullptr); },
        [] { return cim_propertyreference_toxml(nullptr); },
        [] { return cim_method_toxml(nullptr); },
        [] { return cim_parameter_toxml(nullptr); },
        [] { return cim_parameterreference_toxml(nullptr); },
        [] { return cim_parameterarray_toxml(nullptr); },
        [] { return cim_parameterrefarray_toxml(nullptr); },
        [] { return qualifierlist_toxml(nullptr); },
        [] { return propertylist_toxml(nullptr); },
        [] { return methodlist_toxml(nullptr); },
        [] { return parameterlist_toxml(nullptr); },
        [] { return cim_valueobject_toxml(nullptr, 0); },
        [] { return cim_namedinstance_toxml(nullptr); },
        [] { return get_instance_instancename(nullptr); },
        [] { return cim_objectwithpath_toxml(nullptr, 1); },
        [] { return get_class_classpath(nullptr); },
        [] { return get_instance_instancepath(nullptr); },
        [] { return cim_simplereq_toxml(nullptr, nullptr, nullptr, nullptr, 1); },
        [] { return cim_imethodcall_toxml(nullptr, nullptr, nullptr, nullptr); },
        [] { return cim_methodcall_toxml(nullptr, nullptr, nullptr); },
        [] { return cim_simpleexpreq_toxml(nullptr, nullptr); },
        [] { return cim_expmethodcall_toxml(nullptr, nullptr); },
        [] { return cim_paramvalue_toxml(nullptr); },
        [] { return cim_iparamvalue_toxml(nullptr, nullptr); },
        [] { return cim_expparamvalue_toxml(nullptr); },
        [] { return cim_error_toxml(nullptr); },
        [] { return cim_returnvalue_toxml(nullptr); },
    };
    for (std::size_t i = 0; i < encoders.size(); ++i) EXPECT_EQ(take(encoders[i]()), null_text) << "encoder " << i;
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
