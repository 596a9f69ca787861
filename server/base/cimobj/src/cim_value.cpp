// cim_value.cpp - CIMValue: a type code with its native data, a null value
// of a type, or the empty value.
#include <cstring>
#include <cwchar>

#include "internal.h"

namespace {

bool isArrayCode(int type) { return type >= CIM_ARRAY + CIM_UINT8 && type <= CIM_ARRAY + CIM_CLASS; }

// Stores a copy of the scalar data points to; false for a type whose data is
// not a scalar.
bool copyScalar(CIMValue *v, const void *data) {
    switch (v->type) {
    case CIM_UINT8: std::memcpy(&v->data.u8, data, sizeof v->data.u8); return true;
    case CIM_SINT8: std::memcpy(&v->data.s8, data, sizeof v->data.s8); return true;
    case CIM_UINT16: std::memcpy(&v->data.u16, data, sizeof v->data.u16); return true;
    case CIM_SINT16: std::memcpy(&v->data.s16, data, sizeof v->data.s16); return true;
    case CIM_UINT32: std::memcpy(&v->data.u32, data, sizeof v->data.u32); return true;
    case CIM_SINT32: std::memcpy(&v->data.s32, data, sizeof v->data.s32); return true;
    case CIM_UINT64: std::memcpy(&v->data.u64, data, sizeof v->data.u64); return true;
    case CIM_SINT64: std::memcpy(&v->data.s64, data, sizeof v->data.s64); return true;
    case CIM_REAL32: std::memcpy(&v->data.r32, data, sizeof v->data.r32); return true;
    case CIM_REAL64: std::memcpy(&v->data.r64, data, sizeof v->data.r64); return true;
    case CIM_CHAR16: std::memcpy(&v->data.char16, data, sizeof v->data.char16); return true;
    case CIM_BOOLEAN: {
        int b;
        std::memcpy(&b, data, sizeof b);
        v->data.boolean = b ? 1 : 0;
        return true;
    }
    default: return false;
    }
}

// Releases the data a non-null value holds (not the record).
void freeData(CIMValue *v) {
    if (v->isNull) return;
    if (isArrayCode(v->type)) {
        freeList(v->data.array);
        return;
    }
    switch (v->type) {
    case CIM_STRING:
    case CIM_DATETIME: freeCIMString(v->data.string); break;
    case CIM_REFERENCE: freeCIMObjectPath(v->data.reference); break;
    case CIM_OBJECT: freeCIMInstance(v->data.instance); break;
    case CIM_CLASS: freeCIMClass(v->data.cimClass); break;
    default: break;
    }
}

}  // namespace

