/* cimobj_value.h - typed CIM values. */
#ifndef CIMOBJ_VALUE_H
#define CIMOBJ_VALUE_H

#include "cimobj_types.h"

#ifdef __cplusplus
extern "C" {
#endif

/* New value of a type code.
 * data, by type:
 *  - uint8..sint64, real32, real64, char16: points to the native scalar
 *    (uint8_t, int8_t, uint16_t, int16_t, uint32_t, int32_t, uint64_t,
 *    int64_t, float, double, uint16_t); copied.
 *  - boolean: points to an int (nonzero is true, stored as 1); copied.
 *  - datetime: a wide text; copied.
 *  - string: a CIMString, which the value takes.
 *  - reference: a CIMObjectPath, taken.  object: a CIMInstance, taken.
 *    cimclass: a CIMClass, taken.
 *  - array types: a CIMValueList of element values, taken.
 *  - cimnull, empty: ignored.
 * NULL data gives a null value of the type; so does a code outside the
 * table (the code is kept). Returns NULL only when memory is exhausted; the
 * caller then still owns data. */
CIMValue *newCIMValue(int type, void *data);
/* A null value of the type. */
CIMValue *newCIMValueNULL(int type);
/* A value of type empty (18). */
CIMValue *newCIMValueEmpty(void);
CIMValue *copyCIMValue(const CIMValue *v);
void freeCIMValue(CIMValue *v);

/* Lends the content: a pointer to the native scalar (the int for a boolean),
 * the wide text of a datetime, the CIMString, CIMObjectPath, CIMInstance,
 * CIMClass or CIMValueList; NULL for a null or empty value. type receives the
 * type code. Either out pointer may be NULL. Returns status 0, or 4 for a
 * NULL value; the caller frees the record. */
ReturnCode *getCIMValue(const CIMValue *v, void **data, int *type);
/* The type code; CIM_NULL for NULL. */
int getCIMValueType(const CIMValue *v);
/* 1 when the value is NULL, a null value, or of type cimnull or empty. */
int isCIMValueNull(const CIMValue *v);
/* Number of elements of an array value; 0 otherwise. */
int getCIMValueNumElements(const CIMValue *v);
/* The class named by a reference value, lent; NULL when unknown. */
CIMString *getCIMValueReferenceType(const CIMValue *v);
/* Sets it; the value takes the name. Returns 1, or 0 for a NULL value
 * (nothing taken). */
int setCIMValueReferenceType(CIMValue *v, CIMString *className);

/* Text of a value, from the collected heap (free with GC_free or leave it):
 * integers in plain decimal, real32 with 9 and real64 with 17 significant
 * digits ("INF", "-INF", "NaN"), booleans "true"/"false", strings and
 * datetimes as UTF-8, char16 as its UTF-8 character. NULL for a null value
 * and for references, objects, classes, arrays and empty values. */
char *getCharFromCIMValue(const CIMValue *v);

/* Deep equality of two values (type and content; strings case-sensitive,
 * paths as by isEqualObjectPath). Two NULL values are equal. */
int isEqualCIMValue(const CIMValue *a, const CIMValue *b);

#ifdef __cplusplus
}
#endif

#endif
