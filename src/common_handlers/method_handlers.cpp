// method_handlers.cpp - METHOD, PARAMETER, PARAMETER.ARRAY,
// PARAMETER.REFERENCE and PARAMETER.REFARRAY.
#include "common_handlers/method_handlers.h"

#include "cimxml_common/error_reporting.h"
#include "cimxml_common/cim_types.h"
#include "common_handlers/attributes.h"
#include "common_handlers/schema_handlers.h"

namespace {

// A new parameter with a null value of the type; NULL when memory is
// exhausted (name is then freed).
CIMProperty *new_parameter(CIMString *name, int type) {
    CIMValue *value = newCIMValueNULL(type);
    CIMProperty *parameter = value ? newProperty(name, nullptr, value, type, nullptr, 0) : nullptr;
    if (!parameter) {
        freeCIMValue(value);
        freeCIMString(name);
    }
    return parameter;
}

// The current method of the class a CLASS item carries; NULL when the item
// has no class, the class no method list or the list no method.
CIMMethod *class_current_method(const StackItem *classItem) {
    if (!item_is(classItem, item::Class) || !classItem->data) return nullptr;
    return last_method(getClassMethods(static_cast<CIMClass *>(classItem->data)));
}

// Appends parameter to the method's parameter list (created when absent).
// Returns 1 when the method took it; on 0 the failure is reported and the
// caller still owns it.
int append_parameter(CIMMethod *method, CIMProperty *parameter) {
    CIMPropertyList *parameters = method_parameters(method);
    if (!parameters) {
        REPORT_ALLOCATION_ERROR();
        return 0;
    }
    return STATUS_OK(appendToCIMPropertyList(parameters, parameter));
}

}  // namespace

void common_method_element(MessageData *msgData, const ExpatElement *element) {
    CIMString *name = nullptr;
    int type = CIM_STRING;
    if (!read_name_and_type(element, &name, &type)) return;
    int propagated = attribute_is_true(element, "PROPAGATED") ? 1 : 0;
    CIMString *classOrigin = attribute_string(element, "CLASSORIGIN");
    CIMMethod *method = newMethod(name, classOrigin, propagated, nullptr, type, nullptr);
    if (!method) {
        freeCIMString(name);
        freeCIMString(classOrigin);
        REPORT_DECODING_ERROR();
        return;
    }
    Stack *stack = &msgData->objectStack;
    StackItem *owner = stack_pop(stack);
    if (!item_is(owner, item::Class) || !owner->data) {
        // No class to take the method: an item that stands for nothing or
        // without its class is dropped, any other goes back.
        if (item_has_kind(owner) && !item_is(owner, item::Class))
            push_back(stack, owner);
        else
            freeStackItem(owner);
        freeMethod(method);
        REPORT_DECODING_ERROR();
        return;
    }
    CIMMethodList *methods = class_methods(static_cast<CIMClass *>(owner->data));
    if (!methods) {
        freeMethod(method);
        REPORT_DECODING_ERROR();
    } else if (!STATUS_OK(appendToCIMMethodList(methods, method))) {
        freeMethod(method);
    }
    push_back(stack, owner);
    push_new_item(stack, item::Method, nullptr, nullptr, type);
}

void common_parameter_element(MessageData *msgData, const ExpatElement *element) {
    CIMString *name = nullptr;
    int type = CIM_STRING;
    if (!read_name_and_type(element, &name, &type)) return;
    CIMProperty *parameter = new_parameter(name, type);
    if (!parameter) {
        REPORT_DECODING_ERROR();
        return;
    }
    Stack *stack = &msgData->objectStack;
    StackItem *methodItem = stack_pop(stack);
    if (!item_has_kind(methodItem)) {
        freeStackItem(methodItem);
        freeCIMProperty(parameter);
        REPORT_DECODING_ERROR();
        return;
    }
    if (!item_is(methodItem, item::Method)) {
        push_back(stack, methodItem);
        freeCIMProperty(parameter);
        return;
    }
    StackItem *classItem = stack_pop(stack);
    CIMMethod *method = class_current_method(classItem);
    if (!method) {
        push_back(stack, classItem);
        push_back(stack, methodItem);
        freeCIMProperty(parameter);
        REPORT_DECODING_ERROR();
        return;
    }
    if (!append_parameter(method, parameter)) freeCIMProperty(parameter);
    push_back(stack, classItem);
    push_back(stack, methodItem);
    push_new_item(stack, item::Parameter, nullptr, nullptr, type);
}

