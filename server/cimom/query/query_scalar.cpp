// query_scalar.cpp - operand values, number literals and their comparison.
#include "query_scalar.h"

#include <charconv>
#include <limits>
#include <string>
#include <utility>

#include <cimobj/cimobj.hpp>

#include "support/number_text.h"

namespace cimom::query {

namespace {

Scalar signedScalar(std::int64_t n) {
    Scalar s;
    s.kind = Scalar::Kind::Signed;
    s.signedValue = n;
    return s;
}
Scalar unsignedScalar(std::uint64_t n) {
    Scalar s;
    s.kind = Scalar::Kind::Unsigned;
    s.unsignedValue = n;
    return s;
}
Scalar realScalar(double n) {
    Scalar s;
    s.kind = Scalar::Kind::Real;
    s.realValue = n;
    return s;
}
Scalar textScalar(std::wstring_view text) {
    Scalar s;
    s.kind = Scalar::Kind::Text;
    s.text = text;
    return s;
}

bool isNumber(Scalar::Kind kind) {
    return kind == Scalar::Kind::Signed || kind == Scalar::Kind::Unsigned || kind == Scalar::Kind::Real;
}

template <class A, class B>
std::partial_ordering compareIntegers(A a, B b) {
    if (std::cmp_less(a, b)) return std::partial_ordering::less;
    if (std::cmp_equal(a, b)) return std::partial_ordering::equivalent;
    return std::partial_ordering::greater;
}

// long double holds every 64-bit integer exactly on the targets we build
// for, so a real compares with a large integer without rounding the integer.
long double asLongDouble(const Scalar &s) {
    switch (s.kind) {
    case Scalar::Kind::Signed: return static_cast<long double>(s.signedValue);
    case Scalar::Kind::Unsigned: return static_cast<long double>(s.unsignedValue);
    default: return s.realValue;
    }
}

std::partial_ordering compareNumbers(const Scalar &a, const Scalar &b) {
    using K = Scalar::Kind;
    if (a.kind == K::Signed && b.kind == K::Signed) return compareIntegers(a.signedValue, b.signedValue);
    if (a.kind == K::Signed && b.kind == K::Unsigned) return compareIntegers(a.signedValue, b.unsignedValue);
    if (a.kind == K::Unsigned && b.kind == K::Signed) return compareIntegers(a.unsignedValue, b.signedValue);
    if (a.kind == K::Unsigned && b.kind == K::Unsigned) return compareIntegers(a.unsignedValue, b.unsignedValue);
    return asLongDouble(a) <=> asLongDouble(b);
}

}  // namespace

std::optional<Scalar> numberScalar(std::wstring_view text, bool real) {
    std::string narrow;
    narrow.reserve(text.size());
    for (wchar_t c : text) narrow += static_cast<char>(c);  // the lexer let only ASCII through
    if (real) {
        bool negative = !narrow.empty() && narrow[0] == '-';
        std::size_t skip = !narrow.empty() && (narrow[0] == '-' || narrow[0] == '+') ? 1 : 0;
        double magnitude = 0;
        auto [end, error] = std::from_chars(narrow.data() + skip, narrow.data() + narrow.size(), magnitude);
        if (error != std::errc() || end != narrow.data() + narrow.size()) return std::nullopt;
        return realScalar(negative ? -magnitude : magnitude);
    }
    mof::IntegerText integer;
    if (mof::readInteger(narrow, integer, mof::IntegerForms::WithBinary) != mof::NumberStatus::Ok) return std::nullopt;
    if (!integer.negative) return unsignedScalar(integer.magnitude);
    constexpr std::uint64_t kLowest = std::uint64_t(1) << 63;
    if (integer.magnitude > kLowest) return std::nullopt;
    return signedScalar(integer.magnitude == kLowest ? std::numeric_limits<std::int64_t>::min()
                                                     : -static_cast<std::int64_t>(integer.magnitude));
}

Scalar datetimeScalar(const Datetime &datetime) {
    Scalar s;
    s.kind = datetime.interval ? Scalar::Kind::Interval : Scalar::Kind::Point;
    s.signedValue = datetime.micros;
    return s;
}

Scalar scalarOf(const CIMValue *value, wchar_t &charBuffer) {
    if (isCIMValueNull(value)) return {};
    const auto &d = value->data;
    switch (value->type) {
    case CIM_UINT8: return unsignedScalar(d.u8);
    case CIM_UINT16: return unsignedScalar(d.u16);
    case CIM_UINT32: return unsignedScalar(d.u32);
    case CIM_UINT64: return unsignedScalar(d.u64);
    case CIM_SINT8: return signedScalar(d.s8);
    case CIM_SINT16: return signedScalar(d.s16);
    case CIM_SINT32: return signedScalar(d.s32);
    case CIM_SINT64: return signedScalar(d.s64);
    case CIM_REAL32: return realScalar(d.r32);
    case CIM_REAL64: return realScalar(d.r64);
    case CIM_CHAR16:
        charBuffer = static_cast<wchar_t>(d.char16);
        return textScalar(std::wstring_view(&charBuffer, 1));
    case CIM_STRING:
        return d.string && d.string->buffer ? textScalar({d.string->buffer, d.string->length}) : Scalar{};
    case CIM_BOOLEAN: {
        Scalar s;
        s.kind = Scalar::Kind::Boolean;
        s.booleanValue = d.boolean != 0;
        return s;
    }
    case CIM_DATETIME: {
        if (!d.string || !d.string->buffer) return {};
        auto datetime = parseDatetime({d.string->buffer, d.string->length});
        return datetime ? datetimeScalar(*datetime) : Scalar{};
    }
    default: return {};
    }
}

std::wstring_view classOfValue(const CIMValue *value) {
    if (isCIMValueNull(value)) return {};
    switch (value->type) {
    case CIM_OBJECT: return cimobj::view(getInstanceName(value->data.instance));
    case CIM_CLASS: return cimobj::view(getClassName(value->data.cimClass));
    case CIM_REFERENCE: {
        std::wstring_view name = cimobj::view(getObjectPathName(value->data.reference));
        return name.empty() ? cimobj::view(getCIMValueReferenceType(value)) : name;
    }
    default: return {};
    }
}

std::partial_ordering compareScalars(const Scalar &a, const Scalar &b) {
    using K = Scalar::Kind;
    if (isNumber(a.kind) && isNumber(b.kind)) return compareNumbers(a, b);
    if (a.kind != b.kind) return std::partial_ordering::unordered;
    switch (a.kind) {
    case K::Text: return a.text.compare(b.text) <=> 0;
    case K::Boolean: return a.booleanValue <=> b.booleanValue;
    case K::Point:
    case K::Interval: return a.signedValue <=> b.signedValue;
    default: return std::partial_ordering::unordered;
    }
}

}  // namespace cimom::query
