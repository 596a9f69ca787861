/* cimobj_objects.h - properties, qualifiers, qualifier declarations, methods,
 * classes, instances and object paths.
 *
 * Ownership, throughout: constructors, adders and setters take the objects
 * they are given when they succeed; when they fail they take nothing and the
 * caller still owns what it passed. Getters lend; copies are deep; a free
 * releases everything the object holds. NULL arguments are accepted
 * everywhere: getters give NULL/0, frees do nothing, adders and setters fail
 * (status 4, or 0) for a NULL object or item. A setter given a NULL member
 * (name, namespace, host, list, path) clears that member and succeeds. */
#ifndef CIMOBJ_OBJECTS_H
#define CIMOBJ_OBJECTS_H

#include "cimobj_types.h"

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Properties (also method parameters and key bindings) ---- */

/* qualifiers may be NULL. */
CIMProperty *newProperty(CIMString *name, CIMString *classOrigin, CIMValue *value,
                         int type, CIMQualifierList *qualifiers, int propagated);
/* A key property; its type is the value's type (CIM_EMPTY without value). */
CIMProperty *newPropertyKey(CIMString *name, CIMString *classOrigin, CIMValue *value);
CIMProperty *copyCIMProperty(const CIMProperty *p);
void freeCIMProperty(CIMProperty *p);
CIMString *propertyGetName(const CIMProperty *p);
CIMString *propertyGetClassOrigin(const CIMProperty *p);
CIMValue *propertyGetValue(const CIMProperty *p);
/* The property's type code; CIM_NULL for NULL. */
int propertyGetType(const CIMProperty *p);
CIMQualifierList *propertyGetQualifiers(const CIMProperty *p);
int isPropertyPropagated(const CIMProperty *p);
int propertyIsKey(const CIMProperty *p);
/* 1 when the property's type is reference (14). */
int propertyIsRefType(const CIMProperty *p);
/* The class a reference property or parameter names: NULL without a value;
 * else the value's reference class when set, else the class name of the
 * path the value holds (for a reference array: of its first path). Lent. */
CIMString *propertyGetReferenceClass(const CIMProperty *p);
/* Replaces the value (the old one is freed); the property's type becomes the
 * value's type. Status 0, or 4 when an argument is NULL. */
ReturnCode *propertyAddValue(CIMProperty *p, CIMValue *value);
/* Appends a qualifier, creating the qualifier list when absent. */
ReturnCode *propertyAddQualifier(CIMProperty *p, CIMQualifier *q);
/* Replaces the qualifier list (the old one is freed). Returns 1, or 0. */
int propertySetQualifiers(CIMProperty *p, CIMQualifierList *qualifiers);
/* 1 when the list holds a qualifier of that name (caseless) whose value is
 * the boolean true. */
int isBoolQualEnabledInList(const CIMQualifierList *list, const wchar_t *name);
/* First property of that name in the list (caseless), lent; NULL when none. */
CIMProperty *findCIMProperty(const CIMPropertyList *list, const wchar_t *name);

/* ---- Qualifiers ---- */

CIMQualifier *newQualifier(CIMString *name, int flavor, CIMValue *value, int type,
                           int propagated);
CIMQualifier *copyCIMQualifier(const CIMQualifier *q);
void freeCIMQualifier(CIMQualifier *q);
CIMString *getQualifierName(const CIMQualifier *q);
CIMValue *getQualifierValue(const CIMQualifier *q);
int getQualifierValueType(const CIMQualifier *q);
int getQualifierFlavors(const CIMQualifier *q);
int isQualifierPropagated(const CIMQualifier *q);
/* Replaces the value of a qualifier or a qualifier declaration (the old one
 * is freed); the type becomes the value's type. Status 0, or 4. */
ReturnCode *setQualifierValue(CIMQualifier *q, CIMValue *value);

/* ---- Qualifier declarations (same record as qualifiers) ---- */

CIMQualifierType *newQualifierType(CIMString *name, int flavor, CIMValue *value, int type,
                                   int arraySize, int scope);
CIMQualifierType *copyQualifierType(const CIMQualifierType *q);
void freeQualifierType(CIMQualifierType *q);
CIMString *getQualifierTypeName(const CIMQualifierType *q);
CIMValue *getQualifierTypeValue(const CIMQualifierType *q);
int getQualifierTypeValueType(const CIMQualifierType *q);
int getQualifierTypeFlavors(const CIMQualifierType *q);
int getQualifierTypeScope(const CIMQualifierType *q);
int setQualifierTypeScope(CIMQualifierType *q, int scope);
int getQualifierTypeArraySize(const CIMQualifierType *q);

/* ---- Methods ---- */

CIMMethod *newMethod(CIMString *name, CIMString *classOrigin, int propagated,
                     CIMQualifierList *qualifiers, int returnType,
                     CIMPropertyList *parameters);
