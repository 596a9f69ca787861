// Tests of the type table, the type groups and the conversion of value texts.
#include <gc/gc.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "cimxml_common/cim_types.h"

namespace {

using StringPtr = std::unique_ptr<CIMString, void (*)(CIMString *)>;

StringPtr wide(const wchar_t *text) { return StringPtr(newCIMString(text), freeCIMString); }

std::wstring text_of(const CIMString *s) {
    const wchar_t *buffer = getCIMStringBuffer(s);
    return buffer != nullptr ? buffer : L"(null)";
}

const wchar_t *const scalar_names[] = {L"uint8",  L"sint8",    L"uint16", L"sint16",    L"uint32",  L"sint32",
                                       L"uint64", L"sint64",   L"string", L"boolean",   L"real32",  L"real64",
                                       L"datetime", L"char16", L"reference", L"object", L"cimclass"};

TEST(TypeTable, EveryCodeAndNameMapBothWays) {
    std::vector<std::pair<int, std::wstring>> table = {
        {17, L"cimnull"}, {18, L"empty"}, {-1, L"size_single"}, {-2, L"size_unlimited"}, {116, L"class_array"}};
    for (int code = 0; code <= 16; ++code) {
        table.emplace_back(code, scalar_names[code]);
        if (code < 16) table.emplace_back(code + 100, std::wstring(scalar_names[code]) + L"_array");
    }
    for (const auto &[code, name] : table) {
        EXPECT_EQ(typeFromName(wide(name.c_str()).get()), code) << code;
        EXPECT_EQ(text_of(StringPtr(typeNameOf(code), freeCIMString).get()), name);
        EXPECT_EQ(std::string(typeNameText(code)), std::string(name.begin(), name.end()));
    }
    EXPECT_EQ(typeFromName(wide(L"UINT32").get()), 4);
    EXPECT_EQ(typeFromName(wide(L"Class_Array").get()), 116);
    for (const wchar_t *other : {L"class", L"uint32 ", L"", static_cast<const wchar_t *>(nullptr)})
        EXPECT_EQ(typeFromName(wide(other).get()), 8);
    EXPECT_EQ(typeFromName(nullptr), 8);
    for (int code : {19, 99, 117, -3}) EXPECT_EQ(text_of(StringPtr(typeNameOf(code), freeCIMString).get()), L"string");
}

TEST(TypeTable, ScalarArrayConversionsAndGroups) {
    for (int code = -3; code <= 120; ++code) {
        bool array = code >= 100 && code <= 116;
        EXPECT_EQ(scalarTypeOf(code), array ? code - 100 : 8) << code;
        EXPECT_EQ(arrayTypeOf(code), code >= 0 && code <= 16 ? code + 100 : 108) << code;
        EXPECT_EQ(isArrayType(code), array ? 1 : 0) << code;
        EXPECT_EQ(isObjectType(code), code == 15 || code == 16 || code == 115 || code == 116 ? 1 : 0) << code;
        bool numeric = (code >= 0 && code <= 7) || code == 10 || code == 11 || code == 13;
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

TEST(TextToValue, EachTypeReadsItsText) {
    const struct {
        int type;
        const char *text;
        const char *expected;
    } cases[] = {
        {0, "255", "255"}, {1, "-128", "-128"}, {2, "65535", "65535"}, {3, "-32768", "-32768"},
        {4, "4294967295", "4294967295"}, {5, "-2147483648", "-2147483648"},
        {6, "18446744073709551615", "18446744073709551615"}, {7, "-9223372036854775808", "-9223372036854775808"},
        {10, "-0.25", "-0.25"}, {11, "-2.125e10", "-21250000000"}, {4, " 42", "42"}, {5, "12abc", "12"},
        {5, "abc", "0"},  // no number: the block stays zero
        {9, "TRUE", "true"}, {9, "False", "false"}, {9, "yes", "(no data)"}, {9, " true", "(no data)"},
        {12, "\"20240131120000.000000+060\"", "20240131120000.000000+060"},
        {12, "00000001000000.000000:000", "00000001000000.000000:000"},
        {8, "Gr\xc3\xbc\xc3\x9f" "e & <more>", "Gr\xc3\xbc\xc3\x9f" "e & <more>"}, {8, "", ""},
        {13, "5", "(no data)"}, {14, "5", "(no data)"}, {108, "5", "(no data)"}, {0, nullptr, "(no data)"},
        {8, nullptr, "(no data)"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(value_text(c.type, c.text), c.expected) << c.type << " " << (c.text ? c.text : "(null)");
}

TEST(TextToValue, StringDataIsACIMStringThatFreeValueDataLeaves) {
    auto *string = static_cast<CIMString *>(textToValue(8, "x\xc3\xbc"));
    ASSERT_NE(string, nullptr);
    freeValueData(8, string);  // leaves the string to whoever took it
    EXPECT_EQ(text_of(string), L"x\u00fc");
    freeCIMString(string);
    freeValueData(4, nullptr);
}

TEST(ParamType, IntrinsicParameterNames) {
    const struct {
        const wchar_t *name;
        int type;
    } cases[] = {
        {L"InstanceName", 14}, {L"objectname", 14}, {L"AssocClass", 8}, {L"ClassName", 8}, {L"ResultClass", 8},
        {L"Role", 8}, {L"ResultRole", 8}, {L"PropertyName", 8}, {L"QualifierName", 8}, {L"QueryLanguage", 8},
        {L"Query", 8}, {L"LOCALONLY", 9}, {L"IncludeQualifiers", 9}, {L"IncludeClassOrigin", 9},
        {L"DeepInheritance", 9}, {L"PropertyList", 108}, {L"NewClass", 16}, {L"ModifiedClass", 16},
        {L"NewInstance", 15}, {L"NewIndication", 15}, {L"ModifiedInstance", 15}, {L"NewValue", 8}, {L"", 8},
        {nullptr, 17},
    };
    for (const auto &c : cases) EXPECT_EQ(paramTypeFromName(wide(c.name).get()), c.type) << c.type;
    EXPECT_EQ(paramTypeFromName(nullptr), 17);
}

TEST(BlankText, OnlyOneOrTwoBlanksCount) {
    const struct {
        const char *text;
        std::size_t length;
        int blank;
    } cases[] = {
        {nullptr, 5, 1}, {"abc", 0, 1}, {" ", 1, 1}, {"\n", 1, 1},
        {"a", 1, 0}, {"\r\n", 2, 1}, {" a", 2, 0}, {"   ", 3, 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(isBlankText(c.text, c.length), c.blank) << (c.text ? c.text : "(null)") << c.length;
}

}  // namespace
