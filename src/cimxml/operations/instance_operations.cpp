// instance_operations.cpp - CreateInstance, DeleteInstance, EnumerateInstanceNames,
// EnumerateInstances, GetInstance and ModifyInstance.
//
// Parameters are read in place from the decoded message, which outlives the
// call; only what is handed to the object manager is copied.
#include "cimxml/operation_parameters.h"
#include "cimxml/operations.h"
#include "cimxml/answer_in_pieces.h"
#include "cimxml/operations/batched_results.h"
#include "cimxml/operations/operation_support.h"

using namespace cimxml_ops;

// Creates the instance of NewInstance in the target namespace; the response
// names the new instance.
int CIMOMhdle_createInstance(PoolString *pool, MessageData *msgData, CIMOMHandle *handle) {
    if (!msgData || !msgData->objectPath || !handle)
        return fail_operation("CIMOMhdle_createInstance - failed - Null parameter(s).");
    const CIMPropertyList *parameters = method_parameters(msgData);
    if (!parameters) return fail_missing_parameter("CIMOMhdle_createInstance - msgData->method is null!");
    PathOwner path(copyObjectPath(msgData->objectPath));
    if (!path) return fail_operation("CIMOMhdle_createInstance - copyCIMObjectPath failed.");
    clearPlaceholderClassName(path.get());
    InstanceOwner instance(copyCIMInstance(instance_parameter(parameters, L"NewInstance")));
    if (!instance) return fail_operation("CIMOMhdle_createInstance - copyCIMInstance failed.");
    set_class_name(path.get(), getInstanceName(instance.get()));
    setInstanceNameSpace(instance.get(), copyCIMString(msgData->objectPath->nameSpace));

    CIMObjectPath *newPath = nullptr;
    StatusOwner status(call_slot(handle->pfn_createInstance, path.get(), instance.get(), &newPath));
    PathOwner created(newPath);
    bool failed = !status || status->rc != 0 || !created;
    ListOwner results;
    if (!failed) {
        results.reset(newCIMObjectPathList());
        if (!results) return fail_operation("CIMOMhdle_createInstance - newCIMPropertyList failed");
        if (append_item(results.get(), created.get())) created.release();
    }
    static const ResponseTexts texts{.function = "CIMOMhdle_createInstance"};
    return write_intrinsic_response(pool, msgData, texts, status.get(), failed, results.get(), nullptr);
}

// Deletes the instance InstanceName names, in the target namespace.
int CIMOMhdle_deleteInstance(PoolString *pool, MessageData *msgData, CIMOMHandle *handle) {
    if (!msgData || !msgData->objectPath || !handle)
        return fail_operation("CIMOMhdle_deleteInstance: failed - Null parameter(s).");
    const CIMPropertyList *parameters = method_parameters(msgData);
    if (!parameters) return fail_missing_parameter("CIMOMhdle_deleteInstance - copyCIMPropertyList failed!");
    const CIMObjectPath *instanceName = reference_parameter(parameters, L"InstanceName");
    if (!instanceName) return fail_missing_parameter("CIMOMhdle_deleteInstance failed - InstanceName parameter is NULL!");
    static const InstancePathTexts pathTexts{"CIMOMhdle_deleteInstance failed - Could not copy object path.",
                                             "CIMOMhdle_deleteInstance failed - Namespace is NULL!",
                                             "CIMOMhdle_deleteInstance - setObjectPathNameSpace failed!"};
    PathOwner path(instance_path(instanceName, msgData->objectPath, pathTexts));
    if (!path) return 0;

    StatusOwner status(call_slot(handle->pfn_deleteInstance, path.get()));
    static const ResponseTexts texts{.function = "CIMOMhdle_deleteInstance",
                                     .quietBeginFailure = true,
                                     .failureLog = "CIMOMhdle_deleteInstance - failed!"};
    bool failed = !status || status->rc != 0;
    return write_intrinsic_response(pool, msgData, texts, status.get(), failed, nullptr, nullptr);
}

