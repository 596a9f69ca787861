// request_handlers.cpp - MESSAGE, the call elements, their parameters, and
// the values and instances given as parameters.
#include "cimop_request/request_handlers.h"

#include <cstring>

#include "cimxml_common/error_reporting.h"
#include "cimxml_common/cim_types.h"
#include "cimxml_common/memory.h"
#include "cimxml_common/profile.h"
#include "cimxml_common/status_codes.h"
#include "cimxml_schema/value_encoding.h"
#include "common_handlers/attributes.h"
#include "common_handlers/value_handlers.h"

namespace {

// Refuses the request as a whole with status and text; the first refusal
// stands. Only the strict profile refuses a request while decoding it.
void refuse(MessageData *msgData, int status, const wchar_t *text) {
    if (!msgData->refusal) msgData->refusal = newReturnCode(status, text);
}

}  // namespace

void reqmsg_message_element(MessageData *msgData, const ExpatElement *element) {
    const char *messageId = attribute_value(element, "ID");
    if (!messageId) return REPORT_DECODING_TEXT("No message id.");
    cimxml_free(msgData->messageId, CIMXML_ATOMIC);
    msgData->messageId = real_dupChar(messageId, __FILE_NAME__, __LINE__);
    if (!attribute_value(element, "PROTOCOLVERSION")) REPORT_DECODING_TEXT("No protocol version.");
}

void reqmsg_methodcall_element(MessageData *msgData, const ExpatElement *element) {
    CIMString *name = attribute_string(element, "NAME");
    if (!name) return REPORT_DECODING_ERROR();
    if (!msgData->method) {
        CIMMethod *method = newMethod(name, nullptr, 0, nullptr, CIM_NULL, nullptr);
        if (!method) {
            freeCIMString(name);
            REPORT_DECODING_ERROR();
            return;
        }
        msgData->method = method;
    } else {
        // A later call element in the same document keeps the first method,
        // or, strict, refuses a request that is not one call.
        freeCIMString(name);
        if (strict_profile())
            refuse(msgData, CIM_ERR_INVALID_PARAMETER, L"The request holds more than one call element.");
    }
    if (element->name && std::strcmp(element->name, "METHODCALL") == 0) msgData->isMethodCall = 1;
}

void reqmsg_multireq_element(MessageData *msgData, const ExpatElement *) {
    if (strict_profile()) refuse(msgData, CIM_ERR_NOT_SUPPORTED, L"Multiple requests are not supported!!");
}

void reqmsg_localnamespacepath_element(MessageData *msgData, const ExpatElement *) {
    // The target's path is the one met while no object is being built; the
    // first made objectPath.
    if (strict_profile() && stack_isEmpty(&msgData->objectStack) && msgData->objectPath)
        refuse(msgData, CIM_ERR_INVALID_PARAMETER, L"The request names the namespace of its target more than once.");
}

void reqmsg_paramvalue_element(MessageData *msgData, const ExpatElement *element) {
    if (!msgData->method) return REPORT_DECODING_ERROR();
    CIMPropertyList *parameters = method_parameters(msgData->method);
    if (!parameters) return REPORT_ALLOCATION_ERROR();
    CIMString *name = attribute_string(element, "NAME");
    const char *paramType = attribute_value(element, "PARAMTYPE");
    int type = paramType ? typeFromText(paramType) : paramTypeFromName(name);
    if (const char *embedded = embedded_object_attribute(element))
        type = local_strcasecmp(embedded, "object") == 0 ? CIM_CLASS : CIM_OBJECT;

    CIMValue *value = newCIMValueNULL(type);
    CIMProperty *parameter = value ? newProperty(name, nullptr, value, type, nullptr, 0) : nullptr;
    if (!parameter) {
        freeCIMValue(value);
        freeCIMString(name);
        REPORT_ALLOCATION_ERROR();
    } else if (!STATUS_OK(appendToCIMPropertyList(parameters, parameter))) {
        freeCIMProperty(parameter);
    }

    if (element->name && local_strcasecmp(element->name, "PARAMVALUE") == 0)
        push_new_item(&msgData->objectStack, item::ParamType, nullptr, nullptr, type);
    else
        push_new_item(&msgData->objectStack, item::ParamValue, nullptr, nullptr);
}

void reqmsg_paramvalue_endhandler(MessageData *msgData) {
    // Whatever a parameter left unfinished is discarded with it.
    clear_object_stack(msgData);
}

void reqmsg_instance_endhandler(MessageData *msgData) {
    bool placeable = peek_item(msgData) && msgData->method && getMethodParameters(msgData->method);
    if (!placeable) cimPrintMessage(CIM_LOG_TRACE, L"reqmsg_instance_endhandler failed!");
    const StackItem *top = peek_item(msgData);
    if (!top) return cimPrintMessage(CIM_LOG_TRACE, L"reqmsg_instance_endhandler failed - Stack item is null!");
    if (!item_is(top, item::Instance)) return;
    TakenItem instance = take_top(msgData);
    CIMProperty *parameter = placeable ? current_parameter(msgData) : nullptr;
    if (!parameter) return;
    auto *copy = take_data<CIMInstance>(instance.get());
    CIMValue *value = newCIMValue(CIM_OBJECT, copy);
    if (!value) {
        freeCIMInstance(copy);
        return REPORT_ALLOCATION_ERROR();
    }
    set_property_value(parameter, value);
}
