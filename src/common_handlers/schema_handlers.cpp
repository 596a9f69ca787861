// schema_handlers.cpp - CLASS, INSTANCE, PROPERTY, PROPERTY.ARRAY and
// PROPERTY.REFERENCE.
#include "common_handlers/schema_handlers.h"

#include <cstring>

#include "cimxml/error_reporting.h"
#include "cimxml_common/cim_types.h"
#include "cimxml_common/memory.h"
#include "common_handlers/attributes.h"

namespace {

// Frees an unattached property (and the type text that would have marked it).
void drop_property(CIMProperty *property, CIMString *typeText) {
    freeCIMProperty(property);
    freeCIMString(typeText);
}

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
// case) makes it a class (16), any other text an instance (15), and the type
// text is replaced by the type's name. Returns the (possibly new) type.
int apply_embedded_object(const ExpatElement *element, int type, CIMString **typeText) {
    char *embedded = getAttribute("EmbeddedObject", attributes_of(element));
    if (!embedded) return type;
    type = local_strcasecmp(embedded, "object") == 0 ? CIM_CLASS : CIM_OBJECT;
    cimxml_free(embedded, CIMXML_ATOMIC);
    CIMString *name = typeNameOf(type);
    if (name) {
        freeCIMString(*typeText);
        *typeText = name;
    }
    return type;
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

void pop_marker(MessageData *msgData, const char *description, const char *other, const char *third) {
    StackItem *top = stack_pop(&msgData->objectStack);
    if (!top) return;
    if (!top->description || item_is(top, description) || (other && item_is(top, other)) ||
        (third && item_is(top, third))) {
        freeStackItem(top);
        return;
    }
    push_back(&msgData->objectStack, top);
}

void common_class_element(MessageData *msgData, const ExpatElement *element) {
    CIMString *name = getAttributeCIMString("NAME", attributes_of(element));
    if (!name) {
        REPORT_DECODING_TEXT("common_class_element: NAME attribute is null");
        return;
    }
    CIMString *superClass = getAttributeCIMString("SUPERCLASS", attributes_of(element));
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
    CIMString *className = getAttributeCIMString("CLASSNAME", attributes_of(element));
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
    const char *const *attributes = attributes_of(element);
    CIMString *name;
    CIMString *typeText;
    if (!read_name_and_type(element, &name, &typeText)) return;
    int type = apply_embedded_object(element, typeFromName(typeText), &typeText);
    int propagated = attribute_is_true(element, "PROPAGATED") ? 1 : 0;
    CIMString *classOrigin = getAttributeCIMString("CLASSORIGIN", attributes);
    CIMProperty *property = new_null_property(name, classOrigin, type, propagated);
    if (!property) {
        freeCIMString(typeText);
        REPORT_DECODING_ERROR();
        return;
    }

    Stack *stack = &msgData->objectStack;
    StackItem *owner = stack_pop(stack);
    if (!owner) {
        cimPrintMessage(CIM_LOG_ERROR, L"common_property_element - stack_pop failed");
        drop_property(property, typeText);
        return;
    }
    if (!owner->description) {
        freeStackItem(owner);
        cimPrintMessage(CIM_LOG_ERROR, L"common_property_element - stack item description is null");
        drop_property(property, typeText);
        return;
    }
    if (!is_class_or_instance(owner)) {
        push_back(stack, owner);
        drop_property(property, typeText);
        return;
    }
    if (!owner->data) {
        push_back(stack, owner);
        drop_property(property, typeText);
        REPORT_DECODING_ERROR();
        return;
    }
    if (!attach_property(owner, property)) freeCIMProperty(property);
    push_back(stack, owner);
    push_new_item(stack, item::PropertyType, destroy_string, typeText);
}

void common_property_array_element(MessageData *msgData, const ExpatElement *element) {
    const char *const *attributes = attributes_of(element);
    CIMString *name;
    CIMString *typeText;
    if (!read_name_and_type(element, &name, &typeText)) return;
    int type = typeFromName(typeText);
    if (!isArrayType(type)) type = arrayTypeOf(type);
    // An embedded-object array is typed by its element kind; the array type
    // comes with its VALUE.ARRAY.
    type = apply_embedded_object(element, type, &typeText);
    int propagated = attribute_is_true(element, "PROPAGATED") ? 1 : 0;
    CIMString *classOrigin = getAttributeCIMString("CLASSORIGIN", attributes);
    CIMProperty *property = new_null_property(name, classOrigin, type, propagated);
    if (!property) {
        freeCIMString(typeText);
        REPORT_DECODING_ERROR();
        return;
    }

    Stack *stack = &msgData->objectStack;
    StackItem *owner = stack_pop(stack);
    if (!item_has_description(owner)) {
        freeStackItem(owner);
        drop_property(property, typeText);
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
    push_new_item(stack, item::PropertyType, destroy_string, typeText);
}

void common_property_ref_element(MessageData *msgData, const ExpatElement *element) {
    const char *const *attributes = attributes_of(element);
    CIMString *name = getAttributeCIMString("NAME", attributes);
    if (!name) {
        REPORT_DECODING_ERROR();
        return;
    }
    CIMString *classOrigin = getAttributeCIMString("CLASSORIGIN", attributes);
    CIMValue *value = newCIMValueNULL(CIM_REFERENCE);
    CIMProperty *property = value ? newPropertyKey(name, classOrigin, value) : nullptr;
    if (!property) {
        freeCIMValue(value);
        freeCIMString(name);
        freeCIMString(classOrigin);
        REPORT_DECODING_ERROR();
        return;
    }
    if (CIMString *referenceClass = getAttributeCIMString("REFERENCECLASS", attributes)) {
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
