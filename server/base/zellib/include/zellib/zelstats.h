/* zelstats.h - activity statistics: call counts and durations per name. */
#ifndef ZELLIB_ZELSTATS_H
#define ZELLIB_ZELSTATS_H

#include <stdint.h>
#include <stdio.h>
#include <wchar.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct ZelStatsContext ZelStatsContext;

/* Figures of one name. Durations are in nanoseconds of the steady clock;
 * minimum and maximum are 0 while count is 0. */
typedef struct ZelStatsFigures {
    uint64_t count;
    uint64_t totalNs;
    uint64_t minNs;
    uint64_t maxNs;
} ZelStatsFigures;

/* Makes a context for nameCount names (copied) and stores it in *context.
 * Returns 1 on success, 0 on failure (*context is then NULL). */
int zelStatsInitialize(int nameCount, const wchar_t *const *names, ZelStatsContext **context);
/* Starts a measurement of name index on the calling thread. Measurements of
 * one thread nest; any number of threads may measure at once. 1 or 0. */
int zelStatsStart(ZelStatsContext *context, int index);
/* Ends the calling thread's most recent open measurement of index and adds
 * its duration to the figures. 0 when none is open. */
int zelStatsEnd(ZelStatsContext *context, int index);
/* Copies the figures of index. 1 or 0 (bad context or index). */
int zelStatsRead(ZelStatsContext *context, int index, ZelStatsFigures *figures);
/* Receives one name's figures from zelStatsVisit; user is the caller's. */
typedef void (*ZelStatsVisitor)(const wchar_t *name, const ZelStatsFigures *figures, void *user);
/* Calls visit for every name of every context alive in the process (those
 * of a loaded module too), contexts in the order they were made and names
 * in table order, with the figures read at that moment. No context is freed
 * while the visit runs; visit must not make or free one. Returns the number
 * of names visited, 0 for a NULL visit. */
int zelStatsVisit(ZelStatsVisitor visit, void *user);
/* Writes the figures of index, or of every name for -1, one line per name,
 * to stderr. 1 or 0. */
int zelStatsDump(ZelStatsContext *context, int index);
/* The same to a stream of the caller's. */
int zelStatsDumpTo(ZelStatsContext *context, int index, FILE *stream);
/* Frees the context. Measurements still open are dropped. 1 or 0. */
int zelStatsDeinitialize(ZelStatsContext *context);

#ifdef __cplusplus
}
#endif

#endif
