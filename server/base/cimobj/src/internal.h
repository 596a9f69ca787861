// internal.h - helpers shared by the object library's sources (not exported).
#pragma once

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cimobj/cimobj.h"

#pragma GCC visibility push(hidden)

namespace cimobj {

// Zero-filled record from the ordinary heap; NULL when memory is exhausted.
// (malloc and a fill rather than calloc: malloc serves small blocks from the
// thread's cache, calloc does not.)
template <class T>
T *allocRecord() {
    void *record = std::malloc(sizeof(T));
    if (record) std::memset(record, 0, sizeof(T));
    return static_cast<T *>(record);
}

// New status record without description; NULL when memory is exhausted.
ReturnCode *statusOnly(int code);
// New status record with a narrow ASCII description.
ReturnCode *statusWithText(int code, const char *text);

// Deep copy of an optional string: 1 on success (NULL copies to NULL),
// 0 when memory is exhausted.
bool copyOptionalString(const CIMString *from, CIMString **to);

// Frees what *slot holds and stores replacement there.
void replaceString(CIMString **slot, CIMString *replacement);

// Caseless (ASCII) comparison of a string with a wide text; 0 when equal.
int stringCaseCmpWide(const CIMString *s, const wchar_t *text);

// Appends the UTF-8 form of count wide characters to out.
void appendUtf8(std::string &out, const wchar_t *text, size_t count);
// Appends the UTF-8 form of one wide character (see cimobj_text.h for the
// treatment of escaped bytes and invalid characters).
void appendUtf8Char(std::string &out, wchar_t c);
// Decodes UTF-8 (invalid bytes become 0xDC00 + byte) into out.
void decodeUtf8(const char *text, size_t length, std::wstring &out);
// The same into out, which has room for length characters (UTF-8 never
// takes fewer bytes than characters); returns the number written.
size_t decodeUtf8Into(const char *text, size_t length, wchar_t *out);

// New string of length wide characters copied from bytes (which need not be
// aligned for wchar_t); NULL when memory is exhausted.
CIMString *newStringFromWideBytes(const char *bytes, size_t length);

// Copy of bytes into a NUL-terminated atomic block of the collected heap.
char *collectedText(const char *bytes, size_t length);

// Locale-independent snprintf (always the "C" numeric conventions).
int formatNumber(char *buffer, size_t size, const char *format, ...)
    __attribute__((format(printf, 3, 4)));

// Kind of item a list type holds; qualifiers and qualifier declarations
// share one kind. -1 for an unknown list type.
int listItemKind(int listType);

// Frees one item of a list of that kind (listItemKind); borrowed items
// are left alone.
void freeListItem(int kind, void *item);

// Appends item to *list, making the list (of listType) when absent. On
// failure nothing is taken and a list made here is released again.
ReturnCode *appendCreating(CIMList **list, int listType, void *item);

}  // namespace cimobj

#pragma GCC visibility pop
