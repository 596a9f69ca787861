/* cimobj_types.h - records and type codes of the CIM object library. */
#ifndef CIMOBJ_TYPES_H
#define CIMOBJ_TYPES_H

#include <stddef.h>
#include <stdint.h>
#include <wchar.h>

#ifdef __cplusplus
extern "C" {
#endif

/* CIM type codes. An array type is its element type + CIM_ARRAY. */
enum {
    CIM_UINT8 = 0,
    CIM_SINT8 = 1,
    CIM_UINT16 = 2,
    CIM_SINT16 = 3,
    CIM_UINT32 = 4,
    CIM_SINT32 = 5,
    CIM_UINT64 = 6,
    CIM_SINT64 = 7,
    CIM_STRING = 8,
    CIM_BOOLEAN = 9,
    CIM_REAL32 = 10,
    CIM_REAL64 = 11,
    CIM_DATETIME = 12,
    CIM_CHAR16 = 13,
    CIM_REFERENCE = 14,
    CIM_OBJECT = 15,   /* an instance */
    CIM_CLASS = 16,    /* a class */
    CIM_NULL = 17,
    CIM_EMPTY = 18,
    CIM_ARRAY = 100,
    CIM_SIZE_SINGLE = -1,
    CIM_SIZE_UNLIMITED = -2
};

/* Types of the generic list (getListType). */
enum {
    CIMLIST_CLASS = 0,
    CIMLIST_PROPERTY = 1,
    CIMLIST_INSTANCE = 2,
    CIMLIST_OBJECTPATH = 3,
    CIMLIST_QUALIFIER = 4,
    CIMLIST_QUALIFIERTYPE = 5,
    CIMLIST_METHOD = 6,
    CIMLIST_VALUE = 7,
    CIMLIST_STRING = 8,
    CIMLIST_RETURNCODE = 9,
    CIMLIST_POINTER = 11 /* borrowed items: the list never frees them */
};

/* Qualifier flavor bits. */
enum {
    CIM_FLAVOR_ENABLEOVERRIDE = 1,
    CIM_FLAVOR_DISABLEOVERRIDE = 2,
    CIM_FLAVOR_RESTRICTED = 4,
    CIM_FLAVOR_TOSUBCLASS = 8,
    CIM_FLAVOR_TRANSLATABLE = 16
};

/* Qualifier declaration scope bits; CIM_SCOPE_ANY is every one of them.
   CIM_SCOPE_UNSTATED is what the CIM-XML decoder gives a declaration that
   names no scope (every bit but INDICATION, and two no scope has); it and 0
   mean any scope (see cimScopeBits). */
enum {
    CIM_SCOPE_CLASS = 1,
    CIM_SCOPE_ASSOCIATION = 2,
    CIM_SCOPE_INDICATION = 4,
    CIM_SCOPE_PROPERTY = 8,
    CIM_SCOPE_REFERENCE = 16,
    CIM_SCOPE_METHOD = 32,
    CIM_SCOPE_PARAMETER = 64,
    CIM_SCOPE_ANY = 127,
    CIM_SCOPE_UNSTATED = 507
};

/* The scope bits a declaration's scope stands for: CIM_SCOPE_ANY for 0 and
   CIM_SCOPE_UNSTATED, the bits themselves otherwise. */
static inline int cimScopeBits(int scope) {
    return scope == 0 || scope == CIM_SCOPE_UNSTATED ? CIM_SCOPE_ANY : scope;
}

/* Wide text. A "null string" is a record whose buffer is NULL. */
typedef struct CIMString {
    wchar_t *buffer;
    size_t length;
    size_t capacity;
} CIMString;

/* Status record: status code 0 means success. */
typedef struct ReturnCode {
    int rc;
    CIMString *description;
} ReturnCode;

/* One generic list type serves every typed list; the list type tells what it
 * holds and how its items are freed and copied. */
typedef struct CIMList CIMList;
typedef struct CIMListNode CIMListNode;

typedef CIMList CIMStringList;
typedef CIMList CIMValueList;
typedef CIMList CIMPropertyList;
typedef CIMList CIMQualifierList;
typedef CIMList CIMQualifierTypeList;
typedef CIMList CIMMethodList;
typedef CIMList CIMClassList;
typedef CIMList CIMInstanceList;
typedef CIMList CIMObjectPathList;

typedef struct CIMObjectPath CIMObjectPath;
typedef struct CIMInstance CIMInstance;
typedef struct CIMClass CIMClass;

typedef struct CIMValue {
    int type;
    int isNull;
    union {
        uint8_t u8;
        int8_t s8;
        uint16_t u16;
        int16_t s16;
        uint32_t u32;
        int32_t s32;
        uint64_t u64;
        int64_t s64;
        float r32;
        double r64;
        int boolean;          /* 1 or 0 */
        uint16_t char16;
        CIMString *string;    /* string and datetime */
        CIMObjectPath *reference;
        CIMInstance *instance;
        CIMClass *cimClass;
        CIMValueList *array;
    } data;
    CIMString *referenceClass; /* class named by a reference value, or NULL */
} CIMValue;

/* An object path. The module reads these four members directly. */
struct CIMObjectPath {
    CIMString *className;
    CIMString *nameSpace;
    CIMString *host;
    CIMPropertyList *mkeys;
};

typedef struct CIMProperty {
    CIMString *name;
    CIMString *classOrigin;
    CIMValue *value;
    int type;
    CIMQualifierList *qualifiers;
    int propagated;
    int isKey;
} CIMProperty;

/* Qualifiers and qualifier declarations share one record; a declaration
 * uses scope and arraySize, a qualifier uses propagated. */
typedef struct CIMQualifier {
    CIMString *name;
    CIMValue *value;
    int type;
    int flavor;
    int propagated;
    int scope;
    int arraySize;
} CIMQualifier;
typedef CIMQualifier CIMQualifierType;

/* A method; its parameter list is the sixth member. */
typedef struct CIMMethod {
    CIMString *name;
    CIMString *classOrigin;
    int propagated;
    CIMQualifierList *qualifiers;
    int returnType;
    CIMPropertyList *parameters;
} CIMMethod;

/* A class: its own path (class name and namespace) comes first. */
struct CIMClass {
    CIMObjectPath *path;
    CIMString *superClass;
    CIMQualifierList *qualifiers;
    CIMPropertyList *properties;
    CIMMethodList *methods;
};

/* An instance: its own path (may be NULL) comes first. */
struct CIMInstance {
    CIMObjectPath *path;
    CIMString *className;
    CIMString *nameSpace;
    CIMPropertyList *properties;
};

#ifdef __cplusplus
}
#endif

#endif