void common_parameter_array_element(MessageData *msgData, const ExpatElement *element) {
    CIMString *name = nullptr;
    int type = CIM_STRING;
    if (!read_name_and_type(element, &name, &type)) return;
    if (!isArrayType(type)) type = arrayTypeOf(type);
    CIMProperty *parameter = new_parameter(name, type);
    if (!parameter) {
        REPORT_DECODING_ERROR();
        return;
    }
    Stack *stack = &msgData->objectStack;
    StackItem *methodItem = stack_pop(stack);
    if (!item_is(methodItem, item::Method)) {
        push_back(stack, methodItem);
        freeCIMProperty(parameter);
        return;
    }
    StackItem *classItem = stack_pop(stack);
    if (!classItem || (item_is(classItem, item::Class) && !class_current_method(classItem))) {
        push_back(stack, classItem);
        push_back(stack, methodItem);
        freeCIMProperty(parameter);
        REPORT_DECODING_ERROR();
        return;
    }
    if (!item_is(classItem, item::Class)) {
        push_back(stack, classItem);
        push_back(stack, methodItem);
        freeCIMProperty(parameter);
        return;
    }
    if (!append_parameter(class_current_method(classItem), parameter)) freeCIMProperty(parameter);
    push_back(stack, classItem);
    push_back(stack, methodItem);
    push_new_item(stack, item::Parameter, nullptr, nullptr, type);
}

void common_parameter_ref_element(MessageData *msgData, const ExpatElement *element) {
    static const char *const invalidObject = "common_parameter_ref_element: invalid stack object.";
    CIMString *name = attribute_string(element, "NAME");
    if (!name) {
        REPORT_DECODING_TEXT("common_parameter_ref_element: NAME attribute is null");
        return;
    }
    CIMString *referenceClass = attribute_string(element, "REFERENCECLASS");
    CIMValue *value = nullptr;
    if (!referenceClass) {
        value = newCIMValueNULL(CIM_REFERENCE);
    } else {
        CIMString *className = copyCIMString(referenceClass);
        CIMObjectPath *path = className ? newObjectPathWithName(className) : nullptr;
        if (!path) freeCIMString(className);
        value = path ? newCIMValue(CIM_REFERENCE, path) : nullptr;
        if (!value) freeCIMObjectPath(path);
    }
    CIMProperty *parameter = value ? newProperty(name, nullptr, value, CIM_REFERENCE, nullptr, 0) : nullptr;
    if (!parameter) {
        freeCIMValue(value);
        freeCIMString(name);
        freeCIMString(referenceClass);
        REPORT_DECODING_TEXT("common_parameter_ref_element: newProperty failed.");
        return;
    }
    if (referenceClass) {
        CIMString *copy = copyCIMString(referenceClass);
        if (!setCIMValueReferenceType(propertyGetValue(parameter), copy)) freeCIMString(copy);
    }

    auto drop = [&]() {
        freeCIMProperty(parameter);
        freeCIMString(referenceClass);
    };
    Stack *stack = &msgData->objectStack;
    StackItem *methodItem = stack_pop(stack);
    if (!methodItem) {
        drop();
        REPORT_DECODING_TEXT("common_parameter_ref_element: empty stack.");
        return;
    }
    if (!item_has_kind(methodItem)) {
        freeStackItem(methodItem);
        drop();
        REPORT_DECODING_TEXT(invalidObject);
        return;
    }
    if (!item_is(methodItem, item::Method)) {
        push_back(stack, methodItem);
        drop();
        REPORT_DECODING_TEXT(invalidObject);
        return;
    }
    StackItem *classItem = stack_pop(stack);
    CIMMethod *method = class_current_method(classItem);
    if (!method) {
        push_back(stack, classItem);
        push_back(stack, methodItem);
        drop();
        REPORT_DECODING_TEXT(invalidObject);
        return;
    }
    CIMPropertyList *parameters = method_parameters(method);
    if (!parameters) {
        push_back(stack, classItem);
        push_back(stack, methodItem);
        drop();
        REPORT_DECODING_TEXT("common_parameter_ref_element: newCIMPropertyList failed.");
        return;
    }
    ReturnCode *rc = appendToCIMPropertyList(parameters, parameter);
    if (!status_ok_quiet(rc)) {
        freeCIMProperty(parameter);
        REPORT_DECODING_TEXT("common_parameter_ref_element: appendToCIMPropertyList failed.");
    }
    push_back(stack, classItem);
    push_back(stack, methodItem);
    push_new_item(stack, item::Parameter, destroy_string, referenceClass);
}

