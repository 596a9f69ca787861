// cim_fixtures.cpp - builders of CIM objects for the encoder tests.
#include "cimxml_schema/cim_fixtures.h"

#include <utils/system_ip.h>

#include "cimxml_common/memory.h"

namespace fixtures {

std::string take(char *fragment) {
    if (fragment == nullptr) return null_text;
    std::string text(fragment);
    cimxml_free(fragment, CIMXML_ATOMIC);
    return text;
}

CIMString *str(const wchar_t *text) { return newCIMString(text); }

CIMValue *string_value(const wchar_t *text) { return newCIMValue(CIM_STRING, str(text)); }
CIMValue *narrow_string_value(const std::string &text) {
    return newCIMValue(CIM_STRING, createCIMStringFromChar(text.c_str()));
}
CIMValue *uint32_value(uint32_t number) { return newCIMValue(CIM_UINT32, &number); }
CIMValue *uint8_value(uint8_t number) { return newCIMValue(CIM_UINT8, &number); }
CIMValue *sint64_value(int64_t number) { return newCIMValue(CIM_SINT64, &number); }
CIMValue *real32_value(float number) { return newCIMValue(CIM_REAL32, &number); }
CIMValue *boolean_value(int flag) { return newCIMValue(CIM_BOOLEAN, &flag); }
CIMValue *char16_value(uint16_t character) { return newCIMValue(CIM_CHAR16, &character); }
CIMValue *datetime_value(const wchar_t *text) { return newCIMValue(CIM_DATETIME, const_cast<wchar_t *>(text)); }
CIMValue *reference_value(CIMObjectPath *path) { return newCIMValue(CIM_REFERENCE, path); }
CIMValue *instance_value(CIMInstance *instance) { return newCIMValue(CIM_OBJECT, instance); }
CIMValue *class_value(CIMClass *cimClass) { return newCIMValue(CIM_CLASS, cimClass); }

CIMValue *array_value(int arrayType, std::initializer_list<CIMValue *> elements) {
    CIMValueList *list = newCIMValueList();
    for (CIMValue *element : elements) {
        if (element == nullptr) element = newCIMValueNULL(arrayType - CIM_ARRAY);
        freeReturnCode(appendToCIMValueList(list, element));
    }
    return newCIMValue(arrayType, list);
}

CIMProperty *property(const wchar_t *name, CIMValue *value) {
    return newProperty(str(name), nullptr, value, getCIMValueType(value), nullptr, 0);
}

CIMProperty *typed_property(const wchar_t *name, int type, CIMValue *value) {
    return newProperty(str(name), nullptr, value, type, nullptr, 0);
}

void add_qualifier(CIMProperty *property, CIMQualifier *qualifier) {
    freeReturnCode(propertyAddQualifier(property, qualifier));
}

CIMQualifier *boolean_qualifier(const wchar_t *name, int flag, int flavor) {
    return newQualifier(str(name), flavor, boolean_value(flag), CIM_BOOLEAN, 0);
}

CIMObjectPath *path(const wchar_t *className, const wchar_t *nameSpace, const wchar_t *host) {
    CIMObjectPath *p = newObjectPathWithName(className ? str(className) : nullptr);
    if (nameSpace) setObjectPathNameSpace(p, str(nameSpace));
    if (host) setObjectPathHost(p, str(host));
    return p;
}

void add_key(CIMObjectPath *path, const wchar_t *name, CIMValue *value) {
    freeReturnCode(objectPathAddKey(path, newPropertyKey(str(name), nullptr, value)));
}

CIMInstance *instance(const wchar_t *className, std::initializer_list<CIMProperty *> properties,
                      CIMObjectPath *ownPath) {
    CIMInstance *i = newInstance(str(className), nullptr, nullptr);
    for (CIMProperty *p : properties) freeReturnCode(instanceAddProperty(i, p));
    if (ownPath) setInstancePath(i, ownPath);
    return i;
}

CIMList *list_of(int listType, std::initializer_list<void *> items) {
    CIMList *list = newList(listType);
    for (void *item : items) freeReturnCode(appendToList(list, item));
    return list;
}

CIMPropertyList *property_list(std::initializer_list<CIMProperty *> properties) {
    CIMPropertyList *list = newCIMPropertyList();
    for (CIMProperty *p : properties) freeReturnCode(appendToCIMPropertyList(list, p));
    return list;
}

std::string system_host() {
    char *address = get_system_ip();
    std::string host = address ? address : "localhost";
    cimxml_free(address, CIMXML_ATOMIC);
    return host;
}

Pool::Pool() { init_PoolString(&pool, 1, 1, 1, 2048, "test"); }
Pool::~Pool() { release_PoolStringBuffer(&pool); }

std::string message_around(const std::string &body, const std::string &id) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n"
           "<MESSAGE ID=\"" + id + "\" PROTOCOLVERSION=\"1.0\">\n" + body + "</MESSAGE>\n</CIM>\n";
}

}  // namespace fixtures
