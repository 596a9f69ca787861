// response_handlers.cpp - the response element, ERROR, return values, output
// parameters and the objects a response returns.
#include "cimop_response/response_handlers.h"

#include <charconv>
#include <climits>
#include <cstring>

#include "cimxml_common/error_reporting.h"
#include "cimxml_common/cim_types.h"
#include "cimxml_common/memory.h"
#include "cimxml_common/profile.h"
#include "cimxml_common/status_codes.h"
#include "cimxml_schema/value_encoding.h"
#include "common_handlers/attributes.h"
#include "common_handlers/qualifier_handlers.h"
#include "common_handlers/schema_handlers.h"
#include "common_handlers/value_handlers.h"

namespace {

// 1 when the open element below levels under the top is called name.
bool named(const MessageData *msgData, std::size_t below, const char *name) {
    const ExpatElement *element = element_stack_at(&msgData->elementStack, below);
    return element && element->name && std::strcmp(element->name, name) == 0;
}

// 1 when the element on top of the element stack stands in
// CIM / MESSAGE / container, CIM being the document's root.
bool in_envelope(const MessageData *msgData, const char *container) {
    return named(msgData, 1, container) && named(msgData, 2, "MESSAGE") && named(msgData, 3, "CIM") &&
           element_stack_depth(&msgData->elementStack) == 4;
}

// Status of an ERROR's CODE: a decimal number is the status itself (a number
// that is no status, 0 among them, counts as 1), a status name is looked up.
int status_of_code(const char *code) {
    if (!code) return CIM_ERR_FAILED;
    const char *end = code + std::strlen(code);
    int status = 0;
    auto [stop, error] = std::from_chars(code, end, status);
    if (error == std::errc() && stop == end && stop != code) return status > 0 ? status : CIM_ERR_FAILED;
    return statusCodeFromName(code);
}






// The last return value, lent; NULL when there is none.
CIMValue *last_return_value(const MessageData *msgData) {
    if (!msgData->returnValues) return nullptr;
    return getCurrentCIMValue(getLastCIMValue(msgData->returnValues));
}

}  // namespace

void rspmsg_methodresponse_element(MessageData *msgData, const ExpatElement *element) {
    bool exported = element->name && std::strcmp(element->name, "EXPMETHODRESPONSE") == 0;
    if (!in_envelope(msgData, exported ? "SIMPLEEXPRSP" : "SIMPLERSP")) {
        REPORT_DECODING_TEXT(exported ? "EXPMETHODRESPONSE stands outside CIM/MESSAGE/SIMPLEEXPRSP."
                                      : "The response element stands outside CIM/MESSAGE/SIMPLERSP.");
        return;
    }
    if (msgData->responseMethodName) return;  // a second answer adds nothing
    CIMString *name = attribute_string(element, "NAME");
    if (!name) {
        REPORT_DECODING_ERROR();
        return;
    }
    msgData->responseMethodName = name;
    if (std::strcmp(element->name, "METHODRESPONSE") == 0) msgData->isMethodCall = 1;
    // The answer element, not a text search, tells what the response answers.
    msgData->kind = exported ? CIMXML_KIND_EXPORT_RESPONSE : CIMXML_KIND_OPERATION_RESPONSE;
}

void rspmsg_error_element(MessageData *msgData, const ExpatElement *element) {
    if (msgData->error) return;
    const char *code = attribute_value(element, "CODE");
    // Strict refuses an answer whose ERROR says no status: it is no answer.
    if (!code && strict_profile() && !msgData->refusal)
        msgData->refusal = newReturnCode(CIM_ERR_FAILED, L"the ERROR element has no CODE.");
    int status = status_of_code(code);
    const char *descriptionText = attribute_value(element, "DESCRIPTION");
    wchar_t *description = descriptionText ? createWideFromChar(descriptionText) : nullptr;
    msgData->error = newReturnCode(status, description);
    cimxml_free(description, CIMXML_ATOMIC);
    if (!msgData->error) REPORT_DECODING_ERROR();
}

void rspmsg_returnvalue_element(MessageData *msgData, const ExpatElement *element) {
    if (!msgData->returnValues) {
        msgData->returnValues = newCIMValueList();
        if (!msgData->returnValues) {
            REPORT_ALLOCATION_ERROR();
            return;
        }
    }
    const char *typeText = attribute_value(element, "PARAMTYPE");
    int type = typeText ? typeFromText(typeText) : CIM_STRING;
    if (const char *embedded = embedded_object_attribute(element))
        type = local_strcasecmp(embedded, "object") == 0 ? CIM_CLASS : CIM_OBJECT;
    push_new_item(&msgData->objectStack, item::ReturnValue, nullptr, nullptr, type);
}

void rspmsg_returnvalue_endhandler(MessageData *msgData) { pop_marker(msgData, item::ReturnValue); }

