// association_operations.cpp - Associators, AssociatorNames, References and
// ReferenceNames.
//
// Their target is ObjectName: a class name (a string) targets the class; an
// instance reference targets that instance, in the request's namespace.
#include <string>

#include "cimxml/operation_parameters.h"
#include "cimxml/operations.h"
#include "cimxml/answer_in_pieces.h"
#include "cimxml/operations/batched_results.h"
#include "cimxml/operations/operation_support.h"

using namespace cimxml_ops;

namespace {

// The start of every association operation: the argument checks and the
// target path. function names the operation in the texts; noListText is its
// text for a request without parameters. Returns the new target path, or
// NULL after recording the failure.
CIMObjectPath *association_target(const MessageData *msgData, CIMOMHandle *handle, const std::string &function,
                                  const char *noListText) {
    if (!msgData || !msgData->objectPath || !handle) {
        fail_operation((function + ": failed - Null parameter(s).").c_str());
        return nullptr;
    }
    const CIMPropertyList *parameters = method_parameters(msgData);
    if (!parameters) {
        fail_missing_parameter(noListText);
        return nullptr;
    }
    PathOwner path(copyObjectPath(msgData->objectPath));
    if (!path) {
        fail_operation((function + " - copyObjectPath failed.").c_str());
        return nullptr;
    }
    clearPlaceholderClassName(path.get());
    int type = getParamType(parameters, L"ObjectName");
    if (type == CIM_NULL) {
        fail_missing_parameter((function + " failed - ObjectName parameter type is null.").c_str());
        return nullptr;
    }
    if (type == CIM_REFERENCE) {
        if (!isSuccessfulFree(UpdateObjectNameAsInstName(handle, path.get(), parameters))) {
            fail_operation((function + " failed - Could not get ObjectName parameter.").c_str());
            return nullptr;
        }
        return path.release();
    }
    // Any other kind of content than a string counts as missing.
    if (!set_class_name(path.get(), string_parameter(parameters, L"ObjectName")) || path->className == nullptr) {
        fail_missing_parameter((function + " failed - ObjectName parameter is null.").c_str());
        return nullptr;
    }
    return path.release();
}

// A copy of an optional string filter; NULL when absent.
CIMString *filter(const MessageData *msgData, const wchar_t *name) {
    return copyCIMString(string_parameter(method_parameters(msgData), name));
}

}  // namespace

// The classes or instances associated with ObjectName.
int CIMOMhdle_associators(PoolString *pool, MessageData *msgData, CIMOMHandle *handle) {
    PathOwner path(association_target(msgData, handle, "CIMOMhdle_associators",
                                      "CIMOMhdle_associators - null parameter list."));
    if (!path) return 0;
    const CIMPropertyList *parameters = method_parameters(msgData);
    StringOwner assocClass(filter(msgData, L"AssocClass"));
    StringOwner resultClass(filter(msgData, L"ResultClass"));
    StringOwner role(filter(msgData, L"Role"));
    StringOwner resultRole(filter(msgData, L"ResultRole"));
    int includeQualifiers = bool_parameter(parameters, L"IncludeQualifiers", 0);
    int includeClassOrigin = bool_parameter(parameters, L"IncludeClassOrigin", 0);
    ListOwner propertyList(property_list_parameter(parameters));

    static const ResponseTexts texts{.function = "CIMOMhdle_associators"};
    const CIMXMLHostExtensions *host = batch_extensions();
    if (host && host->associatorsInBatches)
        return write_batched_response(pool, msgData, texts, [&](auto deliver, void *context) {
            return host->associatorsInBatches(path.get(), assocClass.get(), resultClass.get(), role.get(),
                                              resultRole.get(), includeQualifiers, includeClassOrigin,
                                              propertyList.get(), cimxml_batch_size, deliver, context);
        });
    CIMList *objects = nullptr;
    StatusOwner status(call_slot(handle->pfn_associators, path.get(), assocClass.get(), resultClass.get(),
                                 role.get(), resultRole.get(), includeQualifiers, includeClassOrigin,
                                 propertyList.get(), &objects));
    ListOwner results(objects);
    bool failed = !status || status->rc != 0 || !results;
    return write_intrinsic_response(pool, msgData, texts, status.get(), failed, results.get(), nullptr);
}

