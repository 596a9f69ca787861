// utf8_codec.cpp - UTF-8 <-> UTF-32 conversion, independent of the locale.
//
// Bytes that are not valid UTF-8 travel as the wide characters
// 0xDC00 + byte, so a narrow text with stray bytes survives a trip through
// a CIMString unchanged.
#include "internal.h"

#include "cimobj/cimobj.hpp"

namespace cimobj {

namespace {

constexpr uint32_t escapeBase = 0xDC00;
constexpr uint32_t replacement = 0xFFFD;

bool isContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Length of the valid sequence starting at s (at most avail bytes) and its
// code point; 0 when the bytes there are not a valid sequence.
size_t decodeOne(const unsigned char *s, size_t avail, uint32_t &cp) {
    unsigned char b0 = s[0];
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    }
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        if (avail < 2 || !isContinuation(s[1])) return 0;
        cp = ((b0 & 0x1Fu) << 6) | (s[1] & 0x3Fu);
        return 2;
    }
    if (b0 >= 0xE0 && b0 <= 0xEF) {
        if (avail < 3 || !isContinuation(s[1]) || !isContinuation(s[2])) return 0;
        // Reject overlong forms and encoded surrogates.
        if (b0 == 0xE0 && s[1] < 0xA0) return 0;
        if (b0 == 0xED && s[1] >= 0xA0) return 0;
        cp = ((b0 & 0x0Fu) << 12) | ((s[1] & 0x3Fu) << 6) | (s[2] & 0x3Fu);
        return 3;
    }
    if (b0 >= 0xF0 && b0 <= 0xF4) {
        if (avail < 4 || !isContinuation(s[1]) || !isContinuation(s[2]) ||
            !isContinuation(s[3]))
            return 0;
        if (b0 == 0xF0 && s[1] < 0x90) return 0;
        if (b0 == 0xF4 && s[1] >= 0x90) return 0;
        cp = ((b0 & 0x07u) << 18) | ((s[1] & 0x3Fu) << 12) | ((s[2] & 0x3Fu) << 6) |
             (s[3] & 0x3Fu);
        return 4;
    }
    return 0;
}

}  // namespace

size_t decodeUtf8Into(const char *text, size_t length, wchar_t *out) {
    const auto *s = reinterpret_cast<const unsigned char *>(text);
    size_t i = 0, written = 0;
    while (i < length) {
        if (s[i] < 0x80) {
            out[written++] = static_cast<wchar_t>(s[i++]);
            continue;
        }
        uint32_t cp = 0;
        size_t n = decodeOne(s + i, length - i, cp);
        if (n == 0) {
            out[written++] = static_cast<wchar_t>(escapeBase + s[i]);
            ++i;
        } else {
            out[written++] = static_cast<wchar_t>(cp);
            i += n;
        }
    }
    return written;
}

void decodeUtf8(const char *text, size_t length, std::wstring &out) {
    size_t start = out.size();
    out.resize(start + length);
    out.resize(start + decodeUtf8Into(text, length, out.data() + start));
}

void appendUtf8Char(std::string &out, wchar_t c) {
    auto cp = static_cast<uint32_t>(c);
    if (cp >= escapeBase + 0x80 && cp <= escapeBase + 0xFF) {
        out.push_back(static_cast<char>(cp - escapeBase));
        return;
    }
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) cp = replacement;
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

void appendUtf8(std::string &out, const wchar_t *text, size_t count) {
    out.reserve(out.size() + count);
    for (size_t i = 0; i < count; ++i) appendUtf8Char(out, text[i]);
}

std::string toUtf8(std::wstring_view text) {
    std::string out;
    appendUtf8(out, text.data(), text.size());
    return out;
}

std::string toUtf8(const CIMString *text) { return toUtf8(view(text)); }

std::wstring fromUtf8(std::string_view text) {
    std::wstring out;
    decodeUtf8(text.data(), text.size(), out);
    return out;
}

}  // namespace cimobj