// Lists the paths of the instances of ClassName.
int CIMOMhdle_enumerateInstanceNames(PoolString *pool, MessageData *msgData, CIMOMHandle *handle) {
    if (!msgData || !msgData->objectPath || !handle)
        return fail_operation("CIMOMhdle_enumerateInstanceNames: failed - Null parameter(s).");
    PathOwner path(copyObjectPath(msgData->objectPath));
    if (!path) return fail_operation("CIMOMhdle_enumerateInstanceNames - copyObjectPath failed.");
    clearPlaceholderClassName(path.get());
    const CIMPropertyList *parameters = method_parameters(msgData);
    if (!parameters) return fail_missing_parameter("CIMOMhdle_enumerateInstanceNames - copyCIMPropertyList failed.");
    const CIMString *className = string_parameter(parameters, L"ClassName");
    if (!className || !set_class_name(path.get(), className))
        return fail_missing_parameter("CIMOMhdle_enumerateInstanceNames: failed - ClassName is null!");
    removePseudoClassName(path.get());

    static const ResponseTexts texts{.function = "CIMOMhdle_enumerateInstanceNames"};
    const CIMXMLHostExtensions *host = batch_extensions();
    if (host && host->enumerateInstanceNamesInBatches)
        return write_batched_response(pool, msgData, texts, [&](auto deliver, void *context) {
            return host->enumerateInstanceNamesInBatches(path.get(), cimxml_batch_size, deliver, context);
        });
    CIMObjectPathList *paths = nullptr;
    StatusOwner status(call_slot(handle->pfn_enumerateInstanceNames, path.get(), &paths));
    ListOwner results(paths);
    bool failed = !status || status->rc != 0 || !results;
    return write_intrinsic_response(pool, msgData, texts, status.get(), failed, results.get(), nullptr);
}

// Lists the instances of ClassName (and, by default, of its subclasses).
int CIMOMhdle_enumerateInstances(PoolString *pool, MessageData *msgData, CIMOMHandle *handle) {
    if (!msgData || !msgData->objectPath || !handle)
        return fail_operation("CIMOMhdle_enumerateInstances: failed - Null parameter(s).");
    PathOwner path(copyObjectPath(msgData->objectPath));
    if (!path) return fail_operation("CIMOMhdle_enumerateInstances - copyObjectPath failed!.");
    clearPlaceholderClassName(path.get());
    const CIMPropertyList *parameters = method_parameters(msgData);
    if (!parameters) return fail_missing_parameter("CIMOMhdle_enumerateInstances - CIMPropertyList is NULL!.");
    const CIMString *className = string_parameter(parameters, L"ClassName");
    if (!className || !set_class_name(path.get(), className))
        return fail_missing_parameter("CIMOMhdle_enumerateInstances failed - ClassName parameter is null.");
    removePseudoClassName(path.get());
    int deepInheritance = bool_parameter(parameters, L"DeepInheritance", 1);
    int localOnly = bool_parameter(parameters, L"LocalOnly", 1);
    int includeQualifiers = bool_parameter(parameters, L"IncludeQualifiers", 0);
    int includeClassOrigin = bool_parameter(parameters, L"IncludeClassOrigin", 0);
    ListOwner propertyList(property_list_parameter(parameters));

    static const ResponseTexts texts{
        .function = "CIMOMhdle_enumerateInstances",
        .failureRecord = "CIMOMhdle_enumerateInstances - pfn_enumerateInstances failed!"};
    const CIMXMLHostExtensions *host = batch_extensions();
    if (host && host->enumerateInstancesInBatches)
        return write_batched_response(pool, msgData, texts, [&](auto deliver, void *context) {
            return host->enumerateInstancesInBatches(path.get(), localOnly, deepInheritance, includeQualifiers,
                                                     includeClassOrigin, propertyList.get(), cimxml_batch_size,
                                                     deliver, context);
        });
    CIMInstanceList *instances = nullptr;
    StatusOwner status(call_slot(handle->pfn_enumerateInstances, path.get(), localOnly, deepInheritance,
                                 includeQualifiers, includeClassOrigin, propertyList.get(), &instances));
    ListOwner results(instances);
    bool failed = !status || status->rc != 0 || !results;
    return write_intrinsic_response(pool, msgData, texts, status.get(), failed, results.get(), nullptr);
}

