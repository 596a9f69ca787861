// expat_salt.cpp - the salt, drawn on first use.
#include "cimxml_common/expat_salt.h"

#include <sys/random.h>

#include <chrono>
#include <cstdint>

unsigned long cimxml_expat_hash_salt() {
    static const unsigned long salt = [] {
        unsigned long value = 0;
        if (getrandom(&value, sizeof value, 0) != static_cast<ssize_t>(sizeof value))
            value = static_cast<unsigned long>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                    reinterpret_cast<std::uintptr_t>(&value);
        return value | 1;  // 0 would mean "none"
    }();
    return salt;
}
