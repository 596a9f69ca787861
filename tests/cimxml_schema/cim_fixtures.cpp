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
CIMValue *boolean_value(int flag) { return newCIMValue(CIM_BOOLEAN, &flag); }
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

CIMObjectPath *keyed_path(uint32_t id, const wchar_t *nameSpace, const wchar_t *host) {
    CIMObjectPath *p = path(L"CIM_Foo", nameSpace, host);
    add_key(p, L"Id", uint32_value(id));
    return p;
}

CIMInstance *instance(const wchar_t *className, std::initializer_list<CIMProperty *> properties,
                      CIMObjectPath *ownPath) {
    CIMInstance *i = newInstance(str(className), nullptr, nullptr);
    for (CIMProperty *p : properties) freeReturnCode(instanceAddProperty(i, p));
    if (ownPath) setInstancePath(i, ownPath);
    return i;
}

CIMInstance *keyed_instance(uint32_t id) {
    return instance(L"CIM_Foo", {property(L"Id", uint32_value(id))}, keyed_path(id, L"root"));
}

std::string keyed_instance_text(uint32_t id) {
    return "<INSTANCE CLASSNAME=\"CIM_Foo\">\n<PROPERTY NAME=\"Id\" TYPE=\"uint32\" PROPAGATED=\"false\">\n<VALUE>" +
           std::to_string(id) + "</VALUE>\n</PROPERTY>\n</INSTANCE>\n";
}

std::string keyed_name_text(uint32_t id) {
    return "<INSTANCENAME CLASSNAME=\"CIM_Foo\">\n<KEYBINDING NAME=\"Id\">\n"
           "<KEYVALUE VALUETYPE=\"numeric\" TYPE=\"uint32\">" +
           std::to_string(id) + "</KEYVALUE>\n</KEYBINDING>\n</INSTANCENAME>\n";
}

CIMClass *sample_class() {
    CIMClass *c = newCIMClass(str(L"CIM_Sample"), str(L"CIM_Base"));
    setClassNameSpace(c, str(L"root/cimv2"));
    setClassQualifiers(c, list_of(CIMLIST_QUALIFIER, {boolean_qualifier(L"Abstract", 1, 0)}));
    CIMProperty *key = newProperty(str(L"Id"), str(L"CIM_Sample"), nullptr, CIM_UINT32, nullptr, 0);
    add_qualifier(key, boolean_qualifier(L"Key", 1, 2 | 8));
    setClassProperties(c, property_list({key, typed_property(L"Codes", 104, array_value(104, {uint32_value(1)})),
                                         typed_property(L"Link", CIM_REFERENCE, nullptr)}));
    CIMPropertyList *parameters =
        property_list({typed_property(L"Count", CIM_UINT16, nullptr),
                       typed_property(L"Target", CIM_REFERENCE, reference_value(path(L"CIM_T"))),
                       typed_property(L"Names", 108, array_value(108, {string_value(L"a"), string_value(L"b")})),
                       typed_property(L"Targets", 114, nullptr)});
    setClassMethods(c, list_of(CIMLIST_METHOD, {newMethod(str(L"Run"), nullptr, 0, nullptr, CIM_UINT32, parameters)}));
    return c;
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

}  // namespace fixtures
