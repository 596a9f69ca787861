// schema_handlers.cpp - CLASS, INSTANCE, PROPERTY, PROPERTY.ARRAY and
// PROPERTY.REFERENCE.
#include "common_handlers/schema_handlers.h"

#include <cstring>

#include "cimxml_common/error_reporting.h"
#include "cimxml_common/cim_types.h"
#include "cimxml_common/memory.h"
#include "cimxml_common/profile.h"
#include "common_handlers/attributes.h"

namespace {

// The property list of a CLASS or INSTANCE item, created when absent; NULL
// when the item carries no object or the list cannot be made.
CIMPropertyList *owner_properties(StackItem *owner) {
    if (item_is(owner, item::Class)) return class_properties(static_cast<CIMClass *>(owner->data));
    return instance_properties(static_cast<CIMInstance *>(owner->data));
}

bool is_class_or_instance(const StackItem *entry) {
    return item_is(entry, item::Class) || item_is(entry, item::Instance);
}

// The EmbeddedObject attribute's effect on a property's type: "object" (any
// case) makes it a class (16), any other text an instance (15); without the
// attribute the type stays.
int embedded_object_type(const ExpatElement *element, int type) {
    const char *embedded = embedded_object_attribute(element);
    if (!embedded) return type;
    return local_strcasecmp(embedded, "object") == 0 ? CIM_CLASS : CIM_OBJECT;
}

// A new property with a null value of the type; NULL when memory is exhausted
// (name and classOrigin are then freed).
CIMProperty *new_null_property(CIMString *name, CIMString *classOrigin, int type, int propagated) {
    CIMValue *value = newCIMValueNULL(type);
    CIMProperty *property = value ? newProperty(name, classOrigin, value, type, nullptr, propagated) : nullptr;
    if (!property) {
        freeCIMValue(value);
        freeCIMString(name);
        freeCIMString(classOrigin);
    }
    return property;
}

// Appends property to the owner's property list. Returns 1 when the owner
// took it; on 0 the caller still owns it.
int attach_property(StackItem *owner, CIMProperty *property) {
    CIMPropertyList *properties = owner_properties(owner);
    if (!properties) {
        REPORT_ALLOCATION_ERROR();
        return 0;
    }
    return STATUS_OK(appendToCIMPropertyList(properties, property));
}

}  // namespace

void pop_marker(MessageData *msgData, ItemKind kind, ItemKind other, ItemKind third) {
    StackItem *top = stack_pop(&msgData->objectStack);
    if (!top) return;
    if (!item_has_kind(top) || item_is(top, kind) || (other != ItemKind::none && item_is(top, other)) ||
        (third != ItemKind::none && item_is(top, third))) {
        freeStackItem(top);
        return;
    }
    push_back(&msgData->objectStack, top);
}

void common_class_element(MessageData *msgData, const ExpatElement *element) {
    CIMString *name = attribute_string(element, "NAME");
    if (!name) {
        REPORT_DECODING_TEXT("common_class_element: NAME attribute is null");
        return;
    }
    CIMString *superClass = attribute_string(element, "SUPERCLASS");
    CIMClass *cls = newCIMClassEmpty();
    if (!cls) {
        freeCIMString(name);
        freeCIMString(superClass);
        REPORT_DECODING_ERROR();
        return;
    }
    if (!setClassName(cls, name)) freeCIMString(name);
    if (superClass && !setClassSuperName(cls, superClass)) freeCIMString(superClass);
    push_new_item(&msgData->objectStack, item::Class, destroy_class, cls);
}

void common_instance_element(MessageData *msgData, const ExpatElement *element) {
    CIMString *className = attribute_string(element, "CLASSNAME");
    if (!className) {
        REPORT_DECODING_ERROR();
        return;
    }
    CIMInstance *instance = newInstanceEmpty();
    if (!instance) {
        freeCIMString(className);
        REPORT_DECODING_ERROR();
        return;
    }
    if (!setInstanceName(instance, className)) {
        freeCIMString(className);
        freeCIMInstance(instance);
        REPORT_DECODING_ERROR();
        return;
    }
    push_new_item(&msgData->objectStack, item::Instance, destroy_instance, instance);
}

void common_class_endhandler(MessageData *msgData) {
    Stack *stack = &msgData->objectStack;
    StackItem *top = pop_finished_item(stack, item::Class);
    if (!top) return;
    CIMClass *copy = static_cast<CIMClass *>(take_data(top));
    CIMValue *value = newCIMValue(CIM_CLASS, copy);
    if (!value) freeCIMClass(copy);
    StackItem *owner = stack_pop(stack);
    if (!owner) {
        freeStackItem(top);
        freeCIMValue(value);
        REPORT_DECODING_ERROR();
        return;
    }
    if (item_is(owner, item::ParamValue)) {
        CIMProperty *parameter = current_parameter(msgData);
        if (!parameter) {
            freeCIMValue(value);
            REPORT_DECODING_ERROR();
        } else {
            set_property_value(parameter, value);
        }
    } else if (item_is(owner, item::ReturnValue) && msgData->returnValues) {
        append_value(msgData->returnValues, value);
    } else {
        freeCIMValue(value);
    }
    freeStackItem(top);
    push_back(stack, owner);
}

