// namespace_requests.cpp - creating and deleting a namespace, as the
// CreateInstance and DeleteInstance of its CIM_Namespace instance.
#include <cimxml/cimxml_client.h>

#include <cstdint>
#include <memory>

#include "client_adapter/request_framing.h"

using namespace client_requests;

namespace {

using path_owner = std::unique_ptr<CIMObjectPath, decltype(&freeCIMObjectPath)>;
using instance_owner = std::unique_ptr<CIMInstance, decltype(&freeCIMInstance)>;

// The path CIM_Namespace in the namespace nameSpace; NULL after
// "<encoder> - setObjectPathName failed." when it cannot be made.
CIMObjectPath *namespace_class_path(const char *encoder, const CIMString *nameSpace) {
    path_owner path(newObjectPathWithName(newCIMString(L"CIM_Namespace")), freeCIMObjectPath);
    CIMString *copy = copyCIMString(nameSpace);
    if (!path || !getObjectPathName(path.get()) || !copy || !setObjectPathNameSpace(path.get(), copy)) {
        freeCIMString(copy);
        log_failure(encoder, " - setObjectPathName failed.");
        return nullptr;
    }
    return path.release();
}

// A property of name holding value (taken); NULL when memory is short.
CIMProperty *new_property(const wchar_t *name, CIMValue *value) {
    CIMString *propertyName = newCIMString(name);
    CIMProperty *property =
        propertyName && value ? newProperty(propertyName, nullptr, value, getCIMValueType(value), nullptr, 0) : nullptr;
    if (!property) {
        freeCIMString(propertyName);
        freeCIMValue(value);
    }
    return property;
}

}  // namespace

char *CIMXMLencode_createNamespace(const CIMString *nameSpace, int withoutHeader) {
    static const char *const encoder = "CIMXMLencode_createNamespace";
    enter_client();
    if (!nameSpace) {
        log_failure(encoder, " - failed; Null parameter.");
        return nullptr;
    }
    path_owner path(namespace_class_path(encoder, nameSpace), freeCIMObjectPath);
    if (!path) return nullptr;
    instance_owner instance(newInstance(newCIMString(L"CIM_Namespace"), copyCIMString(nameSpace), nullptr),
                            freeCIMInstance);
    uint16_t classInfo = 0;
    for (CIMProperty *property : {new_property(L"Name", newCIMValue(CIM_STRING, copyCIMString(nameSpace))),
                                  new_property(L"ClassInfo", newCIMValue(CIM_UINT16, &classInfo))}) {
        if (!instance || !property || !isSuccessfulFree(instanceAddProperty(instance.get(), property))) {
            freeCIMProperty(property);
            instance.reset();
        }
    }
    if (!instance) {
        log_failure(encoder, " - instanceAddProperty failed.");
        return nullptr;
    }
    return CIMXMLencode_createInstance(path.get(), instance.get(), withoutHeader);
}

char *CIMXMLencode_deleteNamespace(const CIMString *nameSpace, int withoutHeader) {
    static const char *const encoder = "CIMXMLencode_deleteNamespace";
    enter_client();
    if (!nameSpace) {
        log_failure(encoder, " - failed; Null parameter.");
        return nullptr;
    }
    path_owner path(namespace_class_path(encoder, nameSpace), freeCIMObjectPath);
    if (!path) return nullptr;
    CIMString *name = newCIMString(L"Name");
    CIMValue *value = newCIMValue(CIM_STRING, copyCIMString(nameSpace));
    CIMProperty *key = name && value ? newPropertyKey(name, nullptr, value) : nullptr;
    if (!key || !isSuccessfulFree(objectPathAddKey(path.get(), key))) {
        if (key) {
            freeCIMProperty(key);
        } else {
            freeCIMString(name);
            freeCIMValue(value);
        }
        log_failure(encoder, " - objectPathAddKey failed.");
        return nullptr;
    }
    return CIMXMLencode_deleteInstance(path.get(), withoutHeader);
}
