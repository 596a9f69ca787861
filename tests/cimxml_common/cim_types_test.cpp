// Tests of the type table, the type groups and the conversion of value texts.
#include <gc/gc.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "cimxml_common/cim_types.h"

namespace {

struct StringDeleter {
    void operator()(CIMString *s) const { freeCIMString(s); }
};
using StringPtr = std::unique_ptr<CIMString, StringDeleter>;

StringPtr wide(const wchar_t *text) {
    return StringPtr(newCIMString(text));
}

std::wstring text_of(const CIMString *s) {
    const wchar_t *buffer = getCIMStringBuffer(s);
    return buffer != nullptr ? buffer : L"(null)";
}

struct NamedType {
    int code;
    const wchar_t *name;
};

const NamedType every_type[] = {
    {0, L"uint8"},          {1, L"sint8"},         {2, L"uint16"},          {3, L"sint16"},
    {4, L"uint32"},         {5, L"sint32"},        {6, L"uint64"},          {7, L"sint64"},
    {8, L"string"},         {9, L"boolean"},       {10, L"real32"},         {11, L"real64"},
    {12, L"datetime"},      {13, L"char16"},       {14, L"reference"},      {15, L"object"},
    {16, L"cimclass"},      {17, L"cimnull"},      {18, L"empty"},          {-1, L"size_single"},
    {-2, L"size_unlimited"}, {100, L"uint8_array"}, {101, L"sint8_array"},  {102, L"uint16_array"},
    {103, L"sint16_array"}, {104, L"uint32_array"}, {105, L"sint32_array"}, {106, L"uint64_array"},
    {107, L"sint64_array"}, {108, L"string_array"}, {109, L"boolean_array"}, {110, L"real32_array"},
    {111, L"real64_array"}, {112, L"datetime_array"}, {113, L"char16_array"}, {114, L"reference_array"},
    {115, L"object_array"}, {116, L"class_array"},
};

TEST(TypeTable, EveryCodeAndNameMapBothWays) {
    for (const NamedType &t : every_type) {
        EXPECT_EQ(typeFromName(wide(t.name).get()), t.code) << t.code;
        StringPtr name(typeNameOf(t.code));
        EXPECT_EQ(text_of(name.get()), t.name);
        std::string narrow(typeNameText(t.code));
        EXPECT_EQ(std::wstring(narrow.begin(), narrow.end()), t.name);
    }
}

TEST(TypeTable, NamesAreCaselessAndUnknownNamesAreStrings) {
    EXPECT_EQ(typeFromName(wide(L"UINT32").get()), 4);
    EXPECT_EQ(typeFromName(wide(L"Class_Array").get()), 116);
    EXPECT_EQ(typeFromName(wide(L"class").get()), 8);
    EXPECT_EQ(typeFromName(wide(L"uint32 ").get()), 8);
    EXPECT_EQ(typeFromName(wide(L"").get()), 8);
    EXPECT_EQ(typeFromName(wide(nullptr).get()), 8);  // a null string
    EXPECT_EQ(typeFromName(nullptr), 8);
    for (int code : {19, 99, 117, -3, 200}) {
        EXPECT_EQ(text_of(StringPtr(typeNameOf(code)).get()), L"string") << code;
        EXPECT_STREQ(typeNameText(code), "string") << code;
    }
}

TEST(TypeTable, ScalarAndArrayCodes) {
    for (int code = 0; code <= 16; ++code) {
        EXPECT_EQ(arrayTypeOf(code), code + 100);
        EXPECT_EQ(scalarTypeOf(code + 100), code);
        EXPECT_EQ(scalarTypeOf(code), 8) << "a scalar has no scalar type of its own";
    }
    for (int code : {17, 18, -1, -2, 100, 116, 117}) EXPECT_EQ(arrayTypeOf(code), 108) << code;
    for (int code : {17, 99, 117, 118, -1}) EXPECT_EQ(scalarTypeOf(code), 8) << code;
}

TEST(TypeTable, Groups) {
    for (int code = -3; code <= 120; ++code) {
        bool array = code >= 100 && code <= 116;
        bool object = code == 15 || code == 16 || code == 115 || code == 116;
        bool numeric = (code >= 0 && code <= 7) || code == 10 || code == 11 || code == 13;
        EXPECT_EQ(isArrayType(code), array ? 1 : 0) << code;
        EXPECT_EQ(isObjectType(code), object ? 1 : 0) << code;
        EXPECT_EQ(isNumericType(code), numeric ? 1 : 0) << code;
    }
}

// textToValue then newCIMValue, read back through the object library: shows
// that each number lands at the width the value expects.
std::string value_text(int type, const char *text) {
    void *data = textToValue(type, text);
    if (data == nullptr) return "(no data)";
    CIMValue *value = newCIMValue(type, data);
    freeValueData(type, data);
    char *printed = getCharFromCIMValue(value);
    std::string result = printed != nullptr ? printed : "(null)";
    GC_free(printed);
    freeCIMValue(value);
    return result;
}

TEST(TextToValue, NumbersOfEveryWidth) {
    struct Case {
        int type;
        const char *text;
        const char *expected;
    };
    const Case cases[] = {
        {0, "255", "255"},
        {0, "7", "7"},
        {1, "-128", "-128"},
        {1, "127", "127"},
        {2, "65535", "65535"},
        {3, "-32768", "-32768"},
        {4, "4294967295", "4294967295"},
        {5, "-2147483648", "-2147483648"},
        {5, "2147483647", "2147483647"},
        {6, "18446744073709551615", "18446744073709551615"},
        {7, "-9223372036854775808", "-9223372036854775808"},
        {7, "9223372036854775807", "9223372036854775807"},
        {10, "1.5", "1.5"},
        {10, "-0.25", "-0.25"},
        {11, "-2.125e10", "-21250000000"},
        {11, "3.0", "3"},
        {4, " 42", "42"},  // leading blanks are skipped
        {5, "12abc", "12"},
        {5, "abc", "0"},    // no number: the block stays zero
        {6, "", "0"},
        {11, "x", "0"},
    };
    for (const Case &c : cases) EXPECT_EQ(value_text(c.type, c.text), c.expected) << c.type << " " << c.text;
}

TEST(TextToValue, NumberBlocksAreEightBytesWithTheValueAtTheStart) {
    auto *block = static_cast<unsigned char *>(textToValue(3, "-2"));
    ASSERT_NE(block, nullptr);
    EXPECT_GE(GC_size(block), 8u);
    int16_t value;
    std::memcpy(&value, block, sizeof value);
    EXPECT_EQ(value, -2);
    for (int i = 2; i < 8; ++i) EXPECT_EQ(block[i], 0) << i;
    freeValueData(3, block);
}

TEST(TextToValue, BooleansAreTheTwoWordsInAnyCase) {
    struct Case {
        const char *text;
        int expected;  // -1: no data
    };
    for (Case c : {Case{"true", 1}, Case{"TRUE", 1}, Case{"False", 0}, Case{"false", 0}, Case{"yes", -1},
                   Case{"1", -1}, Case{" true", -1}, Case{"", -1}}) {
        auto *data = static_cast<int *>(textToValue(9, c.text));
        if (c.expected < 0) {
            EXPECT_EQ(data, nullptr) << c.text;
            continue;
        }
        ASSERT_NE(data, nullptr) << c.text;
        EXPECT_EQ(*data, c.expected) << c.text;
        EXPECT_EQ(value_text(9, c.text), c.expected ? "true" : "false");
        freeValueData(9, data);
    }
}

TEST(TextToValue, DatetimeTakesTheQuotedPart) {
    auto *quoted = static_cast<wchar_t *>(textToValue(12, "\"20240131120000.000000+060\""));
    ASSERT_NE(quoted, nullptr);
    EXPECT_EQ(std::wstring(quoted), L"20240131120000.000000+060");
    freeValueData(12, quoted);
    auto *plain = static_cast<wchar_t *>(textToValue(12, "00000001000000.000000:000"));
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(std::wstring(plain), L"00000001000000.000000:000");
    freeValueData(12, plain);
    EXPECT_EQ(value_text(12, "\"20240131120000.000000+060\""), "20240131120000.000000+060");
}

TEST(TextToValue, StringIsANewCIMStringTheValueTakes) {
    auto *string = static_cast<CIMString *>(textToValue(8, "Gr\xc3\xbc\xc3\x9f" "e & <more>"));
    ASSERT_NE(string, nullptr);
    EXPECT_EQ(text_of(string), L"Gr\u00fc\u00dfe & <more>");
    freeValueData(8, string);  // leaves the string to whoever took it
    EXPECT_EQ(text_of(string), L"Gr\u00fc\u00dfe & <more>");
    freeCIMString(string);
    EXPECT_EQ(value_text(8, ""), "");
}

TEST(TextToValue, OtherTypesAndMissingTextGiveNothing) {
    for (int type : {13, 14, 15, 16, 17, 18, 100, 108, -1, 99})
        EXPECT_EQ(textToValue(type, "5"), nullptr) << type;
    for (int type : {0, 8, 9, 12}) EXPECT_EQ(textToValue(type, nullptr), nullptr) << type;
    freeValueData(4, nullptr);
}

TEST(ParamType, IntrinsicParameterNames) {
    struct Case {
        const wchar_t *name;
        int type;
    };
    const Case cases[] = {
        {L"InstanceName", 14},     {L"objectname", 14},      {L"AssocClass", 8},
        {L"ClassName", 8},         {L"ResultClass", 8},      {L"Role", 8},
        {L"ResultRole", 8},        {L"PropertyName", 8},     {L"QualifierName", 8},
        {L"QueryLanguage", 8},     {L"Query", 8},            {L"LOCALONLY", 9},
        {L"IncludeQualifiers", 9}, {L"IncludeClassOrigin", 9}, {L"DeepInheritance", 9},
        {L"PropertyList", 108},    {L"NewClass", 16},        {L"ModifiedClass", 16},
        {L"NewInstance", 15},      {L"NewIndication", 15},   {L"ModifiedInstance", 15},
        {L"NewValue", 8},          {L"", 8},                 {L"Queries", 8},
    };
    for (const Case &c : cases) EXPECT_EQ(paramTypeFromName(wide(c.name).get()), c.type) << c.type;
    EXPECT_EQ(paramTypeFromName(wide(nullptr).get()), 17);
    EXPECT_EQ(paramTypeFromName(nullptr), 17);
}

TEST(BlankText, OnlyOneOrTwoBlanksCount) {
    struct Case {
        const char *text;
        std::size_t length;
        int blank;
    };
    const Case cases[] = {
        {nullptr, 5, 1}, {"abc", 0, 1}, {" ", 1, 1},   {"\n", 1, 1}, {"a", 1, 0}, {"  ", 2, 1},
        {"\r\n", 2, 1},  {" a", 2, 0},  {"a ", 2, 0},  {"   ", 3, 0}, {"ab", 2, 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(isBlankText(c.text, c.length), c.blank) << (c.text ? c.text : "(null)") << "/" << c.length;
}

}  // namespace
