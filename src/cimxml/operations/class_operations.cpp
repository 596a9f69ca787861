// class_operations.cpp - EnumerateClassNames, EnumerateClasses, GetClass,
// CreateClass, ModifyClass and DeleteClass.
//
// Parameters are read in place from the decoded message, which outlives the
// call; only what is handed to the object manager is copied.
#include <string>

#include "cimxml/operation_parameters.h"
#include "cimxml/operations.h"
#include "cimxml/operations/operation_support.h"

using namespace cimxml_ops;

namespace {

// The target path for the class enumerations: the request's path with the
// optional ClassName (missing: logged at level 1 with missingText, the class
// name stays absent). NULL when the path cannot be copied.
CIMObjectPath *enumeration_path(const MessageData *msgData, const CIMPropertyList *parameters,
                                const wchar_t *missingText) {
    PathOwner path(copyObjectPath(msgData->objectPath));
    if (!path) return nullptr;
    clearPlaceholderClassName(path.get());
    const CIMString *className = string_parameter(parameters, L"ClassName");
    if (className) {
        set_class_name(path.get(), className);
    } else {
        cimPrintMessage(CIM_LOG_WARNING, L"%ls", missingText);
    }
    removePseudoClassName(path.get());
    return path.release();
}

// The shared course of CreateClass and ModifyClass: the class of the
// parameter, in the target namespace, handed to slot.
int write_class(PoolString *pool, MessageData *msgData, const wchar_t *parameterName,
                ReturnCode *(*slot)(CIMObjectPath *, CIMClass *), const char *noListText,
                const char *noClassText, const ResponseTexts &texts) {
    const CIMPropertyList *parameters = method_parameters(msgData);
    if (!parameters) return fail_missing_parameter(noListText);
    ClassOwner cimClass(copyCIMClass(class_parameter(parameters, parameterName)));
    if (!cimClass) return fail_missing_parameter(noClassText);
    PathOwner path(copyObjectPath(msgData->objectPath));
    if (!path) return fail_operation((std::string(texts.function) + " - copyObjectPath failed.").c_str());
    clearPlaceholderClassName(path.get());
    set_class_name(path.get(), getClassName(cimClass.get()));
    setClassNameSpace(cimClass.get(), copyCIMString(msgData->objectPath->nameSpace));

    StatusOwner status(call_slot(slot, path.get(), cimClass.get()));
    bool failed = !status || status->rc != 0;
    return write_intrinsic_response(pool, msgData, texts, status.get(), failed, nullptr, nullptr);
}

}  // namespace

// Lists the paths of the classes below ClassName (of the top classes without it).
int CIMOMhdle_enumerateClassNames(PoolString *pool, MessageData *msgData, CIMOMHandle *handle) {
    if (!msgData || !msgData->objectPath || !handle)
        return fail_operation("CIMOMhdle_enumerateClassNames: failed - Null parameter(s).");
    // A request without parameters is answered with the defaults.
    const CIMPropertyList *parameters = method_parameters(msgData);
    PathOwner path(enumeration_path(msgData, parameters, L"CIMOMhdle_enumerateClassNames - ClassName parameter is null."));
    if (!path) return fail_operation("CIMOMhdle_enumerateClassNames - copyObjectPath failed.");
    int deepInheritance = bool_parameter(parameters, L"DeepInheritance", 0);

    CIMObjectPathList *paths = nullptr;
    StatusOwner status(call_slot(handle->pfn_enumerateClassNames, path.get(), deepInheritance, &paths));
    ListOwner results(paths);
    static const ResponseTexts texts{.function = "CIMOMhdle_enumerateClassNames"};
    bool failed = !status || status->rc != 0 || !results;
    return write_intrinsic_response(pool, msgData, texts, status.get(), failed, results.get(), nullptr);
}

// Lists the classes below ClassName (the top classes without it).
int CIMOMhdle_enumerateClasses(PoolString *pool, MessageData *msgData, CIMOMHandle *handle) {
    if (!msgData || !msgData->objectPath || !handle)
        return fail_operation("CIMOMhdle_enumerateClasses: failed - Null parameter(s).");
    const CIMPropertyList *parameters = method_parameters(msgData);
    PathOwner path(enumeration_path(msgData, parameters, L"CIMOMhdle_enumerateClasses - ClassName parameter is null."));
    if (!path) return fail_operation("CIMOMhdle_enumerateClasses - copyObjectPath failed.");
    int deepInheritance = bool_parameter(parameters, L"DeepInheritance", 0);
    int localOnly = bool_parameter(parameters, L"LocalOnly", 1);
    int includeQualifiers = bool_parameter(parameters, L"IncludeQualifiers", 1);
    int includeClassOrigin = bool_parameter(parameters, L"IncludeClassOrigin", 0);

    CIMClassList *classes = nullptr;
    StatusOwner status(call_slot(handle->pfn_enumerateClasses, path.get(), deepInheritance, localOnly,
                                 includeQualifiers, includeClassOrigin, &classes));
    ListOwner results(classes);
    static const ResponseTexts texts{.function = "CIMOMhdle_enumerateClasses"};
    bool failed = !status || status->rc != 0 || !results;
    return write_intrinsic_response(pool, msgData, texts, status.get(), failed, results.get(), nullptr);
}

