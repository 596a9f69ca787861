// dispatch_table.cpp - which operation function answers which request.
#include "cimxml/dispatch_table.h"

#include "cimxml/operations.h"
#include "cimxml/pull_operations.h"
#include "cimxml_common/profile.h"

// The order matters: an extrinsic method named like one of the first twenty
// intrinsic operations is answered as that operation.
const DispatchEntry cimxml_dispatch_table[] = {
    {L"CreateInstance", CIMOMhdle_createInstance, L"CIMOMhdle_createInstance - failed.", L"CreateInstance", 1},
    {L"ExportIndication", CIMOMhdle_exportIndication, L"CIMOMhdle_exportIndication - failed.", L"ExportIndication",
     0},
    {L"EnumerateQualifiers", CIMOMhdle_enumerateQualifiers, L"CIMOMhdle_enumerateQualifiers - failed.",
     L"EnumerateQualifiers", 1},
    {L"EnumerateClasses", CIMOMhdle_enumerateClasses, L"CIMOMhdle_enumerateClasses - failed.", L"EnumerateClasses",
     1},
    {L"EnumerateClassNames", CIMOMhdle_enumerateClassNames, L"CIMOMhdle_enumerateClassNames - failed.",
     L"EnumerateClassNames", 1},
    {L"DeleteQualifier", CIMOMhdle_deleteQualifier, L"CIMOMhdle_deleteQualifier - failed.", L"DeleteQualifier", 1},
    {L"GetQualifier", CIMOMhdle_getQualifier, L"CIMOMhdle_getQualifier - failed.", L"GetQualifier", 1},
    {L"SetQualifier", CIMOMhdle_setQualifier, L"CIMOMhdle_setQualifier - failed.", L"SetQualifier", 1},
    {L"CreateClass", CIMOMhdle_createClass, L"CIMOMhdle_createClass - failed.", L"CreateClass", 1},
    {L"DeleteClass", CIMOMhdle_deleteClass, L"CIMOMhdle_deleteClass - failed.", L"DeleteClass", 1},
    {L"GetClass", CIMOMhdle_getClass, L"CIMOMhdle_getClass - failed.", L"GetClass", 1},
    {L"ModifyClass", CIMOMhdle_modifyClass, L"CIMOMhdle_modifyClass - failed.", L"ModifyClass", 1},
    {L"GetProperty", CIMOMhdle_getProperty, L"CIMOMhdle_getProperty - failed.", L"GetProperty", 1},
    {L"SetProperty", CIMOMhdle_setProperty, L"CIMOMhdle_setProperty - failed.", L"SetProperty", 1},
    {L"ModifyInstance", CIMOMhdle_modifyInstance, L"CIMOMhdle_modifyInstance - failed.", L"ModifyInstance", 1},
    {L"DeleteInstance", CIMOMhdle_deleteInstance, L"CIMOMhdle_deleteInstance - failed.", L"DeleteInstance", 1},
    {L"EnumerateInstances", CIMOMhdle_enumerateInstances, L"CIMOMhdle_enumerateInstances - failed.",
     L"EnumerateInstances", 1},
    {L"EnumerateInstanceNames", CIMOMhdle_enumerateInstanceNames, L"CIMOMhdle_enumerateInstanceNames - failed.",
     L"EnumerateInstanceNames", 1},
    {L"GetInstance", CIMOMhdle_getInstance, L"CIMOMhdle_getInstance - failed.", L"GetInstance", 1},
    {L"ExecQuery", CIMOMhdle_execQuery, L"CIMOMhdle_execQuery - failed.", L"ExecQuery", 1},
    {nullptr, CIMOMhdle_invokeMethod, L"CIMOMhdle_invokeMethod - failed.", L"InvokeMethod", 1},
    {L"Associators", CIMOMhdle_associators, L"CIMOMhdle_associators - failed.", L"Associators", 1},
    {L"AssociatorNames", CIMOMhdle_associatorNames, L"CIMOMhdle_associatorNames - failed.", L"AssociatorNames", 1},
    {L"References", CIMOMhdle_references, L"CIMOMhdle_references - failed.", L"References", 1},
    {L"ReferenceNames", CIMOMhdle_referenceNames, L"CIMOMhdle_referenceNames - failed.", L"ReferenceNames", 1},
};

const int cimxml_dispatch_table_size = sizeof cimxml_dispatch_table / sizeof cimxml_dispatch_table[0];

namespace {

#define CIMXML_PULL_ROW(name, function) {L##name, function, L##name L" - failed.", L##name, 1}

// The pulled enumerations, served in the strict profile only.
const DispatchEntry pull_dispatch_table[] = {
    CIMXML_PULL_ROW("OpenEnumerateInstances", pull_openEnumerateInstances),
    CIMXML_PULL_ROW("OpenEnumerateInstancePaths", pull_openEnumerateInstancePaths),
    CIMXML_PULL_ROW("OpenReferenceInstances", pull_openReferenceInstances),
    CIMXML_PULL_ROW("OpenReferenceInstancePaths", pull_openReferenceInstancePaths),
    CIMXML_PULL_ROW("OpenAssociatorInstances", pull_openAssociatorInstances),
    CIMXML_PULL_ROW("OpenAssociatorInstancePaths", pull_openAssociatorInstancePaths),
    CIMXML_PULL_ROW("OpenQueryInstances", pull_openQueryInstances),
    CIMXML_PULL_ROW("PullInstancesWithPath", pull_pullInstancesWithPath),
    CIMXML_PULL_ROW("PullInstancePaths", pull_pullInstancePaths),
    CIMXML_PULL_ROW("PullInstances", pull_pullInstances),
    CIMXML_PULL_ROW("CloseEnumeration", pull_closeEnumeration),
    CIMXML_PULL_ROW("EnumerationCount", pull_enumerationCount),
};

// The row of extrinsic method calls, the one without an operation name.
const DispatchEntry *method_call_entry() {
    static const DispatchEntry *const row = [] {
        const DispatchEntry *found = nullptr;
        for (const DispatchEntry &entry : cimxml_dispatch_table)
            if (entry.operationName == nullptr) found = &entry;
        return found;
    }();
    return row;
}

}  // namespace

const DispatchEntry *find_dispatch_entry(const wchar_t *operationName, int isMethodCall) {
    if (operationName == nullptr) return nullptr;
    // A method call named like an operation would otherwise run that
    // operation on its parameters, past a host that authorises on the
    // method and object it names.
    if (isMethodCall == 1 && strict_profile()) return method_call_entry();
    for (const DispatchEntry &entry : cimxml_dispatch_table) {
        if (entry.operationName == nullptr) {
            if (isMethodCall == 1) return &entry;
        } else if (local_wcscmp(operationName, entry.operationName) == 0) {
            return &entry;
        }
    }
    if (strict_profile() && isMethodCall != 1)
        for (const DispatchEntry &entry : pull_dispatch_table)
            if (local_wcscmp(operationName, entry.operationName) == 0) return &entry;
    return nullptr;
}
