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

#ifdef __cplusplus
}
#endif

#endif
