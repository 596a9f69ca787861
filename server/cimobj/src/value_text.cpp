// value_text.cpp - the text of a scalar value, as the CIM-XML writers put it
// into documents and the readers scan it back.
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>

#include "internal.h"

namespace {

template <class T>
char *integerText(T value) {
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return cimobj::collectedText(buffer, static_cast<size_t>(result.ptr - buffer));
}

// Shortest of the forms that read back exactly: 9 significant digits for a
// real32, 17 for a real64 (scanf accepts both the plain and the exponent form).
template <class T>
char *realText(T value, int digits) {
    if (std::isnan(value)) return cimobj::collectedText("NaN", 3);
    if (std::isinf(value)) return value < 0 ? cimobj::collectedText("-INF", 4)
                                            : cimobj::collectedText("INF", 3);
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                std::chars_format::general, digits);
    return cimobj::collectedText(buffer, static_cast<size_t>(result.ptr - buffer));
}

char *wideText(const CIMString *s) {
    if (!s || !s->buffer) return nullptr;
    return createCharFromCIMString(s);
}

}  // namespace

extern "C" {

/* Text of a scalar value from the collected heap; NULL for NULL, null,
 * empty, reference, object, class and array values, and when memory is
 * exhausted. */
char *getCharFromCIMValue(const CIMValue *v) {
    if (!v || v->isNull) return nullptr;
    try {
        switch (v->type) {
        case CIM_UINT8: return integerText(static_cast<unsigned>(v->data.u8));
        case CIM_SINT8: return integerText(static_cast<int>(v->data.s8));
        case CIM_UINT16: return integerText(static_cast<unsigned>(v->data.u16));
        case CIM_SINT16: return integerText(static_cast<int>(v->data.s16));
        case CIM_UINT32: return integerText(v->data.u32);
        case CIM_SINT32: return integerText(v->data.s32);
        case CIM_UINT64: return integerText(v->data.u64);
        case CIM_SINT64: return integerText(v->data.s64);
        case CIM_REAL32: return realText(v->data.r32, 9);
        case CIM_REAL64: return realText(v->data.r64, 17);
        case CIM_BOOLEAN:
            return v->data.boolean ? cimobj::collectedText("true", 4)
                                   : cimobj::collectedText("false", 5);
        case CIM_STRING:
        case CIM_DATETIME: return wideText(v->data.string);
        case CIM_CHAR16: {
            std::string one;
            cimobj::appendUtf8Char(one, static_cast<wchar_t>(v->data.char16));
            return cimobj::collectedText(one.data(), one.size());
        }
        default: return nullptr;
        }
    } catch (...) {
        return nullptr;
    }
}

}  // extern "C"
