// The parser driver: message kinds, refused documents, and the two
// clean-ups of attribute values (entity decoding, trimming of line breaks).
#include <gtest/gtest.h>

#include <random>

#include "cimxml_common/memory.h"
#include "common_handlers/attributes.h"
#include "decoding/decoded.h"
#include "support/log_capture.h"

namespace {

using namespace decoding;

std::string take(char *text) {
    std::string result = text ? text : "(null)";
    cimxml_free(text, CIMXML_ATOMIC);
    return result;
}

TEST(ClassifyMessageKind, FirstMatchingRuleDecides) {
    const std::pair<const char *, int> cases[] = {
        {"<IMETHODCALL NAME=\"GetClass\">", 1}, {"<METHODCALL NAME=\"Reset\">", 1},
        {"<EXPMETHODCALL NAME=\"E\">", 1},      {"<IMETHODRESPONSE NAME=\"GetClass\">", 2},
        {"CIMEXPORT: MethodResponse\r\n<EXPMETHODRESPONSE>", 4}, {"METHODRESPONSE and METHODCALL", 1},
        {"CIMExport: MethodRequest", 3},        {"methodcall methodresponse", 0},
        {"", 0},                                {"<CIM/>", 0}};
    for (const auto &[text, kind] : cases) EXPECT_EQ(classifyMessageKind(text), kind) << text;
    EXPECT_EQ(classifyMessageKind(nullptr), 0);
}

TEST(ParseDriver, RefusesDocumentsItCannotParseWithTheirTexts) {
    LogCapture log;
    markLastError();
    EXPECT_EQ(cimxmlParseMessage(nullptr), nullptr);
    EXPECT_EQ(lastError(), "1: cimxmlParseMessage failed - Xmldocument is null.");
    EXPECT_TRUE(log.contains("cimxmlParseMessage failed - Xmldocument is null.", 0));
    for (const char *kindless : {"", "<CIM><MESSAGE ID=\"1\"/></CIM>"}) {
        EXPECT_EQ(cimxmlParseMessage(kindless), nullptr);
        EXPECT_EQ(lastError(), "1: cimxmlParseMessage failed - Message does not contain operation type.");
    }
    // A malformed document is logged with its line and leaves the last error.
    markLastError();
    EXPECT_EQ(
        cimxmlParseMessage(
            "<CIM>\n<MESSAGE ID=\"1\" PROTOCOLVERSION=\"1.0\"><SIMPLEREQ><IMETHODCALL NAME=\"GetClass\">\n</SIMPLEREQ>"
            "</MESSAGE></CIM>\n"),
        nullptr);
    EXPECT_TRUE(log.contains("Parse error at line 3: mismatched tag", 0));
    EXPECT_EQ(lastError(), unchanged);
}

// The five replacement passes as the decoder's contract states them: one
// pass per reference in the order quot, amp, lt, gt, apos; each occurrence
// becomes its character and the scan goes on behind it.
std::string five_passes(std::string text) {
    const std::pair<std::string, char> passes[] = {{"&quot;", '"'}, {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'},
                                                   {"&apos;", '\''}};
    for (const auto &[reference, character] : passes) {
        for (std::size_t at = 0; (at = text.find(reference, at)) != std::string::npos; ++at) {
            text.replace(at, reference.size(), 1, character);
        }
    }
    return text;
}

TEST(DecodeEntityReferences, ReplacesTheFiveReferencesInPassOrder) {
    const std::pair<const char *, const char *> cases[] = {
        {"", ""}, {"plain", "plain"}, {"&quot;q&quot;", "\"q\""}, {"&lt;b&gt; &apos;x&apos;", "<b> 'x'"},
        // Escaped twice in the document and expanded once by Expat: the amp
        // pass comes before lt, gt and apos but after quot.
        {"&amp;lt;", "<"}, {"&amp;gt;", ">"}, {"&amp;apos;", "'"}, {"&amp;quot;", "&quot;"},
        // The amp pass goes on behind the ampersand it wrote.
        {"&amp;amp;", "&amp;"}, {"&amp;amp;lt;", "&amp;lt;"}, {"&amp;&lt;", "&<"}, {"&&amp;", "&&"},
        {"& amp; &unknown; &#60;", "& amp; &unknown; &#60;"}, {"&lt", "&lt"}, {"tail &", "tail &"}};
    for (const auto &[in, out] : cases) {
        EXPECT_EQ(take(decodeEntityReferences(in)), out) << in;
        EXPECT_EQ(five_passes(in), out) << "the passes for " << in;
    }
    EXPECT_EQ(decodeEntityReferences(nullptr), nullptr);
    // Texts built from pieces of references make every interaction likely.
    const char *pieces[] = {"&", "amp;", "lt;", "gt;", "apos;", "quot;", ";", "a", "&amp;", "&lt;", "&quot;", "ap",
                            "os;", "&apos", " "};
    std::mt19937 random(20240601);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        for (int n = random() % 13; n > 0; --n) text += pieces[random() % std::size(pieces)];
        ASSERT_EQ(take(decodeEntityReferences(text.c_str())), five_passes(text)) << text;
    }
}

TEST(TrimLineBreaks, CutsLeadingBreaksAndTrailingCrPairs) {
    const std::pair<const char *, const char *> cases[] = {
        {"", ""}, {"abc", "abc"}, {"\r\n\r\nabc", "abc"}, {"\n\rabc", "abc"}, {"abc\r\n", "abc"},
        {"abc\r\n\r\n", "abc"}, {"abc\n", "abc\n"}, {"abc\r", "abc\r"}, {"abc\rX", "abc"}, {" abc\t", " abc\t"},
        {"\r\n", ""}, {"\r", ""}, {"a\r\nb", "a\r\nb"}};
    for (const auto &[in, out] : cases) EXPECT_EQ(take(trimLineBreaks(in)), out) << testing::PrintToString(in);
    EXPECT_EQ(trimLineBreaks(nullptr), nullptr);
}

}  // namespace
