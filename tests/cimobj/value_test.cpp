// Typed values: construction, lent content, text of every scalar type,
// copies and equality.
#include <gc/gc.h>
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

TEST(ValueText, IntegersArePlainDecimalAtTheirLimits) {
    struct Case {
        CIMValue *value;
        const char *text;
    } cases[] = {
        {scalar<uint8_t>(CIM_UINT8, 0), "0"},
        {scalar<uint8_t>(CIM_UINT8, 255), "255"},
        {scalar<int8_t>(CIM_SINT8, -128), "-128"},
        {scalar<int8_t>(CIM_SINT8, 127), "127"},
        {scalar<uint16_t>(CIM_UINT16, 65535), "65535"},
        {scalar<int16_t>(CIM_SINT16, -32768), "-32768"},
        {scalar<uint32_t>(CIM_UINT32, 4294967295u), "4294967295"},
        {scalar<int32_t>(CIM_SINT32, INT32_MIN), "-2147483648"},
        {scalar<uint64_t>(CIM_UINT64, UINT64_MAX), "18446744073709551615"},
        {scalar<int64_t>(CIM_SINT64, INT64_MIN), "-9223372036854775808"},
        {scalar<int64_t>(CIM_SINT64, INT64_MAX), "9223372036854775807"},
    };
    for (auto &c : cases) EXPECT_EQ(textOf(c.value), c.text);
}

TEST(ValueText, ScanBlockWithWiderNumberGivesLowBytes) {
    // The module scans small integers with "%u"/"%lu" into an 8-byte block.
    uint64_t block = 0;
    std::sscanf("200", "%u", reinterpret_cast<unsigned *>(&block));
    EXPECT_EQ(textOf(newCIMValue(CIM_UINT8, &block)), "200");
    block = 0;
    std::sscanf("70000", "%lu", reinterpret_cast<unsigned long *>(&block));
    EXPECT_EQ(textOf(newCIMValue(CIM_UINT32, &block)), "70000");
}

TEST(ValueText, Real32ReadsBackExactlyWithScanf) {
    const float samples[] = {0.1f, -1.5f, 1.0f / 3.0f, FLT_MAX, -FLT_MAX, FLT_MIN,
                             std::numeric_limits<float>::denorm_min(), 16777217.0f, 0.0f, 123456.789f};
    for (float f : samples) {
        std::string text = textOf(newCIMValue(CIM_REAL32, &f));
        float back = -42.0f;
        ASSERT_EQ(std::sscanf(text.c_str(), "%f", &back), 1) << text;
        EXPECT_EQ(std::memcmp(&back, &f, sizeof f), 0) << text;
    }
    float third = 1.0f / 3.0f;
    EXPECT_EQ(textOf(newCIMValue(CIM_REAL32, &third)), "0.333333343");
}

TEST(ValueText, Real64ReadsBackExactlyWithScanf) {
    const double samples[] = {0.1, -2.5e-300, 1.0 / 3.0, DBL_MAX, DBL_MIN,
                              std::numeric_limits<double>::denorm_min(), 9007199254740993.0, 1e21};
    for (double d : samples) {
        std::string text = textOf(newCIMValue(CIM_REAL64, &d));
        double back = -42.0;
        ASSERT_EQ(std::sscanf(text.c_str(), "%lf", &back), 1) << text;
        EXPECT_EQ(back, d) << text;
    }
    double tenth = 0.1;
    EXPECT_EQ(textOf(newCIMValue(CIM_REAL64, &tenth)), "0.10000000000000001");
}

