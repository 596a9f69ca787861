// cim_fixtures.h - the object builders and short ways to read fragments in
// the encoder tests.
#pragma once

#include <string>

#include <utils/pool_string.h>
#include <utils/system_ip.h>

#include "cimxml_common/memory.h"
#include "support/object_builders.h"

namespace fixtures {

// Marker for an encoder that gave NULL.
inline const std::string null_text = "(null)";

// The fragment's text (null_text for NULL); the fragment is released.
inline std::string take(char *fragment) {
    if (fragment == nullptr) return null_text;
    std::string text(fragment);
    cimxml_free(fragment, CIMXML_ATOMIC);
    return text;
}

// Encodes object (freed afterwards) and returns the fragment's text.
template <typename Encoder, typename T>
std::string encoded(Encoder encoder, T *object) {
    Owned<T> owner(object);
    return take(encoder(object));
}

// The host a path without host of its own is written with.
inline std::string system_host() {
    char *address = get_system_ip();
    std::string host = address ? address : "localhost";
    cimxml_free(address, CIMXML_ATOMIC);
    return host;
}

// A response pool set up as the response writers set it up.
struct Pool {
    PoolString pool{};
    Pool() { init_PoolString(&pool, 1, 1, 1, 2048, "test"); }
    ~Pool() { release_PoolStringBuffer(&pool); }
    std::string text() const { return pool.text ? pool.text : ""; }
};

}  // namespace fixtures
