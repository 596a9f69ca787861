// pull_requests.cpp - the client requests of the pulled enumerations: the
// seven opens, the three pulls, CloseEnumeration and EnumerationCount.
#include <cimxml/cimxml_client.h>

#include "client_adapter/request_framing.h"

using namespace client_requests;

namespace {

request_parameters &uint32_value(request_parameters &parameters, const wchar_t *name, unsigned int number) {
    CIMValue *value = newCIMValue(CIM_UINT32, &number);
    parameters.value(name, value);
    freeCIMValue(value);
    return parameters;
}

// The parameters every open takes, after the operation's own.
void open_options(request_parameters &parameters, const CIMXMLPullOptions *options) {
    CIMXMLPullOptions none{};
    if (options == nullptr) options = &none;
    if (options->filterQueryLanguage || options->filterQuery)
        parameters.string(L"FilterQueryLanguage", options->filterQueryLanguage)
            .string(L"FilterQuery", options->filterQuery);
    if (options->hasOperationTimeout) uint32_value(parameters, L"OperationTimeout", options->operationTimeout);
    if (options->continueOnError) parameters.boolean(L"ContinueOnError", 1);
    uint32_value(parameters, L"MaxObjectCount", options->maxObjectCount);
}

// An open of an association operation: ResultClass and Role for both,
// AssocClass and ResultRole for the associators, the instances' flags
// unless it opens paths.
char *open_association(const request_call &call, const CIMObjectPath *instancePath, const CIMString *assocClass,
                       const CIMString *resultClass, const CIMString *role, const CIMString *resultRole,
                       bool associators, bool paths, int includeClassOrigin, const CIMStringList *propertyList,
                       const CIMXMLPullOptions *options, int withoutHeader) {
    enter_client();
    if (refuse_null(call, instancePath)) return nullptr;
    request_parameters parameters(call.encoder);
    parameters.reference(L"InstanceName", instancePath);
    if (associators) parameters.class_name(L"AssocClass", assocClass);
    parameters.class_name(L"ResultClass", resultClass).string(L"Role", role);
    if (associators) parameters.string(L"ResultRole", resultRole);
    if (!paths) parameters.boolean(L"IncludeClassOrigin", includeClassOrigin).string_list(L"PropertyList", propertyList);
    open_options(parameters, options);
    return frame_request(call, instancePath, parameters.list(), nullptr, withoutHeader);
}

// A pull, a close or a count: the context, and for a pull the count.
char *on_context(const request_call &call, const CIMObjectPath *nameSpacePath, const CIMString *context,
                 const unsigned int *maxObjectCount, int withoutHeader) {
    enter_client();
    if (refuse_null(call, nameSpacePath) || refuse_null(call, context)) return nullptr;
    request_parameters parameters(call.encoder);
    parameters.string(L"EnumerationContext", context);
    if (maxObjectCount) uint32_value(parameters, L"MaxObjectCount", *maxObjectCount);
    return frame_request(call, nameSpacePath, parameters.list(), nullptr, withoutHeader);
}

}  // namespace

char *CIMXMLencode_openEnumerateInstances(const CIMObjectPath *classPath, int includeClassOrigin,
                                          const CIMStringList *propertyList, const CIMXMLPullOptions *options,
                                          int withoutHeader) {
    static const request_call call{"CIMXMLencode_openEnumerateInstances", L"OpenEnumerateInstances",
                                   "OpenEnumerateInstances", 1};
    enter_client();
    if (refuse_null(call, classPath)) return nullptr;
    request_parameters parameters(call.encoder);
    parameters.class_name(classPath)
        .boolean(L"IncludeClassOrigin", includeClassOrigin)
        .string_list(L"PropertyList", propertyList);
    open_options(parameters, options);
    return frame_request(call, classPath, parameters.list(), nullptr, withoutHeader);
}

char *CIMXMLencode_openEnumerateInstancePaths(const CIMObjectPath *classPath, const CIMXMLPullOptions *options,
                                              int withoutHeader) {
    static const request_call call{"CIMXMLencode_openEnumerateInstancePaths", L"OpenEnumerateInstancePaths",
                                   "OpenEnumerateInstancePaths", 1};
    enter_client();
    if (refuse_null(call, classPath)) return nullptr;
    request_parameters parameters(call.encoder);
    parameters.class_name(classPath);
    open_options(parameters, options);
    return frame_request(call, classPath, parameters.list(), nullptr, withoutHeader);
}

char *CIMXMLencode_openReferenceInstances(const CIMObjectPath *instancePath, const CIMString *resultClass,
                                          const CIMString *role, int includeClassOrigin,
                                          const CIMStringList *propertyList, const CIMXMLPullOptions *options,
                                          int withoutHeader) {
    static const request_call call{"CIMXMLencode_openReferenceInstances", L"OpenReferenceInstances",
                                   "OpenReferenceInstances", 1};
    return open_association(call, instancePath, nullptr, resultClass, role, nullptr, false, false, includeClassOrigin,
                            propertyList, options, withoutHeader);
}