TEST(ValueText, InfinitiesAndNaNHaveFixedSpellings) {
    float inf32 = INFINITY, ninf32 = -INFINITY, nan32 = NAN;
    double inf64 = INFINITY, ninf64 = -INFINITY, nan64 = NAN;
    EXPECT_EQ(textOf(newCIMValue(CIM_REAL32, &inf32)), "INF");
    EXPECT_EQ(textOf(newCIMValue(CIM_REAL32, &ninf32)), "-INF");
    EXPECT_EQ(textOf(newCIMValue(CIM_REAL32, &nan32)), "NaN");
    EXPECT_EQ(textOf(newCIMValue(CIM_REAL64, &inf64)), "INF");
    EXPECT_EQ(textOf(newCIMValue(CIM_REAL64, &ninf64)), "-INF");
    EXPECT_EQ(textOf(newCIMValue(CIM_REAL64, &nan64)), "NaN");
    double back = 0;
    std::sscanf("-INF", "%lf", &back);
    EXPECT_TRUE(std::isinf(back) && back < 0);
}

TEST(ValueText, BooleanStringDatetimeAndChar16) {
    EXPECT_EQ(textOf(boolValue(7)), "true");
    EXPECT_EQ(textOf(boolValue(0)), "false");
    EXPECT_EQ(textOf(stringValue(L"M\u00FCller & \u65E5\u672C")), "M\xC3\xBCller & \xE6\x97\xA5\xE6\x9C\xAC");
    EXPECT_EQ(textOf(stringValue(L"")), "");
    wchar_t datetime[] = L"20240229123456.000000+060";
    EXPECT_EQ(textOf(newCIMValue(CIM_DATETIME, datetime)), "20240229123456.000000+060");
    EXPECT_EQ(textOf(scalar<uint16_t>(CIM_CHAR16, 'A')), "A");
    EXPECT_EQ(textOf(scalar<uint16_t>(CIM_CHAR16, 0xE9)), "\xC3\xA9");
}

TEST(ValueText, NoTextForNullEmptyAndStructuredValues) {
    EXPECT_EQ(getCharFromCIMValue(nullptr), nullptr);
    for (int type : {CIM_UINT32, CIM_STRING, CIM_REAL64, CIM_BOOLEAN, CIM_DATETIME}) {
        CIMValue *v = newCIMValueNULL(type);
        EXPECT_EQ(getCharFromCIMValue(v), nullptr) << type;
        EXPECT_EQ(isCIMValueNull(v), 1);
        EXPECT_EQ(getCIMValueType(v), type);
        freeCIMValue(v);
    }
    CIMValue *empty = newCIMValueEmpty();
    EXPECT_EQ(getCIMValueType(empty), CIM_EMPTY);
    EXPECT_EQ(getCharFromCIMValue(empty), nullptr);
    freeCIMValue(empty);
    EXPECT_EQ(textOf(newCIMValue(CIM_REFERENCE, newObjectPathWithName(str(L"C")))), "<null>");
    EXPECT_EQ(textOf(newCIMValue(CIM_OBJECT, newInstanceEmpty())), "<null>");
    EXPECT_EQ(textOf(newCIMValue(CIM_ARRAY + CIM_UINT8, newCIMValueList())), "<null>");
}

TEST(ValueContent, LendsNativeStorageAndTakenObjects) {
    int flag = 1;
    CIMValue *b = newCIMValue(CIM_BOOLEAN, &flag);
    flag = 0;  // the value copied it
    void *data = nullptr;
    int type = -5;
    EXPECT_EQ(isSuccessfulFree(getCIMValue(b, &data, &type)), 1);
    EXPECT_EQ(type, CIM_BOOLEAN);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(*static_cast<int *>(data), 1);
    freeCIMValue(b);

    CIMString *s = str(L"taken");
    CIMValue *sv = newCIMValue(CIM_STRING, s);
    isSuccessfulFree(getCIMValue(sv, &data, nullptr));
    EXPECT_EQ(data, s) << "string is taken, not copied";
    freeCIMValue(sv);

    wchar_t dt[] = L"00000001000000.000000:000";
    CIMValue *dv = newCIMValue(CIM_DATETIME, dt);
    isSuccessfulFree(getCIMValue(dv, &data, &type));
    EXPECT_NE(data, dt);
    EXPECT_STREQ(static_cast<wchar_t *>(data), dt);
    freeCIMValue(dv);

    CIMValueList *list = newCIMValueList();
    EXPECT_EQ(isSuccessfulFree(appendToCIMValueList(list, u32Value(1))), 1);
    CIMValue *av = newCIMValue(CIM_ARRAY + CIM_UINT32, list);
    EXPECT_EQ(getCIMValueNumElements(av), 1);
    isSuccessfulFree(getCIMValue(av, &data, &type));
    EXPECT_EQ(data, list);
    EXPECT_EQ(type, 104);
    freeCIMValue(av);

    ReturnCode *missing = getCIMValue(nullptr, &data, &type);
    EXPECT_EQ(getErrorFromRetCode(missing), 4);
    EXPECT_EQ(data, nullptr);
    freeReturnCode(missing);

    CIMValue *nullValue = newCIMValueNULL(CIM_STRING);
    data = &flag;
    EXPECT_EQ(isSuccessfulFree(getCIMValue(nullValue, &data, &type)), 1);
    EXPECT_EQ(data, nullptr);
    freeCIMValue(nullValue);
}

