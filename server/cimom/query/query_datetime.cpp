// query_datetime.cpp - CIM datetime text to instants and durations.
#include "query_datetime.h"

#include <chrono>

namespace cimom::query {

namespace {

constexpr std::int64_t kMicrosPerSecond = 1'000'000;

// The decimal number in text[at, at + count); -1 when a character is not a digit.
std::int64_t field(std::wstring_view text, std::size_t at, std::size_t count) {
    std::int64_t n = 0;
    for (wchar_t c : text.substr(at, count)) {
        if (c < L'0' || c > L'9') return -1;
        n = n * 10 + (c - L'0');
    }
    return n;
}

}  // namespace

std::optional<Datetime> parseDatetime(std::wstring_view text) {
    if (text.size() != 25 || text[14] != L'.') return std::nullopt;
    std::int64_t hour = field(text, 8, 2), minute = field(text, 10, 2), second = field(text, 12, 2);
    std::int64_t micros = field(text, 15, 6);
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || micros < 0)
        return std::nullopt;
    std::int64_t timeOfDay = ((hour * 60 + minute) * 60 + second) * kMicrosPerSecond + micros;
    constexpr std::int64_t kMicrosPerDay = 86'400 * kMicrosPerSecond;

    if (text[21] == L':') {
        std::int64_t days = field(text, 0, 8);
        if (days < 0 || field(text, 22, 3) != 0) return std::nullopt;
        return Datetime{true, days * kMicrosPerDay + timeOfDay};
    }
    if (text[21] != L'+' && text[21] != L'-') return std::nullopt;
    std::int64_t year = field(text, 0, 4), month = field(text, 4, 2), day = field(text, 6, 2);
    std::int64_t offset = field(text, 22, 3);
    if (year < 0 || month < 0 || day < 0 || offset < 0) return std::nullopt;
    std::chrono::year_month_day date{std::chrono::year(static_cast<int>(year)),
                                     std::chrono::month(static_cast<unsigned>(month)),
                                     std::chrono::day(static_cast<unsigned>(day))};
    if (!date.ok()) return std::nullopt;
    std::int64_t days = std::chrono::sys_days(date).time_since_epoch().count();
    // The text is local time at the offset: UTC = local - offset.
    std::int64_t offsetMicros = offset * 60 * kMicrosPerSecond * (text[21] == L'+' ? 1 : -1);
    return Datetime{false, days * kMicrosPerDay + timeOfDay - offsetMicros};
}

}  // namespace cimom::query
