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
    const struct {
        const char *text;
        std::optional<std::string> inQuotes;
    } cases[] = {
        {"a \"word\" b", "word"}, {"\"first\" and \"second\"", "first"}, {"only \"opening", "opening"},
        {"no quotes", std::nullopt}, {"\"\"", ""}, {"ends with \"", ""}, {nullptr, std::nullopt},
    };
    for (const auto &c : cases) EXPECT_EQ(taken(textInQuotes(c.text)), c.inQuotes) << (c.text ? c.text : "(null)");
    EXPECT_EQ(taken(textInBraces("}early{late}")), "late");  // a close before the open does not count
    EXPECT_EQ(taken(textInBraces("{unclosed")), "unclosed");
    EXPECT_EQ(taken(textBetween("<a>b</a>", '>', '<')), "b");
}

TEST(StringArray, CopyHoldsEqualTextsInNewBlocksAndFreeClearsTheSlots) {
    const char *source[] = {"NAME", "CIM_Foo", "TYPE", "", nullptr};
    char **copy = copyStringArray(source);
    ASSERT_NE(copy, nullptr);
    for (int i = 0; i < 4; ++i) {
        ASSERT_NE(copy[i], source[i]);
        EXPECT_STREQ(copy[i], source[i]);
    }
    EXPECT_EQ(copy[4], nullptr);
    freeStringArray(copy);
    // The array is small enough to stay with the collector, so its slots can be read.
    for (int i = 0; i < 4; ++i) EXPECT_EQ(copy[i], nullptr);

    const char *none[] = {nullptr};
    char **empty = copyStringArray(none);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty[0], nullptr);
    freeStringArray(empty);
    EXPECT_EQ(copyStringArray(nullptr), nullptr);
    freeStringArray(nullptr);
}

}  // namespace
