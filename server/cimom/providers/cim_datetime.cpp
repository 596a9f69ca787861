// cim_datetime.cpp - CIM datetime text through localtime_r.
#include "providers/cim_datetime.h"

#include <cstdio>
#include <ctime>
#include <cstdlib>

namespace cimom::live {

namespace {

bool localTime(std::int64_t seconds, std::tm &parts) {
    std::time_t moment = static_cast<std::time_t>(seconds);
    return localtime_r(&moment, &parts) != nullptr;
}

}  // namespace

std::wstring cimDateTime(std::int64_t seconds, std::uint32_t microseconds) {
    std::tm parts{};
    if (!localTime(seconds, parts)) return L"19700101000000.000000+000";
    long offset = parts.tm_gmtoff / 60;
    char text[64];
    std::snprintf(text, sizeof text, "%04d%02d%02d%02d%02d%02d.%06u%c%03ld", parts.tm_year + 1900,
                  parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec,
                  static_cast<unsigned>(microseconds % 1000000), offset < 0 ? '-' : '+', std::labs(offset) % 1000);
    return std::wstring(text, text + std::char_traits<char>::length(text));
}

int utcOffsetMinutes(std::int64_t seconds) {
    std::tm parts{};
    return localTime(seconds, parts) ? static_cast<int>(parts.tm_gmtoff / 60) : 0;
}

void refreshTimeZone() { tzset(); }

}  // namespace cimom::live
