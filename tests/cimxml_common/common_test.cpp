// Tests of the type table, the type groups, the conversion of value texts,
// the status table and its lookups, the string arrays, and the module's
// allocator's refusals.
#include <gc/gc.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "cimxml_common/cim_types.h"
#include "cimxml_common/memory.h"
#include "cimxml_common/status_codes.h"
#include "cimxml_common/text_utils.h"
#include "support/log_capture.h"

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
        {10, "-0.25", "-0.25"}, {11, "-2.125e10", "-21250000000"}, {5, "12abc", "12"},
        {5, "abc", "0"},  // no number: the block stays zero
        {9, "TRUE", "true"}, {9, "False", "false"}, {9, "yes", "(no data)"},
        {12, "\"20240131120000.000000+060\"", "20240131120000.000000+060"},
        {8, "Gr\xc3\xbc\xc3\x9f" "e & <more>", "Gr\xc3\xbc\xc3\x9f" "e & <more>"},
        {13, "5", "(no data)"}, {108, "5", "(no data)"}, {0, nullptr, "(no data)"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(value_text(c.type, c.text), c.expected) << c.type << " " << (c.text ? c.text : "(null)");
}

TEST(BlankText, OnlyOneOrTwoBlanksCount) {
    for (auto [text, length, blank] :
         {std::tuple{"", 5, 1}, {"abc", 0, 1}, {"\r\n", 2, 1}, {" a", 2, 0}, {"   ", 3, 0}})
        EXPECT_EQ(isBlankText(*text ? text : nullptr, length), blank) << text << length;
}

const char *const status_names[] = {
    "CIM_ERR_FAILED",           "CIM_ERR_ACCESS_DENIED",        "CIM_ERR_INVALID_NAMESPACE",
    "CIM_ERR_INVALID_PARAMETER", "CIM_ERR_INVALID_CLASS",       "CIM_ERR_NOT_FOUND",
    "CIM_ERR_NOT_SUPPORTED",    "CIM_ERR_CLASS_HAS_CHILDREN",   "CIM_ERR_CLASS_HAS_INSTANCES",
    "CIM_ERR_INVALID_SUPERCLASS", "CIM_ERR_ALREADY_EXISTS",     "CIM_ERR_NO_SUCH_PROPERTY",
    "CIM_ERR_TYPE_MISMATCH",    "CIM_ERR_QUERY_LANGUAGE_NOT_SUPPORTED", "CIM_ERR_INVALID_QUERY",
    "CIM_ERR_METHOD_NOT_AVAILABLE", "CIM_ERR_METHOD_NOT_FOUND",
};

std::wstring code_text(int code) {
    std::unique_ptr<CIMString, void (*)(CIMString *)> text(statusCodeText(code), freeCIMString);
    const wchar_t *buffer = getCIMStringBuffer(text.get());
    return buffer != nullptr ? buffer : L"(null)";
}

TEST(StringArray, CopyHoldsEqualTextsInNewBlocksAndFreeClearsTheSlots) {
    const char *source[] = {"NAME", "", nullptr};
    char **copy = copyStringArray(source);
    ASSERT_NE(copy, nullptr);
    EXPECT_TRUE(copy[0] != source[0] && std::string(copy[0]) == "NAME" && *copy[1] == '\0' && copy[2] == nullptr);
    freeStringArray(copy);
    EXPECT_EQ(copyStringArray(nullptr), nullptr);
}

TEST(StatusCodes, NamesTextsAndValidityOfEveryCode) {
    for (int code = -2; code <= 20; ++code) {
        bool known = code >= 1 && code <= 17;
        EXPECT_EQ(isValidStatusCode(code), known ? 1 : 0) << code;
        EXPECT_EQ(code_text(code), known ? std::to_wstring(code) : L"1") << code;
        if (!known) continue;
        std::string name = status_names[code - 1];
        EXPECT_EQ(statusCodeFromName(name.c_str()), code) << name;
        std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
        EXPECT_EQ(statusCodeFromName(name.c_str()), code) << name;
    }
    EXPECT_EQ(code_text(-2147483647 - 1), L"1");
    for (const char *name : {"6", "", "CIM_ERR_NOT_FOUND ", "CIM_ERR", "SUCCESS", static_cast<const char *>(nullptr)})
        EXPECT_EQ(statusCodeFromName(name), 1) << (name ? name : "(null)");
}

TEST(CimxmlMalloc, ZeroTotalLogsTheCallersPlaceOtherRefusalsAreSilent) {
    testsupport::LogCapture log;
    EXPECT_EQ(cimxml_malloc(0, 8, CIMXML_SCANNED, "caller.cpp", 42), nullptr);
    EXPECT_EQ(cimxml_malloc(8, 0, CIMXML_SCANNED, "caller.cpp", 42), nullptr);
    EXPECT_EQ(log.lines().size(), 2u);
    EXPECT_TRUE(log.contains("zero allocation request from caller.cpp, line 42", 0));
    int line = __LINE__ + 1;
    EXPECT_EQ(CIMXML_MALLOC(0, 8, CIMXML_ATOMIC), nullptr);
    EXPECT_TRUE(log.contains(std::string("zero allocation request from ") + __FILE_NAME__ + ", line " +
                             std::to_string(line)));
    log.clear();
    for (int kind : {-1, 3, 5}) EXPECT_EQ(cimxml_malloc(1, 16, kind, "f", 1), nullptr) << kind;
    EXPECT_EQ(cimxml_malloc(SIZE_MAX, 2, 2, "f", 1), nullptr);  // the product overflows
    EXPECT_EQ(cimxml_malloc(std::size_t{1} << 33, 1, 0, "f", 1), nullptr);
    EXPECT_EQ(cimxml_realloc(nullptr, 64, 9, "f", 1), nullptr);
    EXPECT_TRUE(log.lines().empty());
}

}  // namespace
