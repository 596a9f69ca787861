/* pool_string.h - PoolString, the growable text buffer of the server's utils library. */
#ifndef UTILS_POOL_STRING_H
#define UTILS_POOL_STRING_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct PoolString PoolString;

/* Appends text (NUL-terminated) to the pool. reserved is always 0.
 * handover 0: the text stays the caller's (a literal or a local buffer).
 * handover 1: the text is a block of the collected heap that passes to the
 * pool, which releases it; the caller must not use it afterwards, also when
 * the append fails. A NULL text appends nothing and fails.
 * Returns 1 on success, 0 on failure (the pool's text is then unchanged).
 * Amortised O(length of text): the buffer grows geometrically. */
typedef int (*PoolStringAppend)(PoolString *pool, const char *text, int reserved, int handover);

/* The record is provided by its owner (zero-filled or not) and set up by
 * init_PoolString. The first member is the text so far, the third the append
 * operation; the rest belongs to utils. */
struct PoolString {
    char *text;               /* NUL-terminated text built so far */
    size_t length;            /* bytes in text, without the NUL */
    PoolStringAppend append;  /* the append operation */
    size_t capacity;          /* bytes allocated for text */
    unsigned long long magic; /* marks an initialised record */
    int flags[3];
    char label[48];
};

/* Prepares the pool with an empty text and at least initialCapacity bytes.
 * A pool that was initialised before keeps its buffer, emptied. The three
 * flags are recorded and do not change the behaviour (any values are
 * accepted); label names the owner (NULL: "unknown"). Nonzero on success. */
int init_PoolString(PoolString *pool, int flag1, int flag2, int flag3,
                    size_t initialCapacity, const char *label);
/* Lets the pool grow ahead of itemCount appends of about bytesPerItem bytes
 * each (the reservation is capped; later appends still grow the buffer as
 * needed). Nonzero on success. */
int resize_PoolString(PoolString *pool, size_t itemCount, size_t bytesPerItem);
/* Releases the text buffer; the record itself stays its owner's. The pool
 * then holds no text until it is initialised again. */
void release_PoolStringBuffer(PoolString *pool);

/* Writing in place, for writers that produce text piece by piece: makes
 * room for at least extra bytes after the text (and its NUL), growing the
 * buffer geometrically, and returns the first of them (pool->text +
 * pool->length), or NULL for a pool that is not initialised or when memory
 * is exhausted (the pool is then unchanged). *room receives the number of
 * bytes that may be written there, extra or more. The text itself does not
 * change until commit_PoolString adds the bytes written; bytes written
 * there stay when reserve_PoolString is called again to grow the room
 * (extra counting them). */
char *reserve_PoolString(PoolString *pool, size_t extra, size_t *room);
/* Adds count bytes written at the place reserve_PoolString gave last (at
 * most the room it told) to the text and terminates it; an append in
 * between voids that place. Returns 1, or 0 for a pool that is not
 * initialised or a count beyond its room. Afterwards the rest of the room
 * stays writable at the new end of the text, as if reserve_PoolString had
 * been called again. */
int commit_PoolString(PoolString *pool, size_t count);

#ifdef __cplusplus
}
#endif

#endif