void common_property_element(MessageData *msgData, const ExpatElement *element) {
    CIMString *name;
    int type;
    if (!read_name_and_type(element, &name, &type)) return;
    type = embedded_object_type(element, type);
    int propagated = attribute_is_true(element, "PROPAGATED") ? 1 : 0;
    CIMString *classOrigin = attribute_string(element, "CLASSORIGIN");
    CIMProperty *property = new_null_property(name, classOrigin, type, propagated);
    if (!property) {
        REPORT_DECODING_ERROR();
        return;
    }

    Stack *stack = &msgData->objectStack;
    StackItem *owner = stack_pop(stack);
    if (!owner) {
        cimPrintMessage(CIM_LOG_ERROR, L"common_property_element - stack_pop failed");
        freeCIMProperty(property);
        return;
    }
    if (!item_has_kind(owner)) {
        freeStackItem(owner);
        cimPrintMessage(CIM_LOG_ERROR, L"common_property_element - stack item description is null");
        freeCIMProperty(property);
        return;
    }
    if (!is_class_or_instance(owner)) {
        push_back(stack, owner);
        freeCIMProperty(property);
        return;
    }
    if (!owner->data) {
        push_back(stack, owner);
        freeCIMProperty(property);
        REPORT_DECODING_ERROR();
        return;
    }
    if (!attach_property(owner, property)) freeCIMProperty(property);
    push_back(stack, owner);
    push_new_item(stack, item::PropertyType, nullptr, nullptr, type);
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
    int markerType = embedded_object_type(element, written);
    int propagated = attribute_is_true(element, "PROPAGATED") ? 1 : 0;
    CIMString *classOrigin = attribute_string(element, "CLASSORIGIN");
    CIMProperty *property = new_null_property(name, classOrigin, type, propagated);
    if (!property) {
        REPORT_DECODING_ERROR();
        return;
    }

    Stack *stack = &msgData->objectStack;
    StackItem *owner = stack_pop(stack);
    if (!item_has_kind(owner)) {
        freeStackItem(owner);
        freeCIMProperty(property);
        return;
    }
    if (is_class_or_instance(owner)) {
        if (!owner->data) {
            freeCIMProperty(property);
            REPORT_DECODING_ERROR();
        } else if (!attach_property(owner, property)) {
            freeCIMProperty(property);
        }
    } else {
        freeCIMProperty(property);
    }
    push_back(stack, owner);
    push_new_item(stack, item::PropertyType, nullptr, nullptr, markerType);
}

void common_property_ref_element(MessageData *msgData, const ExpatElement *element) {
    CIMString *name = attribute_string(element, "NAME");
    if (!name) {
        REPORT_DECODING_ERROR();
        return;
    }
    CIMString *classOrigin = attribute_string(element, "CLASSORIGIN");
    CIMValue *value = newCIMValueNULL(CIM_REFERENCE);
    CIMProperty *property = value ? newPropertyKey(name, classOrigin, value) : nullptr;
    if (!property) {
        freeCIMValue(value);
        freeCIMString(name);
        freeCIMString(classOrigin);
        REPORT_DECODING_ERROR();
        return;
    }
    if (CIMString *referenceClass = attribute_string(element, "REFERENCECLASS")) {
        if (!setCIMValueReferenceType(propertyGetValue(property), referenceClass)) freeCIMString(referenceClass);
    }

    Stack *stack = &msgData->objectStack;
    StackItem *owner = stack_pop(stack);
    if (is_class_or_instance(owner)) {
        if (!owner->data) {
            push_back(stack, owner);
            freeCIMProperty(property);
            REPORT_DECODING_ERROR();
            return;
        }
        CIMPropertyList *properties = owner_properties(owner);
        if (!properties) {
            push_back(stack, owner);
            freeCIMProperty(property);
            REPORT_ALLOCATION_ERROR();
            return;
        }
        if (!STATUS_OK(appendToCIMPropertyList(properties, property))) freeCIMProperty(property);
    } else {
        freeCIMProperty(property);
    }
    push_back(stack, owner);
    push_new_item(stack, item::PropertyType, nullptr, nullptr);
}

void common_property_endhandler(MessageData *msgData) {
    pop_marker(msgData, item::PropertyType);
}
