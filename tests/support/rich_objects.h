// rich_objects.h - CIM objects that hold every kind of member, value and
// text a CIM-XML round trip has to carry, and the comparison of their texts.
// Texts hold every special character of XML and multi-byte characters.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "support/object_builders.h"

namespace fixtures {

inline const std::wstring tricky = L"a\"b&c'd<e>f \u00e9 \u65e5";
inline const std::string tricky_utf8 = "a\"b&c'd<e>f \xc3\xa9 \xe6\x97\xa5";

// A value of every scalar type, at the edges of its range.
inline CIMValue *scalar(int type, int v) {
    uint8_t u8 = 200 + v;
    int8_t s8 = -100 - v;
    uint16_t u16 = 60000 + v;
    int16_t s16 = -30000 + v;
    uint32_t u32 = 4000000000u + v;
    int32_t s32 = -2000000000 + v;
    uint64_t u64 = 18000000000000000000ull + v;
    int64_t s64 = -9000000000000000000ll + v;
    int b = v % 2;
    float r32 = 1.5f + v;
    double r64 = -2.25e300 + v;
    uint16_t c16 = 'A' + v;
    std::wstring datetime = L"2024010203040" + std::to_wstring(v) + L".123456+060";
    void *data[] = {&u8, &s8, &u16, &s16, &u32, &s32, &u64, &s64, nullptr, &b, &r32, &r64, datetime.data(), &c16};
    if (type == CIM_STRING) return string_value((tricky + L" " + std::to_wstring(v)).c_str());
    return newCIMValue(type, data[type]);
}
inline CIMValue *array_of(int type, int count = 3) {
    CIMValueList *list = newCIMValueList();
    for (int i = 0; i < count; ++i) freeReturnCode(appendToCIMValueList(list, scalar(type, i)));
    return newCIMValue(type + CIM_ARRAY, list);
}
inline CIMValue *null_of(int type, const wchar_t *referenceClass = nullptr) {
    CIMValue *value = newCIMValueNULL(type);
    if (referenceClass) setCIMValueReferenceType(value, str(referenceClass));
    return value;
}
inline std::wstring named(const wchar_t *prefix, int type) {
    static const wchar_t *const names[] = {L"uint8",  L"sint8",  L"uint16",   L"sint16", L"uint32",
                                           L"sint32", L"uint64", L"sint64",   L"string", L"boolean",
                                           L"real32", L"real64", L"datetime", L"char16"};
    return prefix + std::wstring(names[type]);
}
inline CIMQualifier *qualifier(const wchar_t *name, CIMValue *value, int flavor, int propagated = 0) {
    return newQualifier(str(name), flavor, value, getCIMValueType(value), propagated);
}
inline CIMProperty *with(CIMProperty *p, std::initializer_list<CIMQualifier *> qualifiers) {
    for (CIMQualifier *q : qualifiers) add_qualifier(p, q);
    return p;
}

inline CIMObjectPath *target_path(const wchar_t *className, const wchar_t *key) {
    CIMObjectPath *p = path(className, (L"root/" + tricky).c_str(), tricky.c_str());
    add_key(p, L"Name", string_value(key));
    add_key(p, L"Num", scalar(CIM_UINT32, 0));
    return p;
}
inline CIMInstance *small_instance(const wchar_t *className) {
    return instance(className, {property(L"Inner", string_value(L"x & y"))});
}

// Properties of every scalar and array type, qualifiers, a reference,
// embedded objects and a null value.
inline CIMPropertyList *every_kind_of_property() {
    CIMPropertyList *list = newCIMPropertyList();
    auto add = [list](CIMProperty *p) { freeReturnCode(appendToCIMPropertyList(list, p)); };
    for (int type = CIM_UINT8; type <= CIM_CHAR16; ++type) {
        add(property(named(L"p_", type).c_str(), scalar(type, 1)));
        add(property(named(L"a_", type).c_str(), array_of(type)));
    }
    add(with(newProperty(str(L"inherited"), str(L"RT_Base"), scalar(CIM_UINT32, 0), CIM_UINT32, nullptr, 1),
             {qualifier(L"Units", string_value(L"bytes"), 8 | 16), qualifier(L"Key", boolean_value(1), 2 | 8, 1)}));
    add(property(tricky.c_str(), string_value(tricky.c_str())));
    add(property(L"ref", reference_value(target_path(L"CIM_Target", L"t1"))));
    auto embedded = [](CIMProperty *p) { return with(p, {qualifier(L"EmbeddedObject", boolean_value(1), 2)}); };
    add(embedded(property(L"embeddedInstance", instance_value(small_instance(L"Emb_I")))));
    CIMClass *embeddedClass = newCIMClass(str(L"Emb_C"), nullptr);
    setClassProperties(embeddedClass, property_list({property(L"Size", scalar(CIM_UINT64, 0))}));
    add(embedded(property(L"embeddedClass", class_value(embeddedClass))));
    add(embedded(
        property(L"embeddedArray", array_value(CIM_OBJECT + CIM_ARRAY, {instance_value(small_instance(L"Emb_A")),
                                                                        instance_value(small_instance(L"Emb_B"))}))));
    add(typed_property(L"nothing", CIM_SINT16, null_of(CIM_SINT16)));
    return list;
}

inline CIMClass *everything_class() {
    CIMPropertyList *parameters = property_list(
        {with(typed_property(L"Mode", CIM_UINT16, null_of(CIM_UINT16)), {qualifier(L"In", boolean_value(1), 8)}),
         with(typed_property(L"Target", CIM_REFERENCE, null_of(CIM_REFERENCE, L"CIM_System")),
              {qualifier(L"Out", boolean_value(0), 0)}),
         with(typed_property(L"Flags", 108, null_of(108)), {qualifier(L"Values", array_of(CIM_STRING, 2), 16)}),
         with(typed_property(L"Peers", 114, null_of(114, L"CIM_Peer")),
              {qualifier(L"ValueMap", array_of(CIM_STRING, 2), 0),
               qualifier(L"Description", string_value(L"peers"), 0)})});
    CIMClass *cls = newCIMClass(str(L"RT_Everything"), str(L"RT_Base"));
    setClassQualifiers(
        cls, list_of(CIMLIST_QUALIFIER,
                     {qualifier(L"Description", string_value(L"All <kinds> & more"), 8 | 16),
                      qualifier(L"Abstract", boolean_value(1), 2 | 4), qualifier(L"Values", array_of(CIM_STRING), 1)}));
    setClassProperties(cls, every_kind_of_property());
    setClassMethods(
        cls, list_of(CIMLIST_METHOD, {newMethod(str(L"Run"), str(L"RT_Everything"), 1,
                                                list_of(CIMLIST_QUALIFIER, {qualifier(L"Static", boolean_value(1), 1)}),
                                                CIM_UINT32, parameters),
                                      newMethod(str(L"Stop"), nullptr, 0, nullptr, CIM_BOOLEAN, nullptr)}));
    return cls;
}

using Changes = std::vector<std::pair<std::string, std::string>>;

// text with every from of changes replaced by its to; "(no from)" when a
// from is missing.
inline std::string replaced(std::string text, const Changes &changes) {
    for (const auto &[from, to] : changes) {
        std::size_t at = text.find(from);
        if (at == std::string::npos) return "(no " + from + ")";
        for (; at != std::string::npos; at = text.find(from, at + to.size())) text.replace(at, from.size(), to);
    }
    return text;
}

// text with a line break after every comma, so that differences read well.
inline std::string lines(std::string text) {
    for (std::size_t at = 0; (at = text.find(',', at)) != std::string::npos; at += 2) text.insert(at + 1, "\n");
    return text;
}

}  // namespace fixtures
