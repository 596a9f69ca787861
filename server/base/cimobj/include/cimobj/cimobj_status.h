/* cimobj_status.h - status records (ReturnCode) and the message printer. */
#ifndef CIMOBJ_STATUS_H
#define CIMOBJ_STATUS_H

#include "cimobj_types.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Status records the library returns are the caller's to free with
 * freeReturnCode. A success without text may be one shared record that
 * freeReturnCode and copyReturnCode leave as it is: read a returned record,
 * never write into it. */

/* New record with the code and a copy of the description (NULL: none). */
ReturnCode *newReturnCode(int code, const wchar_t *description);
ReturnCode *copyReturnCode(const ReturnCode *rc);
void freeReturnCode(ReturnCode *rc);
/* The status code; 1 (CIM_ERR_FAILED) for NULL. */
int getErrorFromRetCode(const ReturnCode *rc);
/* The description, lent; NULL when there is none. */
CIMString *getReturnCodeDescription(const ReturnCode *rc);
/* Nonzero when rc reports success (status 0). Frees rc. NULL counts as failure. */
int isSuccessfulFree(ReturnCode *rc);

/* The name of a CIM status code, such as "CIM_ERR_NOT_FOUND" for 6; static
 * text, NULL for codes outside 1..17 and 20..28. */
const char *cimStatusCodeName(int code);

/* Message levels: 0 failures, 1 warnings, 2 traces and information (what a
 * host logs of normal operation: requests, answered errors), 3 debugging
 * detail. */
enum { CIM_LOG_ERROR = 0, CIM_LOG_WARNING = 1, CIM_LOG_TRACE = 2, CIM_LOG_INFO = 2, CIM_LOG_DEBUG = 3 };

/* Writes one line to stderr: a timestamp, the level and the formatted
 * message. Lines from several threads never interleave. The format is wide:
 * %s takes narrow (UTF-8) text, %ls wide text, %c an int character,
 * %lc a wide character; the integer, floating and pointer conversions are
 * those of printf. Messages above the threshold are dropped before any
 * formatting. */
void cimPrintMessage(int level, const wchar_t *format, ...);
/* Logs a status record at the given level: "status <code>: <description>",
 * "status <code>" without description, "status record missing" for NULL. */
void cimPrintRetCode(int level, const ReturnCode *rc);
/* Logs a status record at level 0. */
void logReturnCode(const ReturnCode *rc);

/* Highest level that is written (default 0: failures only). */
void cimSetLogLevel(int threshold);
int cimGetLogLevel(void);

/* A sink receives every message that passes the threshold (level and the
 * formatted text, without timestamp or line feed) instead of stderr.
 * NULL restores stderr; once cimSetLogSink returns, the previous sink is no
 * longer called. Calls are serialised. A message the sink logs itself goes
 * to stderr. Meant for hosts that route logs and for tests. */
typedef void (*CIMLogSink)(int level, const char *message, void *context);
void cimSetLogSink(CIMLogSink sink, void *context);

#ifdef __cplusplus
}
#endif

#endif
