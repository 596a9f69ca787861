// live_values.h - typed CIM values for what the live providers read. Each
// returns a new value the caller owns and throws std::bad_alloc when
// memory is exhausted.
#pragma once

#include <cimobj/cimobj.hpp>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cimom::live {

cimobj::ValuePtr textValue(std::wstring_view text);
// Kernel bytes as text (see kernelText).
cimobj::ValuePtr kernelTextValue(std::string_view bytes);
// Kernel bytes, one array entry per item.
cimobj::ValuePtr kernelTextArray(const std::vector<std::string> &items);
cimobj::ValuePtr booleanValue(bool value);
cimobj::ValuePtr real64Value(double value);
cimobj::ValuePtr uint16Value(std::uint16_t value);
cimobj::ValuePtr sint16Value(std::int16_t value);
cimobj::ValuePtr uint32Value(std::uint32_t value);
cimobj::ValuePtr uint64Value(std::uint64_t value);
cimobj::ValuePtr uint16Array(const std::vector<std::uint16_t> &items);
// text must be CIM datetime text.
cimobj::ValuePtr dateTimeValue(const std::wstring &text);
// A reference to path (the value takes it).
cimobj::ValuePtr referenceValue(cimobj::PathPtr path);

}  // namespace cimom::live
