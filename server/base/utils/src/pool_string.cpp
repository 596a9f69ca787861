// pool_string.cpp - PoolString: a growable text buffer that doubles when full.
#include "utils/pool_string.h"

#include <gc/gc.h>
#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// Marks a record as initialised. Mixed with the record's address so that a
// stale record left on the stack by another frame, or a byte copy of a
// record, is never taken for a live one (its buffer may be gone).
constexpr unsigned long long pool_magic_base = 0x506f6f6c53747221ULL;

// Smallest buffer a pool holds, so that a pool of capacity 0 still has room
// for the terminating NUL and a few appends before its first growth.
constexpr size_t pool_minimum_capacity = 64;

// Largest reservation resize_PoolString makes in one call; it is a hint, and
// an item count from a huge list must not claim memory nobody will fill.
constexpr size_t pool_reservation_cap = size_t{16} << 20;

unsigned long long magic_of(const PoolString *pool) {
    return pool_magic_base ^ static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(pool));
}

bool is_initialised(const PoolString *pool) {
    return pool != nullptr && pool->magic == magic_of(pool) && pool->text != nullptr;
}

// From this size on a buffer is a mapping of its own that grows by doubling
// and asks for huge pages: a large response is written once from start to
// end, and faulting it in 4 KiB at a time, or copying it on each growth,
// costs more than writing it. Below it the buffer comes from malloc. A
// buffer is mapped exactly when its capacity is at least this size.
constexpr size_t pool_large_capacity = size_t{4} << 20;
constexpr size_t huge_page = size_t{2} << 20;

bool is_mapped(size_t capacity) { return capacity >= pool_large_capacity; }

// Lets the kernel back a mapped buffer with huge pages (a hint; it may say no).
void prefer_huge_pages(char *buffer, size_t capacity) {
    uintptr_t start = (reinterpret_cast<uintptr_t>(buffer) + huge_page - 1) & ~(huge_page - 1);
    uintptr_t end = reinterpret_cast<uintptr_t>(buffer) + capacity;
    if (end > start) madvise(reinterpret_cast<void *>(start), end - start, MADV_HUGEPAGE);
}

// A buffer of capacity bytes (a mapping when large); NULL when memory is exhausted.
char *new_buffer(size_t capacity) {
    if (!is_mapped(capacity)) return static_cast<char *>(std::malloc(capacity));
    void *mapping = mmap(nullptr, capacity, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED) return nullptr;
    prefer_huge_pages(static_cast<char *>(mapping), capacity);
    return static_cast<char *>(mapping);
}

void free_buffer(char *buffer, size_t capacity) {
    if (is_mapped(capacity))
        munmap(buffer, capacity);
    else
        std::free(buffer);
}

// The buffer moved to a capacity of target bytes, all its bytes kept (also
// those written in place and not yet committed); NULL (the old buffer
// untouched) when memory is exhausted. A mapping grows by moving its pages,
// not its bytes.
char *grow_buffer(char *buffer, size_t capacity, size_t target) {
    if (!is_mapped(target)) return static_cast<char *>(std::realloc(buffer, target));
    if (is_mapped(capacity)) {
        void *moved = mremap(buffer, capacity, target, MREMAP_MAYMOVE);
        if (moved == MAP_FAILED) return nullptr;
        prefer_huge_pages(static_cast<char *>(moved), target);
        return static_cast<char *>(moved);
    }
    char *mapped = new_buffer(target);
    if (mapped == nullptr) return nullptr;
    std::memcpy(mapped, buffer, capacity);
    std::free(buffer);
    return mapped;
}

// Capacity for at least needed bytes: a mapping is a whole number of huge pages.
size_t rounded(size_t needed) {
    if (!is_mapped(needed) || needed > SIZE_MAX - huge_page) return needed;
    return (needed + huge_page - 1) & ~(huge_page - 1);
}

// Makes room for at least `needed` bytes (NUL included), growing the buffer
// at least by half again (doubling it once it is large) so that a run of
// appends costs linear time overall. On failure the buffer is left as it
// was and false is returned.
bool ensure_capacity(PoolString *pool, size_t needed) {
    if (needed <= pool->capacity) return true;
    size_t step = is_mapped(pool->capacity) ? pool->capacity : pool->capacity / 2;
    size_t grown = pool->capacity + step;
    if (grown < pool->capacity) grown = SIZE_MAX;  // overflow
    size_t target = rounded(needed > grown ? needed : grown);
    char *bigger = grow_buffer(pool->text, pool->capacity, target);
    if (bigger == nullptr && target > rounded(needed)) {
        target = rounded(needed);  // the geometric step may be what does not fit
        bigger = grow_buffer(pool->text, pool->capacity, target);
    }
    if (bigger == nullptr) return false;
    pool->text = bigger;
    pool->capacity = target;
    return true;
}

