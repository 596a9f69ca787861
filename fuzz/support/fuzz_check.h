// fuzz_check.h - how a fuzz target reports a broken promise: a message on
// stderr and abort(), which libFuzzer and the regression replay both treat as
// a failing input.
#pragma once

#include <string_view>

namespace fuzzsupport {

// Writes "fuzz check failed: <what>" and the detail (cut to 2,000 bytes),
// then aborts.
[[noreturn]] void fail(std::string_view what, std::string_view detail = {});

// Aborts through fail() when condition is false.
inline void check(bool condition, std::string_view what, std::string_view detail = {}) {
    if (!condition) fail(what, detail);
}

// Sends the log printer's lines nowhere: they still get formatted, which is
// part of what is fuzzed, but the run is not slowed by writing them.
void silenceLog();

}  // namespace fuzzsupport