extern "C" {

/* New value of type from data (see cimobj_value.h for what is copied and
 * what is taken). NULL data, cimnull, empty and codes outside the table give
 * a value without data. NULL only when memory is exhausted; data then still
 * belongs to the caller. */
CIMValue *newCIMValue(int type, void *data) {
    CIMValue *v = cimobj::allocRecord<CIMValue>();
    if (!v) return nullptr;
    v->type = type;
    v->isNull = 1;
    if (!data || type == CIM_NULL || type == CIM_EMPTY) return v;
    if (isArrayCode(type)) {
        v->data.array = static_cast<CIMValueList *>(data);
    } else if (type == CIM_DATETIME) {
        v->data.string = newCIMString(static_cast<const wchar_t *>(data));
        if (!v->data.string) {
            std::free(v);
            return nullptr;
        }
    } else if (type == CIM_STRING) {
        v->data.string = static_cast<CIMString *>(data);
    } else if (type == CIM_REFERENCE) {
        v->data.reference = static_cast<CIMObjectPath *>(data);
    } else if (type == CIM_OBJECT) {
        v->data.instance = static_cast<CIMInstance *>(data);
    } else if (type == CIM_CLASS) {
        v->data.cimClass = static_cast<CIMClass *>(data);
    } else if (!copyScalar(v, data)) {
        return v;  // a code outside the table: no data
    }
    v->isNull = 0;
    return v;
}

CIMValue *newCIMValueNULL(int type) { return newCIMValue(type, nullptr); }


CIMValue *newCIMValueEmpty(void) { return newCIMValue(CIM_EMPTY, nullptr); }

/* Deep copy of the value, its data and its reference class. NULL in, NULL
 * out; NULL when memory is exhausted (nothing leaks). */
CIMValue *copyCIMValue(const CIMValue *v) {
    if (!v) return nullptr;
    CIMValue *copy = cimobj::allocRecord<CIMValue>();
    if (!copy) return nullptr;
    copy->type = v->type;
    copy->isNull = v->isNull;
    copy->data = v->data;  // scalars; pointers are replaced below
    if (!cimobj::copyOptionalString(v->referenceClass, &copy->referenceClass)) {
        std::free(copy);
        return nullptr;
    }
    if (v->isNull) return copy;
    bool ok = true;
    if (isArrayCode(v->type)) {
        copy->data.array = v->data.array ? copyList(v->data.array) : nullptr;
        ok = !v->data.array || copy->data.array;
    } else {
        switch (v->type) {
        case CIM_STRING:
        case CIM_DATETIME:
            ok = cimobj::copyOptionalString(v->data.string, &copy->data.string);
            break;
        case CIM_REFERENCE:
            copy->data.reference = copyObjectPath(v->data.reference);
            ok = !v->data.reference || copy->data.reference;
            break;
        case CIM_OBJECT:
            copy->data.instance = copyCIMInstance(v->data.instance);
            ok = !v->data.instance || copy->data.instance;
            break;
        case CIM_CLASS:
            copy->data.cimClass = copyCIMClass(v->data.cimClass);
            ok = !v->data.cimClass || copy->data.cimClass;
            break;
        default: break;
        }
    }
    if (!ok) {
        freeCIMString(copy->referenceClass);
        std::free(copy);
        return nullptr;
    }
    return copy;
}

/* Frees the value, the data it holds and its reference class. */
void freeCIMValue(CIMValue *v) {
    if (!v) return;
    freeData(v);
    freeCIMString(v->referenceClass);
    std::free(v);
}

/* Lends the content (see cimobj_value.h). Status 0, 4 for a NULL value;
 * NULL when memory is exhausted. */
ReturnCode *getCIMValue(const CIMValue *v, void **data, int *type) {
    if (data) *data = nullptr;
    if (type) *type = v ? v->type : CIM_NULL;
    if (!v) return cimobj::statusWithText(4, "getCIMValue: no value");
    if (data && !v->isNull) {
        auto *u = const_cast<CIMValue *>(v);
        if (isArrayCode(v->type)) {
            *data = u->data.array;
        } else {
            switch (v->type) {
            case CIM_STRING: *data = u->data.string; break;
            case CIM_DATETIME: *data = u->data.string ? u->data.string->buffer : nullptr; break;
            case CIM_REFERENCE: *data = u->data.reference; break;
            case CIM_OBJECT: *data = u->data.instance; break;
            case CIM_CLASS: *data = u->data.cimClass; break;
            case CIM_BOOLEAN: *data = &u->data.boolean; break;
            case CIM_UINT8: *data = &u->data.u8; break;
            case CIM_SINT8: *data = &u->data.s8; break;
            case CIM_UINT16: *data = &u->data.u16; break;
            case CIM_SINT16: *data = &u->data.s16; break;
            case CIM_UINT32: *data = &u->data.u32; break;
            case CIM_SINT32: *data = &u->data.s32; break;
            case CIM_UINT64: *data = &u->data.u64; break;
            case CIM_SINT64: *data = &u->data.s64; break;
            case CIM_REAL32: *data = &u->data.r32; break;
            case CIM_REAL64: *data = &u->data.r64; break;
            case CIM_CHAR16: *data = &u->data.char16; break;
            default: break;
            }
        }
    }
    return cimobj::statusOnly(0);
}

int getCIMValueType(const CIMValue *v) { return v ? v->type : CIM_NULL; }

int isCIMValueNull(const CIMValue *v) {
    return (!v || v->isNull || v->type == CIM_EMPTY || v->type == CIM_NULL) ? 1 : 0;
}

int getCIMValueNumElements(const CIMValue *v) {
    if (!v || v->isNull || !isArrayCode(v->type)) return 0;
    return getLength(v->data.array);
}

CIMString *getCIMValueReferenceType(const CIMValue *v) { return v ? v->referenceClass : nullptr; }

/* The value takes className and frees the name it had. */
int setCIMValueReferenceType(CIMValue *v, CIMString *className) {
    if (!v) return 0;
    cimobj::replaceString(&v->referenceClass, className);
    return 1;
}

}  // extern "C"