// Releases a handed-over text; it is a block of the collected heap.
void release_handed_over(const char *text, int handover) {
    if (handover == 1 && text != nullptr) GC_free(const_cast<char *>(text));
}

// The pool's append operation. Returns 1 on success, 0 on failure; the
// pool's text is unchanged on failure and a handed-over text is released
// either way.
int pool_append(PoolString *pool, const char *text, int /*reserved*/, int handover) {
    if (!is_initialised(pool) || text == nullptr) {
        release_handed_over(text, handover);
        return 0;
    }
    size_t pieceLength = std::strlen(text);
    if (pieceLength == 0) {
        release_handed_over(text, handover);
        return 1;
    }
    // The piece may lie inside the pool's own buffer, which growth can move.
    const char *oldBuffer = pool->text;
    bool inside = text >= oldBuffer && text < oldBuffer + pool->capacity;
    size_t insideOffset = inside ? static_cast<size_t>(text - oldBuffer) : 0;

    size_t needed = pool->length + pieceLength + 1;
    if (needed <= pool->length || !ensure_capacity(pool, needed)) {
        release_handed_over(text, handover);
        return 0;
    }
    const char *source = inside ? pool->text + insideOffset : text;
    std::memmove(pool->text + pool->length, source, pieceLength);
    pool->length += pieceLength;
    pool->text[pool->length] = '\0';
    release_handed_over(text, handover);
    return 1;
}

}  // namespace

// Sets the pool up with an empty text. A record that already carries its
// magic keeps its buffer (emptied, grown when initialCapacity asks for more);
// any other record is treated as garbage and gets a fresh buffer. Returns 1,
// or 0 for a NULL pool or no memory (a fresh record then holds no text, a
// reused one its emptied buffer).
int init_PoolString(PoolString *pool, int flag1, int flag2, int flag3,
                    size_t initialCapacity, const char *label) {
    if (pool == nullptr) return 0;
    size_t wanted = initialCapacity < SIZE_MAX ? initialCapacity + 1 : initialCapacity;
    if (wanted < pool_minimum_capacity) wanted = pool_minimum_capacity;

    if (is_initialised(pool)) {
        // Whatever the pool held is discarded, also when it cannot grow.
        pool->text[0] = '\0';
        pool->length = 0;
        if (!ensure_capacity(pool, wanted)) return 0;
    } else {
        wanted = rounded(wanted);
        char *buffer = new_buffer(wanted);
        if (buffer == nullptr) {
            pool->text = nullptr;
            pool->length = 0;
            pool->capacity = 0;
            pool->magic = 0;
            pool->append = pool_append;
            return 0;
        }
        pool->text = buffer;
        pool->capacity = wanted;
    }
    pool->text[0] = '\0';
    pool->length = 0;
    pool->append = pool_append;
    pool->magic = magic_of(pool);
    pool->flags[0] = flag1;
    pool->flags[1] = flag2;
    pool->flags[2] = flag3;
    const char *name = label != nullptr ? label : "unknown";
    std::strncpy(pool->label, name, sizeof pool->label - 1);
    pool->label[sizeof pool->label - 1] = '\0';
    return 1;
}

// Grows the buffer ahead of itemCount appends of about bytesPerItem bytes
// (at most pool_reservation_cap bytes at once). Returns 1, or 0 for a pool
// that is not initialised or no memory (the pool is then unchanged).
int resize_PoolString(PoolString *pool, size_t itemCount, size_t bytesPerItem) {
    if (!is_initialised(pool)) return 0;
    size_t extra = 0;
    if (__builtin_mul_overflow(itemCount, bytesPerItem, &extra) || extra > pool_reservation_cap)
        extra = pool_reservation_cap;
    size_t needed = pool->length + 1 + extra;
    return ensure_capacity(pool, needed) ? 1 : 0;
}

// Frees the text buffer of an initialised record; a record that was never
// initialised (or already released) is left alone. Afterwards the record
// holds no text and counts as not initialised.
void release_PoolStringBuffer(PoolString *pool) {
    if (!is_initialised(pool)) return;
    free_buffer(pool->text, pool->capacity);
    pool->text = nullptr;
    pool->length = 0;
    pool->capacity = 0;
    pool->magic = 0;
}

char *reserve_PoolString(PoolString *pool, size_t extra, size_t *room) {
    if (!is_initialised(pool) || room == nullptr) return nullptr;
    size_t needed = pool->length + extra + 1;
    if (needed <= pool->length || !ensure_capacity(pool, needed)) return nullptr;
    *room = pool->capacity - pool->length - 1;
    return pool->text + pool->length;
}

int commit_PoolString(PoolString *pool, size_t count) {
    if (!is_initialised(pool) || count > pool->capacity - pool->length - 1) return 0;
    pool->length += count;
    pool->text[pool->length] = '\0';
    return 1;
}
