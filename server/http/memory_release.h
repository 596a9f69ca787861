// memory_release.h - giving the heap's free memory back to the system once
// something large is gone (the start-up load, a large answer), so that the
// resident size of an idle server is what it holds, not what it once held.
#pragma once

#include <cstddef>

namespace cimxmld {

// Answers at least this large give their memory back once sent.
constexpr std::size_t releaseAfterBytes = 16u << 20;

// Returns the free memory of the program's allocator to the system
// (tcmalloc's when it is the allocator, glibc's otherwise). Takes a few
// milliseconds per hundred megabytes; never fails.
void returnFreeMemory();

}  // namespace cimxmld