void rspmsg_paramvalue_element(MessageData *msgData, const ExpatElement *element) {
    if (!msgData->outParameters) {
        msgData->outParameters = newCIMPropertyList();
        if (!msgData->outParameters) {
            REPORT_ALLOCATION_ERROR();
            return;
        }
    }
    CIMString *name = attribute_string(element, "NAME");
    if (!name) {
        cimPrintMessage(CIM_LOG_ERROR, L"rspmsg_paramvalue_element failed - NAME attribute is null");
        return;
    }
    const char *typeText = attribute_value(element, "PARAMTYPE");
    int type = typeText ? typeFromText(typeText) : CIM_STRING;
    if (const char *embedded = embedded_object_attribute(element))
        type = local_strcasecmp(embedded, "object") == 0 ? CIM_CLASS : CIM_OBJECT;
    CIMValue *value = newCIMValueNULL(type);
    CIMProperty *parameter = value ? newProperty(name, nullptr, value, type, nullptr, 0) : nullptr;
    if (!parameter) {
        freeCIMValue(value);
        freeCIMString(name);
        cimPrintMessage(CIM_LOG_ERROR, L"rspmsg_paramvalue_element - newProperty failed!");
    } else if (!STATUS_OK(appendToCIMPropertyList(msgData->outParameters, parameter))) {
        freeCIMProperty(parameter);
    }
    push_new_item(&msgData->objectStack, item::ParamValue, nullptr, nullptr);
}

void rspmsg_paramvalue_endhandler(MessageData *msgData) { clear_object_stack(msgData); }




void rspmsg_instance_endhandler(MessageData *msgData) {
    Stack *stack = &msgData->objectStack;
    if (stack_isEmpty(stack)) cimPrintMessage(CIM_LOG_TRACE, L"rspmsg_instance_endhandler failed!");
    if (!msgData->returnValues)
        cimPrintMessage(CIM_LOG_TRACE, L"rspmsg_instance_endhandler failed - Returnvalue list is null!");
    StackItem *top = stack_pop(stack);
    if (!top) {
        cimPrintMessage(CIM_LOG_TRACE, L"rspmsg_instance_endhandler failed - Stack item is null!");
        return;
    }
    if (!item_has_kind(top)) {
        cimPrintMessage(CIM_LOG_TRACE, L"rspmsg_instance_endhandler failed - Description is null!");
        freeStackItem(top);
        return;
    }
    if (!item_is(top, item::Instance)) {
        push_back(stack, top);
        return;
    }
    auto *instance = static_cast<CIMInstance *>(take_data(top));
    freeStackItem(top);
    CIMValue *value = newCIMValue(CIM_OBJECT, instance);
    if (!value) {
        freeCIMInstance(instance);
        REPORT_ALLOCATION_ERROR();
        return;
    }
    append_return_value(msgData, value);
}

void rspmsg_class_endhandler(MessageData *msgData) {
    Stack *stack = &msgData->objectStack;
    StackItem *top = pop_finished_item(stack, item::Class);
    if (!top) return;
    StackItem *owner = stack_pop(stack);
    if (!item_is(owner, item::ObjectPath)) {
        push_back(stack, owner);
        push_back(stack, top);
        common_class_endhandler(msgData);
        return;
    }
    auto *cimClass = static_cast<CIMClass *>(take_data(top));
    freeStackItem(top);
    CIMValue *value = newCIMValue(CIM_CLASS, cimClass);
    if (!value) {
        freeCIMClass(cimClass);
        REPORT_ALLOCATION_ERROR();
    } else {
        append_return_value(msgData, value);
    }
    push_back(stack, owner);
}

void rspmsg_qualifier_declaration_endhandler(MessageData *msgData) {
    Stack *stack = &msgData->objectStack;
    StackItem *top = pop_finished_item(stack, item::QualifierDeclaration);
    if (!top) return;
    StackItem *owner = stack_pop(stack);
    if (!item_is(owner, item::ReturnValue)) {
        push_back(stack, owner);
        push_back(stack, top);
        common_qualifier_declaration_endhandler(msgData);
        return;
    }
    if (!msgData->qualifierTypes) msgData->qualifierTypes = newCIMQualifierTypeList();
    auto *declaration = static_cast<CIMQualifierType *>(take_data(top));
    freeStackItem(top);
    if (!msgData->qualifierTypes) {
        freeQualifierType(declaration);
        REPORT_ALLOCATION_ERROR();
    } else if (!STATUS_OK(appendToCIMQualifierTypeList(msgData->qualifierTypes, declaration))) {
        freeQualifierType(declaration);
    }
    push_back(stack, owner);
}

// The path of a named object goes to the object it names (an instance
// takes it whole, a class its namespace); nothing else in a response reads
// it, so it is not kept beside the object.
void rspmsg_namedinstance_endhandler(MessageData *msgData) {
    StackItem *top = stack_pop(&msgData->objectStack);
    if (!top) return;
    auto *path = item_is(top, item::ObjectPath) ? static_cast<CIMObjectPath *>(take_data(top)) : nullptr;
    freeStackItem(top);
    void *object = nullptr;
    int type = CIM_NULL;
    if (path) freeReturnCode(getCIMValue(last_return_value(msgData), &object, &type));
    if (object && type == CIM_OBJECT && !getInstancePath(static_cast<CIMInstance *>(object))) {
        if (setInstancePath(static_cast<CIMInstance *>(object), path)) path = nullptr;
    } else if (object && type == CIM_CLASS && !getClassNameSpace(static_cast<CIMClass *>(object)) &&
               !isEmptyCIMString(getObjectPathNameSpace(path))) {
        CIMString *nameSpace = copyCIMString(getObjectPathNameSpace(path));
        if (!nameSpace || !setClassNameSpace(static_cast<CIMClass *>(object), nameSpace)) freeCIMString(nameSpace);
    }
    if (path) freeCIMObjectPath(path);
}
