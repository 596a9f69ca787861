// packed_test.cpp - records packed and unpacked come back field for field:
// every value type, null values and null strings, text UTF-8 cannot carry,
// lists absent and empty, embedded instances and classes with qualifiers.
#include <gtest/gtest.h>

#include <cimobj/cimobj_packed.hpp>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "test_helpers.h"

using namespace cimobjtest;

namespace {

template <class T>
CIMValue *scalar(int type, T native) {
    return newCIMValue(type, &native);
}

CIMValue *arrayOf(int elementType, std::vector<CIMValue *> elements) {
    CIMValueList *list = newCIMValueList();
    for (CIMValue *e : elements) isSuccessfulFree(appendToCIMValueList(list, e));
    return newCIMValue(CIM_ARRAY + elementType, list);
}

CIMString *wideText(const std::wstring &text) {
    CIMString *s = newCIMString(L"");
    CIMString tail{const_cast<wchar_t *>(text.data()), text.size(), text.size()};
    return cimStringCat(s, &tail);
}

// An instance with a property of every kind the library can hold.
CIMInstance *everything() {
    CIMPropertyList *properties = newCIMPropertyList();
    auto add = [&](const wchar_t *name, CIMValue *value, int type) {
        isSuccessfulFree(appendToCIMPropertyList(properties, newProperty(str(name), nullptr, value, type, nullptr, 0)));
    };
    add(L"u8", scalar<uint8_t>(CIM_UINT8, 255), CIM_UINT8);
    add(L"s8", scalar<int8_t>(CIM_SINT8, -128), CIM_SINT8);
    add(L"u16", scalar<uint16_t>(CIM_UINT16, 65535), CIM_UINT16);
    add(L"s16", scalar<int16_t>(CIM_SINT16, -32768), CIM_SINT16);
    add(L"u32", scalar<uint32_t>(CIM_UINT32, 4294967295u), CIM_UINT32);
    add(L"s32", scalar<int32_t>(CIM_SINT32, INT32_MIN), CIM_SINT32);
    add(L"u64", scalar<uint64_t>(CIM_UINT64, UINT64_MAX), CIM_UINT64);
    add(L"s64", scalar<int64_t>(CIM_SINT64, INT64_MIN), CIM_SINT64);
    add(L"r32", scalar<float>(CIM_REAL32, -0.0f), CIM_REAL32);
    add(L"r64", scalar<double>(CIM_REAL64, 1e308), CIM_REAL64);
    add(L"bool", boolValue(1), CIM_BOOLEAN);
    add(L"c16", scalar<uint16_t>(CIM_CHAR16, 0x263A), CIM_CHAR16);
    add(L"text", stringValue(L"caf\u00e9 \U0001F600 <&>"), CIM_STRING);
    // A lone surrogate and an escaped byte next to a lead byte: UTF-8 would
    // not give them back.
    add(L"odd", newCIMValue(CIM_STRING, wideText(std::wstring(L"a\xD800" L"b\xDCC3\xDCA9" L"\0c", 7))), CIM_STRING);
    add(L"nullString", newCIMValue(CIM_STRING, createCIMStringFromChar(nullptr)), CIM_STRING);
    add(L"when", newCIMValue(CIM_DATETIME, const_cast<wchar_t *>(L"20261207151800.000000+000")), CIM_DATETIME);
    add(L"nullU32", newCIMValueNULL(CIM_UINT32), CIM_UINT32);
    add(L"absent", nullptr, CIM_STRING);
    add(L"empty", newCIMValueEmpty(), CIM_EMPTY);
    add(L"emptyArray", arrayOf(CIM_STRING, {}), CIM_ARRAY + CIM_STRING);
    add(L"nullArray", newCIMValueNULL(CIM_ARRAY + CIM_SINT64), CIM_ARRAY + CIM_SINT64);
    add(L"array", arrayOf(CIM_UINT16, {scalar<uint16_t>(CIM_UINT16, 7), newCIMValueNULL(CIM_UINT16)}),
        CIM_ARRAY + CIM_UINT16);
    CIMObjectPath *target = twoKeyPath(L"CIM_Disk", L"sda", 3);
    setObjectPathNameSpace(target, str(L"root/cimv2"));
    setObjectPathHost(target, str(L"example.org"));
    CIMValue *reference = newCIMValue(CIM_REFERENCE, target);
    setCIMValueReferenceType(reference, str(L"CIM_LogicalDevice"));
    add(L"ref", reference, CIM_REFERENCE);

    CIMProperty *qualified = newProperty(str(L"Size"), str(L"CIM_Disk"), u32Value(512), CIM_UINT32, nullptr, 1);
    propertySetQualifiers(qualified, newCIMQualifierList());
    isSuccessfulFree(propertyAddQualifier(qualified, newQualifier(str(L"Units"), 8, stringValue(L"bytes"), CIM_STRING, 1)));
    CIMPropertyList *inner = newCIMPropertyList();
    isSuccessfulFree(appendToCIMPropertyList(inner, qualified));
    add(L"embedded", newCIMValue(CIM_OBJECT, newInstance(str(L"CIM_Disk"), nullptr, inner)), CIM_OBJECT);

    CIMClass *c = newCIMClass(str(L"CIM_Disk"), str(L"CIM_Device"));
    CIMMethodList *methods = newCIMMethodList();
    CIMMethod *m = newMethod(str(L"Reset"), str(L"CIM_Device"), 1, newCIMQualifierList(), CIM_UINT32, nullptr);
    CIMPropertyList *params = newCIMPropertyList();
    isSuccessfulFree(appendToCIMPropertyList(params, newProperty(str(L"In"), nullptr, nullptr, CIM_UINT32, nullptr, 0)));
    setMethodParameters(m, params);
    isSuccessfulFree(appendToCIMMethodList(methods, m));
    setClassMethods(c, methods);
    add(L"class", newCIMValue(CIM_CLASS, c), CIM_CLASS);

    CIMInstance *instance = newInstance(str(L"Test_All"), str(L"root/test"), properties);
    setInstancePath(instance, twoKeyPath(L"Test_All", L"x", 1));
    return instance;
}

std::string packed(const CIMInstance *instance) {
    std::string out;
    cimobj::packInstance(out, instance);
    return out;
}

}  // namespace

