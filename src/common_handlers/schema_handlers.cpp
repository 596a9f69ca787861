// schema_handlers.cpp - CLASS, INSTANCE, PROPERTY, PROPERTY.ARRAY and
// PROPERTY.REFERENCE.
#include "common_handlers/schema_handlers.h"

#include "cimxml_common/error_reporting.h"
#include "cimxml_common/cim_types.h"
#include "cimxml_common/memory.h"
#include "cimxml_common/profile.h"
#include "common_handlers/attributes.h"

namespace {

bool is_class_or_instance(const StackItem *entry) {
    return item_is(entry, item::Class) || item_is(entry, item::Instance);
}

// The property list of a CLASS or INSTANCE item, created when absent; NULL
// when it cannot be made.
CIMPropertyList *owner_properties(StackItem *owner) {
    if (item_is(owner, item::Class)) return class_properties(data_of<CIMClass>(owner));
    return instance_properties(data_of<CIMInstance>(owner));
}

// Appends property to the CLASS or INSTANCE owner's list: the owner takes it,
// or it stays held (and is freed) after the failure is reported.
void attach_property(StackItem *owner, OwnedProperty &property) {
    CIMPropertyList *properties = owner_properties(owner);
    if (!properties) return REPORT_ALLOCATION_ERROR();
    give(property, appendToCIMPropertyList(properties, property.get()));
}

// The EmbeddedObject attribute's effect on a property's type: "object" (any
// case) makes it a class (16), any other text an instance (15); without the
// attribute the type stays.
int embedded_object_type(const ExpatElement *element, int type) {
    const char *embedded = embedded_object_attribute(element);
    if (!embedded) return type;
    return local_strcasecmp(embedded, "object") == 0 ? CIM_CLASS : CIM_OBJECT;
}

// A new property named NAME, of CLASSORIGIN and PROPAGATED, with a null value
// of type; empty (after reporting) when memory is exhausted.
OwnedProperty new_null_property(const ExpatElement *element, CIMString *name, int type) {
    int propagated = attribute_is_true(element, "PROPAGATED") ? 1 : 0;
    OwnedString held(name), classOrigin(attribute_string(element, "CLASSORIGIN"));
    OwnedValue value(newCIMValueNULL(type));
    OwnedProperty property(value ? newProperty(held.get(), classOrigin.get(), value.get(), type, nullptr, propagated)
                                 : nullptr);
    if (!property) {
        REPORT_DECODING_ERROR();
    } else {
        held.release(), classOrigin.release(), value.release();
    }
    return property;
}

}  // namespace

void common_class_element(MessageData *msgData, const ExpatElement *element) {
    OwnedString name(attribute_string(element, "NAME"));
    if (!name) return REPORT_DECODING_TEXT("common_class_element: NAME attribute is null");
    OwnedString superClass(attribute_string(element, "SUPERCLASS"));
    CIMClass *cls = newCIMClassEmpty();
    if (!cls) return REPORT_DECODING_ERROR();
    if (setClassName(cls, name.get())) name.release();
    if (superClass && setClassSuperName(cls, superClass.get())) superClass.release();
    push_new_item(&msgData->objectStack, item::Class, destroy_class, cls);
}

void common_instance_element(MessageData *msgData, const ExpatElement *element) {
    OwnedString className(attribute_string(element, "CLASSNAME"));
    CIMInstance *instance = className ? newInstanceEmpty() : nullptr;
    if (instance && !setInstanceName(instance, className.get())) {
        freeCIMInstance(instance);
        instance = nullptr;
    }
    if (!instance) return REPORT_DECODING_ERROR();
    className.release();
    push_new_item(&msgData->objectStack, item::Instance, destroy_instance, instance);
}

void common_class_endhandler(MessageData *msgData) {
    TakenItem top(pop_finished_item(&msgData->objectStack, item::Class));
    if (!top) return;
    auto *cls = take_data<CIMClass>(top.get());
    OwnedValue value(newCIMValue(CIM_CLASS, cls));
    if (!value) freeCIMClass(cls);
    const StackItem *owner = peek_item(msgData);
    if (!owner) return REPORT_DECODING_ERROR();
    if (item_is(owner, item::ParamValue)) {
        CIMProperty *parameter = current_parameter(msgData);
        if (!parameter) return REPORT_DECODING_ERROR();
        set_property_value(parameter, value.release());
    } else if (item_is(owner, item::ReturnValue) && msgData->returnValues) {
        append_value(msgData->returnValues, value.release());
    }
}

void common_property_element(MessageData *msgData, const ExpatElement *element) {
    CIMString *name;
    int type;
    if (!read_name_and_type(element, &name, &type)) return;
    type = embedded_object_type(element, type);
    OwnedProperty property = new_null_property(element, name, type);
    if (!property) return;
    StackItem *owner = peek_item(msgData);
    if (!owner) return cimPrintMessage(CIM_LOG_ERROR, L"common_property_element - stack_pop failed");
    if (!is_class_or_instance(owner)) return;
    attach_property(owner, property);
    push_new_item(&msgData->objectStack, item::PropertyType, nullptr, nullptr, type);
}

void common_property_array_element(MessageData *msgData, const ExpatElement *element) {
    CIMString *name;
    int written;
    if (!read_name_and_type(element, &name, &written)) return;
    // Classic types an embedded-object array by its element kind, and the
    // array type comes with its VALUE.ARRAY; strict types it as an array
    // from the start, so a declaration or a NULL array stays an array. The
    // marker carries the element type as written.
    int type = embedded_object_type(element, isArrayType(written) ? written : arrayTypeOf(written));
    if (strict_profile() && !isArrayType(type)) type = arrayTypeOf(type);
    OwnedProperty property = new_null_property(element, name, type);
    if (!property) return;
    StackItem *owner = peek_item(msgData);
    if (!owner) return;
    if (is_class_or_instance(owner)) attach_property(owner, property);
    push_new_item(&msgData->objectStack, item::PropertyType, nullptr, nullptr, embedded_object_type(element, written));
}

void common_property_ref_element(MessageData *msgData, const ExpatElement *element) {
    OwnedString name(attribute_string(element, "NAME"));
    if (!name) return REPORT_DECODING_ERROR();
    OwnedString classOrigin(attribute_string(element, "CLASSORIGIN"));
    OwnedValue value(newCIMValueNULL(CIM_REFERENCE));
    OwnedProperty property(value ? newPropertyKey(name.get(), classOrigin.get(), value.get()) : nullptr);
    if (!property) return REPORT_DECODING_ERROR();
    name.release(), classOrigin.release(), value.release();
    if (CIMString *referenceClass = attribute_string(element, "REFERENCECLASS")) {
        if (!setCIMValueReferenceType(propertyGetValue(property.get()), referenceClass)) freeCIMString(referenceClass);
    }
    StackItem *owner = peek_item(msgData);
    if (is_class_or_instance(owner)) {
        CIMPropertyList *properties = owner_properties(owner);
        if (!properties) return REPORT_ALLOCATION_ERROR();
        give(property, appendToCIMPropertyList(properties, property.get()));
    }
    push_new_item(&msgData->objectStack, item::PropertyType, nullptr, nullptr);
}

void common_property_endhandler(MessageData *msgData) {
    pop_marker(msgData, item::PropertyType);
}