CIMMethod *copyMethod(const CIMMethod *m);
void freeMethod(CIMMethod *m);
CIMString *getMethodName(const CIMMethod *m);
CIMString *getMethodClassOrigin(const CIMMethod *m);
int isMethodPropagated(const CIMMethod *m);
int getMethodReturnType(const CIMMethod *m);
CIMQualifierList *getMethodQualifiers(const CIMMethod *m);
CIMPropertyList *getMethodParameters(const CIMMethod *m);
/* Replace a list (the old one is freed). Return 1, or 0. */
int setMethodQualifiers(CIMMethod *m, CIMQualifierList *qualifiers);
int setMethodParameters(CIMMethod *m, CIMPropertyList *parameters);

/* ---- Classes ---- */

/* A class with an empty path (no class name, no namespace) and no members. */
CIMClass *newCIMClassEmpty(void);
/* A class named name (taken), with superclass (taken, may be NULL). */
CIMClass *newCIMClass(CIMString *name, CIMString *superClass);
CIMClass *copyCIMClass(const CIMClass *c);
void freeCIMClass(CIMClass *c);
CIMString *getClassName(const CIMClass *c);
CIMString *getClassSuperName(const CIMClass *c);
CIMString *getClassNameSpace(const CIMClass *c);
CIMObjectPath *getClassPath(const CIMClass *c);
CIMQualifierList *getClassQualifiers(const CIMClass *c);
CIMPropertyList *getClassProperties(const CIMClass *c);
CIMMethodList *getClassMethods(const CIMClass *c);
/* Setters take the object and free what they replace. Return 1, or 0. */
int setClassName(CIMClass *c, CIMString *name);
int setClassSuperName(CIMClass *c, CIMString *superClass);
int setClassNameSpace(CIMClass *c, CIMString *nameSpace);
int setClassQualifiers(CIMClass *c, CIMQualifierList *qualifiers);
int setClassProperties(CIMClass *c, CIMPropertyList *properties);
int setClassMethods(CIMClass *c, CIMMethodList *methods);

/* ---- Instances ---- */

/* An instance without path, class name, namespace or properties. */
CIMInstance *newInstanceEmpty(void);
/* An instance of className with nameSpace and properties (each taken, each may be NULL). */
CIMInstance *newInstance(CIMString *className, CIMString *nameSpace,
                         CIMPropertyList *properties);
CIMInstance *copyCIMInstance(const CIMInstance *i);
void freeCIMInstance(CIMInstance *i);
/* The class name: the instance's own, else its path's. */
CIMString *getInstanceName(const CIMInstance *i);
/* The namespace: the instance's own, else its path's; NULL when neither. */
CIMString *getInstanceNameSpace(const CIMInstance *i);
/* The instance's own path (the one the object manager gave it), lent; may be NULL. */
CIMObjectPath *getInstancePath(const CIMInstance *i);
CIMPropertyList *getInstanceProperties(const CIMInstance *i);
/* Setters take the object and free what they replace. Return 1, or 0. */
int setInstanceName(CIMInstance *i, CIMString *className);
int setInstanceNameSpace(CIMInstance *i, CIMString *nameSpace);
int setInstancePath(CIMInstance *i, CIMObjectPath *path);
int setInstanceProperties(CIMInstance *i, CIMPropertyList *properties);
/* Appends a property, creating the property list when absent. */
ReturnCode *instanceAddProperty(CIMInstance *i, CIMProperty *p);

/* ---- Object paths ---- */

/* A path with that class name (taken, may be NULL) and no other part. */
CIMObjectPath *newObjectPathWithName(CIMString *className);
/* The path of an instance: its class name and namespace, its own path's host,
 * and copies of its key properties as keys (key-flagged, or carrying the
 * boolean qualifier "Key"; when it has none, copies of its own path's keys).
 * NULL for NULL. */
CIMObjectPath *newObjectPathFromInst(const CIMInstance *i);
CIMObjectPath *copyObjectPath(const CIMObjectPath *p);
void freeCIMObjectPath(CIMObjectPath *p);
CIMString *getObjectPathName(const CIMObjectPath *p);
CIMString *getObjectPathNameSpace(const CIMObjectPath *p);
CIMString *getObjectPathHost(const CIMObjectPath *p);
CIMPropertyList *getObjectPathKeys(const CIMObjectPath *p);
/* Setters take the text and free what they replace. Return 1, or 0. */
int setObjectPathName(CIMObjectPath *p, CIMString *className);
int setObjectPathNameSpace(CIMObjectPath *p, CIMString *nameSpace);
int setObjectPathHost(CIMObjectPath *p, CIMString *host);
int setObjectPathKeys(CIMObjectPath *p, CIMPropertyList *keys);
/* Appends a key property, creating the key list when absent. */
ReturnCode *objectPathAddKey(CIMObjectPath *p, CIMProperty *key);
/* 1 when both name the same object: class names equal without regard to case,
 * and the same keys (names caseless, in any order) with equal values
 * (isEqualCIMValue: same type and content). Host and namespace are not
 * compared. Two NULL paths are equal. */
int isEqualObjectPath(const CIMObjectPath *a, const CIMObjectPath *b);

#ifdef __cplusplus
}
#endif

#endif
