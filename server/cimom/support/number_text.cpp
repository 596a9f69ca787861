// number_text.cpp - integer and real literals to values and back, through
// std::from_chars and std::to_chars.
#include "support/number_text.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace cimom::mof {

namespace {

bool sameCaseless(std::string_view text, std::string_view lower) {
    if (text.size() != lower.size()) return false;
    for (size_t i = 0; i < text.size(); ++i)
        if ((text[i] | 0x20) != lower[i]) return false;
    return true;
}

template <class T>
cimobj::ValuePtr integerOf(int type, IntegerText n) {
    using Limits = std::numeric_limits<T>;
    if (n.negative) {
        if (!Limits::is_signed || n.magnitude == 0) {
            if (n.magnitude != 0) return nullptr;
            return scalarValue(type, T(0));
        }
        // The most negative value has a magnitude one above the maximum.
        if (n.magnitude - 1 > static_cast<uint64_t>(Limits::max())) return nullptr;
        return scalarValue(type, static_cast<T>(-static_cast<T>(n.magnitude - 1) - 1));
    }
    if (n.magnitude > static_cast<uint64_t>(Limits::max())) return nullptr;
    return scalarValue(type, static_cast<T>(n.magnitude));
}

template <class T>
std::string realString(T value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, result.ptr);
    // MOF reads a real only with a fraction: put ".0" before any exponent.
    size_t exponent = text.find('e');
    size_t mantissaEnd = exponent == std::string::npos ? text.size() : exponent;
    if (text.find('.') == std::string::npos) text.insert(mantissaEnd, ".0");
    return text;
}

template <class T>
std::string integerString(T value) {
    char buffer[32];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

}  // namespace

NumberStatus readInteger(std::string_view text, IntegerText &out, IntegerForms forms) {
    out = IntegerText{};
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        out.negative = text[0] == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    } else if (forms != IntegerForms::DecimalHex && text.size() > 1 && (text.back() == 'b' || text.back() == 'B')) {
        base = 2;
        text.remove_suffix(1);
    } else if (forms == IntegerForms::Mof && text.size() > 1 && text[0] == '0') {
        base = 8;
    }
    if (text.empty()) return NumberStatus::Malformed;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out.magnitude, base);
    if (end != text.data() + text.size()) return NumberStatus::Malformed;
    if (error == std::errc::result_out_of_range) return NumberStatus::OutOfRange;
    return error == std::errc() ? NumberStatus::Ok : NumberStatus::Malformed;
}

cimobj::ValuePtr integerValue(int type, IntegerText number) {
    switch (type) {
    case CIM_UINT8: return integerOf<uint8_t>(type, number);
    case CIM_SINT8: return integerOf<int8_t>(type, number);
    case CIM_UINT16: return integerOf<uint16_t>(type, number);
    case CIM_SINT16: return integerOf<int16_t>(type, number);
    case CIM_UINT32: return integerOf<uint32_t>(type, number);
    case CIM_SINT32: return integerOf<int32_t>(type, number);
    case CIM_UINT64: return integerOf<uint64_t>(type, number);
    case CIM_SINT64: return integerOf<int64_t>(type, number);
    default: return nullptr;
    }
}

cimobj::ValuePtr realValue(int type, std::string_view text, NumberStatus &status) {
    status = NumberStatus::Ok;
    double special = 0;
    bool isSpecial = true;
    if (sameCaseless(text, "nan")) special = std::numeric_limits<double>::quiet_NaN();
    else if (sameCaseless(text, "inf") || sameCaseless(text, "+inf")) special = HUGE_VAL;
    else if (sameCaseless(text, "-inf")) special = -HUGE_VAL;
    else isSpecial = false;
    if (isSpecial) {
        return type == CIM_REAL32 ? scalarValue(type, static_cast<float>(special)) : scalarValue(type, special);
    }
    if (!text.empty() && text[0] == '+') text.remove_prefix(1);
    const char *first = text.data();
    const char *last = first + text.size();
    std::from_chars_result result;
    cimobj::ValuePtr value;
    if (type == CIM_REAL32) {
        float number = 0;
        result = std::from_chars(first, last, number);
        value = scalarValue(type, number);
    } else {
        double number = 0;
        result = std::from_chars(first, last, number);
        value = scalarValue(type, number);
    }
    if (text.empty() || result.ptr != last || (result.ec != std::errc() && result.ec != std::errc::result_out_of_range))
        status = NumberStatus::Malformed;
    else if (result.ec == std::errc::result_out_of_range)
        status = NumberStatus::OutOfRange;
    return status == NumberStatus::Ok ? std::move(value) : nullptr;
}

cimobj::ValuePtr realValue(int type, IntegerText number) {
    double value = static_cast<double>(number.magnitude);
    if (number.negative) value = -value;
    return type == CIM_REAL32 ? scalarValue(type, static_cast<float>(value)) : scalarValue(type, value);
}

cimobj::ValuePtr nullValue(int type) {
    cimobj::ValuePtr value(newCIMValueNULL(type));
    if (!value) throw std::bad_alloc();
    return value;
}

cimobj::ValuePtr stringValue(int type, std::wstring_view text) {
    if (type == CIM_DATETIME) {
        std::wstring copy(text);
        cimobj::ValuePtr value(newCIMValue(CIM_DATETIME, copy.data()));
        if (!value) throw std::bad_alloc();
        return value;
    }
    cimobj::StringPtr string = cimobj::makeString(text);
    cimobj::ValuePtr value(newCIMValue(type, string.get()));
    if (!value) throw std::bad_alloc();
    string.release();
    return value;
}

std::string numberText(const CIMValue *value) {
    if (!value || value->isNull) return {};
    const auto &data = value->data;
    switch (value->type) {
    case CIM_UINT8: return integerString(static_cast<unsigned>(data.u8));
    case CIM_SINT8: return integerString(static_cast<int>(data.s8));
    case CIM_UINT16: return integerString(static_cast<unsigned>(data.u16));
    case CIM_SINT16: return integerString(static_cast<int>(data.s16));
    case CIM_UINT32: return integerString(data.u32);
    case CIM_SINT32: return integerString(data.s32);
    case CIM_UINT64: return integerString(data.u64);
    case CIM_SINT64: return integerString(data.s64);
    case CIM_REAL32: return realString(data.r32);
    case CIM_REAL64: return realString(data.r64);
    default: return {};
    }
}

}  // namespace cimom::mof
