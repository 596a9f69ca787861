// memory.h - the module's allocator on top of the collector, and Expat's memory suite.
#pragma once

#include <cstddef>

#include <expat.h>

#include <cimobj/cimobj.h>

// Allocation kinds.
enum {
    CIMXML_SCANNED = 0,        // collected, scanned for pointers: records, arrays of pointers
    CIMXML_UNCOLLECTABLE = 1,  // never collected (offered, not used by the module)
    CIMXML_ATOMIC = 2          // collected, not scanned: texts and scalar buffers
};

// Blocks larger than this are made with the collector's ignore-off-page calls.
constexpr std::size_t CIMXML_LARGE_BLOCK = 10240;
// Blocks up to this size are left to the collector by cimxml_free.
constexpr std::size_t CIMXML_FREE_THRESHOLD = 1024;

// New block of count * size bytes of the kind (scanned blocks are zero-filled).
// A zero total logs "zero allocation request from %s, line %d" and gives NULL;
// an unknown kind, a total beyond 32 bits or an exhausted heap gives NULL
// without a message (the caller reports exhaustion in its own words).
void *cimxml_malloc(std::size_t count, std::size_t size, int kind, const char *file, int line);

// Grows a block; never shrinks it (a smaller size returns the block itself).
// A NULL block is allocated afresh. Above CIMXML_LARGE_BLOCK bytes the content
// moves to a fresh ignore-off-page block and the old one is released. On
// failure NULL is returned and the old block is left as it was.
void *cimxml_realloc(void *block, std::size_t newSize, int kind, const char *file, int line);

// Releases a block when it is larger than CIMXML_FREE_THRESHOLD bytes or the
// collector finds leaks; smaller blocks are left to the collector. kind is
// accepted and not looked at. NULL does nothing.
void cimxml_free(void *block, int kind);

// Set once the calling thread is known to the collector. A plain
// initial-exec thread-local flag: testing it is one load, so every
// allocation may check it.
extern __thread bool cimxml_collector_thread_ready __attribute__((tls_model("initial-exec")));

// Registers the calling thread with the collector unless it is known
// already (cimEnsureCollectorThread); the entry points call it, and so does
// every allocation, at the price of the flag's test.
inline void cimxml_enter_collector() {
    if (__builtin_expect(!cimxml_collector_thread_ready, 0)) {
        cimEnsureCollectorThread();
        cimxml_collector_thread_ready = true;
    }
}

#define CIMXML_MALLOC(count, size, kind) cimxml_malloc((count), (size), (kind), __FILE_NAME__, __LINE__)
#define CIMXML_REALLOC(block, size, kind) cimxml_realloc((block), (size), (kind), __FILE_NAME__, __LINE__)

// Expat's memory suite {malloc, realloc, free}, all through the allocator above (kind 0).
void *cimxml_expat_malloc(std::size_t size);
void *cimxml_expat_realloc(void *block, std::size_t size);
void cimxml_expat_free(void *block);
extern const XML_Memory_Handling_Suite cimxml_expat_memory_suite;
