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

// The type a RETURNVALUE or PARAMVALUE gives its value: PARAMTYPE (string
// without it), or an embedded object's kind.
int value_type_of(const ExpatElement *element) {
    const char *typeText = attribute_value(element, "PARAMTYPE");
    int type = typeText ? typeFromText(typeText) : CIM_STRING;
    if (const char *embedded = embedded_object_attribute(element))
        type = local_strcasecmp(embedded, "object") == 0 ? CIM_CLASS : CIM_OBJECT;
    return type;
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
    if (!name) return REPORT_DECODING_ERROR();
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
        if (!msgData->returnValues) return REPORT_ALLOCATION_ERROR();
    }
    push_new_item(&msgData->objectStack, item::ReturnValue, nullptr, nullptr, value_type_of(element));
}

void rspmsg_returnvalue_endhandler(MessageData *msgData) { pop_marker(msgData, item::ReturnValue); }

void rspmsg_paramvalue_element(MessageData *msgData, const ExpatElement *element) {
    if (!msgData->outParameters) {
        msgData->outParameters = newCIMPropertyList();
        if (!msgData->outParameters) return REPORT_ALLOCATION_ERROR();
    }
    CIMString *name = attribute_string(element, "NAME");
    if (!name) return cimPrintMessage(CIM_LOG_ERROR, L"rspmsg_paramvalue_element failed - NAME attribute is null");
    int type = value_type_of(element);
    OwnedString held(name);
    OwnedValue value(newCIMValueNULL(type));
    OwnedProperty parameter(value ? newProperty(name, nullptr, value.get(), type, nullptr, 0) : nullptr);
    if (!parameter) {
        cimPrintMessage(CIM_LOG_ERROR, L"rspmsg_paramvalue_element - newProperty failed!");
    } else {
        held.release(), value.release();
        give(parameter, appendToCIMPropertyList(msgData->outParameters, parameter.get()));
    }
    push_new_item(&msgData->objectStack, item::ParamValue, nullptr, nullptr);
}

void rspmsg_paramvalue_endhandler(MessageData *msgData) { clear_object_stack(msgData); }

void rspmsg_instance_endhandler(MessageData *msgData) {
    if (!peek_item(msgData)) cimPrintMessage(CIM_LOG_TRACE, L"rspmsg_instance_endhandler failed!");
    if (!msgData->returnValues)
        cimPrintMessage(CIM_LOG_TRACE, L"rspmsg_instance_endhandler failed - Returnvalue list is null!");
    const StackItem *top = peek_item(msgData);
    if (!top) return cimPrintMessage(CIM_LOG_TRACE, L"rspmsg_instance_endhandler failed - Stack item is null!");
    if (!item_is(top, item::Instance)) return;
    auto *instance = take_top_data<CIMInstance>(msgData);
    CIMValue *value = newCIMValue(CIM_OBJECT, instance);
    if (!value) {
        freeCIMInstance(instance);
        return REPORT_ALLOCATION_ERROR();
    }
    append_return_value(msgData, value);
}

// A class inside a VALUE.OBJECTWITHPATH (below it its OBJECTPATH) is a
// return value; any other is a CLASS as both sides see it.
void rspmsg_class_endhandler(MessageData *msgData) {
    if (!item_is(peek_item(msgData), item::Class)) return;
    if (!item_is(peek_item(msgData, 1), item::ObjectPath)) return common_class_endhandler(msgData);
    auto *cimClass = take_top_data<CIMClass>(msgData);
    CIMValue *value = newCIMValue(CIM_CLASS, cimClass);
    if (!value) {
        freeCIMClass(cimClass);
        return REPORT_ALLOCATION_ERROR();
    }
    append_return_value(msgData, value);
}

// A declaration directly inside the RETURNVALUE is one of the answer's;
// any other is a QUALIFIER.DECLARATION as both sides see it.
void rspmsg_qualifier_declaration_endhandler(MessageData *msgData) {
    if (!item_is(peek_item(msgData), item::QualifierDeclaration)) return;
    if (!item_is(peek_item(msgData, 1), item::ReturnValue)) return common_qualifier_declaration_endhandler(msgData);
    if (!msgData->qualifierTypes) msgData->qualifierTypes = newCIMQualifierTypeList();
    Owned<CIMQualifierType, freeQualifierType> declaration(
        take_top_data<CIMQualifierType>(msgData));
    if (!msgData->qualifierTypes) return REPORT_ALLOCATION_ERROR();
    give(declaration, appendToCIMQualifierTypeList(msgData->qualifierTypes, declaration.get()));
}

// The path of a named object goes to the object it names (an instance
// takes it whole, a class its namespace); nothing else in a response reads
// it, so it is not kept beside the object.
void rspmsg_namedinstance_endhandler(MessageData *msgData) {
    TakenItem top = take_top(msgData);
    if (!top) return;
    auto *path = item_is(top.get(), item::ObjectPath) ? take_data<CIMObjectPath>(top.get()) : nullptr;
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
