// Attribute lookup, entity decoding and line-break trimming.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "cimxml_common/memory.h"
#include "common_handlers/attributes.h"
#include "decoding/decoding_support.h"

using namespace decoding;

namespace {

std::string take(char *text) {
    std::string result = text ? text : "(null)";
    cimxml_free(text, CIMXML_ATOMIC);
    return result;
}

// The five replacement passes as the decoder's contract states them: one
// pass per reference in the order quot, amp, lt, gt, apos; each occurrence is
// overwritten in place (the "&" becomes the character, the rest of the text
// moves up from behind the next ";") and the scan goes on behind it.
std::string five_passes(std::string text) {
    static const struct {
        const char *reference;
        char character;
    } passes[] = {{"&quot;", '"'}, {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&apos;", '\''}};
    for (const auto &pass : passes) {
        std::size_t at = 0;
        while ((at = text.find(pass.reference, at)) != std::string::npos) {
            std::size_t semicolon = text.find(';', at);
            text[at] = pass.character;
            text.erase(at + 1, semicolon - at);
            at += 1;
        }
    }
    return text;
}

TEST(DecodeEntityReferences, ReplacesTheFiveReferencesInPassOrder) {
    struct Case {
        const char *in;
        const char *out;
    };
    const Case cases[] = {
        {"", ""},
        {"plain text", "plain text"},
        {"&quot;q&quot;", "\"q\""},
        {"&lt;b&gt; &apos;x&apos;", "<b> 'x'"},
        {"a &amp; b", "a & b"},
        // Escaped twice in the document, expanded once by Expat: the amp
        // pass comes before lt, gt and apos, so these end up as characters...
        {"&amp;lt;", "<"},
        {"&amp;gt;", ">"},
        {"&amp;apos;", "'"},
        // ...but the quot pass has run already.
        {"&amp;quot;", "&quot;"},
        // The amp pass goes on behind the ampersand it wrote.
        {"&amp;amp;", "&amp;"},
        {"&amp;amp;lt;", "&amp;lt;"},
        {"&amp;&lt;", "&<"},
        {"&amp;&amp;lt;", "&<"},
        {"&&amp;", "&&"},
        {"& amp; &unknown; &#60;", "& amp; &unknown; &#60;"},
        {"&lt", "&lt"},
        {"tail &", "tail &"},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(take(decodeEntityReferences(c.in)), c.out) << c.in;
        EXPECT_EQ(five_passes(c.in), c.out) << "reference passes for " << c.in;
    }
    EXPECT_EQ(decodeEntityReferences(nullptr), nullptr);
}

TEST(DecodeEntityReferences, OnePassMatchesTheFiveSequentialPassesOnRandomTexts) {
    // Texts built from pieces of references make every interaction likely.
    static const char *const pieces[] = {"&", "amp;", "lt;", "gt;", "apos;", "quot;", ";", "a", "&amp;",
                                         "&lt;", "&quot;", "q", "ap", "os;", "&apos", " "};
    std::mt19937 random(20240601);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(pieces) - 1);
    std::uniform_int_distribution<int> length(0, 12);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (int n = length(random); n > 0; --n) text += pieces[pick(random)];
        ASSERT_EQ(take(decodeEntityReferences(text.c_str())), five_passes(text)) << "input: " << text;
    }
}

TEST(TrimLineBreaks, CutsLeadingBreaksAndTrailingCrPairs) {
    struct Case {
        const char *in;
        const char *out;
    };
    const Case cases[] = {
        {"", ""},
        {"abc", "abc"},
        {"\r\n\r\nabc", "abc"},
        {"\n\rabc", "abc"},
        {"abc\r\n", "abc"},
        {"abc\r\n\r\n", "abc"},
        {"abc\n", "abc\n"},
        {"abc\r", "abc\r"},
        {"abc\rX", "abc"},
        {" abc\t", " abc\t"},
        {"\r\n", ""},
        {"\r", ""},
        {"a\r\nb", "a\r\nb"},
    };
    for (const Case &c : cases) EXPECT_EQ(take(trimLineBreaks(c.in)), c.out) << testing::PrintToString(c.in);
    EXPECT_EQ(trimLineBreaks(nullptr), nullptr);
}

TEST(GetAttribute, FindsTheFirstExactNameAndCleansItsValue) {
    const char *attributes[] = {"NAME", "first", "name", "lower", "NAME", "second",
                                "TEXT", "&amp;lt;tag&amp;gt;\r\n", "BLANK", " x", nullptr};
    EXPECT_EQ(take(getAttribute("NAME", attributes)), "first");
    EXPECT_EQ(take(getAttribute("name", attributes)), "lower");
    EXPECT_EQ(take(getAttribute("TEXT", attributes)), "<tag>");
    EXPECT_EQ(take(getAttribute("BLANK", attributes)), " x");
    EXPECT_EQ(getAttribute("MISSING", attributes), nullptr);
    EXPECT_EQ(getAttribute(nullptr, attributes), nullptr);
    EXPECT_EQ(getAttribute("NAME", nullptr), nullptr);
    const char *empty[] = {nullptr};
    EXPECT_EQ(getAttribute("NAME", empty), nullptr);

    CIMString *name = getAttributeCIMString("TEXT", attributes);
    EXPECT_EQ(narrow(name), "<tag>");
    freeCIMString(name);
    EXPECT_EQ(getAttributeCIMString("MISSING", attributes), nullptr);
}

TEST(GetAttribute, ReadsDocumentTextThroughExpatAndTheDecoder) {
    mark_last_error();
    // In the document: an escaped reference, a trailing CR LF written as
    // character references, a leading blank.
    Message md = parse(request("<SIMPLEREQ><IMETHODCALL NAME=\" a&amp;lt;b&#13;&#10;\"></IMETHODCALL></SIMPLEREQ>"));
    ASSERT_TRUE(md);
    EXPECT_EQ(method_name(md.get()), " a<b");
}

}  // namespace
