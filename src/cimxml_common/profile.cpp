// profile.cpp - the module's behaviour profile.
#include "cimxml_common/profile.h"

#include <cstdlib>

#include <cimobj/cimobj.h>

namespace profile_detail {
std::atomic<bool> strict{false};
}  // namespace profile_detail

void load_profile() {
    const char *name = std::getenv("CIMXML_PROFILE");
    bool strict = false;
    if (name != nullptr && local_strcasecmp(name, "strict") == 0) {
        strict = true;
    } else if (name != nullptr && name[0] != '\0' && local_strcasecmp(name, "classic") != 0) {
        cimPrintMessage(CIM_LOG_WARNING, L"CIMXML_PROFILE \"%s\" is not a profile; using classic", name);
    }
    set_strict_profile(strict);
}

void set_strict_profile(bool strict) { profile_detail::strict.store(strict, std::memory_order_relaxed); }
