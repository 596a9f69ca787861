// property_operations.cpp - GetProperty and SetProperty.
#include "cimxml/operation_parameters.h"
#include "cimxml/operations.h"
#include "cimxml/operations/operation_support.h"
#include "cimop_request/embedded_objects.h"
#include "cimxml_common/error_reporting.h"
#include "cimxml_common/memory.h"
#include "cimxml_common/profile.h"
#include "cimxml_schema/encoder_support.h"
#include "cimxml_schema/value_encoding.h"
#include "common_handlers/value_handlers.h"

using namespace cimxml_ops;

namespace {

bool holds_object_text(const CIMValue *value) {
    auto text_of = [](const CIMValue *element) -> bool {
        if (isCIMValueNull(element) || getCIMValueType(element) != CIM_STRING) return false;
        char *text = createCharFromCIMString(static_cast<const CIMString *>(cim_value_content(element)));
        bool found = text && isEmbeddedObjectText(text);
        cimxml_free(text, CIMXML_ATOMIC);
        return found;
    };
    int type = getCIMValueType(value);
    if (type == CIM_STRING) return text_of(value);
    if (type != CIM_STRING + CIM_ARRAY || isCIMValueNull(value)) return false;
    const CIMValueList *elements = static_cast<const CIMValueList *>(cim_value_content(value));
    for (int i = 0; i < getCIMValueListLength(elements); ++i)
        if (text_of(getCIMValueAt(elements, i))) return true;
    return false;
}

// The embedded object type (15 or 16) the class declares for the property,
// asked of the object manager; CIM_NULL when it declares none or the class
// cannot be read.
int declared_object_type(CIMOMHandle *handle, const CIMObjectPath *instancePath, const CIMString *name) {
    if (handle->pfn_getClass == nullptr) return CIM_NULL;
    PathOwner classPath(copyObjectPath(instancePath));
    if (!classPath) return CIM_NULL;
    setObjectPathKeys(classPath.get(), nullptr);
    CIMClass *found = nullptr;
    StatusOwner status(handle->pfn_getClass(classPath.get(), 0, 1, 0, nullptr, &found));
    ClassOwner cimClass(found);
    if (!status || status->rc != 0 || !cimClass) return CIM_NULL;
    const CIMProperty *declared = findCIMProperty(getClassProperties(cimClass.get()), getCIMStringBuffer(name));
    CIMProperty probe{};
    if (!declared) return CIM_NULL;
    probe = *declared;
    probe.value = nullptr;  // the kind comes from the declaration, not from a default
    const char *kind = embedded_object_kind(&probe);
    return !kind ? CIM_NULL : kind[0] == 'i' ? CIM_OBJECT : CIM_CLASS;
}

// SetProperty's NewValue carries no type, so an embedded instance or object
// arrives as the text of its CIM-XML. Strict asks the class how it declares
// the property and, for one that holds embedded objects, decodes the text
// into the object it describes. Any other value is handed back as it came.
CIMValue *typed_new_value(MessageData *msgData, CIMOMHandle *handle, const CIMObjectPath *instancePath,
                          const CIMString *name, CIMValue *value) {
    if (!strict_profile() || !holds_object_text(value)) return value;
    int objectType = declared_object_type(handle, instancePath, name);
    if (objectType == CIM_NULL) return value;
    auto decode = [&](const CIMValue *element) -> CIMValue * {
        if (isCIMValueNull(element)) return newCIMValueNULL(objectType);
        char *text = createCharFromCIMString(static_cast<const CIMString *>(cim_value_content(element)));
        CIMValue *decoded = text ? embedded_object_value(msgData, objectType, text) : nullptr;
        cimxml_free(text, CIMXML_ATOMIC);
        return decoded;
    };
    if (getCIMValueType(value) == CIM_STRING) {
        CIMValue *decoded = decode(value);
        if (!decoded) return value;
        freeCIMValue(value);
        return decoded;
    }
    ListOwner elements(newCIMValueList());
    const CIMValueList *given = static_cast<const CIMValueList *>(cim_value_content(value));
    for (int i = 0; elements && i < getCIMValueListLength(given); ++i) {
        CIMValue *decoded = decode(getCIMValueAt(given, i));
        if (!decoded || !STATUS_OK(appendToCIMValueList(elements.get(), decoded))) {
            freeCIMValue(decoded);
            return value;
        }
    }
    CIMValue *decoded = elements ? newCIMValue(objectType + CIM_ARRAY, elements.get()) : nullptr;
    if (!decoded) return value;
    elements.release();
    freeCIMValue(value);
    return decoded;
}

}  // namespace

// Fetches one property value of the instance InstanceName names. The
// response carries it as a property named "PropertyName", whatever property
// was asked for.
int CIMOMhdle_getProperty(PoolString *pool, MessageData *msgData, CIMOMHandle *handle) {
    if (!msgData || !msgData->objectPath || !handle)
        return fail_operation("CIMOMhdle_getProperty: failed - Null parameter(s).");
    const CIMPropertyList *parameters = method_parameters(msgData);
    if (!parameters) return fail_missing_parameter("CIMOMhdle_getProperty: failed - Null parameter list.");
    const CIMObjectPath *instanceName = reference_parameter(parameters, L"InstanceName");
    if (!instanceName) return fail_operation("CIMOMhdle_getProperty - No InstanceName parameter.");
    StringOwner propertyName(copyCIMString(string_parameter(parameters, L"PropertyName")));
    if (!propertyName) return fail_missing_parameter("CIMOMhdle_getProperty failed - PropertyName parameter is null!");
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
    if (!parameters) return fail_missing_parameter("CIMOMhdle_setProperty - failed; Null parameter list.");
    const CIMObjectPath *instanceName = reference_parameter(parameters, L"InstanceName");
    if (!instanceName) return fail_operation("CIMOMhdle_setProperty - No InstanceName parameter.");
    StringOwner propertyName(copyCIMString(string_parameter(parameters, L"PropertyName")));
    if (!propertyName) return fail_missing_parameter("CIMOMhdle_setProperty failed - PropertyName parameter is null!");
    ValueOwner newValue(copyCIMValue(getParamCIMValue(parameters, L"NewValue")));
    static const InstancePathTexts pathTexts{"CIMOMhdle_setProperty - setObjectPathNameSpace failed!",
                                             "CIMOMhdle_setProperty failed - Namespace is NULL!",
                                             "CIMOMhdle_setProperty - setObjectPathNameSpace failed!"};
    PathOwner path(instance_path(instanceName, msgData->objectPath, pathTexts));
    if (!path) return 0;

    newValue.reset(typed_new_value(msgData, handle, path.get(), propertyName.get(), newValue.release()));
    StatusOwner status(call_slot(handle->pfn_setProperty, path.get(), propertyName.get(), newValue.get()));
    static const ResponseTexts texts{.function = "CIMOMhdle_setProperty"};
    bool failed = !status || status->rc != 0;
    return write_intrinsic_response(pool, msgData, texts, status.get(), failed, nullptr, nullptr);
}
