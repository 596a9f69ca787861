// Tests of the type table, the type groups, the conversion of value texts,
// the status table and its lookups, the string arrays, and the module's
// allocator (kinds, limits, growth and release rules, Expat running on it).
#include <expat.h>
#include <gc/gc.h>
#include <gc/gc_mark.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
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

TEST(TextToValue, StringDataIsACIMStringThatFreeValueDataLeaves) {
    auto *string = static_cast<CIMString *>(textToValue(8, "x\xc3\xbc"));
    ASSERT_NE(string, nullptr);
    freeValueData(8, string);  // leaves the string to whoever took it
    EXPECT_EQ(text_of(string), L"x\u00fc");
    freeCIMString(string);
    freeValueData(4, nullptr);
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
    EXPECT_EQ(copy[0], nullptr);  // small enough to stay with the collector: its slots can be read
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

// The collector's kinds as GC_get_kind_and_size reports them.
constexpr int atomic_kind = 0;
constexpr int scanned_kind = 1;
constexpr int uncollectable_kind = 2;

int kind_of(const void *block) { return GC_get_kind_and_size(block, nullptr); }

// GC_free clears a released small scanned block behind its first word (the
// free-list link); a block left alone keeps its bytes. Reading the block
// after the release is fine here: small blocks stay mapped.
bool released(const unsigned char *block, std::size_t size) {
    for (std::size_t i = sizeof(void *); i < size; ++i)
        if (block[i] != 0) return false;
    return true;
}

unsigned char *filled_block(std::size_t size, int kind) {
    auto *block = static_cast<unsigned char *>(cimxml_malloc(1, size, kind, "test", 1));
    if (block != nullptr) std::memset(block, 0xAB, size);
    return block;
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

TEST(CimxmlMalloc, EachKindGetsItsCollectorKind) {
    for (auto [kind, collectorKind] : {std::pair{CIMXML_SCANNED, scanned_kind},
                                       {CIMXML_UNCOLLECTABLE, uncollectable_kind}, {CIMXML_ATOMIC, atomic_kind}}) {
        auto *block = static_cast<unsigned char *>(cimxml_malloc(3, 40, kind, "f", 1));
        ASSERT_NE(block, nullptr) << kind;
        EXPECT_EQ(kind_of(block), collectorKind) << kind;
        EXPECT_GE(GC_size(block), 120u);
        GC_free(block);
    }
    void *fresh = cimxml_realloc(nullptr, 64, CIMXML_SCANNED, "f", 1);
    EXPECT_EQ(kind_of(fresh), scanned_kind);
}

TEST(CimxmlRealloc, NeverShrinksMovesLargeBlocksAndLetsTheCollectorGrowSmallOnes) {
    unsigned char *block = filled_block(100, CIMXML_ATOMIC);
    EXPECT_EQ(cimxml_realloc(block, 50, CIMXML_ATOMIC, "f", 1), block);
    EXPECT_EQ(cimxml_realloc(block, GC_size(block), CIMXML_ATOMIC, "f", 1), block);

    // An uncollectable block shows which path was taken: GC_realloc keeps its
    // kind, a fresh ignore-off-page block is scanned (or atomic for kind 2).
    const struct {
        std::size_t newSize;
        int kind;
        int resultKind;
    } cases[] = {{CIMXML_LARGE_BLOCK + 1, CIMXML_SCANNED, scanned_kind},
                 {CIMXML_LARGE_BLOCK + 1, CIMXML_ATOMIC, atomic_kind},
                 {CIMXML_LARGE_BLOCK, CIMXML_ATOMIC, uncollectable_kind}};
    for (const auto &c : cases) {
        unsigned char *old = filled_block(100, CIMXML_UNCOLLECTABLE);
        auto *grown = static_cast<unsigned char *>(cimxml_realloc(old, c.newSize, c.kind, "f", 1));
        ASSERT_NE(grown, nullptr);
        EXPECT_EQ(kind_of(grown), c.resultKind) << c.newSize;
        EXPECT_GE(GC_size(grown), c.newSize);
        for (int i = 0; i < 100; ++i) ASSERT_EQ(grown[i], 0xAB) << i;
        if (c.resultKind != uncollectable_kind) {
            EXPECT_TRUE(released(old, 100)) << "the old block is freed";
        }
        GC_free(grown);
    }
}

// The threshold applies to the collector's size of the block, which is the
// request rounded up to a size class: here a 1000-byte request makes a
// 1024-byte block and a 1024-byte request a larger one.
TEST(CimxmlFree, ReleasesOnlyBlocksAboveTheThresholdOrWhileFindingLeaks) {
    unsigned char *small = filled_block(1000, CIMXML_SCANNED);
    if (GC_size(small) != CIMXML_FREE_THRESHOLD) GTEST_SKIP() << "size classes differ: " << GC_size(small);
    cimxml_free(small, CIMXML_SCANNED);
    EXPECT_FALSE(released(small, 1000));

    unsigned char *larger = filled_block(CIMXML_FREE_THRESHOLD, CIMXML_SCANNED);
    ASSERT_GT(GC_size(larger), CIMXML_FREE_THRESHOLD);
    cimxml_free(larger, CIMXML_ATOMIC);  // the kind is not looked at
    EXPECT_TRUE(released(larger, CIMXML_FREE_THRESHOLD));

    unsigned char *tiny = filled_block(64, CIMXML_SCANNED);
    GC_set_find_leak(1);
    cimxml_free(tiny, CIMXML_SCANNED);
    GC_set_find_leak(0);
    EXPECT_TRUE(released(tiny, 64));
    cimxml_free(nullptr, CIMXML_SCANNED);
}

void XMLCALL on_start(void *data, const XML_Char *name, const XML_Char **attributes) {
    if (std::strcmp(name, "VALUE") == 0 && attributes[0] != nullptr) *static_cast<std::string *>(data) = attributes[1];
}

// An attribute long enough to make Expat's buffers pass the large-block limit.
TEST(ExpatMemorySuite, ParsesALargeDocumentOnTheCollector) {
    std::string big(3 * CIMXML_LARGE_BLOCK, 'q');
    std::string document = "<CIM><VALUE NAME=\"" + big + "\"/></CIM>";
    XML_Parser parser = XML_ParserCreate_MM(nullptr, &cimxml_expat_memory_suite, nullptr);
    ASSERT_NE(parser, nullptr);
    std::string value;
    XML_SetUserData(parser, &value);
    XML_SetElementHandler(parser, on_start, nullptr);
    GC_gcollect();
    ASSERT_EQ(XML_Parse(parser, document.data(), static_cast<int>(document.size()), 1), XML_STATUS_OK);
    XML_ParserFree(parser);
    EXPECT_EQ(value, big);
    EXPECT_EQ(cimxml_expat_memory_suite.malloc_fcn, &cimxml_expat_malloc);
}

}  // namespace