TEST(ValueContent, ReferenceClassIsKeptAndCopied) {
    CIMValue *v = newCIMValueNULL(CIM_REFERENCE);
    EXPECT_EQ(getCIMValueReferenceType(v), nullptr);
    EXPECT_EQ(setCIMValueReferenceType(v, str(L"CIM_System")), 1);
    EXPECT_EQ(setCIMValueReferenceType(v, str(L"CIM_ComputerSystem")), 1);  // replaces
    CIMValue *copy = copyCIMValue(v);
    freeCIMValue(v);
    EXPECT_EQ(wide(getCIMValueReferenceType(copy)), L"CIM_ComputerSystem");
    freeCIMValue(copy);
    CIMString *orphan = str(L"x");
    EXPECT_EQ(setCIMValueReferenceType(nullptr, orphan), 0);
    freeCIMString(orphan);  // not taken
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
        isSuccessfulFree(appendToCIMPropertyList(getClassProperties(c),
                                                 newProperty(str(L"Q"), nullptr, stringValue(L"d"), CIM_STRING, nullptr, 0)));
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
        EXPECT_TRUE(isEqualCIMValue(copy, expected)) << kind;
        freeCIMValue(expected);
        freeCIMValue(copy);
    }
}

TEST(ValueEquality, ComparesTypeAndContent) {
    struct Pair {
        CIMValue *a;
        CIMValue *b;
        bool equal;
    } pairs[] = {
        {u32Value(5), u32Value(5), true},
        {u32Value(5), u32Value(6), false},
        {u32Value(5), scalar<uint64_t>(CIM_UINT64, 5), false},
        {stringValue(L"a"), stringValue(L"A"), false},
        {newCIMValueNULL(CIM_STRING), newCIMValueNULL(CIM_STRING), true},
        {newCIMValueNULL(CIM_STRING), stringValue(L""), false},
        {scalar<double>(CIM_REAL64, NAN), scalar<double>(CIM_REAL64, NAN), true},
        {newCIMValue(CIM_REFERENCE, twoKeyPath(L"C", L"x", 1)),
         newCIMValue(CIM_REFERENCE, twoKeyPath(L"c", L"x", 1)), true},
        {newCIMValue(CIM_REFERENCE, twoKeyPath(L"C", L"x", 1)),
         newCIMValue(CIM_REFERENCE, twoKeyPath(L"C", L"x", 2)), false},
        {sampleOf(5), sampleOf(5), true},
        {sampleOf(5), sampleOf(0), false},
        {newCIMValueEmpty(), newCIMValueEmpty(), true},
    };
    for (size_t i = 0; i < sizeof pairs / sizeof pairs[0]; ++i) {
        EXPECT_EQ(isEqualCIMValue(pairs[i].a, pairs[i].b) != 0, pairs[i].equal) << "pair " << i;
        freeCIMValue(pairs[i].a);
        freeCIMValue(pairs[i].b);
    }
    EXPECT_EQ(isEqualCIMValue(nullptr, nullptr), 1);
}

}  // namespace
