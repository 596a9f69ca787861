// number_text.h - numbers as MOF and object paths write them: reading
// integer and real literals into typed values, and writing values back.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <cimobj/cimobj.hpp>

namespace cimom::mof {

struct IntegerText {
    bool negative = false;
    uint64_t magnitude = 0;
};

enum class NumberStatus { Ok, Malformed, OutOfRange };

// The integer forms a reader takes besides decimal and hexadecimal ("0x"):
// MOF's octal (leading 0) and binary (trailing 'b'), binary only (filter
// queries), or none (object paths' keys).
enum class IntegerForms { Mof, WithBinary, DecimalHex };

// Reads an integer literal: an optional sign, then one of forms. OutOfRange
// when the magnitude does not fit in 64 bits.
NumberStatus readInteger(std::string_view text, IntegerText &out, IntegerForms forms = IntegerForms::Mof);

// A value of an integer type code holding number; NULL when the number is
// outside the type's range. Throws std::bad_alloc when memory is exhausted.
cimobj::ValuePtr integerValue(int type, IntegerText number);

// A real32 or real64 value read from a real literal (also "NaN", "INF",
// "-INF", without regard to case); NULL with status set when the text is no
// real or its value is outside the type's range.
cimobj::ValuePtr realValue(int type, std::string_view text, NumberStatus &status);
// A real32 or real64 value holding the integer (rounded to the type).
cimobj::ValuePtr realValue(int type, IntegerText number);

// Value of a type whose data newCIMValue copies (integers, reals, char16,
// boolean as int). Throws std::bad_alloc when memory is exhausted.
template <class Native>
cimobj::ValuePtr scalarValue(int type, Native native) {
    cimobj::ValuePtr value(newCIMValue(type, &native));
    if (!value) throw std::bad_alloc();
    return value;
}
// A null value of type. Throws std::bad_alloc when memory is exhausted.
cimobj::ValuePtr nullValue(int type);
// A string (or datetime) value holding a copy of text.
cimobj::ValuePtr stringValue(int type, std::wstring_view text);

// The text of an integer or real value as both MOF and object paths read it
// back to an equal value: integers in decimal, reals in the shortest form
// that reads back exactly, always with a '.' ("1.0", "2.5e+20"), and "NaN",
// "INF", "-INF". Empty for other types and null values.
std::string numberText(const CIMValue *value);

}  // namespace cimom::mof
