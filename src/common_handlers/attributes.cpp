// attributes.cpp - attribute lookup, entity decoding and line-break trimming.
#include "common_handlers/attributes.h"

#include <cstring>
#include <string_view>

#include <cimobj/cimobj.hpp>

#include "cimxml_common/memory.h"
#include "cimxml_common/profile.h"

namespace {

// Writes the decoded form of text into out (which has room for strlen(text)
// + 1 bytes: decoding never lengthens a text, so out may be text itself) and
// returns its length.
//
// The five sequential passes interact in one way only: the "&amp;" pass
// writes an ampersand that the later "&lt;", "&gt;" and "&apos;" passes can
// pick up together with the text behind it (the "&quot;" pass has already
// run, and no pass writes a character another pass started with). So an
// "&amp;" is looked at together with what follows it; every other reference
// is replaced where it stands. The first row that matches decides.
std::size_t decode_into(const char *text, char *out) {
    static constexpr struct {
        std::string_view reference;
        char character;
    } kReferences[] = {{"&quot;", '"'},      {"&amp;lt;", '<'}, {"&amp;gt;", '>'}, {"&amp;apos;", '\''},
                       {"&amp;", '&'},       {"&lt;", '<'},     {"&gt;", '>'},     {"&apos;", '\''}};
    std::size_t n = 0;
    for (const char *p = text; *p;) {
        char character = *p;
        std::size_t consumed = 1;
        if (character == '&') {
            for (const auto &[reference, replacement] : kReferences) {
                if (std::strncmp(p, reference.data(), reference.size()) == 0) {
                    character = replacement;
                    consumed = reference.size();
                    break;
                }
            }
        }
        out[n++] = character;
        p += consumed;
    }
    out[n] = '\0';
    return n;
}

}  // namespace

char *decodeEntityReferences(const char *text) {
    if (!text) return nullptr;
    std::size_t length = std::strlen(text);
    auto *out = static_cast<char *>(CIMXML_MALLOC(length + 1, 1, CIMXML_ATOMIC));
    if (!out) return nullptr;
    decode_into(text, out);
    return out;
}

std::size_t trimLineBreaksInPlace(char *text, std::size_t length) {
    if (!text) return 0;
    std::size_t start = 0;
    while (start < length && (text[start] == '\r' || text[start] == '\n')) ++start;
    std::size_t kept = length - start;
    // Classic cuts any pair behind a CR ("a\rX" loses "\rX"); strict only
    // real CR LF line ends.
    bool pairsOnly = strict_profile();
    while (kept >= 2 && text[start + kept - 2] == '\r' && (!pairsOnly || text[start + kept - 1] == '\n')) kept -= 2;
    if (start) std::memmove(text, text + start, kept);
    text[kept] = '\0';
    return kept;
}

char *trimLineBreaks(const char *text) {
    if (!text) return nullptr;
    std::size_t length = std::strlen(text);
    auto *copy = static_cast<char *>(CIMXML_MALLOC(length + 1, 1, CIMXML_ATOMIC));
    if (!copy) return nullptr;
    std::memcpy(copy, text, length + 1);
    trimLineBreaksInPlace(copy, length);
    return copy;
}

std::size_t decodeEntityReferencesInPlace(char *text, std::size_t length) {
    if (!text || !std::memchr(text, '&', length)) return length;
    return decode_into(text, text);
}

const char *attribute_value(const ExpatElement *element, const char *name) {
    if (!element || !element->attributes || !name) return nullptr;
    for (char *const *slot = element->attributes; slot[0]; slot += 2) {
        if (!slot[1]) break;  // a malformed array: a name without a value
        if (slot[0][0] == name[0] && std::strcmp(slot[0], name) == 0) return slot[1];
    }
    return nullptr;
}

const char *embedded_object_attribute(const ExpatElement *element) {
    const char *value = attribute_value(element, "EmbeddedObject");
    if (!value && strict_profile()) value = attribute_value(element, "EMBEDDEDOBJECT");
    return value;
}

CIMString *attribute_string(const ExpatElement *element, const char *name) {
    const char *value = attribute_value(element, name);
    return value ? cimobj::newStringFromUtf8(value, std::strlen(value)) : nullptr;
}
