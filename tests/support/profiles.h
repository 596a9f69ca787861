// profiles.h - running the same inputs in the classic and the strict
// profile. Header-only: only suites that link the module include it.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "cimxml_common/profile.h"

namespace testsupport {

// Replacements that turn a classic text into the strict one, each applied
// to the first occurrence of its from, in order.
using ProfileChanges = std::vector<std::pair<std::string, std::string>>;

// text with the changes applied; "(no <from>)" when a from is missing, so
// that a change that no longer applies fails the comparison.
inline std::string strictForm(std::string text, const ProfileChanges &changes) {
    for (const auto &[from, to] : changes) {
        std::size_t at = text.find(from);
        if (at == std::string::npos) return "(no " + from + ")";
        text.replace(at, from.size(), to);
    }
    return text;
}

// The change strict makes to a response's header lines when it names the
// error a host answers 400 with ("request-not-well-formed", ...).
inline ProfileChanges cimErrorLine(const std::string &name) {
    return {{"1.2\r\n\r\n", "1.2\r\nCIMError: " + name + "\r\n\r\n"}};
}

// The profile in force while the scope lives; classic afterwards.
class ProfileScope {
public:
    explicit ProfileScope(bool strict) { set_strict_profile(strict); }
    ~ProfileScope() { set_strict_profile(false); }
    ProfileScope(const ProfileScope &) = delete;
    ProfileScope &operator=(const ProfileScope &) = delete;
};

}  // namespace testsupport
