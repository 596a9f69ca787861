// narrow_text.cpp - narrow (UTF-8) texts handed to the caller from the
// collected heap, and the narrow and wide comparisons.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <locale.h>
#include <string>

#include <gc/gc.h>

#include "internal.h"

namespace {

unsigned char foldAscii(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c - 'A' + 'a' : c; }

// Caseless comparison of at most limit bytes; NULL equals NULL and sorts first.
int compareCaseless(const char *a, const char *b, size_t limit) {
    if (!a || !b) return (a ? 1 : 0) - (b ? 1 : 0);
    for (size_t i = 0; i < limit; ++i) {
        unsigned char ca = foldAscii(static_cast<unsigned char>(a[i]));
        unsigned char cb = foldAscii(static_cast<unsigned char>(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
        if (ca == '\0') return 0;
    }
    return 0;
}

char *wideToCollected(const wchar_t *text, size_t length) {
    try {
        std::string narrow;
        cimobj::appendUtf8(narrow, text, length);
        return cimobj::collectedText(narrow.data(), narrow.size());
    } catch (...) {
        return nullptr;  // exhausted memory
    }
}

// The "C" locale, made once and never changed, so that number texts do not
// depend on the host's LC_NUMERIC.
locale_t numericLocale() {
    static locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return c;
}

}  // namespace

namespace cimobj {

int formatNumber(char *buffer, size_t size, const char *format, ...) {
    locale_t c = numericLocale();
    locale_t previous = c ? uselocale(c) : static_cast<locale_t>(0);
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(buffer, size, format, args);
    va_end(args);
    if (c) uselocale(previous);
    return n;
}

}  // namespace cimobj

extern "C" {

/* UTF-8 text of a string, from the collected heap; NULL for a NULL or null
 * string or exhausted memory. */
char *createCharFromCIMString(const CIMString *s) {
    if (!s || !s->buffer) return nullptr;
    return wideToCollected(s->buffer, s->length);
}

/* UTF-8 text of a wide text, from the collected heap; NULL in, NULL out. */
char *createCharFromWide(const wchar_t *text) {
    if (!text) return nullptr;
    return wideToCollected(text, std::wcslen(text));
}

/* Wide text decoded from UTF-8, from the collected heap; NULL in, NULL out. */
wchar_t *createWideFromChar(const char *text) {
    if (!text) return nullptr;
    std::wstring wide;
    try {
        cimobj::decodeUtf8(text, std::strlen(text), wide);
    } catch (...) {
        return nullptr;  // exhausted memory
    }
    cimEnsureCollectorThread();
    auto *block = static_cast<wchar_t *>(GC_malloc_atomic((wide.size() + 1) * sizeof(wchar_t)));
    if (!block) return nullptr;
    std::wmemcpy(block, wide.data(), wide.size());
    block[wide.size()] = L'\0';
    return block;
}

/* Copy of text from the collected heap. NULL in, NULL out; exhausted memory
 * logs the caller's file and line and gives NULL. */
char *real_dupChar(const char *text, const char *file, int line) {
    if (!text) return nullptr;
    char *copy = cimobj::collectedText(text, std::strlen(text));
    if (!copy) cimPrintMessage(CIM_LOG_ERROR, L"real_dupChar - out of memory: %s %d", file ? file : "?", line);
    return copy;
}

int local_strcasecmp(const char *a, const char *b) { return compareCaseless(a, b, SIZE_MAX); }

int local_strncasecmp(const char *a, const char *b, size_t n) { return compareCaseless(a, b, n); }

}  // extern "C"
