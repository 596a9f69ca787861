// method_handlers.cpp - METHOD, PARAMETER, PARAMETER.ARRAY,
// PARAMETER.REFERENCE and PARAMETER.REFARRAY.
#include "common_handlers/method_handlers.h"

#include "cimxml_common/error_reporting.h"
#include "cimxml_common/cim_types.h"
#include "common_handlers/attributes.h"
#include "common_handlers/schema_handlers.h"

namespace {

// A new parameter with a null value of the type; empty when memory is
// exhausted (name is then freed).
OwnedProperty new_parameter(CIMString *name, int type) {
    OwnedString held(name);
    OwnedValue value(newCIMValueNULL(type));
    OwnedProperty parameter(value ? newProperty(held.get(), nullptr, value.get(), type, nullptr, 0) : nullptr);
    if (parameter) held.release(), value.release();
    return parameter;
}

// A parameter's start sees the METHOD marker on top and the CLASS below it,
// whose last method is the one being declared.
struct ParameterPlace {
    const StackItem *marker;  // the top item
    const StackItem *owner;   // the item below a METHOD marker; NULL otherwise
    CIMMethod *method;        // the owner's current method, when it is a CLASS
};
ParameterPlace parameter_place(const MessageData *msgData) {
    ParameterPlace place{peek_item(msgData), nullptr, nullptr};
    if (item_is(place.marker, item::Method)) place.owner = peek_item(msgData, 1);
    if (item_is(place.owner, item::Class)) place.method = last_method(getClassMethods(data_of<CIMClass>(place.owner)));
    return place;
}

// Appends parameter to the method's parameter list (created when absent):
// the method takes it, or it stays held after the failure is reported.
void append_parameter(CIMMethod *method, OwnedProperty &parameter) {
    CIMPropertyList *parameters = method_parameters(method);
    if (!parameters) return REPORT_ALLOCATION_ERROR();
    give(parameter, appendToCIMPropertyList(parameters, parameter.get()));
}

// Sets the reference class a reference parameter's value names.
void set_reference_class(CIMProperty *parameter, const CIMString *referenceClass) {
    if (!referenceClass) return;
    CIMString *copy = copyCIMString(referenceClass);
    if (!setCIMValueReferenceType(propertyGetValue(parameter), copy)) freeCIMString(copy);
}

}  // namespace

void common_method_element(MessageData *msgData, const ExpatElement *element) {
    CIMString *name = nullptr;
    int type = CIM_STRING;
    if (!read_name_and_type(element, &name, &type)) return;
    int propagated = attribute_is_true(element, "PROPAGATED") ? 1 : 0;
    OwnedString held(name), classOrigin(attribute_string(element, "CLASSORIGIN"));
    OwnedMethod method(newMethod(name, classOrigin.get(), propagated, nullptr, type, nullptr));
    if (!method) return REPORT_DECODING_ERROR();
    held.release(), classOrigin.release();
    const StackItem *owner = peek_item(msgData);
    if (!item_is(owner, item::Class)) return REPORT_DECODING_ERROR();
    CIMMethodList *methods = class_methods(data_of<CIMClass>(owner));
    if (!methods) {
        REPORT_DECODING_ERROR();
    } else {
        give(method, appendToCIMMethodList(methods, method.get()));
    }
    push_new_item(&msgData->objectStack, item::Method, nullptr, nullptr, type);
}

void common_parameter_element(MessageData *msgData, const ExpatElement *element) {
    CIMString *name = nullptr;
    int type = CIM_STRING;
    if (!read_name_and_type(element, &name, &type)) return;
    OwnedProperty parameter = new_parameter(name, type);
    if (!parameter) return REPORT_DECODING_ERROR();
    ParameterPlace place = parameter_place(msgData);
    if (!place.marker) return REPORT_DECODING_ERROR();
    if (!item_is(place.marker, item::Method)) return;
    if (!place.method) return REPORT_DECODING_ERROR();
    append_parameter(place.method, parameter);
    push_new_item(&msgData->objectStack, item::Parameter, nullptr, nullptr, type);
}

void common_parameter_array_element(MessageData *msgData, const ExpatElement *element) {
    CIMString *name = nullptr;
    int type = CIM_STRING;
    if (!read_name_and_type(element, &name, &type)) return;
    if (!isArrayType(type)) type = arrayTypeOf(type);
    OwnedProperty parameter = new_parameter(name, type);
    if (!parameter) return REPORT_DECODING_ERROR();
    ParameterPlace place = parameter_place(msgData);
    if (!item_is(place.marker, item::Method)) return;
    if (!place.owner || (item_is(place.owner, item::Class) && !place.method)) return REPORT_DECODING_ERROR();
    if (!place.method) return;
    append_parameter(place.method, parameter);
    push_new_item(&msgData->objectStack, item::Parameter, nullptr, nullptr, type);
}

