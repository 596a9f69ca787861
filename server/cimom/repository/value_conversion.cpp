// value_conversion.cpp - conversion of values to declared types and their
// canonical key text.
#include "repository/value_conversion.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "cimom/object_path_text.h"
#include "support/names.h"
#include "support/objects.h"

namespace cimom {

namespace {

using Int = __int128;

bool isIntegerType(int type) { return type >= CIM_UINT8 && type <= CIM_SINT64; }
bool isRealType(int type) { return type == CIM_REAL32 || type == CIM_REAL64; }
bool isArray(int type) { return type >= CIM_ARRAY; }

std::pair<Int, Int> rangeOf(int type) {
    switch (type) {
        case CIM_UINT8:
            return {0, UINT8_MAX};
        case CIM_SINT8:
            return {INT8_MIN, INT8_MAX};
        case CIM_UINT16:
            return {0, UINT16_MAX};
        case CIM_SINT16:
            return {INT16_MIN, INT16_MAX};
        case CIM_UINT32:
            return {0, UINT32_MAX};
        case CIM_SINT32:
            return {INT32_MIN, INT32_MAX};
        case CIM_UINT64:
            return {0, UINT64_MAX};
        default:
            return {INT64_MIN, INT64_MAX};
    }
}

Int integerOf(const CIMValue *v) {
    switch (v->type) {
        case CIM_UINT8:
            return v->data.u8;
        case CIM_SINT8:
            return v->data.s8;
        case CIM_UINT16:
            return v->data.u16;
        case CIM_SINT16:
            return v->data.s16;
        case CIM_UINT32:
            return v->data.u32;
        case CIM_SINT32:
            return v->data.s32;
        case CIM_UINT64:
            return v->data.u64;
        default:
            return v->data.s64;
    }
}

cimobj::ValuePtr valueOf(int type, void *data) { return cimobj::ValuePtr(orThrow(newCIMValue(type, data))); }

cimobj::ValuePtr integerValue(int type, Int n) {
    switch (type) {
        case CIM_UINT8: {
            uint8_t x = static_cast<uint8_t>(n);
            return valueOf(type, &x);
        }
        case CIM_SINT8: {
            int8_t x = static_cast<int8_t>(n);
            return valueOf(type, &x);
        }
        case CIM_UINT16: {
            uint16_t x = static_cast<uint16_t>(n);
            return valueOf(type, &x);
        }
        case CIM_SINT16: {
            int16_t x = static_cast<int16_t>(n);
            return valueOf(type, &x);
        }
        case CIM_UINT32: {
            uint32_t x = static_cast<uint32_t>(n);
            return valueOf(type, &x);
        }
        case CIM_SINT32: {
            int32_t x = static_cast<int32_t>(n);
            return valueOf(type, &x);
        }
        case CIM_UINT64: {
            uint64_t x = static_cast<uint64_t>(n);
            return valueOf(type, &x);
        }
        default: {
            int64_t x = static_cast<int64_t>(n);
            return valueOf(type, &x);
        }
    }
}

cimobj::ValuePtr realValue(int type, double d) {
    if (type == CIM_REAL32) {
        float f = static_cast<float>(d);
        return valueOf(type, &f);
    }
    return valueOf(type, &d);
}

// A finite real beyond what real32 holds would become an infinity.
bool fitsReal(int type, double d) {
    return type != CIM_REAL32 || !std::isfinite(d) || std::isfinite(static_cast<float>(d));
}

std::string realText(double d) {
    char buffer[32];
    auto written = std::to_chars(buffer, buffer + sizeof buffer, d);
    return std::string(buffer, written.ptr);
}

// ASCII form of short numeric text with blanks trimmed; false when it holds
// anything else.
bool asciiOf(std::wstring_view text, std::string &out) {
    while (!text.empty() && (text.front() == L' ' || text.front() == L'\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == L' ' || text.back() == L'\t')) text.remove_suffix(1);
    if (text.empty() || text.size() > 64) return false;
    for (wchar_t c : text) {
        if (c <= 0 || c >= 0x80) return false;
        out += static_cast<char>(c);
    }
    return true;
}

bool parseInteger(std::wstring_view text, Int &n) {
    std::string ascii;
    if (!asciiOf(text, ascii)) return false;
    const char *first = ascii.data() + (ascii[0] == '+' ? 1 : 0);
    const char *last = ascii.data() + ascii.size();
    if (*first == '-') {
        int64_t x = 0;
        auto [end, ec] = std::from_chars(first, last, x);
        n = x;
        return ec == std::errc() && end == last;
    }
    uint64_t x = 0;
    auto [end, ec] = std::from_chars(first, last, x);
    n = x;
    return ec == std::errc() && end == last;
}

bool parseReal(std::wstring_view text, double &d) {
    std::string ascii;
    if (!asciiOf(text, ascii)) return false;
    const char *first = ascii.data() + (ascii[0] == '+' ? 1 : 0);
    const char *last = ascii.data() + ascii.size();
    auto [end, ec] = std::from_chars(first, last, d);
    return ec == std::errc() && end == last;
}

std::string quoted(std::wstring_view text) {
    std::string shown = cimobj::toUtf8(text.substr(0, 64));
    return "'" + shown + (text.size() > 64 ? "...'" : "'");
}

Conversion failure(std::string problem, bool mismatch) {
    Conversion c;
    c.typeMismatch = mismatch;
    c.problem = std::move(problem);
    return c;
}

Conversion success(cimobj::ValuePtr value) {
    Conversion c;
    c.value = std::move(value);
    return c;
}

Conversion fromText(std::wstring_view text, int type) {
    const std::string notA = quoted(text) + " is not a " + typeName(type);
    if (isIntegerType(type)) {
        Int n = 0;
        if (!parseInteger(text, n)) return failure(notA, false);
        auto [low, high] = rangeOf(type);
        if (n < low || n > high) return failure(quoted(text) + " is out of the range of " + typeName(type), false);
        return success(integerValue(type, n));
    }
    if (isRealType(type)) {
        double d = 0;
        if (!parseReal(text, d)) return failure(notA, false);
        if (!fitsReal(type, d)) return failure(quoted(text) + " is out of the range of " + typeName(type), false);
        return success(realValue(type, d));
    }
    switch (type) {
        case CIM_STRING:
            return success(valueOf(type, newText(text)));
        case CIM_BOOLEAN: {
            int b = sameName(text, L"true") ? 1 : sameName(text, L"false") ? 0 : -1;
            if (b < 0) return failure(notA, false);
            return success(valueOf(type, &b));
        }
        case CIM_DATETIME: {
            if (!isDatetimeText(text)) return failure(notA, false);
            std::wstring copy(text);
            return success(valueOf(type, copy.data()));
        }
        case CIM_CHAR16: {
            if (text.size() != 1 || text[0] > 0xFFFF) return failure(notA, false);
            uint16_t c = static_cast<uint16_t>(text[0]);
            return success(valueOf(type, &c));
        }
        case CIM_REFERENCE: {
            std::string error;
            cimobj::PathPtr path = parseObjectPathText(text, &error);
            if (!path) return failure(quoted(text) + " is not an object path: " + error, false);
            cimobj::ValuePtr value(orThrow(newCIMValue(type, path.get())));
            path.release();
            return success(std::move(value));
        }
        case CIM_OBJECT:
        case CIM_CLASS:
            // Its CIM-XML arrives as an embedded object only when marked as one.
            return failure("a string is not an " + typeName(type), true);
        default:
            return failure(quoted(text) + " cannot be a " + typeName(type), true);
    }
}

Conversion fromScalar(const CIMValue *value, int type) {
    int from = value->type;
    if (from == type) return success(copyValue(value));
    if (from == CIM_STRING) return fromText(textOf(value->data.string), type);
    if ((from == CIM_OBJECT || from == CIM_CLASS) && (type == CIM_STRING || type == CIM_OBJECT || type == CIM_CLASS))
        return success(copyValue(value));
    if (isIntegerType(from) && isIntegerType(type)) {
        Int n = integerOf(value);
        auto [low, high] = rangeOf(type);
        if (n < low || n > high) {
            std::string text = std::to_string(static_cast<long long>(n));
            if (n > INT64_MAX) text = std::to_string(static_cast<unsigned long long>(n));
            return failure(text + " is out of the range of " + typeName(type), false);
        }
        return success(integerValue(type, n));
    }
    if (isIntegerType(from) && isRealType(type)) return success(realValue(type, static_cast<double>(integerOf(value))));
    if (isRealType(from) && isRealType(type)) {
        double d = from == CIM_REAL32 ? value->data.r32 : value->data.r64;
        if (!fitsReal(type, d)) return failure(realText(d) + " is out of the range of " + typeName(type), false);
        return success(realValue(type, d));
    }
    return failure("a " + typeName(from) + " value is not a " + typeName(type), true);
}

Conversion fromArray(const CIMValue *value, int type) {
    if (!isArray(value->type)) return failure("a " + typeName(value->type) + " value is not an array", true);
    cimobj::ListPtr converted = makeList(CIMLIST_VALUE);
    CIMList *list = converted.get();
    for (CIMValue *element : items<CIMValue>(value->data.array)) {
        Conversion one = convertValue(element, type - CIM_ARRAY);
        if (!one.ok()) return one;
        appendOwned(&list, CIMLIST_VALUE, std::move(one.value));
    }
    cimobj::ValuePtr result(orThrow(newCIMValue(type, converted.get())));
    converted.release();
    return success(std::move(result));
}

void appendEscaped(std::wstring &out, std::wstring_view text) {
    for (wchar_t c : text) {
        if (c == L',' || c == L'\\') out += L'\\';
        out += c;
    }
}

}  // namespace

std::string typeName(int type) {
    static const char *const names[] = {"uint8",    "sint8",  "uint16",    "sint16",  "uint32", "sint32",
                                        "uint64",   "sint64", "string",    "boolean", "real32", "real64",
                                        "datetime", "char16", "reference", "embedded instance", "embedded object"};
    if (isArray(type)) return typeName(type - CIM_ARRAY) + "[]";
    if (type >= 0 && type <= CIM_CLASS) return names[type];
    return "value of type " + std::to_string(type);
}

bool isDatetimeText(std::wstring_view text) {
    if (text.size() != 25 || text[14] != L'.') return false;
    auto digitOrStar = [](wchar_t c) { return (c >= L'0' && c <= L'9') || c == L'*'; };
    for (std::size_t i = 0; i < 21; ++i)
        if (i != 14 && !digitOrStar(text[i])) return false;
    if (text[21] == L':') return text.substr(22) == L"000";
    if (text[21] != L'+' && text[21] != L'-') return false;
    return std::all_of(text.begin() + 22, text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

Conversion convertValue(const CIMValue *value, int type) {
    if (isCIMValueNull(value)) {
        Conversion c;
        c.value = cimobj::ValuePtr(orThrow(newCIMValueNULL(type)));
        return c;
    }
    if (isArray(type)) return fromArray(value, type);
    if (isArray(value->type)) return failure("an array is not a " + typeName(type), true);
    return fromScalar(value, type);
}

std::wstring canonicalText(const CIMValue *value) {
    if (isCIMValueNull(value)) return L"";
    int type = value->type;
    if (isArray(type)) {
        std::wstring text;
        for (CIMValue *element : items<CIMValue>(value->data.array)) {
            appendEscaped(text, canonicalText(element));
            text += L',';
        }
        return text;
    }
    char buffer[64];
    std::to_chars_result written{buffer, std::errc()};
    if (isIntegerType(type)) {
        Int n = integerOf(value);
        written = n < 0 ? std::to_chars(buffer, buffer + sizeof buffer, static_cast<int64_t>(n))
                        : std::to_chars(buffer, buffer + sizeof buffer, static_cast<uint64_t>(n));
    } else if (type == CIM_REAL32) {
        written = std::to_chars(buffer, buffer + sizeof buffer, value->data.r32);
    } else if (type == CIM_REAL64) {
        written = std::to_chars(buffer, buffer + sizeof buffer, value->data.r64);
    } else {
        switch (type) {
            case CIM_BOOLEAN:
                return value->data.boolean ? L"true" : L"false";
            case CIM_CHAR16:
                return std::wstring(1, static_cast<wchar_t>(value->data.char16));
            case CIM_STRING:
            case CIM_DATETIME:
                return std::wstring(textOf(value->data.string));
            case CIM_REFERENCE: {
                const CIMObjectPath *path = value->data.reference;
                return path ? foldName(textOf(path->className)) + L"." + canonicalKeyText(path->mkeys) : L"";
            }
            default:
                return L"";
        }
    }
    return std::wstring(buffer, written.ptr);
}

std::string displayText(const CIMObjectPath &path) {
    cimobj::PathPtr local = copyPath(&path);
    setPathLocation(local.get(), {}, {});
    return cimobj::toUtf8(writeObjectPathText(local.get()));
}

std::wstring canonicalKeyText(std::vector<std::pair<std::wstring, const CIMValue *>> keys) {
    std::sort(keys.begin(), keys.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    std::wstring text;
    for (const auto &[name, value] : keys) {
        text += name;
        text += L'=';
        appendEscaped(text, canonicalText(value));
        text += L',';
    }
    return text;
}

std::wstring canonicalKeyText(const CIMPropertyList *keys) {
    std::vector<std::pair<std::wstring, const CIMValue *>> pairs;
    for (CIMProperty *key : items<CIMProperty>(keys)) pairs.emplace_back(foldName(textOf(key->name)), key->value);
    return canonicalKeyText(std::move(pairs));
}

}  // namespace cimom