char *CIMXMLencode_openReferenceInstancePaths(const CIMObjectPath *instancePath, const CIMString *resultClass,
                                              const CIMString *role, const CIMXMLPullOptions *options,
                                              int withoutHeader) {
    static const request_call call{"CIMXMLencode_openReferenceInstancePaths", L"OpenReferenceInstancePaths",
                                   "OpenReferenceInstancePaths", 1};
    return open_association(call, instancePath, nullptr, resultClass, role, nullptr, false, true, 0, nullptr, options,
                            withoutHeader);
}

char *CIMXMLencode_openAssociatorInstances(const CIMObjectPath *instancePath, const CIMString *assocClass,
                                           const CIMString *resultClass, const CIMString *role,
                                           const CIMString *resultRole, int includeClassOrigin,
                                           const CIMStringList *propertyList, const CIMXMLPullOptions *options,
                                           int withoutHeader) {
    static const request_call call{"CIMXMLencode_openAssociatorInstances", L"OpenAssociatorInstances",
                                   "OpenAssociatorInstances", 1};
    return open_association(call, instancePath, assocClass, resultClass, role, resultRole, true, false,
                            includeClassOrigin, propertyList, options, withoutHeader);
}

char *CIMXMLencode_openAssociatorInstancePaths(const CIMObjectPath *instancePath, const CIMString *assocClass,
                                               const CIMString *resultClass, const CIMString *role,
                                               const CIMString *resultRole, const CIMXMLPullOptions *options,
                                               int withoutHeader) {
    static const request_call call{"CIMXMLencode_openAssociatorInstancePaths", L"OpenAssociatorInstancePaths",
                                   "OpenAssociatorInstancePaths", 1};
    return open_association(call, instancePath, assocClass, resultClass, role, resultRole, true, true, 0, nullptr,
                            options, withoutHeader);
}

char *CIMXMLencode_openQueryInstances(const CIMObjectPath *nameSpacePath, const CIMString *queryLanguage,
                                      const CIMString *query, const CIMXMLPullOptions *options, int withoutHeader) {
    static const request_call call{"CIMXMLencode_openQueryInstances", L"OpenQueryInstances", "OpenQueryInstances", 1};
    enter_client();
    if (refuse_null(call, nameSpacePath) || refuse_null(call, query) || refuse_null(call, queryLanguage))
        return nullptr;
    request_parameters parameters(call.encoder);
    parameters.string(L"FilterQueryLanguage", queryLanguage).string(L"FilterQuery", query);
    CIMXMLPullOptions rest = options ? *options : CIMXMLPullOptions{};
    rest.filterQueryLanguage = rest.filterQuery = nullptr;
    open_options(parameters, &rest);
    if (rest.returnQueryResultClass) parameters.boolean(L"ReturnQueryResultClass", 1);
    return frame_request(call, nameSpacePath, parameters.list(), nullptr, withoutHeader);
}

char *CIMXMLencode_pullInstancesWithPath(const CIMObjectPath *nameSpacePath, const CIMString *context,
                                         unsigned int maxObjectCount, int withoutHeader) {
    static const request_call call{"CIMXMLencode_pullInstancesWithPath", L"PullInstancesWithPath",
                                   "PullInstancesWithPath", 1};
    return on_context(call, nameSpacePath, context, &maxObjectCount, withoutHeader);
}

char *CIMXMLencode_pullInstancePaths(const CIMObjectPath *nameSpacePath, const CIMString *context,
                                     unsigned int maxObjectCount, int withoutHeader) {
    static const request_call call{"CIMXMLencode_pullInstancePaths", L"PullInstancePaths", "PullInstancePaths", 1};
    return on_context(call, nameSpacePath, context, &maxObjectCount, withoutHeader);
}

char *CIMXMLencode_pullInstances(const CIMObjectPath *nameSpacePath, const CIMString *context,
                                 unsigned int maxObjectCount, int withoutHeader) {
    static const request_call call{"CIMXMLencode_pullInstances", L"PullInstances", "PullInstances", 1};
    return on_context(call, nameSpacePath, context, &maxObjectCount, withoutHeader);
}

char *CIMXMLencode_closeEnumeration(const CIMObjectPath *nameSpacePath, const CIMString *context, int withoutHeader) {
    static const request_call call{"CIMXMLencode_closeEnumeration", L"CloseEnumeration", "CloseEnumeration", 1};
    return on_context(call, nameSpacePath, context, nullptr, withoutHeader);
}

char *CIMXMLencode_enumerationCount(const CIMObjectPath *nameSpacePath, const CIMString *context, int withoutHeader) {
    static const request_call call{"CIMXMLencode_enumerationCount", L"EnumerationCount", "EnumerationCount", 1};
    return on_context(call, nameSpacePath, context, nullptr, withoutHeader);
}
