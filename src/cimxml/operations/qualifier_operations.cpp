// qualifier_operations.cpp - DeleteQualifier, GetQualifier, SetQualifier and
// EnumerateQualifiers.
#include "cimxml/operation_parameters.h"
#include "cimxml/operations.h"
#include "cimxml/operations/operation_support.h"

using namespace cimxml_ops;

// Deletes the qualifier declaration QualifierName. The object manager finds
// the name in the class-name member of the path.
int CIMOMhdle_deleteQualifier(PoolString *pool, MessageData *msgData, CIMOMHandle *handle) {
    if (!msgData || !msgData->objectPath || !handle)
        return fail_operation("CIMOMhdle_deleteQualifier - failed; Null parameter.");
    const CIMPropertyList *parameters = method_parameters(msgData);
    if (!parameters) return fail_missing_parameter("CIMOMhdle_deleteQualifier: failed - Null parameter list.");
    const CIMString *qualifierName = string_parameter(parameters, L"QualifierName");
    if (!qualifierName) return fail_missing_parameter("CIMOMhdle_deleteQualifier failed - QualifierName parameter is null.");
    PathOwner path(copyObjectPath(msgData->objectPath));
    if (!path || !set_class_name(path.get(), qualifierName))
        return fail_operation("CIMOMhdle_deleteQualifier - objectPathAddQualifier failed.");

    StatusOwner status(call_slot(handle->pfn_deleteQualifier, path.get()));
    static const ResponseTexts texts{.function = "CIMOMhdle_deleteQualifier"};
    bool failed = !status || status->rc != 0;
    return write_intrinsic_response(pool, msgData, texts, status.get(), failed, nullptr, nullptr);
}

// Fetches the declaration QualifierName of the target namespace (the name is
// passed on even when the request has none).
int CIMOMhdle_getQualifier(PoolString *pool, MessageData *msgData, CIMOMHandle *handle) {
    if (!msgData || !msgData->objectPath || !handle)
        return fail_operation("CIMOMhdle_getQualifier: failed - Null parameter(s).");
    const CIMPropertyList *parameters = method_parameters(msgData);
    if (!parameters) return fail_missing_parameter("CIMOMhdle_getQualifier: failed - Null parameter list.");
    PathOwner path(copyObjectPath(msgData->objectPath));
    if (!path) return fail_operation("CIMOMhdle_getQualifier - copyObjectPath failed.");
    StringOwner qualifierName(copyCIMString(string_parameter(parameters, L"QualifierName")));

    CIMQualifierType *found = nullptr;
    StatusOwner status(call_slot(handle->pfn_getQualifier, path->nameSpace, qualifierName.get(), &found));
    QualifierTypeOwner declaration(found);
    bool failed = !status || status->rc != 0 || !declaration;
    ListOwner declarations;
    if (!failed) {
        declarations.reset(newCIMQualifierTypeList());
        if (!declarations) return fail_operation("CIMOMhdle_getQualifier - newCIMQualifierTypeList failed");
        if (append_item(declarations.get(), declaration.get())) declaration.release();
    }
    static const ResponseTexts texts{.function = "CIMOMhdle_getQualifier"};
    return write_intrinsic_response(pool, msgData, texts, status.get(), failed, nullptr, declarations.get());
}

// Stores the qualifier declaration the request carried (passed on even when
// there is none) in the target namespace.
int CIMOMhdle_setQualifier(PoolString *pool, MessageData *msgData, CIMOMHandle *handle) {
    if (!msgData || !msgData->objectPath || !handle)
        return fail_operation("CIMOMhdle_setQualifier - failed; Null parameter.");
    PathOwner path(copyObjectPath(msgData->objectPath));
    if (!path) return fail_operation("CIMOMhdle_setQualifier - copyObjectPath failed.");
    QualifierTypeOwner declaration(copyQualifierType(msgData->qualifierType));

    StatusOwner status(call_slot(handle->pfn_setQualifier, path.get(), declaration.get()));
    static const ResponseTexts texts{.function = "CIMOMhdle_setQualifier"};
    bool failed = !status || status->rc != 0;
    return write_intrinsic_response(pool, msgData, texts, status.get(), failed, nullptr, nullptr);
}

// Lists the qualifier declarations of the target namespace.
int CIMOMhdle_enumerateQualifiers(PoolString *pool, MessageData *msgData, CIMOMHandle *handle) {
    if (!msgData || !msgData->objectPath || !handle)
        return fail_operation("CIMOMhdle_enumerateQualifiers: failed - Null parameter(s).");
    PathOwner path(copyObjectPath(msgData->objectPath));
    if (!path) return fail_operation("CIMOMhdle_enumerateQualifiers - copyObjectPath failed.");

    CIMQualifierTypeList *found = nullptr;
    StatusOwner status(call_slot(handle->pfn_enumerateQualifiers, path.get(), &found));
    ListOwner declarations(found);
    static const ResponseTexts texts{.function = "CIMOMhdle_enumerateQualifiers"};
    bool failed = !status || status->rc != 0 || !declarations;
    return write_intrinsic_response(pool, msgData, texts, status.get(), failed, nullptr, declarations.get());
}
