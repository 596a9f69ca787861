// instance_requests.cpp - the client requests of the instance operations:
// CreateInstance, DeleteInstance, EnumerateInstanceNames,
// EnumerateInstances, GetInstance, ModifyInstance and ExecQuery.
#include <cimxml/cimxml_client.h>

#include <memory>

#include "client_adapter/request_framing.h"

using namespace client_requests;

namespace {

using path_owner = std::unique_ptr<CIMObjectPath, decltype(&freeCIMObjectPath)>;
using instance_owner = std::unique_ptr<CIMInstance, decltype(&freeCIMInstance)>;

// The encoders that name a class or an instance send only its class name
// and namespace as the call's target; NULL when that path cannot be made.
char *frame_on_class(const request_call &call, const CIMObjectPath *path, const request_parameters &parameters,
                     int withoutHeader) {
    path_owner target(class_and_namespace(call.encoder, path), freeCIMObjectPath);
    if (!target) return nullptr;
    return frame_request(call, target.get(), parameters.list(), nullptr, withoutHeader);
}

// A copy of the instance that names itself: its own path, else path when
// that has keys, else the path its key properties make. NULL when memory is short.
CIMInstance *named_instance(const CIMInstance *instance, const CIMObjectPath *path) {
    instance_owner copy(copyCIMInstance(instance), freeCIMInstance);
    if (!copy || getInstancePath(copy.get())) return copy.release();
    CIMObjectPath *name =
        !isEmptyCIMPropertyList(getObjectPathKeys(path)) ? copyObjectPath(path) : newObjectPathFromInst(copy.get());
    if (!name || !setInstancePath(copy.get(), name)) {
        freeCIMObjectPath(name);
        return nullptr;
    }
    return copy.release();
}

}  // namespace

char *CIMXMLencode_createInstance(const CIMObjectPath *path, const CIMInstance *instance, int withoutHeader) {
    static const request_call call{"CIMXMLencode_createInstance", L"CreateInstance", "CreateInstance", 1};
    enter_client();
    if (refuse_null(call, path) || refuse_null(call, instance)) return nullptr;
    request_parameters parameters(call.encoder);
    parameters.instance(L"NewInstance", instance);
    return frame_request(call, path, parameters.list(), nullptr, withoutHeader);
}

char *CIMXMLencode_deleteInstance(const CIMObjectPath *instancePath, int withoutHeader) {
    static const request_call call{"CIMXMLencode_deleteInstance", L"DeleteInstance", "DeleteInstance", 1};
    enter_client();
    if (refuse_null(call, instancePath)) return nullptr;
    request_parameters parameters(call.encoder);
    parameters.reference(L"InstanceName", instancePath);
    return frame_on_class(call, instancePath, parameters, withoutHeader);
}

char *CIMXMLencode_enumerateInstanceNames(const CIMObjectPath *classPath, int withoutHeader) {
    static const request_call call{"CIMXMLencode_enumerateInstanceNames", L"EnumerateInstanceNames",
                                   "EnumerateInstanceNames", 1};
    enter_client();
    if (refuse_null(call, classPath)) return nullptr;
    request_parameters parameters(call.encoder);
    parameters.class_name(classPath);
    return frame_on_class(call, classPath, parameters, withoutHeader);
}

char *CIMXMLencode_enumerateInstances(const CIMObjectPath *classPath, int deepInheritance, int localOnly,
                                      int includeQualifiers, int includeClassOrigin, const CIMStringList *propertyList,
                                      int withoutHeader) {
    static const request_call call{"CIMXMLencode_enumerateInstances", L"EnumerateInstances", "EnumerateInstances", 1};
    enter_client();
    if (refuse_null(call, classPath)) return nullptr;
    request_parameters parameters(call.encoder);
    parameters.class_name(classPath)
        .boolean(L"LocalOnly", localOnly)
        .boolean(L"DeepInheritance", deepInheritance)
        .boolean(L"IncludeQualifiers", includeQualifiers)
        .boolean(L"IncludeClassOrigin", includeClassOrigin)
        .string_list(L"PropertyList", propertyList);
    return frame_on_class(call, classPath, parameters, withoutHeader);
}

char *CIMXMLencode_execQuery(const CIMObjectPath *path, const CIMString *query, const CIMString *queryLanguage,
                             int withoutHeader) {
    static const request_call call{"CIMXMLencode_execQuery", L"ExecQuery", "ExecQuery", 1};
    enter_client();
    if (refuse_null(call, path)) return nullptr;
    request_parameters parameters(call.encoder);
    parameters.string(L"QueryLanguage", queryLanguage).string(L"Query", query);
    return frame_request(call, path, parameters.list(), nullptr, withoutHeader);
}

char *CIMXMLencode_getInstance(const CIMObjectPath *instancePath, int localOnly, int includeQualifiers,
                               int includeClassOrigin, const CIMStringList *propertyList, int withoutHeader) {
    static const request_call call{"CIMXMLencode_getInstance", L"GetInstance", "getInstance", 1};
    enter_client();
    if (refuse_null(call, instancePath)) return nullptr;
    request_parameters parameters(call.encoder);
    parameters.reference(L"InstanceName", instancePath)
        .boolean(L"LocalOnly", localOnly)
        .boolean(L"IncludeQualifiers", includeQualifiers)
        .boolean(L"IncludeClassOrigin", includeClassOrigin)
        .string_list(L"PropertyList", propertyList);
    return frame_on_class(call, instancePath, parameters, withoutHeader);
}

char *CIMXMLencode_modifyInstance(const CIMObjectPath *path, const CIMInstance *instance, int includeQualifiers,
                                  const CIMStringList *propertyList, int withoutHeader) {
    static const request_call call{"CIMXMLencode_modifyInstance", L"ModifyInstance", "ModifyInstance", 1};
    enter_client();
    if (refuse_null(call, path) || refuse_null(call, instance)) return nullptr;
    // The modified instance travels as a VALUE.NAMEDINSTANCE, which needs its name.
    instance_owner named(named_instance(instance, path), freeCIMInstance);
    if (!named) {
        log_failure(call.encoder, " - failed.");
        return nullptr;
    }
    request_parameters parameters(call.encoder);
    parameters.instance(L"ModifiedInstance", named.get())
        .boolean(L"IncludeQualifiers", includeQualifiers)
        .string_list(L"PropertyList", propertyList);
    return frame_request(call, path, parameters.list(), nullptr, withoutHeader);
}
