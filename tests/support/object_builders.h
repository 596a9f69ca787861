// object_builders.h - short ways to build CIM objects in tests, on the
// object library alone. Every builder takes what it is given.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>

#include <cimobj/cimobj.h>

namespace fixtures {

// Owners that free library objects at the end of a test.
struct Free {
    void operator()(CIMString *s) const { freeCIMString(s); }
    void operator()(CIMValue *v) const { freeCIMValue(v); }
    void operator()(CIMProperty *p) const { freeCIMProperty(p); }
    void operator()(CIMQualifier *q) const { freeCIMQualifier(q); }
    void operator()(CIMMethod *m) const { freeMethod(m); }
    void operator()(CIMClass *c) const { freeCIMClass(c); }
    void operator()(CIMInstance *i) const { freeCIMInstance(i); }
    void operator()(CIMObjectPath *p) const { freeCIMObjectPath(p); }
    void operator()(CIMList *l) const { freeList(l); }
    void operator()(ReturnCode *rc) const { freeReturnCode(rc); }
};
template <typename T>
using Owned = std::unique_ptr<T, Free>;
template <typename T>
Owned<T> own(T *object) { return Owned<T>(object); }

inline CIMString *str(const wchar_t *text) { return newCIMString(text); }

inline CIMValue *string_value(const wchar_t *text) { return newCIMValue(CIM_STRING, str(text)); }
inline CIMValue *narrow_string_value(const std::string &text) {
    return newCIMValue(CIM_STRING, createCIMStringFromChar(text.c_str()));
}
inline CIMValue *uint32_value(uint32_t number) { return newCIMValue(CIM_UINT32, &number); }
inline CIMValue *boolean_value(int flag) { return newCIMValue(CIM_BOOLEAN, &flag); }
inline CIMValue *reference_value(CIMObjectPath *path) { return newCIMValue(CIM_REFERENCE, path); }
inline CIMValue *instance_value(CIMInstance *instance) { return newCIMValue(CIM_OBJECT, instance); }
inline CIMValue *class_value(CIMClass *cimClass) { return newCIMValue(CIM_CLASS, cimClass); }

// An array value of arrayType holding the elements (NULL elements allowed).
inline CIMValue *array_value(int arrayType, std::initializer_list<CIMValue *> elements) {
    CIMValueList *list = newCIMValueList();
    for (CIMValue *element : elements)
        freeReturnCode(appendToCIMValueList(list, element ? element : newCIMValueNULL(arrayType - CIM_ARRAY)));
    return newCIMValue(arrayType, list);
}

// A property of the given type, or of the value's type, without qualifiers.
inline CIMProperty *typed_property(const wchar_t *name, int type, CIMValue *value) {
    return newProperty(str(name), nullptr, value, type, nullptr, 0);
}
inline CIMProperty *property(const wchar_t *name, CIMValue *value) {
    return typed_property(name, getCIMValueType(value), value);
}
inline void add_qualifier(CIMProperty *property, CIMQualifier *qualifier) {
    freeReturnCode(propertyAddQualifier(property, qualifier));
}
inline CIMQualifier *boolean_qualifier(const wchar_t *name, int flag, int flavor = 0) {
    return newQualifier(str(name), flavor, boolean_value(flag), CIM_BOOLEAN, 0);
}

// A path with class name, namespace and host (each may be NULL).
inline CIMObjectPath *path(const wchar_t *className, const wchar_t *nameSpace = nullptr,
                           const wchar_t *host = nullptr) {
    CIMObjectPath *p = newObjectPathWithName(className ? str(className) : nullptr);
    if (nameSpace) setObjectPathNameSpace(p, str(nameSpace));
    if (host) setObjectPathHost(p, str(host));
    return p;
}
inline void add_key(CIMObjectPath *path, const wchar_t *name, CIMValue *value) {
    freeReturnCode(objectPathAddKey(path, newPropertyKey(str(name), nullptr, value)));
}
// An instance of className with the properties, and optionally its own path.
inline CIMInstance *instance(const wchar_t *className, std::initializer_list<CIMProperty *> properties,
                             CIMObjectPath *ownPath = nullptr) {
    CIMInstance *i = newInstance(str(className), nullptr, nullptr);
    for (CIMProperty *p : properties) freeReturnCode(instanceAddProperty(i, p));
    if (ownPath) setInstancePath(i, ownPath);
    return i;
}
// Lists (each takes its items).
inline CIMList *list_of(int listType, std::initializer_list<void *> items) {
    CIMList *list = newList(listType);
    for (void *item : items) freeReturnCode(appendToList(list, item));
    return list;
}
inline CIMPropertyList *property_list(std::initializer_list<CIMProperty *> properties) {
    CIMPropertyList *list = newCIMPropertyList();
    for (CIMProperty *p : properties) freeReturnCode(appendToCIMPropertyList(list, p));
    return list;
}

}  // namespace fixtures
