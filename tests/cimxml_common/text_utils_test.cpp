// Tests of the string arrays and the text between delimiters.
#include <gc/gc.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "cimxml_common/text_utils.h"

namespace {

std::optional<std::string> taken(char *text) {
    if (text == nullptr) return std::nullopt;
    std::string copy(text);
    GC_free(text);
    return copy;
}

TEST(TextBetween, FindsTheTextBetweenTheFirstDelimiters) {
    struct Case {
        const char *text;
        std::optional<std::string> inQuotes;
    };
    const Case cases[] = {
        {"a \"word\" b", "word"},
        {"\"first\" and \"second\"", "first"},
        {"only \"opening", "opening"},
        {"no quotes", std::nullopt},
        {"\"\"", ""},
        {"ends with \"", ""},
        {"", std::nullopt},
        {nullptr, std::nullopt},
    };
    for (const Case &c : cases) EXPECT_EQ(taken(textInQuotes(c.text)), c.inQuotes) << (c.text ? c.text : "(null)");
}

TEST(TextBetween, BracesAndOtherPairs) {
    EXPECT_EQ(taken(textInBraces("x{inner}y")), "inner");
    EXPECT_EQ(taken(textInBraces("}early{late}")), "late");  // a close before the open does not count
    EXPECT_EQ(taken(textInBraces("{unclosed")), "unclosed");
    EXPECT_EQ(taken(textInBraces("none")), std::nullopt);
    EXPECT_EQ(taken(textBetween("<a>b</a>", '>', '<')), "b");
    EXPECT_EQ(taken(textBetween("text", '\0', '"')), std::nullopt);
}

TEST(StringArray, CopyHoldsEqualTextsInNewBlocks) {
    const char *source[] = {"NAME", "CIM_Foo", "TYPE", "", nullptr};
    char **copy = copyStringArray(source);
    ASSERT_NE(copy, nullptr);
    for (int i = 0; i < 4; ++i) {
        ASSERT_NE(copy[i], nullptr);
        EXPECT_NE(copy[i], source[i]);
        EXPECT_STREQ(copy[i], source[i]);
    }
    EXPECT_EQ(copy[4], nullptr);
    freeStringArray(copy);
    // The array is small enough to stay with the collector, so its slots can be read.
    for (int i = 0; i < 4; ++i) EXPECT_EQ(copy[i], nullptr);
}

TEST(StringArray, EmptyArrayCopiesToTheTerminatorAlone) {
    const char *source[] = {nullptr};
    char **copy = copyStringArray(source);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy[0], nullptr);
    freeStringArray(copy);
    EXPECT_EQ(copyStringArray(nullptr), nullptr);
    freeStringArray(nullptr);
}

}  // namespace
