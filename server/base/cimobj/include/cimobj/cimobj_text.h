/* cimobj_text.h - wide strings, narrow/wide conversion and comparisons. */
#ifndef CIMOBJ_TEXT_H
#define CIMOBJ_TEXT_H

#include "cimobj_types.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Narrow text is UTF-8 and wide text UTF-32, whatever the process locale.
 * A byte that is not part of valid UTF-8 becomes the wide character
 * 0xDC00 + byte and turns back into that byte, so any narrow text survives
 * a round trip unchanged. */

/* New string holding a copy of text; NULL text gives a null string.
 * Returns NULL only when memory is exhausted. */
CIMString *newCIMString(const wchar_t *text);
/* New string from narrow text (NULL text gives a null string). */
CIMString *createCIMStringFromChar(const char *text);
/* Deep copy; NULL in, NULL out. */
CIMString *copyCIMString(const CIMString *s);
void freeCIMString(CIMString *s);
/* 1 for NULL, a null string or an empty one; else 0. */
int isEmptyCIMString(const CIMString *s);
/* The wide text, lent; NULL for a NULL or null string. */
wchar_t *getCIMStringBuffer(const CIMString *s);
/* Comparisons: 0 when equal. Two absent texts (NULL string or null buffer)
 * are equal; an absent text sorts before any present one. The caseless
 * variant folds ASCII letters only. */
int cimStringCmp(const CIMString *a, const CIMString *b);
int cimStringCaseCmp(const CIMString *a, const CIMString *b);
/* Appends src to dst in place (amortised O(1) per character).
 * Returns dst, or NULL when dst is NULL or memory is exhausted (dst unchanged). */
CIMString *cimStringCat(CIMString *dst, const CIMString *src);

/* The texts below come from the collected heap (atomic blocks): the caller
 * frees them with GC_free, or leaves them to the collector. NULL in, NULL out. */
char *createCharFromCIMString(const CIMString *s);
char *createCharFromWide(const wchar_t *text);
wchar_t *createWideFromChar(const char *text);
/* Copy of a narrow text; file and line name the caller (for diagnostics). */
char *real_dupChar(const char *text, const char *file, int line);

/* 0 when equal; NULL equals NULL and sorts first. Caseless forms fold ASCII. */
int local_strcasecmp(const char *a, const char *b);
int local_strncasecmp(const char *a, const char *b, size_t n);
int local_wcscmp(const wchar_t *a, const wchar_t *b);
int local_wcscasecmp(const wchar_t *a, const wchar_t *b);

/* Registers the calling thread with the collector when it is not known yet;
 * it is unregistered again when the thread ends. Every entry point that may
 * allocate from the collected heap calls this first. Cheap after the first call. */
void cimEnsureCollectorThread(void);

#ifdef __cplusplus
}
#endif

#endif
