// property.cpp - CIMProperty: properties, method parameters and key bindings.
#include "internal.h"

extern "C" {

/* New property; on success it takes name, classOrigin, value and qualifiers
 * (each may be NULL). NULL when memory is exhausted (nothing taken). */
CIMProperty *newProperty(CIMString *name, CIMString *classOrigin, CIMValue *value, int type,
                         CIMQualifierList *qualifiers, int propagated) {
    CIMProperty *p = cimobj::allocRecord<CIMProperty>();
    if (!p) return nullptr;
    p->name = name;
    p->classOrigin = classOrigin;
    p->value = value;
    p->type = type;
    p->qualifiers = qualifiers;
    p->propagated = propagated;
    return p;
}

/* New key property typed by its value (CIM_EMPTY without one). */
CIMProperty *newPropertyKey(CIMString *name, CIMString *classOrigin, CIMValue *value) {
    CIMProperty *p = newProperty(name, classOrigin, value,
                                 value ? value->type : CIM_EMPTY, nullptr, 0);
    if (p) p->isKey = 1;
    return p;
}

/* Deep copy; NULL in, NULL out; NULL when memory is exhausted. */
CIMProperty *copyCIMProperty(const CIMProperty *p) {
    if (!p) return nullptr;
    CIMProperty *copy = cimobj::allocRecord<CIMProperty>();
    if (!copy) return nullptr;
    copy->type = p->type;
    copy->propagated = p->propagated;
    copy->isKey = p->isKey;
    bool ok = cimobj::copyOptionalString(p->name, &copy->name) &&
              cimobj::copyOptionalString(p->classOrigin, &copy->classOrigin);
    if (ok && p->value) ok = (copy->value = copyCIMValue(p->value)) != nullptr;
    if (ok && p->qualifiers) ok = (copy->qualifiers = copyList(p->qualifiers)) != nullptr;
    if (!ok) {
        freeCIMProperty(copy);
        return nullptr;
    }
    return copy;
}

void freeCIMProperty(CIMProperty *p) {
    if (!p) return;
    freeCIMString(p->name);
    freeCIMString(p->classOrigin);
    freeCIMValue(p->value);
    freeList(p->qualifiers);
    std::free(p);
}

CIMString *propertyGetName(const CIMProperty *p) { return p ? p->name : nullptr; }
CIMString *propertyGetClassOrigin(const CIMProperty *p) { return p ? p->classOrigin : nullptr; }
CIMValue *propertyGetValue(const CIMProperty *p) { return p ? p->value : nullptr; }
int propertyGetType(const CIMProperty *p) { return p ? p->type : CIM_NULL; }
CIMQualifierList *propertyGetQualifiers(const CIMProperty *p) { return p ? p->qualifiers : nullptr; }
int isPropertyPropagated(const CIMProperty *p) { return p ? p->propagated : 0; }
int propertyIsKey(const CIMProperty *p) { return p ? p->isKey : 0; }
int propertyIsRefType(const CIMProperty *p) { return (p && p->type == CIM_REFERENCE) ? 1 : 0; }

/* The class named by the reference value (see cimobj_objects.h), lent. */
CIMString *propertyGetReferenceClass(const CIMProperty *p) {
    if (!p || !p->value) return nullptr;
    const CIMValue *v = p->value;
    if (v->referenceClass) return v->referenceClass;
    if (v->isNull) return nullptr;
    if (v->type == CIM_REFERENCE) return getObjectPathName(v->data.reference);
    if (v->type == CIM_ARRAY + CIM_REFERENCE) {
        const CIMValue *first = getCIMValueAt(v->data.array, 0);
        if (first && !first->isNull && first->type == CIM_REFERENCE)
            return getObjectPathName(first->data.reference);
    }
    return nullptr;
}

/* Replaces the value and retypes the property by it. */
ReturnCode *propertyAddValue(CIMProperty *p, CIMValue *value) {
    if (!p || !value) return cimobj::statusWithText(4, "propertyAddValue: no property or value");
    if (p->value != value) freeCIMValue(p->value);
    p->value = value;
    p->type = value->type;
    return cimobj::statusOnly(0);
}

ReturnCode *propertyAddQualifier(CIMProperty *p, CIMQualifier *q) {
    if (!p || !q) return cimobj::statusWithText(4, "propertyAddQualifier: no property or qualifier");
    return cimobj::appendCreating(&p->qualifiers, CIMLIST_QUALIFIER, q);
}

int propertySetQualifiers(CIMProperty *p, CIMQualifierList *qualifiers) {
    if (!p) return 0;
    if (p->qualifiers != qualifiers) freeList(p->qualifiers);
    p->qualifiers = qualifiers;
    return 1;
}

/* 1 when a qualifier named name (caseless) holds the boolean true. */
int isBoolQualEnabledInList(const CIMQualifierList *list, const wchar_t *name) {
    if (!list || !name) return 0;
    for (CIMListNode *n = getFirstNode(list); n; n = getNextNode(n)) {
        auto *q = static_cast<const CIMQualifier *>(getNodeItem(n));
        if (!q || cimobj::stringCaseCmpWide(q->name, name) != 0) continue;
        const CIMValue *v = q->value;
        if (v && !v->isNull && v->type == CIM_BOOLEAN && v->data.boolean) return 1;
    }
    return 0;
}

CIMProperty *findCIMProperty(const CIMPropertyList *list, const wchar_t *name) {
    if (!list || !name) return nullptr;
    for (CIMListNode *n = getFirstNode(list); n; n = getNextNode(n)) {
        auto *p = static_cast<CIMProperty *>(getNodeItem(n));
        if (p && cimobj::stringCaseCmpWide(p->name, name) == 0) return p;
    }
    return nullptr;
}

}  // extern "C"
