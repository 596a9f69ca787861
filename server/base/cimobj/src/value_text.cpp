// value_text.cpp - the text of a scalar value, as the CIM-XML writers put it
// into documents and the readers scan it back.
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

#include "internal.h"

#include "cimobj/cimobj.hpp"

namespace {

template <class T>
size_t integerText(T value, char *buffer) {
    return static_cast<size_t>(std::to_chars(buffer, buffer + cimobj::kScalarTextSize, value).ptr - buffer);
}

size_t copyText(const char *text, char *buffer) {
    size_t length = std::strlen(text);
    std::memcpy(buffer, text, length);
    return length;
}

// Shortest of the forms that read back exactly: 9 significant digits for a
// real32, 17 for a real64 (scanf accepts both the plain and the exponent form).
template <class T>
size_t realText(T value, int digits, char *buffer) {
    if (std::isnan(value)) return copyText("NaN", buffer);
    if (std::isinf(value)) return copyText(value < 0 ? "-INF" : "INF", buffer);
    auto result = std::to_chars(buffer, buffer + cimobj::kScalarTextSize, value, std::chars_format::general, digits);
    return static_cast<size_t>(result.ptr - buffer);
}

char *wideText(const CIMString *s) {
    if (!s || !s->buffer) return nullptr;
    return createCharFromCIMString(s);
}

}  // namespace

size_t cimobj::scalarText(const CIMValue *v, char *buffer) {
    if (!v || v->isNull) return kNoScalarText;
    switch (v->type) {
    case CIM_UINT8: return integerText(static_cast<unsigned>(v->data.u8), buffer);
    case CIM_SINT8: return integerText(static_cast<int>(v->data.s8), buffer);
    case CIM_UINT16: return integerText(static_cast<unsigned>(v->data.u16), buffer);
    case CIM_SINT16: return integerText(static_cast<int>(v->data.s16), buffer);
    case CIM_UINT32: return integerText(v->data.u32, buffer);
    case CIM_SINT32: return integerText(v->data.s32, buffer);
    case CIM_UINT64: return integerText(v->data.u64, buffer);
    case CIM_SINT64: return integerText(v->data.s64, buffer);
    case CIM_REAL32: return realText(v->data.r32, 9, buffer);
    case CIM_REAL64: return realText(v->data.r64, 17, buffer);
    case CIM_BOOLEAN: return copyText(v->data.boolean ? "true" : "false", buffer);
    case CIM_CHAR16: {
        std::string one;
        cimobj::appendUtf8Char(one, static_cast<wchar_t>(v->data.char16));
        std::memcpy(buffer, one.data(), one.size());
        return one.size();
    }
    default: return kNoScalarText;
    }
}

extern "C" {

/* Text of a scalar value from the collected heap; NULL for NULL, null,
 * empty, reference, object, class and array values, and when memory is
 * exhausted. */
char *getCharFromCIMValue(const CIMValue *v) {
    if (!v || v->isNull) return nullptr;
    if (v->type == CIM_STRING || v->type == CIM_DATETIME) return wideText(v->data.string);
    char buffer[cimobj::kScalarTextSize];
    size_t length = cimobj::scalarText(v, buffer);
    return length == cimobj::kNoScalarText ? nullptr : cimobj::collectedText(buffer, length);
}

}  // extern "C"
