// cim_fixtures.h - short ways to build CIM objects and read fragments in the
// encoder tests.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>

#include <cimobj/cimobj.h>
#include <utils/pool_string.h>

namespace fixtures {

// Marker for an encoder that gave NULL.
inline const std::string null_text = "(null)";

// The fragment's text (null_text for NULL); the fragment is released.
std::string take(char *fragment);

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

// Encodes object (taken and freed afterwards) and returns the fragment's text.
template <typename Encoder, typename T>
std::string encoded(Encoder encoder, T *object) {
    Owned<T> owner(object);
    return take(encoder(object));
}

CIMString *str(const wchar_t *text);

// Values (the value takes what it is given).
CIMValue *string_value(const wchar_t *text);
CIMValue *narrow_string_value(const std::string &text);
CIMValue *uint32_value(uint32_t number);
CIMValue *boolean_value(int flag);
CIMValue *reference_value(CIMObjectPath *path);
CIMValue *instance_value(CIMInstance *instance);
CIMValue *class_value(CIMClass *cimClass);
// An array value of arrayType holding the elements (NULL elements allowed).
CIMValue *array_value(int arrayType, std::initializer_list<CIMValue *> elements);

// A property with the value's type (or type, when given), no qualifiers.
CIMProperty *property(const wchar_t *name, CIMValue *value);
CIMProperty *typed_property(const wchar_t *name, int type, CIMValue *value);
void add_qualifier(CIMProperty *property, CIMQualifier *qualifier);
CIMQualifier *boolean_qualifier(const wchar_t *name, int flag, int flavor = 0);

// A path with class name, namespace and host (each may be NULL).
CIMObjectPath *path(const wchar_t *className, const wchar_t *nameSpace = nullptr,
                    const wchar_t *host = nullptr);
void add_key(CIMObjectPath *path, const wchar_t *name, CIMValue *value);
// A path of CIM_Foo with the key Id=id.
CIMObjectPath *keyed_path(uint32_t id, const wchar_t *nameSpace = nullptr, const wchar_t *host = nullptr);

// An instance of className with the properties (taken), and optionally its
// own path (taken).
CIMInstance *instance(const wchar_t *className, std::initializer_list<CIMProperty *> properties,
                      CIMObjectPath *ownPath = nullptr);
// An instance of CIM_Foo with the property Id=id and its own keyed path in "root".
CIMInstance *keyed_instance(uint32_t id);
// The texts of keyed_instance(id) as INSTANCE and of keyed_path(id) as INSTANCENAME.
std::string keyed_instance_text(uint32_t id);
std::string keyed_name_text(uint32_t id);

// A class CIM_Sample (superclass CIM_Base, namespace root/cimv2) with a
// qualifier, a property of each kind and a method with a parameter of each kind.
CIMClass *sample_class();

// Lists (each takes its items).
CIMList *list_of(int listType, std::initializer_list<void *> items);
CIMPropertyList *property_list(std::initializer_list<CIMProperty *> properties);

// The host a path without host of its own is written with.
std::string system_host();

// A response pool set up as the response writers set it up.
struct Pool {
    PoolString pool{};
    Pool();
    ~Pool();
    std::string text() const { return pool.text ? pool.text : ""; }
};

}  // namespace fixtures
