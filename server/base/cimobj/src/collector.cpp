// collector.cpp - the library's link to the garbage collector: start-up and
// registration of the threads that receive collected texts.
#include <gc/gc.h>

#include <cstring>

#include "internal.h"

namespace {

// The collector must be running before the first collected text is made, and
// threads the host created itself may only register once this was allowed.
GC_warn_proc collectorWarning = nullptr;

// Every warning but one goes where the collector sends it: a large list
// made again and again (the objects of every large answer or piece) is how
// this library works, not a leak, and users should not read it on stderr.
void warnUnlessLargeBlock(char *message, GC_word argument) {
    if (std::strstr(message, "Repeated allocation of very large block")) return;
    if (collectorWarning) collectorWarning(message, argument);
}

__attribute__((constructor)) void startCollector() {
    GC_INIT();
    GC_allow_register_threads();
    collectorWarning = GC_get_warn_proc();
    GC_set_warn_proc(warnUnlessLargeBlock);
}

// Unregisters the thread when it ends, if this library registered it.
struct ThreadRegistration {
    bool checked = false;
    bool registeredHere = false;
    ~ThreadRegistration() {
        if (registeredHere) GC_unregister_my_thread();
    }
};

thread_local ThreadRegistration registration;

// Set after the first call on a thread. A plain initial-exec flag, so the
// calls after the first cost one load instead of a look-up of the
// registration record.
__thread bool checked __attribute__((tls_model("initial-exec"))) = false;

}  // namespace

/* Registers the calling thread with the collector once; threads the collector
 * already knows (the main thread, threads made through GC_pthread_create) are
 * left alone. Cannot fail visibly: an unregistrable thread stays unregistered. */
extern "C" void cimEnsureCollectorThread(void) {
    if (checked) return;
    checked = true;
    if (registration.checked) return;
    registration.checked = true;
    if (GC_thread_is_registered()) return;
    struct GC_stack_base base;
    if (GC_get_stack_base(&base) != GC_SUCCESS) return;
    if (GC_register_my_thread(&base) == GC_SUCCESS) registration.registeredHere = true;
}

namespace cimobj {

char *collectedText(const char *bytes, size_t length) {
    cimEnsureCollectorThread();
    auto *block = static_cast<char *>(GC_malloc_atomic(length + 1));
    if (!block) return nullptr;
    if (length) std::memcpy(block, bytes, length);
    block[length] = '\0';
    return block;
}

}  // namespace cimobj