// The paths of the classes or instances associated with ObjectName.
int CIMOMhdle_associatorNames(PoolString *pool, MessageData *msgData, CIMOMHandle *handle) {
    PathOwner path(association_target(msgData, handle, "CIMOMhdle_associatorNames",
                                      "CIMOMhdle_associatorNames - null parameter list."));
    if (!path) return 0;
    StringOwner assocClass(filter(msgData, L"AssocClass"));
    StringOwner resultClass(filter(msgData, L"ResultClass"));
    StringOwner role(filter(msgData, L"Role"));
    StringOwner resultRole(filter(msgData, L"ResultRole"));

    static const ResponseTexts texts{.function = "CIMOMhdle_associatorNames"};
    const CIMXMLHostExtensions *host = batch_extensions();
    if (host && host->associatorNamesInBatches)
        return write_batched_response(pool, msgData, texts, [&](auto deliver, void *context) {
            return host->associatorNamesInBatches(path.get(), assocClass.get(), resultClass.get(), role.get(),
                                                  resultRole.get(), cimxml_batch_size, deliver, context);
        });
    CIMList *paths = nullptr;
    StatusOwner status(call_slot(handle->pfn_associatorNames, path.get(), assocClass.get(), resultClass.get(),
                                 role.get(), resultRole.get(), &paths));
    ListOwner results(paths);
    bool failed = !status || status->rc != 0 || !results;
    return write_intrinsic_response(pool, msgData, texts, status.get(), failed, results.get(), nullptr);
}

// The associations that refer to ObjectName.
int CIMOMhdle_references(PoolString *pool, MessageData *msgData, CIMOMHandle *handle) {
    PathOwner path(association_target(msgData, handle, "CIMOMhdle_references",
                                      "CIMOMhdle_references - copyCIMPropertyList failed."));
    if (!path) return 0;
    const CIMPropertyList *parameters = method_parameters(msgData);
    StringOwner resultClass(filter(msgData, L"ResultClass"));
    StringOwner role(filter(msgData, L"Role"));
    int includeQualifiers = bool_parameter(parameters, L"IncludeQualifiers", 0);
    int includeClassOrigin = bool_parameter(parameters, L"IncludeClassOrigin", 0);
    ListOwner propertyList(property_list_parameter(parameters));

    static const ResponseTexts texts{.function = "CIMOMhdle_references"};
    const CIMXMLHostExtensions *host = batch_extensions();
    if (host && host->referencesInBatches)
        return write_batched_response(pool, msgData, texts, [&](auto deliver, void *context) {
            return host->referencesInBatches(path.get(), resultClass.get(), role.get(), includeQualifiers,
                                             includeClassOrigin, propertyList.get(), cimxml_batch_size, deliver,
                                             context);
        });
    CIMList *objects = nullptr;
    StatusOwner status(call_slot(handle->pfn_references, path.get(), resultClass.get(), role.get(),
                                 includeQualifiers, includeClassOrigin, propertyList.get(), &objects));
    ListOwner results(objects);
    bool failed = !status || status->rc != 0 || !results;
    return write_intrinsic_response(pool, msgData, texts, status.get(), failed, results.get(), nullptr);
}

// The paths of the associations that refer to ObjectName.
int CIMOMhdle_referenceNames(PoolString *pool, MessageData *msgData, CIMOMHandle *handle) {
    PathOwner path(association_target(msgData, handle, "CIMOMhdle_referenceNames",
                                      "CIMOMhdle_referenceNames - parameter list is null."));
    if (!path) return 0;
    StringOwner resultClass(filter(msgData, L"ResultClass"));
    StringOwner role(filter(msgData, L"Role"));

    static const ResponseTexts texts{.function = "CIMOMhdle_referenceNames"};
    const CIMXMLHostExtensions *host = batch_extensions();
    if (host && host->referenceNamesInBatches)
        return write_batched_response(pool, msgData, texts, [&](auto deliver, void *context) {
            return host->referenceNamesInBatches(path.get(), resultClass.get(), role.get(), cimxml_batch_size,
                                                 deliver, context);
        });
    CIMObjectPathList *paths = nullptr;
    StatusOwner status(call_slot(handle->pfn_referenceNames, path.get(), resultClass.get(), role.get(), &paths));
    ListOwner results(paths);
    bool failed = !status || status->rc != 0 || !results;
    return write_intrinsic_response(pool, msgData, texts, status.get(), failed, results.get(), nullptr);
}