void common_parameter_refarray_element(MessageData *msgData, const ExpatElement *element) {
    CIMString *name = attribute_string(element, "NAME");
    if (!name) {
        REPORT_DECODING_TEXT("common_parameter_refarray_element: NAME attribute is null.");
        return;
    }
    CIMString *referenceClass = attribute_string(element, "REFERENCECLASS");
    CIMProperty *parameter = new_parameter(name, CIM_REFERENCE + CIM_ARRAY);
    if (!parameter) {
        freeCIMString(referenceClass);
        REPORT_DECODING_TEXT("common_parameter_refarray_element: newProperty failed.");
        return;
    }
    if (referenceClass) {
        CIMString *copy = copyCIMString(referenceClass);
        if (!setCIMValueReferenceType(propertyGetValue(parameter), copy)) freeCIMString(copy);
    }

    auto drop = [&]() {
        freeCIMProperty(parameter);
        freeCIMString(referenceClass);
    };
    Stack *stack = &msgData->objectStack;
    StackItem *methodItem = stack_pop(stack);
    if (!methodItem) {
        drop();
        REPORT_DECODING_ERROR();
        return;
    }
    if (!item_has_kind(methodItem)) {
        freeStackItem(methodItem);
        drop();
        REPORT_DECODING_TEXT("common_parameter_refarray_element: stack item description is null.");
        return;
    }
    if (!item_is(methodItem, item::Method)) {
        push_back(stack, methodItem);
        drop();
        return;
    }
    StackItem *classItem = stack_pop(stack);
    const char *problem = nullptr;
    if (!classItem) {
        problem = "common_parameter_refarray_element: stack item is invalid.";
    } else if (!item_has_kind(classItem)) {
        freeStackItem(classItem);
        classItem = nullptr;
        problem = "common_parameter_refarray_element: stack item description is invalid.";
    } else if (!item_is(classItem, item::Class)) {
        problem = "common_parameter_refarray_element: stack item is invalid.";
    } else if (!classItem->data || !getClassMethods(static_cast<CIMClass *>(classItem->data))) {
        problem = "common_parameter_refarray_element: stack item data is invalid.";
    } else if (!class_current_method(classItem)) {
        problem = "common_parameter_refarray_element: getCurrentCIMMethod failed.";
    } else if (!method_parameters(class_current_method(classItem))) {
        problem = "common_parameter_refarray_element: newCIMPropertyList failed.";
    }
    if (problem) {
        push_back(stack, classItem);
        push_back(stack, methodItem);
        drop();
        REPORT_DECODING_TEXT(problem);
        return;
    }
    CIMPropertyList *parameters = getMethodParameters(class_current_method(classItem));
    ReturnCode *rc = appendToCIMPropertyList(parameters, parameter);
    if (!rc || rc->rc != 0) {
        if (rc) reportReturnCode(rc);
        freeReturnCode(rc);
        push_back(stack, classItem);
        push_back(stack, methodItem);
        drop();
        REPORT_DECODING_TEXT("common_parameter_refarray_element: appendToCIMPropertyList failed.");
        return;
    }
    freeReturnCode(rc);
    push_back(stack, classItem);
    push_back(stack, methodItem);
    push_new_item(stack, item::ParameterRefArray, destroy_string, referenceClass);
}

void common_method_endhandler(MessageData *msgData) {
    pop_marker(msgData, item::Method);
}

void common_parameter_endhandler(MessageData *msgData) {
    pop_marker(msgData, item::Parameter, item::ParameterReference, item::ParameterRefArray);
}
