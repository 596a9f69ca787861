// query_datetime.h - CIM datetime values as comparable numbers, for the query engines.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace cimom::query {

// A point in time (microseconds since 1970-01-01T00:00:00 UTC) or an
// interval (a duration in microseconds).
struct Datetime {
    bool interval = false;
    std::int64_t micros = 0;
};

// Reads "yyyymmddhhmmss.mmmmmmsutc" (s '+' or '-', utc the offset from UTC
// in minutes) or the interval "ddddddddhhmmss.mmmmmm:000". Returns nothing
// for any other text, a field out of range (month 13, February 30, hour
// 24...), or a value with '*' fields, which names no single instant.
std::optional<Datetime> parseDatetime(std::wstring_view text);

}  // namespace cimom::query
