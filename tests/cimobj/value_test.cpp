// Typed values: construction, lent content, text of every scalar type, copies.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "test_helpers.h"

using namespace cimobjtest;

namespace {

std::string textOf(CIMValue *v) {
    std::string t = narrow(getCharFromCIMValue(v));
    freeCIMValue(v);
    return t;
}

template <class T>
CIMValue *scalar(int type, T n) {
    return newCIMValue(type, &n);
}

TEST(ValueText, EachScalarKindHasItsTextAndStructuredOrNullValuesHaveNone) {
    wchar_t datetime[] = L"20240229123456.000000+060";
    struct Case {
        CIMValue *value;
        const char *text;
    } cases[] = {
        {scalar<uint8_t>(CIM_UINT8, 255), "255"},
        {scalar<int8_t>(CIM_SINT8, -128), "-128"},
        {scalar<int16_t>(CIM_SINT16, -32768), "-32768"},
        {scalar<uint32_t>(CIM_UINT32, 4294967295u), "4294967295"},
        {scalar<uint64_t>(CIM_UINT64, UINT64_MAX), "18446744073709551615"},
        {scalar<int64_t>(CIM_SINT64, INT64_MIN), "-9223372036854775808"},
        {scalar<float>(CIM_REAL32, 1.0f / 3.0f), "0.333333343"},
        {scalar<double>(CIM_REAL64, 0.1), "0.10000000000000001"},
        {scalar<float>(CIM_REAL32, INFINITY), "INF"},
        {scalar<float>(CIM_REAL32, NAN), "NaN"},
        {scalar<double>(CIM_REAL64, -INFINITY), "-INF"},
        {boolValue(7), "true"},
        {boolValue(0), "false"},
        {stringValue(L"M\u00FCller & \u65E5\u672C"), "M\xC3\xBCller & \xE6\x97\xA5\xE6\x9C\xAC"},
        {stringValue(L""), ""},
        {newCIMValue(CIM_DATETIME, datetime), "20240229123456.000000+060"},
        {scalar<uint16_t>(CIM_CHAR16, 0xE9), "\xC3\xA9"},
        {newCIMValueNULL(CIM_UINT32), "<null>"},
        {newCIMValue(CIM_REFERENCE, newObjectPathWithName(str(L"C"))), "<null>"},
        {newCIMValue(CIM_ARRAY + CIM_UINT8, newCIMValueList()), "<null>"},
        {nullptr, "<null>"},
    };
    for (auto &c : cases) EXPECT_EQ(textOf(c.value), c.text);
}

TEST(ValueContent, CopiesNativeDataTakesObjectsAndLendsBoth) {
    int flag = 1;
    CIMString *s = str(L"taken");
    CIMValue *copied = newCIMValue(CIM_BOOLEAN, &flag), *taken = newCIMValue(CIM_STRING, s);
    flag = 0;
    void *data = nullptr;
    int type = -5;
    EXPECT_EQ(isSuccessfulFree(getCIMValue(copied, &data, &type)), 1);
    EXPECT_EQ(*static_cast<int *>(data), 1);
    EXPECT_EQ(isSuccessfulFree(getCIMValue(taken, &data, &type)), 1);
    EXPECT_EQ(data, s);
    EXPECT_EQ(type, CIM_STRING);
    EXPECT_EQ(statusOf(getCIMValue(nullptr, &data, &type)), 4);
    EXPECT_EQ(data, nullptr);
    CIMValue *reference = newCIMValueNULL(CIM_REFERENCE);
    EXPECT_EQ(isCIMValueNull(reference), 1);
    EXPECT_EQ(setCIMValueReferenceType(reference, str(L"CIM_System")), 1);
    EXPECT_EQ(setCIMValueReferenceType(reference, str(L"CIM_ComputerSystem")), 1);  // replaces
    CIMValue *copy = copyCIMValue(reference);
    EXPECT_EQ(wide(getCIMValueReferenceType(copy)), L"CIM_ComputerSystem");
    EXPECT_EQ(isSuccessfulFree(getCIMValue(copy, &data, &type)), 1);
    EXPECT_EQ(data, nullptr) << "a null value lends no data";
    for (CIMValue *v : {copied, taken, reference, copy}) freeCIMValue(v);
}

// A value of each structured kind, built the same way twice.
CIMValue *sampleOf(int kind) {
    switch (kind) {
    case 0: return stringValue(L"s\u00FC");
    case 1: {
        wchar_t dt[] = L"20240101000000.000000+000";
        return newCIMValue(CIM_DATETIME, dt);
    }
    case 2: return newCIMValue(CIM_REFERENCE, twoKeyPath(L"CIM_Foo", L"a", 1));
    case 3: {
        CIMInstance *i = newInstance(str(L"CIM_Foo"), str(L"root/cimv2"), nullptr);
        isSuccessfulFree(instanceAddProperty(i, newProperty(str(L"P"), nullptr, u32Value(9), CIM_UINT32, nullptr, 0)));
        return newCIMValue(CIM_OBJECT, i);
    }
    case 4: {
        CIMClass *c = newCIMClass(str(L"CIM_Foo"), str(L"CIM_Base"));
        setClassProperties(c, newCIMPropertyList());
        isSuccessfulFree(appendToCIMPropertyList(
            getClassProperties(c), newProperty(str(L"Q"), nullptr, stringValue(L"d"), CIM_STRING, nullptr, 0)));
        return newCIMValue(CIM_CLASS, c);
    }
    default: {
        CIMValueList *l = newCIMValueList();
        isSuccessfulFree(appendToCIMValueList(l, stringValue(L"one")));
        isSuccessfulFree(appendToCIMValueList(l, newCIMValueNULL(CIM_STRING)));
        isSuccessfulFree(appendToCIMValueList(l, stringValue(L"three")));
        return newCIMValue(CIM_ARRAY + CIM_STRING, l);
    }
    }
}

TEST(ValueCopy, CopySurvivesTheOriginalForEveryStructuredKind) {
    for (int kind = 0; kind <= 5; ++kind) {
        CIMValue *original = sampleOf(kind);
        CIMValue *copy = copyCIMValue(original);
        ASSERT_NE(copy, nullptr) << kind;
        freeCIMValue(original);
        CIMValue *expected = sampleOf(kind);
        CIMValue *other = sampleOf((kind + 1) % 6);
        EXPECT_TRUE(isEqualCIMValue(copy, expected)) << kind;
        EXPECT_FALSE(isEqualCIMValue(copy, other)) << kind;
        for (CIMValue *v : {copy, expected, other}) freeCIMValue(v);
    }
}

}  // namespace
