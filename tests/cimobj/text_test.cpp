// Wide strings, UTF-8 conversion and comparisons.
#include <gc/gc.h>
#include <gtest/gtest.h>

#include <thread>

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

// Runs in the "C" locale, where mbstowcs could not represent these texts.
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

TEST(CIMStringText, NullStaysNullThroughConversionsAndCopiesAndCountsAsEmpty) {
    EXPECT_EQ(createWideFromChar(nullptr), nullptr);
    EXPECT_EQ(createCharFromWide(nullptr), nullptr);
    EXPECT_EQ(createCharFromCIMString(nullptr), nullptr);
    EXPECT_EQ(real_dupChar(nullptr, __FILE__, __LINE__), nullptr);
    EXPECT_EQ(copyCIMString(nullptr), nullptr);
    CIMString *nullString = newCIMString(nullptr);
    CIMString *nullCopy = copyCIMString(nullString);
    ASSERT_NE(nullCopy, nullptr);
    EXPECT_EQ(getCIMStringBuffer(nullCopy), nullptr);
    EXPECT_EQ(createCharFromCIMString(nullCopy), nullptr);
    CIMString *empty = str(L""), *text = str(L"x");
    EXPECT_EQ(isEmptyCIMString(nullptr) + isEmptyCIMString(nullCopy) + isEmptyCIMString(empty), 3);
    EXPECT_EQ(isEmptyCIMString(text), 0);
    for (CIMString *s : {nullString, nullCopy, empty, text}) freeCIMString(s);
}

TEST(CIMStringText, CatAppendsInPlaceAndGrowsAlsoFromItself) {
    CIMString *dst = newCIMString(nullptr);
    CIMString *piece = str(L"ab\u00FC");
    std::wstring expected;
    for (int i = 0; i < 1000; ++i, expected += L"ab\u00FC") ASSERT_EQ(cimStringCat(dst, piece), dst);
    EXPECT_EQ(cimStringCat(dst, dst), dst);
    EXPECT_EQ(wide(dst), expected + expected);
    EXPECT_EQ(dst->length, 2 * expected.size());
    EXPECT_EQ(cimStringCat(nullptr, piece), nullptr);
    freeCIMString(dst);
    freeCIMString(piece);
}

// Threads that the host made itself become known to the collector on their
// first use of the library, so that texts held on their stacks stay alive.
TEST(Collector, ThreadsMadeByTheHostAreRegisteredOnFirstUse) {
    int before = -1, after = -1;
    std::thread([&] {
        before = GC_thread_is_registered();
        GC_free(createCharFromWide(L"x"));
        after = GC_thread_is_registered();
    }).join();
    EXPECT_EQ(before, 0);
    EXPECT_EQ(after, 1);
}

}  // namespace