void common_parameter_ref_element(MessageData *msgData, const ExpatElement *element) {
    static const char *const invalidObject = "common_parameter_ref_element: invalid stack object.";
    OwnedString name(attribute_string(element, "NAME"));
    if (!name) return REPORT_DECODING_TEXT("common_parameter_ref_element: NAME attribute is null");
    OwnedString referenceClass(attribute_string(element, "REFERENCECLASS"));
    OwnedValue value;
    if (!referenceClass) {
        value.reset(newCIMValueNULL(CIM_REFERENCE));
    } else if (OwnedString className{copyCIMString(referenceClass.get())}) {
        Owned<CIMObjectPath, freeCIMObjectPath> path(newObjectPathWithName(className.get()));
        if (path) className.release();
        value.reset(path ? newCIMValue(CIM_REFERENCE, path.get()) : nullptr);
        if (value) path.release();
    }
    OwnedProperty parameter(value ? newProperty(name.get(), nullptr, value.get(), CIM_REFERENCE, nullptr, 0) : nullptr);
    if (!parameter) return REPORT_DECODING_TEXT("common_parameter_ref_element: newProperty failed.");
    name.release(), value.release();
    set_reference_class(parameter.get(), referenceClass.get());

    ParameterPlace place = parameter_place(msgData);
    if (!place.marker) return REPORT_DECODING_TEXT("common_parameter_ref_element: empty stack.");
    if (!place.method) return REPORT_DECODING_TEXT(invalidObject);
    CIMPropertyList *parameters = method_parameters(place.method);
    if (!parameters) return REPORT_DECODING_TEXT("common_parameter_ref_element: newCIMPropertyList failed.");
    if (status_ok_quiet(appendToCIMPropertyList(parameters, parameter.get())))
        parameter.release();
    else
        REPORT_DECODING_TEXT("common_parameter_ref_element: appendToCIMPropertyList failed.");
    push_new_item(&msgData->objectStack, item::Parameter, destroy_string, referenceClass.release());
}

void common_parameter_refarray_element(MessageData *msgData, const ExpatElement *element) {
    CIMString *name = attribute_string(element, "NAME");
    if (!name) return REPORT_DECODING_TEXT("common_parameter_refarray_element: NAME attribute is null.");
    OwnedString referenceClass(attribute_string(element, "REFERENCECLASS"));
    OwnedProperty parameter = new_parameter(name, CIM_REFERENCE + CIM_ARRAY);
    if (!parameter) return REPORT_DECODING_TEXT("common_parameter_refarray_element: newProperty failed.");
    set_reference_class(parameter.get(), referenceClass.get());

    ParameterPlace place = parameter_place(msgData);
    if (!place.marker) return REPORT_DECODING_ERROR();
    if (!item_is(place.marker, item::Method)) return;
    const char *problem = nullptr;
    if (!item_is(place.owner, item::Class))
        problem = "common_parameter_refarray_element: stack item is invalid.";
    else if (!getClassMethods(data_of<CIMClass>(place.owner)))
        problem = "common_parameter_refarray_element: stack item data is invalid.";
    else if (!place.method)
        problem = "common_parameter_refarray_element: getCurrentCIMMethod failed.";
    else if (!method_parameters(place.method))
        problem = "common_parameter_refarray_element: newCIMPropertyList failed.";
    if (problem) return REPORT_DECODING_TEXT(problem);
    ReturnCode *failure = nullptr;
    if (!status_ok_quiet(appendToCIMPropertyList(getMethodParameters(place.method), parameter.get()), &failure)) {
        if (failure) reportReturnCode(failure);
        freeReturnCode(failure);
        return REPORT_DECODING_TEXT("common_parameter_refarray_element: appendToCIMPropertyList failed.");
    }
    freeReturnCode(failure);
    parameter.release();
    push_new_item(&msgData->objectStack, item::ParameterRefArray, destroy_string, referenceClass.release());
}

void common_method_endhandler(MessageData *msgData) {
    pop_marker(msgData, item::Method);
}

void common_parameter_endhandler(MessageData *msgData) {
    pop_marker(msgData, item::Parameter, item::ParameterReference, item::ParameterRefArray);
}
