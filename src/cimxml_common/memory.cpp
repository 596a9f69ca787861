// memory.cpp - the module's allocator on the collector, and Expat's memory suite.
#include "cimxml_common/memory.h"

#include <gc/gc.h>

#include <cstdint>
#include <cstring>

#include <cimobj/cimobj.h>

__thread bool cimxml_collector_thread_ready = false;

// Allocates count * size bytes of the kind. Logs "zero allocation request
// from <file>, line <line>" and returns NULL when the total is 0. Returns NULL
// without a message for a total beyond 32 bits, an unknown kind or an
// exhausted heap. Kinds 0 and 1 come back zero-filled. The caller owns the
// block (or leaves it to the collector).
void *cimxml_malloc(std::size_t count, std::size_t size, int kind, const char *file, int line) {
    cimxml_enter_collector();
    if (count == 0 || size == 0) {
        cimPrintMessage(CIM_LOG_ERROR, L"zero allocation request from %s, line %d",
                        file != nullptr ? file : "unknown", line);
        return nullptr;
    }
    std::size_t total = 0;
    if (__builtin_mul_overflow(count, size, &total) || total > UINT32_MAX) return nullptr;
    switch (kind) {
    case CIMXML_SCANNED:
        return GC_malloc(total);
    case CIMXML_UNCOLLECTABLE:
        return GC_malloc_uncollectable(total);
    case CIMXML_ATOMIC:
        return GC_malloc_atomic(total);
    default:
        return nullptr;
    }
}

// Grows block to newSize bytes. A NULL block is allocated as by
// cimxml_malloc(1, newSize, kind). A block that is already large enough is
// returned as it is. Beyond CIMXML_LARGE_BLOCK bytes the content moves to a
// fresh ignore-off-page block (atomic for kind 2, scanned otherwise) and the
// old block is freed; up to it GC_realloc does the work. On failure NULL is
// returned and block stays valid and unchanged.
void *cimxml_realloc(void *block, std::size_t newSize, int kind, const char *file, int line) {
    cimxml_enter_collector();
    if (block == nullptr) return cimxml_malloc(1, newSize, kind, file, line);
    std::size_t oldSize = GC_size(block);
    if (newSize <= oldSize) return block;
    if (newSize > UINT32_MAX) return nullptr;
    if (newSize > CIMXML_LARGE_BLOCK) {
        void *fresh = kind == CIMXML_ATOMIC ? GC_malloc_atomic_ignore_off_page(newSize)
                                            : GC_malloc_ignore_off_page(newSize);
        if (fresh == nullptr) return nullptr;
        std::memcpy(fresh, block, oldSize);
        GC_free(block);
        return fresh;
    }
    return GC_realloc(block, newSize);
}

// Frees block when it is larger than CIMXML_FREE_THRESHOLD bytes or the
// collector is finding leaks; smaller blocks are cheaper left to the
// collector. kind is not looked at. NULL does nothing.
void cimxml_free(void *block, int /*kind*/) {
    if (block == nullptr) return;
    cimxml_enter_collector();
    if (GC_size(block) > CIMXML_FREE_THRESHOLD || GC_get_find_leak() == 1) GC_free(block);
}

void *cimxml_expat_malloc(std::size_t size) {
    return cimxml_malloc(1, size, CIMXML_SCANNED, __FILE_NAME__, __LINE__);
}

void *cimxml_expat_realloc(void *block, std::size_t size) {
    return cimxml_realloc(block, size, CIMXML_SCANNED, __FILE_NAME__, __LINE__);
}

void cimxml_expat_free(void *block) {
    cimxml_free(block, CIMXML_SCANNED);
}

const XML_Memory_Handling_Suite cimxml_expat_memory_suite = {
    cimxml_expat_malloc, cimxml_expat_realloc, cimxml_expat_free};
