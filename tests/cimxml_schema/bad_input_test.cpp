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
#include "cimxml_schema/mini_dom.h"
#include "cimxml_schema/object_wrappers.h"
#include "cimxml_schema/path_encoding.h"
#include "cimxml_schema/property_encoding.h"
#include "cimxml_schema/qualifier_encoding.h"
#include "cimxml_schema/request_body.h"
#include "cimxml_schema/response_body.h"
#include "cimxml_schema/value_encoding.h"
#include "cimxml_schema/xml_primitives.h"
#include "support/log_capture.h"

using namespace fixtures;

namespace {

const int every_type[] = {0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  11,  12,  13,  14,  15,  16,
                          17,  18,  -1,  -2,  100, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111,
                          112, 113, 114, 115, 116, 99,  200, -7};

TEST(NullArguments, EveryFragmentEncoderGivesNull) {
    testsupport::LogCapture quiet;
    const std::vector<std::function<char *()>> encoders = {
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

// Every fragment an encoder gives for a value is NULL or well formed.
void expect_null_or_element(char *fragment, const std::string &what) {
    std::string text = take(fragment);
    if (text == null_text) return;
    std::string error;
    EXPECT_NE(parse_document(text, &error), nullptr) << what << ": " << error << "\n" << text;
}

TEST(NullValues, EveryTypeInEveryValuePosition) {
    testsupport::LogCapture quiet;
    for (int type : every_type) {
        auto value = own(newCIMValueNULL(type));
        std::string what = "type " + std::to_string(type);
        EXPECT_EQ(take(pcdata_encodeformat(value.get())), null_text) << what;
        EXPECT_EQ(take(cim_value_toxml(value.get())), null_text) << what;
        EXPECT_EQ(take(cim_valuearray_toxml(value.get())), null_text) << what;
        EXPECT_EQ(take(cim_valuereference_toxml(value.get())), null_text) << what;
        EXPECT_EQ(take(cim_valuerefarray_toxml(value.get())), null_text) << what;
        EXPECT_EQ(take(cim_keyvalue_toxml(value.get())), null_text) << what;
        EXPECT_EQ(take(embeddedobject_toxml(value.get())), null_text) << what;
    }
}

TEST(NullValues, PropertiesAndParametersOfEveryTypeAreWrittenWithoutValue) {
    testsupport::LogCapture quiet;
    for (int type : every_type) {
        std::string what = "type " + std::to_string(type);
        auto p = own(typed_property(L"P", type, newCIMValueNULL(type)));
        auto instanceOfIt = own(instance(L"CIM_X", {copyCIMProperty(p.get())}));
        expect_null_or_element(cim_instance_toxml(instanceOfIt.get()), what);
        expect_null_or_element(cim_property_toxml(p.get()), what);
        expect_null_or_element(cim_propertyarray_toxml(p.get()), what);
        expect_null_or_element(cim_propertyreference_toxml(p.get()), what);
        expect_null_or_element(cim_parameter_toxml(p.get()), what);
        expect_null_or_element(cim_paramvalue_toxml(p.get()), what);
        expect_null_or_element(cim_iparamvalue_toxml(p.get(), nullptr), what);
        expect_null_or_element(cim_expparamvalue_toxml(p.get()), what);
        expect_null_or_element(cim_returnvalue_toxml(p.get()), what);
        auto noValue = own(typed_property(L"P", type, nullptr));
        expect_null_or_element(cim_property_toxml(noValue.get()), what);
        expect_null_or_element(cim_paramvalue_toxml(noValue.get()), what);
        expect_null_or_element(cim_iparamvalue_toxml(noValue.get(), nullptr), what);
        auto q = own(newQualifier(str(L"Q"), 0, newCIMValueNULL(type), type, 0));
        expect_null_or_element(cim_qualifier_toxml(q.get()), what);
        auto d = own(newQualifierType(str(L"D"), 0, newCIMValueNULL(type), type, 0, 0));
        expect_null_or_element(cim_qualifierdeclaration_toxml(d.get()), what);
    }
}

TEST(NullValues, ResultListsWithNullValuesStayWellFormed) {
    testsupport::LogCapture quiet;
    for (const wchar_t *method : {L"GetProperty", L"GetInstance", L"Unlisted"}) {
        CIMPropertyList *results = newCIMPropertyList();
        for (int type : every_type) freeReturnCode(appendToCIMPropertyList(results, typed_property(L"P", type, newCIMValueNULL(type))));
        auto owner = own(results);
        Pool pool;
        auto name = own(str(method));
        EXPECT_EQ(cim_simplersp_toxml(name.get(), nullptr, results, nullptr, nullptr, 1, &pool.pool), 1);
        std::string error;
        EXPECT_NE(parse_document(pool.text(), &error), nullptr) << error;
    }
}

TEST(HugeTexts, SeveralMegabytesWithSpecialsAndHighBytes) {
    std::string text;
    std::string escaped;
    while (text.size() < 4 * 1024 * 1024) {
        text += "<\xc3\xa9&\"\xe2\x82\xac'>plain ";
        escaped += "&lt;\xc3\xa9&amp;&quot;\xe2\x82\xac&apos;&gt;plain ";
    }
    auto value = own(narrow_string_value(text));
    std::string element = take(cim_value_toxml(value.get()));
    ASSERT_EQ(element.size(), escaped.size() + 16);
    EXPECT_TRUE(element == "<VALUE>" + escaped + "</VALUE>\n");

    std::string plain(6 * 1024 * 1024, 'x');
    auto plainValue = own(narrow_string_value(plain));
    EXPECT_EQ(take(cim_value_toxml(plainValue.get())).size(), plain.size() + 16);
}

TEST(HugeTexts, LongNamesInAttributesAndPaths) {
    std::wstring name(200000, L'N');
    auto p = own(path(name.c_str(), (name + L"/x").c_str(), name.c_str()));
    add_key(p.get(), name.c_str(), string_value(name.c_str()));
    std::string text = take(cim_instancepath_toxml(p.get()));
    EXPECT_GT(text.size(), 5 * name.size());
    std::string error;
    EXPECT_NE(parse_document(text, &error), nullptr) << error;
}

TEST(EmptyNames, AreWrittenAsEmptyAttributes) {
    auto p = own(property(L"", uint32_value(1)));
    EXPECT_EQ(take(cim_property_toxml(p.get())),
              "<PROPERTY NAME=\"\" TYPE=\"uint32\" PROPAGATED=\"false\">\n<VALUE>1</VALUE>\n</PROPERTY>\n");
    auto c = own(newCIMClass(str(L""), str(L"")));
    EXPECT_EQ(take(cim_class_toxml(c.get())), "<CLASS NAME=\"\">\n</CLASS>\n");
}

TEST(MismatchedContent, ObjectParametersHoldingOtherTypesWriteNoChild) {
    testsupport::LogCapture quiet;
    for (const wchar_t *name : {L"NewClass", L"NewInstance", L"ModifiedInstance", L"NewIndication"}) {
        for (int type : {CIM_CLASS, CIM_OBJECT}) {
            auto parameter = own(typed_property(name, type, string_value(L"not an object")));
            std::string text = take(cim_iparamvalue_toxml(parameter.get(), nullptr));
            EXPECT_EQ(text.find("<VALUE"), std::string::npos) << text;
            EXPECT_EQ(text.find("<INSTANCE"), std::string::npos) << text;
        }
    }
    auto embeddedNumber = own(typed_property(L"E", CIM_UINT32, uint32_value(1)));
    add_qualifier(embeddedNumber.get(), boolean_qualifier(L"EmbeddedObject", 1));
    EXPECT_EQ(take(cim_property_toxml(embeddedNumber.get())),
              "<PROPERTY NAME=\"E\" EmbeddedObject=\"instance\" TYPE=\"string\" PROPAGATED=\"false\">\n"
              "<QUALIFIER NAME=\"EmbeddedObject\" TYPE=\"boolean\" PROPAGATED=\"false\"  TRANSLATABLE=\"false\">\n"
              "<VALUE>true</VALUE>\n</QUALIFIER>\n</PROPERTY>\n");
}

TEST(MismatchedContent, ResultListEntriesThatAreAbsentAreSkipped) {
    auto borrowed = own(newList(CIMLIST_POINTER));
    auto a = own(path(L"CIM_A"));
    freeReturnCode(appendToList(borrowed.get(), a.get()));
    Pool pool;
    auto name = own(str(L"EnumerateClassNames"));
    ASSERT_EQ(cim_ireturnvalue_toxml(name.get(), borrowed.get(), nullptr, &pool.pool), 1);
    EXPECT_EQ(pool.text(), "<IRETURNVALUE>\n<CLASSNAME NAME=\"CIM_A\"/>\n</IRETURNVALUE>\n");
}

}  // namespace
