// qualifier.cpp - CIMQualifier, which also serves as the qualifier
// declaration (CIMQualifierType).
#include "internal.h"

extern "C" {

/* New qualifier; on success it takes name and value. NULL when memory is
 * exhausted (nothing taken). */
CIMQualifier *newQualifier(CIMString *name, int flavor, CIMValue *value, int type,
                           int propagated) {
    CIMQualifier *q = cimobj::allocRecord<CIMQualifier>();
    if (!q) return nullptr;
    q->name = name;
    q->flavor = flavor;
    q->value = value;
    q->type = type;
    q->propagated = propagated;
    q->arraySize = CIM_SIZE_SINGLE;
    return q;
}

/* Deep copy; NULL in, NULL out; NULL when memory is exhausted. */
CIMQualifier *copyCIMQualifier(const CIMQualifier *q) {
    if (!q) return nullptr;
    CIMQualifier *copy = cimobj::allocRecord<CIMQualifier>();
    if (!copy) return nullptr;
    *copy = *q;
    copy->name = nullptr;
    copy->value = nullptr;
    bool ok = cimobj::copyOptionalString(q->name, &copy->name);
    if (ok && q->value) ok = (copy->value = copyCIMValue(q->value)) != nullptr;
    if (!ok) {
        freeCIMQualifier(copy);
        return nullptr;
    }
    return copy;
}

void freeCIMQualifier(CIMQualifier *q) {
    if (!q) return;
    freeCIMString(q->name);
    freeCIMValue(q->value);
    std::free(q);
}

CIMString *getQualifierName(const CIMQualifier *q) { return q ? q->name : nullptr; }
CIMValue *getQualifierValue(const CIMQualifier *q) { return q ? q->value : nullptr; }
int getQualifierValueType(const CIMQualifier *q) { return q ? q->type : CIM_NULL; }
int getQualifierFlavors(const CIMQualifier *q) { return q ? q->flavor : 0; }
int isQualifierPropagated(const CIMQualifier *q) { return q ? q->propagated : 0; }

/* Replaces the value (the old one is freed) and retypes the record by it. */
ReturnCode *setQualifierValue(CIMQualifier *q, CIMValue *value) {
    if (!q || !value) return cimobj::statusWithText(4, "setQualifierValue: no qualifier or value");
    if (q->value != value) freeCIMValue(q->value);
    q->value = value;
    q->type = value->type;
    return cimobj::statusOnly(0);
}

/* New qualifier declaration; on success it takes name and value. */
CIMQualifierType *newQualifierType(CIMString *name, int flavor, CIMValue *value, int type,
                                   int arraySize, int scope) {
    CIMQualifierType *q = newQualifier(name, flavor, value, type, 0);
    if (!q) return nullptr;
    q->arraySize = arraySize;
    q->scope = scope;
    return q;
}

CIMQualifierType *copyQualifierType(const CIMQualifierType *q) { return copyCIMQualifier(q); }
void freeQualifierType(CIMQualifierType *q) { freeCIMQualifier(q); }
CIMString *getQualifierTypeName(const CIMQualifierType *q) { return getQualifierName(q); }
CIMValue *getQualifierTypeValue(const CIMQualifierType *q) { return getQualifierValue(q); }
int getQualifierTypeValueType(const CIMQualifierType *q) { return getQualifierValueType(q); }
int getQualifierTypeFlavors(const CIMQualifierType *q) { return getQualifierFlavors(q); }
int getQualifierTypeScope(const CIMQualifierType *q) { return q ? q->scope : 0; }
int getQualifierTypeArraySize(const CIMQualifierType *q) { return q ? q->arraySize : 0; }

int setQualifierTypeScope(CIMQualifierType *q, int scope) {
    if (!q) return 0;
    q->scope = scope;
    return 1;
}

}  // extern "C"
