// Wide strings, UTF-8 conversion and comparisons.
#include <gc/gc.h>
#include <gtest/gtest.h>

#include <clocale>
#include <cstring>

#include "test_helpers.h"

using namespace cimobjtest;

namespace {

struct RoundTrip {
    const char *label;
    const char *utf8;
    std::wstring wide;
};

void PrintTo(const RoundTrip &c, std::ostream *os) { *os << c.label; }

class Utf8RoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(Utf8RoundTrip, ConvertsBothWaysUnchanged) {
    const RoundTrip &c = GetParam();
    wchar_t *w = createWideFromChar(c.utf8);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(std::wstring(w), c.wide);
    EXPECT_NE(GC_base(w), nullptr) << "wide text must come from the collected heap";
    EXPECT_EQ(narrow(createCharFromWide(w)), c.utf8);

    CIMString *s = createCIMStringFromChar(c.utf8);
    EXPECT_EQ(wide(s), c.wide);
    EXPECT_EQ(s->length, c.wide.size());
    char *back = createCharFromCIMString(s);
    EXPECT_NE(GC_base(back), nullptr);
    EXPECT_EQ(narrow(back), c.utf8);
    freeCIMString(s);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Utf8RoundTrip,
    ::testing::Values(RoundTrip{"ascii", "plain text", L"plain text"},
                      RoundTrip{"empty", "", L""},
                      RoundTrip{"latin", "M\xC3\xBCller", L"M\u00FCller"},
                      RoundTrip{"cjk", "\xE6\x97\xA5\xE6\x9C\xAC", L"\u65E5\u672C"},
                      RoundTrip{"astral", "a\xF0\x9F\x98\x80z", L"a\U0001F600z"},
                      RoundTrip{"strayByte", "a\xFFz", std::wstring(L"a") + wchar_t(0xDCFF) + L"z"},
                      RoundTrip{"truncated", "x\xE6\x97", std::wstring(L"x") + wchar_t(0xDCE6) + wchar_t(0xDC97)},
                      RoundTrip{"overlong", "\xC0\xAF", std::wstring() + wchar_t(0xDCC0) + wchar_t(0xDCAF)},
                      RoundTrip{"encodedSurrogate", "\xED\xA0\x80",
                                std::wstring() + wchar_t(0xDCED) + wchar_t(0xDCA0) + wchar_t(0xDC80)}),
    [](const auto &info) { return std::string(info.param.label); });

TEST(Utf8, ConversionIgnoresTheProcessLocale) {
    // The "C" locale cannot represent these characters with mbstowcs.
    std::setlocale(LC_ALL, "C");
    CIMString *s = createCIMStringFromChar("\xE6\x97\xA5 M\xC3\xBCller \xF0\x9F\x98\x80");
    EXPECT_EQ(wide(s), L"\u65E5 M\u00FCller \U0001F600");
    freeCIMString(s);
}

TEST(Utf8, WritesUnpairedSurrogatesAndOutOfRangeCharactersAsReplacement) {
    const wchar_t text[] = {L'a', wchar_t(0xD800), wchar_t(0x110000), wchar_t(0xDC41), 0};
    EXPECT_EQ(narrow(createCharFromWide(text)), "a\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(Utf8, NullInGivesNullOut) {
    EXPECT_EQ(createWideFromChar(nullptr), nullptr);
    EXPECT_EQ(createCharFromWide(nullptr), nullptr);
    EXPECT_EQ(createCharFromCIMString(nullptr), nullptr);
    CIMString *nullString = newCIMString(nullptr);
    ASSERT_NE(nullString, nullptr);
    EXPECT_EQ(getCIMStringBuffer(nullString), nullptr);
    EXPECT_EQ(createCharFromCIMString(nullString), nullptr);
    EXPECT_EQ(real_dupChar(nullptr, __FILE__, __LINE__), nullptr);
    freeCIMString(nullString);
}

TEST(CIMStringText, CopyIsDeepAndKeepsNullState) {
    CIMString *a = str(L"Name");
    CIMString *copy = copyCIMString(a);
    freeCIMString(a);
    EXPECT_EQ(wide(copy), L"Name");
    freeCIMString(copy);

    CIMString *nullString = newCIMString(nullptr);
    CIMString *nullCopy = copyCIMString(nullString);
    ASSERT_NE(nullCopy, nullptr);
    EXPECT_EQ(getCIMStringBuffer(nullCopy), nullptr);
    EXPECT_EQ(copyCIMString(nullptr), nullptr);
    freeCIMString(nullString);
    freeCIMString(nullCopy);
}

TEST(CIMStringText, EmptinessCoversNullAbsentAndEmpty) {
    CIMString *nullString = newCIMString(nullptr);
    CIMString *empty = str(L"");
    CIMString *text = str(L"x");
    EXPECT_EQ(isEmptyCIMString(nullptr), 1);
    EXPECT_EQ(isEmptyCIMString(nullString), 1);
    EXPECT_EQ(isEmptyCIMString(empty), 1);
    EXPECT_EQ(isEmptyCIMString(text), 0);
    freeCIMString(nullString);
    freeCIMString(empty);
    freeCIMString(text);
}

TEST(CIMStringText, ComparesWithAndWithoutCase) {
    CIMString *a = str(L"CIM_Namespace");
    CIMString *b = str(L"cim_namespace");
    CIMString *umlaut = str(L"\u00DC");
    CIMString *umlautLower = str(L"\u00FC");
    CIMString *nullString = newCIMString(nullptr);
    EXPECT_NE(cimStringCmp(a, b), 0);
    EXPECT_EQ(cimStringCaseCmp(a, b), 0);
    EXPECT_NE(cimStringCaseCmp(umlaut, umlautLower), 0) << "only ASCII letters fold";
    EXPECT_EQ(cimStringCmp(nullptr, nullString), 0);
    EXPECT_LT(cimStringCmp(nullString, a), 0);
    EXPECT_GT(cimStringCaseCmp(a, nullptr), 0);
    EXPECT_GT(cimStringCmp(b, a), 0);
    for (CIMString *s : {a, b, umlaut, umlautLower, nullString}) freeCIMString(s);
}

TEST(CIMStringText, CatAppendsInPlaceAndGrows) {
    CIMString *dst = newCIMString(nullptr);
    CIMString *piece = str(L"ab\u00FC");
    std::wstring expected;
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(cimStringCat(dst, piece), dst);
        expected += L"ab\u00FC";
    }
    EXPECT_EQ(wide(dst), expected);
    EXPECT_EQ(dst->length, expected.size());
    EXPECT_EQ(cimStringCat(dst, dst), dst) << "appending a string to itself";
    EXPECT_EQ(wide(dst), expected + expected);
    EXPECT_EQ(cimStringCat(dst, nullptr), dst);
    EXPECT_EQ(cimStringCat(nullptr, piece), nullptr);
    freeCIMString(dst);
    freeCIMString(piece);
}

TEST(NarrowText, CaselessComparisonsFoldAsciiAndOrderNullFirst) {
    EXPECT_EQ(local_strcasecmp("CIM_ERR_NOT_FOUND", "cim_err_not_found"), 0);
    EXPECT_LT(local_strcasecmp("abc", "ABD"), 0);
    EXPECT_EQ(local_strcasecmp(nullptr, nullptr), 0);
    EXPECT_LT(local_strcasecmp(nullptr, ""), 0);
    EXPECT_EQ(local_strncasecmp("TRUEish", "true", 4), 0);
    EXPECT_NE(local_strncasecmp("TRUEish", "true", 5), 0);
    EXPECT_EQ(local_wcscasecmp(L"InstanceName", L"INSTANCENAME"), 0);
    EXPECT_NE(local_wcscmp(L"InstanceName", L"INSTANCENAME"), 0);
    EXPECT_GT(local_wcscmp(L"a", nullptr), 0);
}

TEST(NarrowText, DupCopiesIntoTheCollectedHeap) {
    char source[] = "x\xC3\xBCy";
    char *copy = real_dupChar(source, __FILE__, __LINE__);
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, source);
    EXPECT_NE(GC_base(copy), nullptr);
    EXPECT_STREQ(copy, source);
    GC_free(copy);
}

}  // namespace