TEST(Packed, EveryFieldComesBackAndPacksTheSameAgain) {
    cimobj::InstancePtr original(everything());
    const std::string first = packed(original.get());
    std::string_view in(first);
    cimobj::InstancePtr back = cimobj::unpackInstance(in);
    EXPECT_TRUE(in.empty());
    ASSERT_NE(back, nullptr);
    // Packing writes every field, so equal bytes mean equal records.
    EXPECT_EQ(packed(back.get()), first);
    ASSERT_EQ(getLength(back->properties), getLength(original->properties));
    for (int i = 0; i < getLength(original->properties); ++i) {
        const CIMProperty *a = getCIMPropertyAt(original->properties, i);
        const CIMProperty *b = getCIMPropertyAt(back->properties, i);
        SCOPED_TRACE(wide(a->name));
        EXPECT_EQ(a->type, b->type);
        EXPECT_EQ(isEqualCIMValue(a->value, b->value), 1);
    }
    const CIMValue *odd = getCIMPropertyAt(back->properties, 13)->value;
    EXPECT_EQ(std::wstring(odd->data.string->buffer, odd->data.string->length),
              std::wstring(L"a\xD800" L"b\xDCC3\xDCA9" L"\0c", 7));
    const CIMString *nullString = getCIMPropertyAt(back->properties, 14)->value->data.string;
    ASSERT_NE(nullString, nullptr);
    EXPECT_EQ(nullString->buffer, nullptr);
    EXPECT_EQ(getCIMPropertyAt(back->properties, 17)->value, nullptr);
    EXPECT_EQ(getCIMValueNumElements(getCIMPropertyAt(back->properties, 19)->value), 0);
    EXPECT_EQ(getCIMPropertyAt(back->properties, 19)->value->isNull, 0) << "an empty array is not a null one";

    // A value alone, and NULL, the same way.
    std::string value;
    cimobj::packValue(value, getCIMPropertyAt(original->properties, 22)->value);
    cimobj::packValue(value, nullptr);
    std::string_view values(value);
    cimobj::ValuePtr reference = cimobj::unpackValue(values);
    EXPECT_EQ(isEqualCIMValue(reference.get(), getCIMPropertyAt(original->properties, 22)->value), 1);
    EXPECT_EQ(wide(getCIMValueReferenceType(reference.get())), L"CIM_LogicalDevice");
    EXPECT_EQ(cimobj::unpackValue(values), nullptr);
    EXPECT_TRUE(values.empty());
}

TEST(Packed, TruncatedTextIsRefusedNotRead) {
    cimobj::InstancePtr original(everything());
    const std::string whole = packed(original.get());
    for (std::size_t cut : {std::size_t{0}, std::size_t{1}, whole.size() / 2, whole.size() - 1}) {
        std::string_view in(whole.data(), cut);
        EXPECT_THROW(cimobj::unpackInstance(in), std::length_error) << cut;
    }
}
