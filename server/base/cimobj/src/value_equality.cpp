// value_equality.cpp - deep equality of values (and, for embedded objects,
// of the instances and classes they hold).
#include <cmath>

#include "internal.h"

namespace {

bool equalProperties(const CIMPropertyList *a, const CIMPropertyList *b);

template <class T>
bool equalReal(T a, T b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

bool equalProperty(const CIMProperty *a, const CIMProperty *b) {
    if (!a || !b) return a == b;
    return cimStringCaseCmp(a->name, b->name) == 0 && a->type == b->type &&
           isEqualCIMValue(a->value, b->value);
}

// Same length and pairwise equal properties, in order.
bool equalProperties(const CIMPropertyList *a, const CIMPropertyList *b) {
    if (getLength(a) != getLength(b)) return false;
    CIMListNode *na = getFirstNode(a);
    CIMListNode *nb = getFirstNode(b);
    for (; na && nb; na = getNextNode(na), nb = getNextNode(nb)) {
        if (!equalProperty(static_cast<const CIMProperty *>(getNodeItem(na)),
                           static_cast<const CIMProperty *>(getNodeItem(nb))))
            return false;
    }
    return true;
}

bool equalInstance(const CIMInstance *a, const CIMInstance *b) {
    if (!a || !b) return a == b;
    return cimStringCaseCmp(getInstanceName(a), getInstanceName(b)) == 0 &&
           equalProperties(a->properties, b->properties);
}

bool equalClass(const CIMClass *a, const CIMClass *b) {
    if (!a || !b) return a == b;
    return cimStringCaseCmp(getClassName(a), getClassName(b)) == 0 &&
           cimStringCaseCmp(a->superClass, b->superClass) == 0 &&
           equalProperties(a->properties, b->properties);
}

bool equalArrays(const CIMValueList *a, const CIMValueList *b) {
    if (getLength(a) != getLength(b)) return false;
    CIMListNode *na = getFirstNode(a);
    CIMListNode *nb = getFirstNode(b);
    for (; na && nb; na = getNextNode(na), nb = getNextNode(nb)) {
        if (!isEqualCIMValue(static_cast<const CIMValue *>(getNodeItem(na)),
                             static_cast<const CIMValue *>(getNodeItem(nb))))
            return false;
    }
    return true;
}

}  // namespace

extern "C" {

/* 1 when both values have the same type and content (see cimobj_value.h). */
int isEqualCIMValue(const CIMValue *a, const CIMValue *b) {
    if (!a || !b) return a == b ? 1 : 0;
    if (a->type != b->type || a->isNull != b->isNull) return 0;
    if (a->isNull) return 1;
    const auto &x = a->data;
    const auto &y = b->data;
    if (a->type >= CIM_ARRAY && a->type <= CIM_ARRAY + CIM_CLASS) return equalArrays(x.array, y.array);
    switch (a->type) {
    case CIM_UINT8: return x.u8 == y.u8;
    case CIM_SINT8: return x.s8 == y.s8;
    case CIM_UINT16: return x.u16 == y.u16;
    case CIM_SINT16: return x.s16 == y.s16;
    case CIM_UINT32: return x.u32 == y.u32;
    case CIM_SINT32: return x.s32 == y.s32;
    case CIM_UINT64: return x.u64 == y.u64;
    case CIM_SINT64: return x.s64 == y.s64;
    case CIM_REAL32: return equalReal(x.r32, y.r32);
    case CIM_REAL64: return equalReal(x.r64, y.r64);
    case CIM_BOOLEAN: return x.boolean == y.boolean;
    case CIM_CHAR16: return x.char16 == y.char16;
    case CIM_STRING:
    case CIM_DATETIME: return cimStringCmp(x.string, y.string) == 0;
    case CIM_REFERENCE: return isEqualObjectPath(x.reference, y.reference);
    case CIM_OBJECT: return equalInstance(x.instance, y.instance);
    case CIM_CLASS: return equalClass(x.cimClass, y.cimClass);
    default: return 1;  // no data to compare
    }
}

}  // extern "C"
