// query_scalar.h - one comparable operand value: a property's value or a
// literal, reduced to the kinds the query languages (WQL, FQL) compare.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <string_view>

#include <cimobj/cimobj.h>

#include "query_datetime.h"

namespace cimom::query {

struct Scalar {
    // Absent: NULL, or a value WQL cannot compare (arrays, objects, a
    // datetime with '*' fields). Point and Interval: datetimes, in micros.
    enum class Kind : unsigned char { Absent, Text, Signed, Unsigned, Real, Boolean, Point, Interval };
    Kind kind = Kind::Absent;
    union {
        std::int64_t signedValue = 0;  // Signed; Point and Interval: microseconds
        std::uint64_t unsignedValue;
        double realValue;
        bool booleanValue;
    };
    std::wstring_view text;  // Text: lent from the value or literal it came from
};

// The scalar of a number literal as the lexer read it (an optional sign,
// then a decimal integer, a "0x" hexadecimal or "b" binary integer, or with
// real true a real): integers Unsigned when not negative, else Signed; reals
// Real. Nothing when the number does not fit in 64 bits (or in a double).
std::optional<Scalar> numberScalar(std::wstring_view text, bool real);

// The scalar of a datetime.
Scalar datetimeScalar(const Datetime &datetime);

// The scalar of a value (lent: a Text scalar views the value's string, so
// the value must outlive it). A char16 value needs somewhere to keep its one
// character: charBuffer, which must outlive the scalar too.
Scalar scalarOf(const CIMValue *value, wchar_t &charBuffer);

// The class an embedded instance or class, or a reference, is of (lent
// from the value); empty for NULL and other values.
std::wstring_view classOfValue(const CIMValue *value);

// How a compares with b: numbers by value whatever their kinds, text by
// character code, false before true, instants by time and intervals by
// length. unordered when either is Absent, when the kinds do not compare
// (text with a number, a point in time with an interval) and for NaN.
std::partial_ordering compareScalars(const Scalar &a, const Scalar &b);

}  // namespace cimom::query