// Fetches the class ClassName.
int CIMOMhdle_getClass(PoolString *pool, MessageData *msgData, CIMOMHandle *handle) {
    if (!msgData || !msgData->objectPath || !handle)
        return fail_operation("CIMOMhdle_getClass: failed - Null parameter(s).");
    PathOwner path(copyObjectPath(msgData->objectPath));
    if (!path) return fail_operation("CIMOMhdle_getClass: copyObjectPath failed.");
    clearPlaceholderClassName(path.get());
    const CIMPropertyList *parameters = method_parameters(msgData);
    if (!parameters) return fail_missing_parameter("CIMOMhdle_getClass: copyCIMPropertyList failed.");
    const CIMString *className = string_parameter(parameters, L"ClassName");
    if (!className || !set_class_name(path.get(), className))
        return fail_missing_parameter("CIMOMhdle_getClass - failed; ClassName parameter is null.");
    removePseudoClassName(path.get());
    int localOnly = bool_parameter(parameters, L"LocalOnly", 1);
    int includeQualifiers = bool_parameter(parameters, L"IncludeQualifiers", 1);
    int includeClassOrigin = bool_parameter(parameters, L"IncludeClassOrigin", 0);
    ListOwner propertyList(property_list_parameter(parameters));

    CIMClass *found = nullptr;
    StatusOwner status(call_slot(handle->pfn_getClass, path.get(), localOnly, includeQualifiers,
                                 includeClassOrigin, propertyList.get(), &found));
    ClassOwner cimClass(found);
    bool failed = !status || status->rc != 0 || !cimClass;
    ListOwner results;
    if (!failed) {
        results.reset(newCIMClassList());
        if (!results) return fail_operation("CIMOMhdle_getClass - newCIMClassList failed");
        if (append_item(results.get(), cimClass.get())) cimClass.release();
    }
    static const ResponseTexts texts{.function = "CIMOMhdle_getClass"};
    return write_intrinsic_response(pool, msgData, texts, status.get(), failed, results.get(), nullptr);
}

// Creates the class NewClass in the target namespace.
int CIMOMhdle_createClass(PoolString *pool, MessageData *msgData, CIMOMHandle *handle) {
    if (!msgData || !msgData->objectPath || !handle)
        return fail_operation("CIMOMhdle_createClass: failed - Null parameter(s).");
    static const ResponseTexts texts{.function = "CIMOMhdle_createClass"};
    return write_class(pool, msgData, L"NewClass", handle->pfn_createClass,
                       "CIMOMhdle_createClass failed - Null parameter list.",
                       "CIMOMhdle_createClass failed - NewClass parameter is null.", texts);
}

// Replaces the class ModifiedClass in the target namespace.
int CIMOMhdle_modifyClass(PoolString *pool, MessageData *msgData, CIMOMHandle *handle) {
    if (!msgData || !msgData->objectPath || !handle)
        return fail_operation("CIMOMhdle_modifyClass: failed - Null parameter(s).");
    static const ResponseTexts texts{.function = "CIMOMhdle_modifyClass",
                                     .encoderFailed = "CIMOMhdle_modifyClass - cim_simplersp_toxml failed."};
    return write_class(pool, msgData, L"ModifiedClass", handle->pfn_modifyClass,
                       "CIMOMhdle_modifyClass: failed - Null parameter list.",
                       "CIMOMhdle_modifyClass - failed; Null parameter.", texts);
}

// Deletes the class ClassName.
int CIMOMhdle_deleteClass(PoolString *pool, MessageData *msgData, CIMOMHandle *handle) {
    if (!msgData || !msgData->objectPath || !handle)
        return fail_operation("CIMOMhdle_deleteClass: failed - Null parameter(s).");
    const CIMPropertyList *parameters = method_parameters(msgData);
    if (!parameters) return fail_missing_parameter("CIMOMhdle_deleteClass - failed; Null parameter list.");
    PathOwner path(copyObjectPath(msgData->objectPath));
    if (!path) return fail_operation("CIMOMhdle_deleteClass - copyObjectPath failed.");
    clearPlaceholderClassName(path.get());
    const CIMString *className = string_parameter(parameters, L"ClassName");
    if (!className || !set_class_name(path.get(), className))
        return fail_missing_parameter("CIMOMhdle_deleteClass failed - ClassName parameter is null.");
    removePseudoClassName(path.get());

    StatusOwner status(call_slot(handle->pfn_deleteClass, path.get()));
    static const ResponseTexts texts{.function = "CIMOMhdle_deleteClass",
                                     .endTagsFailed = "CIMOMhdle_deleteClass- could not append eng tags to pool."};
    bool failed = !status || status->rc != 0;
    return write_intrinsic_response(pool, msgData, texts, status.get(), failed, nullptr, nullptr);
}
