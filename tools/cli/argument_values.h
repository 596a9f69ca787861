// argument_values.h - values given on the command line (method parameters,
// SetProperty's new value), typed by what the class declares.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include <cimobj/cimobj.hpp>

namespace cli {

// "Name=value" split at the first '='; nullopt-like empty name when there is
// no '=' (the whole text is then the name and hasValue is false).
struct NamedArgument {
    std::string name;
    std::string value;
    bool hasValue = false;
};
NamedArgument splitNamedArgument(std::string_view text);

// text as a value of the CIM type code type: strings and datetimes as
// given; char16 one character; booleans true or false (any case); integers
// in decimal or 0x hexadecimal within the type's range; reals as C reads
// them; references in the object path text form; arrays as elements
// separated by commas (an empty text is an empty array). Throws
// ClientError(exitBadInput): "<what>: '<text>' is not a uint8 (0..255)".
cimobj::ValuePtr typedArgument(std::string_view text, int type, const std::string &what);

}  // namespace cli
