// cim_datetime.h - moments as CIM datetime text in the machine's local time.
#pragma once

#include <cstdint>
#include <string>

namespace cimom::live {

// The CIM datetime text of a moment (seconds since the epoch plus
// microseconds) in local time, with the offset from UTC that holds at that
// moment: "yyyymmddhhmmss.mmmmmm+UUU", the offset in minutes. A moment the
// C library cannot convert gives the epoch's text in UTC.
std::wstring cimDateTime(std::int64_t seconds, std::uint32_t microseconds);

// The offset of local time from UTC at that moment, in minutes east.
int utcOffsetMinutes(std::int64_t seconds);

// Rereads the time zone from the environment, so that a change of TZ shows
// in the next conversions.
void refreshTimeZone();

}  // namespace cimom::live
