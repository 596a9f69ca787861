// cim_string.cpp - CIMString: growable wide text with a "null string" state.
#include <cstring>
#include <cwchar>
#include <string>

#include "internal.h"

#include "cimobj/cimobj.hpp"

namespace {

// The text of a string made at its final size lives in the record's own
// block, right behind it: one block per string instead of two.
wchar_t *inlineBuffer(const CIMString *s) {
    return reinterpret_cast<wchar_t *>(const_cast<CIMString *>(s) + 1);
}

// A string whose block has room for capacity characters (the terminating
// NUL included) behind the record, empty; NULL when memory is exhausted.
CIMString *makeRoom(size_t capacity) {
    if (capacity > (SIZE_MAX - sizeof(CIMString)) / sizeof(wchar_t)) return nullptr;
    auto *s = static_cast<CIMString *>(std::malloc(sizeof(CIMString) + capacity * sizeof(wchar_t)));
    if (!s) return nullptr;
    s->buffer = inlineBuffer(s);
    s->buffer[0] = L'\0';
    s->length = 0;
    s->capacity = capacity;
    return s;
}

// Makes a string holding a copy of length characters of text.
CIMString *makeString(const wchar_t *text, size_t length) {
    CIMString *s = makeRoom(length + 1);
    if (!s) return nullptr;
    if (length) std::wmemcpy(s->buffer, text, length);
    s->buffer[length] = L'\0';
    s->length = length;
    return s;
}

// The characters of a string, or NULL when it has none (absent or null).
const wchar_t *textOf(const CIMString *s) { return s ? s->buffer : nullptr; }

wchar_t foldAscii(wchar_t c) { return (c >= L'A' && c <= L'Z') ? c - L'A' + L'a' : c; }

int compareWide(const wchar_t *a, const wchar_t *b, bool caseless) {
    if (!a || !b) return (a ? 1 : 0) - (b ? 1 : 0);
    for (;; ++a, ++b) {
        wchar_t ca = caseless ? foldAscii(*a) : *a;
        wchar_t cb = caseless ? foldAscii(*b) : *b;
        if (ca != cb) return static_cast<uint32_t>(ca) < static_cast<uint32_t>(cb) ? -1 : 1;
        if (ca == L'\0') return 0;
    }
}

}  // namespace

namespace cimobj {

CIMString *newStringFromUtf8(const char *text, size_t length) {
    if (!text) return allocRecord<CIMString>();
    // UTF-8 never takes fewer bytes than characters.
    CIMString *s = makeRoom(length + 1);
    if (!s) return nullptr;
    s->length = decodeUtf8Into(text, length, s->buffer);
    s->buffer[s->length] = L'\0';
    return s;
}

CIMString *newStringFromWideBytes(const char *bytes, size_t length) {
    CIMString *s = makeRoom(length + 1);
    if (!s) return nullptr;
    if (length) std::memcpy(s->buffer, bytes, length * sizeof(wchar_t));
    s->buffer[length] = L'\0';
    s->length = length;
    return s;
}

bool copyOptionalString(const CIMString *from, CIMString **to) {
    *to = nullptr;
    if (!from) return true;
    *to = copyCIMString(from);
    return *to != nullptr;
}

void replaceString(CIMString **slot, CIMString *replacement) {
    if (*slot != replacement) freeCIMString(*slot);
    *slot = replacement;
}

int stringCaseCmpWide(const CIMString *s, const wchar_t *text) {
    return compareWide(textOf(s), text, true);
}

}  // namespace cimobj

extern "C" {

/* New string with a copy of text; a NULL text gives a null string.
 * NULL only when memory is exhausted. */
CIMString *newCIMString(const wchar_t *text) {
    if (!text) return cimobj::allocRecord<CIMString>();
    return makeString(text, std::wcslen(text));
}

/* New string decoded from UTF-8; NULL text gives a null string. */
CIMString *createCIMStringFromChar(const char *text) {
    return cimobj::newStringFromUtf8(text, text ? std::strlen(text) : 0);
}

/* Deep copy; a null string copies to a null string. NULL in, NULL out. */
CIMString *copyCIMString(const CIMString *s) {
    if (!s) return nullptr;
    if (!s->buffer) return cimobj::allocRecord<CIMString>();
    return makeString(s->buffer, s->length);
}

/* Frees the text and the record. */
void freeCIMString(CIMString *s) {
    if (!s) return;
    if (s->buffer != inlineBuffer(s)) std::free(s->buffer);
    std::free(s);
}

int isEmptyCIMString(const CIMString *s) {
    return (!s || !s->buffer || s->length == 0) ? 1 : 0;
}

wchar_t *getCIMStringBuffer(const CIMString *s) { return s ? s->buffer : nullptr; }

int cimStringCmp(const CIMString *a, const CIMString *b) {
    return compareWide(textOf(a), textOf(b), false);
}

int cimStringCaseCmp(const CIMString *a, const CIMString *b) {
    return compareWide(textOf(a), textOf(b), true);
}

/* Appends src (which may be dst itself) to dst, growing the buffer
 * geometrically. A NULL or null src leaves dst as it is and returns it.
 * NULL for a NULL dst or exhausted memory; dst is then unchanged. */
CIMString *cimStringCat(CIMString *dst, const CIMString *src) {
    if (!dst) return nullptr;
    if (!src || !src->buffer) return dst;
    size_t add = src->length;
    size_t needed = dst->length + add + 1;
    if (!dst->buffer || needed > dst->capacity) {
        size_t capacity = dst->capacity * 2;
        if (capacity < needed) capacity = needed;
        if (capacity < 16) capacity = 16;
        // A text in the record's own block cannot grow there: it moves out.
        bool moves = dst->buffer == inlineBuffer(dst);
        auto *grown = static_cast<wchar_t *>(moves ? std::malloc(capacity * sizeof(wchar_t))
                                                   : std::realloc(dst->buffer, capacity * sizeof(wchar_t)));
        if (!grown) return nullptr;
        if (moves) std::wmemcpy(grown, dst->buffer, dst->length + 1);
        if (!dst->buffer) dst->length = 0;
        dst->buffer = grown;
        dst->capacity = capacity;
    }
    // When src is dst its buffer may just have moved: read it through dst.
    const wchar_t *from = (src == dst) ? dst->buffer : src->buffer;
    std::wmemmove(dst->buffer + dst->length, from, add);
    dst->length += add;
    dst->buffer[dst->length] = L'\0';
    return dst;
}

int local_wcscmp(const wchar_t *a, const wchar_t *b) { return compareWide(a, b, false); }

int local_wcscasecmp(const wchar_t *a, const wchar_t *b) { return compareWide(a, b, true); }

}  // extern "C"
