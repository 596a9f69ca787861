// operation_support.cpp - the course the operation functions share.
#include "cimxml/operations/operation_support.h"

#include <string>

#include "cimxml_common/error_reporting.h"
#include "cimxml_common/last_error.h"
#include "cimxml_common/profile.h"
#include "cimxml/operation_parameters.h"
#include "cimxml/response_writer.h"
#include "cimxml_common/status_codes.h"
#include "cimxml_schema/response_body.h"

namespace cimxml_ops {

namespace {

// Content of the parameter's value when the value has type; NULL otherwise.
void *typed_content(const CIMPropertyList *parameters, const wchar_t *name, int type) {
    CIMValue *value = getParamCIMValue(parameters, name);
    if (value == nullptr || getCIMValueType(value) != type) return nullptr;
    return getParamValue(parameters, name);
}

// Records text (status 1) as the last error and logs it at level 0.
void record(const std::string &text) {
    reportOperationFailure(CIM_LOG_ERROR, text.c_str(), CIM_ERR_FAILED);
}

}  // namespace

int fail_operation(const char *text) {
    reportOperationFailure(CIM_LOG_ERROR, text, CIM_ERR_FAILED);
    return 0;
}

int fail_missing_parameter(const char *text) {
    reportOperationFailure(CIM_LOG_ERROR, text, strict_profile() ? CIM_ERR_INVALID_PARAMETER : CIM_ERR_FAILED);
    return 0;
}

const CIMString *method_name(const MessageData *msgData) {
    return msgData ? getMethodName(msgData->method) : nullptr;
}

CIMPropertyList *method_parameters(const MessageData *msgData) {
    return msgData ? getMethodParameters(msgData->method) : nullptr;
}

const CIMString *string_parameter(const CIMPropertyList *parameters, const wchar_t *name) {
    return static_cast<const CIMString *>(typed_content(parameters, name, CIM_STRING));
}

const CIMObjectPath *reference_parameter(const CIMPropertyList *parameters, const wchar_t *name) {
    return static_cast<const CIMObjectPath *>(typed_content(parameters, name, CIM_REFERENCE));
}

const CIMInstance *instance_parameter(const CIMPropertyList *parameters, const wchar_t *name) {
    return static_cast<const CIMInstance *>(typed_content(parameters, name, CIM_OBJECT));
}

const CIMClass *class_parameter(const CIMPropertyList *parameters, const wchar_t *name) {
    return static_cast<const CIMClass *>(typed_content(parameters, name, CIM_CLASS));
}

int bool_parameter(const CIMPropertyList *parameters, const wchar_t *name, int defaultValue) {
    return boolParamOrDefault(typed_content(parameters, name, CIM_BOOLEAN), defaultValue);
}

CIMStringList *property_list_parameter(const CIMPropertyList *parameters) {
    CIMValue *value = getParamCIMValue(parameters, L"PropertyList");
    int type = getCIMValueType(value);
    if (value == nullptr || type < CIM_ARRAY || type > CIM_ARRAY + CIM_CLASS) return nullptr;
    return valueListToStringList(static_cast<const CIMValueList *>(getParamValue(parameters, L"PropertyList")));
}

int set_class_name(CIMObjectPath *path, const CIMString *name) {
    CIMString *copy = nullptr;
    if (name != nullptr && (copy = copyCIMString(name)) == nullptr) return 0;
    if (setObjectPathName(path, copy) == 0) {
        freeCIMString(copy);
        return 0;
    }
    return 1;
}

CIMObjectPath *instance_path(const CIMObjectPath *instanceName, const CIMObjectPath *target,
                             const InstancePathTexts &texts) {
    PathOwner path(copyObjectPath(instanceName));
    if (!path) {
        fail_operation(texts.copyFailed);
        return nullptr;
    }
    removePseudoClassName(path.get());
    if (target == nullptr || target->nameSpace == nullptr) {
        fail_operation(texts.noNamespace);
        return nullptr;
    }
    CIMString *nameSpace = copyCIMString(target->nameSpace);
    if (nameSpace == nullptr || setObjectPathNameSpace(path.get(), nameSpace) == 0) {
        freeCIMString(nameSpace);
        fail_operation(texts.setNamespaceFailed);
        return nullptr;
    }
    return path.release();
}

int append_item(CIMList *list, void *item) {
    StatusOwner appended(appendToList(list, item));
    return appended && appended->rc == 0 ? 1 : 0;
}

CIMPropertyList *single_property_list(const wchar_t *name, int type, CIMValue *value) {
    ListOwner list(newCIMPropertyList());
    StringOwner propertyName(newCIMString(name));
    if (!list || !propertyName || value == nullptr) return nullptr;
    CIMProperty *property = newProperty(propertyName.get(), nullptr, value, type, nullptr, 0);
    if (property == nullptr) return nullptr;
    propertyName.release();
    if (!append_item(list.get(), property)) {
        // Hand the value back before the property goes.
        property->value = nullptr;
        freeCIMProperty(property);
        return nullptr;
    }
    return list.release();
}

ReturnCode *slot_not_served() {
    return newReturnCode(CIM_ERR_NOT_SUPPORTED, L"Operation not supported by the object manager.");
}

ReturnCode *slot_status(ReturnCode *returned) {
    if (returned != nullptr) return returned;
    return newReturnCode(CIM_ERR_FAILED, L"The object manager returned no status.");
}

int begin_operation_response(PoolString *pool, const MessageData *msgData, const ResponseTexts &texts) {
    ResponseHeaderLines lines{.exportResponse = texts.exportResponse};
    if (cimxml_begin_response(pool, msgData ? msgData->messageId : nullptr, texts.function, lines) != 0) return 1;
    if (!texts.quietBeginFailure) record(std::string(texts.function) + ": failed to append to pool");
    return 0;
}

void record_failed_status(const ResponseTexts &texts, const ReturnCode *status) {
    bool answered = status != nullptr && status->rc != 0;
    int level = answered ? objectManagerStatusLevel() : CIM_LOG_ERROR;
    if (texts.failureLog) cimPrintMessage(level, L"%s", texts.failureLog);
    if (texts.failureRecord) reportOperationFailure(level, texts.failureRecord, CIM_ERR_FAILED);
    if (answered) {
        reportObjectManagerStatus(status);
    } else if (!texts.failureRecord) {
        StatusOwner substitute(newReturnCode(CIM_ERR_FAILED, L"Requested operation failed."));
        reportReturnCode(substitute.get());
    }
}

int finish_operation_response(PoolString *pool, const ResponseTexts &texts, int encoded) {
    if (encoded != 0) {
        if (cimxml_end_response(pool) != 1)
            record(texts.endTagsFailed ? std::string(texts.endTagsFailed)
                                       : std::string(texts.function) + " - could not append eng tags to pool.");
    } else {
        record(texts.encoderFailed ? std::string(texts.encoderFailed) : std::string(texts.function) + " - failed.");
    }
    return 1;
}

int write_intrinsic_response(PoolString *pool, const MessageData *msgData, const ResponseTexts &texts,
                             const ReturnCode *status, bool failed, const CIMList *results,
                             const CIMQualifierTypeList *declarations) {
    if (!begin_operation_response(pool, msgData, texts)) return 0;
    // Without a status record (no memory for one) the ERROR has nothing to
    // carry; the handler then answers from the last error.
    StatusOwner substitute;
    if (failed && status == nullptr) {
        substitute.reset(newReturnCode(CIM_ERR_FAILED, L"Requested operation failed."));
        if (!substitute) return fail_operation((std::string(texts.function) + " - failed.").c_str());
        status = substitute.get();
    }
    int encoded;
    if (failed) {
        record_failed_status(texts, status);
        cimxml_response_facts().status = status->rc;
        encoded = cim_simplersp_toxml(method_name(msgData), nullptr, nullptr, nullptr, status, 1, pool);
    } else {
        encoded = cim_simplersp_toxml(method_name(msgData), nullptr, results, declarations, nullptr, 1, pool);
    }
    return finish_operation_response(pool, texts, encoded);
}

}  // namespace cimxml_ops
