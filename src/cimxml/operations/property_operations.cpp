// property_operations.cpp - GetProperty and SetProperty.
#include "cimxml/operation_parameters.h"
#include "cimxml/operations.h"
#include "cimxml/operations/operation_support.h"

using namespace cimxml_ops;

// Fetches one property value of the instance InstanceName names. The
// response carries it as a property named "PropertyName", whatever property
// was asked for.
int CIMOMhdle_getProperty(PoolString *pool, MessageData *msgData, CIMOMHandle *handle) {
    if (!msgData || !msgData->objectPath || !handle)
        return fail_operation("CIMOMhdle_getProperty: failed - Null parameter(s).");
    const CIMPropertyList *parameters = method_parameters(msgData);
    if (!parameters) return fail_operation("CIMOMhdle_getProperty: failed - Null parameter list.");
    const CIMObjectPath *instanceName = reference_parameter(parameters, L"InstanceName");
    if (!instanceName) return fail_operation("CIMOMhdle_getProperty - No InstanceName parameter.");
    StringOwner propertyName(copyCIMString(string_parameter(parameters, L"PropertyName")));
    if (!propertyName) return fail_operation("CIMOMhdle_getProperty failed - PropertyName parameter is null!");
    // A failed copy of the instance name ends at the namespace step.
    static const InstancePathTexts pathTexts{"CIMOMhdle_getProperty - setObjectPathNameSpace failed!",
                                             "CIMOMhdle_getProperty failed - Namespace is NULL!",
                                             "CIMOMhdle_getProperty - setObjectPathNameSpace failed!"};
    PathOwner path(instance_path(instanceName, msgData->objectPath, pathTexts));
    if (!path) return 0;

    CIMValue *found = nullptr;
    StatusOwner status(call_slot(handle->pfn_getProperty, path.get(), propertyName.get(), &found));
    ValueOwner value(found);
    bool failed = !status || status->rc != 0 || !value;
    ListOwner results;
    if (!failed) {
        results.reset(single_property_list(L"PropertyName", getCIMValueType(value.get()), value.get()));
        if (results) {
            value.release();
        } else {
            // The response then carries an empty IRETURNVALUE.
            cimPrintMessage(CIM_LOG_ERROR, L"CIMOMhdle_getProperty - newCIMPropertyList failed");
        }
    }
    static const ResponseTexts texts{.function = "CIMOMhdle_getProperty"};
    return write_intrinsic_response(pool, msgData, texts, status.get(), failed, results.get(), nullptr);
}

// Sets one property of the instance InstanceName names to NewValue (passed
// on as NULL when the request has none).
int CIMOMhdle_setProperty(PoolString *pool, MessageData *msgData, CIMOMHandle *handle) {
    if (!msgData || !msgData->objectPath || !handle)
        return fail_operation("CIMOMhdle_setProperty: failed - Null parameter.");
    const CIMPropertyList *parameters = method_parameters(msgData);
    if (!parameters) return fail_operation("CIMOMhdle_setProperty - failed; Null parameter list.");
    const CIMObjectPath *instanceName = reference_parameter(parameters, L"InstanceName");
    if (!instanceName) return fail_operation("CIMOMhdle_setProperty - No InstanceName parameter.");
    StringOwner propertyName(copyCIMString(string_parameter(parameters, L"PropertyName")));
    if (!propertyName) return fail_operation("CIMOMhdle_setProperty failed - PropertyName parameter is null!");
    ValueOwner newValue(copyCIMValue(getParamCIMValue(parameters, L"NewValue")));
    static const InstancePathTexts pathTexts{"CIMOMhdle_setProperty - setObjectPathNameSpace failed!",
                                             "CIMOMhdle_setProperty failed - Namespace is NULL!",
                                             "CIMOMhdle_setProperty - setObjectPathNameSpace failed!"};
    PathOwner path(instance_path(instanceName, msgData->objectPath, pathTexts));
    if (!path) return 0;

    StatusOwner status(call_slot(handle->pfn_setProperty, path.get(), propertyName.get(), newValue.get()));
    static const ResponseTexts texts{.function = "CIMOMhdle_setProperty"};
    bool failed = !status || status->rc != 0;
    return write_intrinsic_response(pool, msgData, texts, status.get(), failed, nullptr, nullptr);
}