// Fetches the instance InstanceName names; the response carries it as the
// value of a property "NewInstance".
int CIMOMhdle_getInstance(PoolString *pool, MessageData *msgData, CIMOMHandle *handle) {
    if (!msgData || !msgData->objectPath || !handle)
        return fail_operation("CIMOMhdle_getInstance: failed - Null parameter(s).");
    const CIMPropertyList *parameters = method_parameters(msgData);
    if (!parameters) return fail_missing_parameter("CIMOMhdle_getInstance - copyCIMPropertyList failed.");
    const CIMObjectPath *instanceName = reference_parameter(parameters, L"InstanceName");
    if (!instanceName) return fail_missing_parameter("CIMOMhdle_getInstance failed - InstanceName parameter is null.");
    int localOnly = bool_parameter(parameters, L"LocalOnly", 1);
    int includeQualifiers = bool_parameter(parameters, L"IncludeQualifiers", 0);
    int includeClassOrigin = bool_parameter(parameters, L"IncludeClassOrigin", 0);
    static const InstancePathTexts pathTexts{"CIMOMhdle_getInstance failed - Could not copy InstanceName.",
                                             "CIMOMhdle_getInstance failed - Namespace is NULL!",
                                             "CIMOMhdle_getInstance - setObjectPathNameSpace failed!"};
    PathOwner path(instance_path(instanceName, msgData->objectPath, pathTexts));
    if (!path) return 0;
    ListOwner propertyList(property_list_parameter(parameters));

    CIMInstance *found = nullptr;
    StatusOwner status(call_slot(handle->pfn_getInstance, path.get(), localOnly, includeQualifiers,
                                 includeClassOrigin, propertyList.get(), &found));
    InstanceOwner instance(found);
    bool failed = !status || status->rc != 0 || !instance;
    ListOwner results;
    if (!failed) {
        ValueOwner value(newCIMValue(CIM_OBJECT, instance.get()));
        if (value) instance.release();
        results.reset(single_property_list(L"NewInstance", CIM_OBJECT, value.get()));
        if (!results) return fail_operation("CIMOMhdle_getInstance - newCIMPropertyList failed");
        value.release();
    }
    static const ResponseTexts texts{.function = "CIMOMhdle_getInstance"};
    return write_intrinsic_response(pool, msgData, texts, status.get(), failed, results.get(), nullptr);
}

// Replaces the instance that ModifiedInstance names. The keys come from the
// path of the VALUE.NAMEDINSTANCE that carried it.
int CIMOMhdle_modifyInstance(PoolString *pool, MessageData *msgData, CIMOMHandle *handle) {
    if (!msgData || !msgData->objectPath || !handle)
        return fail_operation("CIMOMhdle_modifyInstance: failed - Null parameter(s).");
    const CIMPropertyList *parameters = method_parameters(msgData);
    if (!parameters) return fail_missing_parameter("CIMOMhdle_modifyInstance - null parameter list.");
    PathOwner path(copyObjectPath(msgData->objectPath));
    if (!path) return fail_operation("CIMOMhdle_modifyInstance - copyObjectPath failed.");
    clearPlaceholderClassName(path.get());
    InstanceOwner instance(copyCIMInstance(instance_parameter(parameters, L"ModifiedInstance")));
    if (!instance) return fail_missing_parameter("CIMOMhdle_modifyInstance failed - modifiedInstance parameter is null");
    int includeQualifiers = bool_parameter(parameters, L"IncludeQualifiers", 1);
    ListOwner propertyList(property_list_parameter(parameters));
    PathOwner named(get_namedinstance_path(msgData->instancePaths, 0));
    if (named && named->mkeys) setObjectPathKeys(path.get(), copyCIMPropertyList(named->mkeys));
    set_class_name(path.get(), getInstanceName(instance.get()));
    setInstanceNameSpace(instance.get(), copyCIMString(msgData->objectPath->nameSpace));

    StatusOwner status(call_slot(handle->pfn_setInstance, path.get(), instance.get(), includeQualifiers,
                                 propertyList.get()));
    static const ResponseTexts texts{.function = "CIMOMhdle_setInstance"};
    bool failed = !status || status->rc != 0;
    return write_intrinsic_response(pool, msgData, texts, status.get(), failed, nullptr, nullptr);
}
