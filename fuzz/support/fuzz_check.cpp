// fuzz_check.cpp - the failure report.
#include "support/fuzz_check.h"

#include <cstdio>
#include <cstdlib>

#include <cimobj/cimobj.h>

namespace fuzzsupport {

void fail(std::string_view what, std::string_view detail) {
    constexpr std::size_t shown = 2000;
    std::fprintf(stderr, "fuzz check failed: %.*s\n", static_cast<int>(what.size()), what.data());
    if (!detail.empty()) {
        std::size_t length = detail.size() < shown ? detail.size() : shown;
        std::fprintf(stderr, "%.*s%s\n", static_cast<int>(length), detail.data(), detail.size() > shown ? "..." : "");
    }
    std::abort();
}

void silenceLog() {
    cimSetLogSink([](int, const char *, void *) {}, nullptr);
}

}  // namespace fuzzsupport
