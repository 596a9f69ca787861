// message_format.h - locale-independent rendering of the printer's wide formats.
#pragma once

#include <cstdarg>
#include <string>

#pragma GCC visibility push(hidden)

namespace cimobj {

// Renders format with args as UTF-8: %s takes UTF-8 text (copied unchanged),
// %ls wide text, %c an int byte, %lc a wide character; the integer, floating
// and pointer conversions with their flags, width, precision and length
// modifiers are those of printf. %n consumes its argument and writes nothing;
// an unknown conversion is copied as it stands. Throws std::bad_alloc.
std::string formatMessage(const wchar_t *format, va_list args);

}  // namespace cimobj

#pragma GCC visibility pop
