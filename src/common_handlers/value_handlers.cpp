// value_handlers.cpp - VALUE, VALUE.ARRAY, VALUE.REFERENCE and VALUE.REFARRAY
// inside schema elements and parameters.
#include "common_handlers/value_handlers.h"

#include <cstring>

#include "cimxml_common/error_reporting.h"
#include "cimxml_common/cim_types.h"
#include "cimxml_common/profile.h"
#include "common_handlers/parse_driver.h"
#include "cimxml_schema/value_encoding.h"

namespace {

const char *text_of(const ExpatElement *element) { return element ? element->text : nullptr; }

void log_array_chain(const char *text) {
    cimPrintMessage(CIM_LOG_TRACE, L"%s", text);
}

// Checks one link of the METHOD/CLASS chain below a parameter's qualifier.
// In the array form the three cases are logged with their own texts.
bool chain_link_ok(const StackItem *link, ItemKind kind, bool arrayForm) {
    if (item_is(link, kind)) return true;
    if (arrayForm) {
        if (!link)
            log_array_chain("common_value_array_endhandler - stack_pop failed.");
        else if (!item_has_kind(link))
            log_array_chain("common_value_array_endhandler - stack item desc is null.");
        else
            log_array_chain("common_value_array_endhandler - stack item desc is invalid.");
    }
    return false;
}

// The current property of a CLASS or INSTANCE item's property list, lent.
CIMProperty *owner_current_property(const StackItem *owner) {
    if (item_is(owner, item::Class)) return last_property(getClassProperties(static_cast<CIMClass *>(owner->data)));
    if (item_is(owner, item::Instance))
        return last_property(getInstanceProperties(static_cast<CIMInstance *>(owner->data)));
    return nullptr;
}

bool is_class_or_instance(const StackItem *entry) {
    return item_is(entry, item::Class) || item_is(entry, item::Instance);
}

// 1 when the first element of text (after any declaration or comment) is
// an INSTANCE.
bool first_element_is_instance(const char *text) {
    for (const char *at = text ? std::strchr(text, '<') : nullptr; at; at = std::strchr(at + 1, '<')) {
        if (at[1] == '?' || at[1] == '!') continue;
        if (std::strncmp(at + 1, "INSTANCE", 8) != 0) return false;
        char next = at[9];
        return next == '>' || next == '/' || next == ' ' || next == '\t' || next == '\r' || next == '\n';
    }
    return false;
}

}  // namespace

CIMValue *embedded_object_value(const MessageData *msgData, int type, const char *text) {
    if (type == CIM_CLASS && strict_profile() && first_element_is_instance(text)) type = CIM_OBJECT;
    const HandlerSet *handlers = msgData->handlers;
    if (!handlers || !handlers->embeddedObject) return nullptr;
    return handlers->embeddedObject(msgData->objectPath, type, text);
}

CIMQualifier *find_owner_qualifier(MessageData *msgData, StackItem *owner, bool arrayForm, bool *missing) {
    Stack *stack = &msgData->objectStack;
    CIMQualifier *qualifier = nullptr;
    *missing = false;
    if (item_is(owner, item::Class)) {
        qualifier = last_qualifier(getClassQualifiers(static_cast<CIMClass *>(owner->data)));
        *missing = !qualifier;
    } else if (item_is(owner, item::PropertyType)) {
        StackItem *below = stack_pop(stack);
        if (is_class_or_instance(below)) {
            CIMProperty *property = owner_current_property(below);
            qualifier = last_qualifier(propertyGetQualifiers(property));
            *missing = !qualifier;
        }
        push_back(stack, below);
    } else if (item_is(owner, item::Method)) {
        StackItem *below = stack_pop(stack);
        if (item_is(below, item::Class)) {
            CIMMethod *method = last_method(getClassMethods(static_cast<CIMClass *>(below->data)));
            qualifier = last_qualifier(getMethodQualifiers(method));
            *missing = !qualifier;
        }
        push_back(stack, below);
    } else if (item_is(owner, item::Parameter) || (arrayForm && item_is(owner, item::ParameterRefArray))) {
        StackItem *method = stack_pop(stack);
        StackItem *cls = nullptr;
        if (chain_link_ok(method, item::Method, arrayForm)) {
            cls = stack_pop(stack);
            if (chain_link_ok(cls, item::Class, arrayForm)) {
                CIMMethod *current = last_method(getClassMethods(static_cast<CIMClass *>(cls->data)));
                CIMProperty *parameter = last_property(getMethodParameters(current));
                qualifier = last_qualifier(propertyGetQualifiers(parameter));
                *missing = !qualifier;
            } else if (!arrayForm) {
                *missing = true;
            }
        } else if (!arrayForm) {
            *missing = true;
        }
        push_back(stack, cls);
        push_back(stack, method);
    }
    push_back(stack, owner);
    return qualifier;
}

void common_value_reference_element(MessageData *msgData, const ExpatElement *) {
    CIMObjectPath *path = new_placeholder_path();
    if (!path) {
        cimPrintMessage(CIM_LOG_ERROR, L"newObjectPathWithName: %s %d", __FILE_NAME__, __LINE__);
        REPORT_ALLOCATION_ERROR();
        return;
    }
    push_new_item(&msgData->objectStack, item::ValueReference, destroy_objectpath, path);
}

void common_value_array_element(MessageData *msgData, const ExpatElement *) {
    CIMValueList *list = newCIMValueList();
    if (!list) {
        cimPrintMessage(CIM_LOG_ERROR, L"newCIMValue failed: %s %d", __FILE_NAME__, __LINE__);
        REPORT_ALLOCATION_ERROR();
        return;
    }
    push_new_item(&msgData->objectStack, item::ValueArray, destroy_valuelist, list);
}

void common_value_refarray_element(MessageData *msgData, const ExpatElement *) {
    CIMValueList *list = newCIMValueList();
    if (!list) {
        cimPrintMessage(CIM_LOG_TRACE, L"common_value_refarray_element: newCIMValueList failed");
        return;
    }
    push_new_item(&msgData->objectStack, item::ValueRefArray, destroy_valuelist, list);
}

void common_value_null_element(MessageData *msgData, const ExpatElement *) {
    if (!strict_profile()) return;
    Stack *stack = &msgData->objectStack;
    StackItem *top = stack_peek(stack);
    bool references = item_is(top, item::ValueRefArray);
    if (!references && !item_is(top, item::ValueArray)) return;
    // A type marker below says the element type.
    const StackItem *owner = stack_peek(stack, 1);
    bool marker = item_is(owner, item::PropertyType) || item_is(owner, item::ParamType) ||
                  item_is(owner, item::QualifierType);
    int type = references ? CIM_REFERENCE : marker ? owner->type : CIM_STRING;
    if (isArrayType(type)) type = scalarTypeOf(type);
    CIMValue *value = newCIMValueNULL(type);
    if (!value) {
        REPORT_ALLOCATION_ERROR();
        return;
    }
    append_value(static_cast<CIMValueList *>(top->data), value);
}

void common_value_pcdata(MessageData *msgData, const ExpatElement *element) {
    Stack *stack = &msgData->objectStack;
    const char *text = text_of(element);
    StackItem *top = stack_pop(stack);
    if (!top) {
        cimPrintMessage(CIM_LOG_ERROR, L"stack_pop failed: %s %d", __FILE_NAME__, __LINE__);
        return;
    }
    if (!item_has_kind(top)) {
        cimPrintMessage(CIM_LOG_ERROR, L"item->description == NULL: %s %d", __FILE_NAME__, __LINE__);
        freeStackItem(top);
        return;
    }

    if (item_is(top, item::QualifierDeclaration)) {
        auto *declaration = static_cast<CIMQualifierType *>(top->data);
        int type = getQualifierTypeValueType(declaration);
        CIMValue *value = value_from_text(type, text);
        ReturnCode *rc = nullptr;
        if (!status_ok_quiet(setQualifierValue(declaration, value), &rc)) {
            cimPrintMessage(CIM_LOG_ERROR, L"setQualifierValue failed: %s %d", __FILE_NAME__, __LINE__);
            if (rc) reportReturnCode(rc); else REPORT_ALLOCATION_ERROR();
            freeCIMValue(value);
        }
        freeReturnCode(rc);
        push_back(stack, top);
        return;
    }

    if (item_is(top, item::QualifierType)) {
        // The qualifier's marker is consumed by its first value.
        int type = top->type;
        freeStackItem(top);
        StackItem *owner = stack_pop(stack);
        if (!owner) {
            REPORT_DECODING_ERROR();
            return;
        }
        bool missing = false;
        CIMQualifier *qualifier = find_owner_qualifier(msgData, owner, false, &missing);
        if (missing) REPORT_DECODING_ERROR();
        if (qualifier) set_qualifier_value(qualifier, value_from_text(type, text));
        return;
    }

    if (item_is(top, item::PropertyType)) {
        // The property's marker is consumed by its first value.
        int type = top->type;
        freeStackItem(top);
        StackItem *owner = stack_pop(stack);
        if (!owner) {
            REPORT_DECODING_ERROR();
            return;
        }
        if (is_class_or_instance(owner)) {
            CIMProperty *property = owner_current_property(owner);
            if (!property) {
                REPORT_DECODING_ERROR();
            } else if (propertyIsEmbeddedObject(property)) {
                int objectType = isObjectType(type) ? type
                                 : item_is(owner, item::Class) ? CIM_CLASS
                                                               : CIM_OBJECT;
                if (CIMValue *value = embedded_object_value(msgData, objectType, text))
                    set_property_value(property, value);
            } else {
                set_property_from_text(property, type, text);
            }
        }
        push_back(stack, owner);
        return;
    }

    push_back(stack, top);
}

void common_value_array_endhandler(MessageData *msgData) {
    Stack *stack = &msgData->objectStack;
    if (stack_isEmpty(stack)) return;
    StackItem *top = pop_finished_item(stack, item::ValueArray);
    if (!top) return;
    CIMValueList *list = static_cast<CIMValueList *>(take_data(top));
    freeStackItem(top);
    StackItem *owner = stack_pop(stack);
    if (!owner) {
        freeCIMValueList(list);
        REPORT_DECODING_ERROR();
        return;
    }

    // The array value of a named type: the type made an array type unless it is one.
    auto array_value = [&list](int type) -> CIMValue * {
        CIMValue *value = array_value_of(type, list);
        list = nullptr;
        return value;
    };

    if (item_is(owner, item::QualifierDeclaration)) {
        auto *declaration = static_cast<CIMQualifierType *>(owner->data);
        set_qualifier_value(declaration, array_value(getQualifierTypeValueType(declaration)));
        push_back(stack, owner);
        return;
    }

    if (item_is(owner, item::QualifierType)) {
        int type = owner->type;
        freeStackItem(owner);
        StackItem *qualifierOwner = stack_pop(stack);
        if (!qualifierOwner) {
            freeCIMValueList(list);
            REPORT_DECODING_ERROR();
            return;
        }
        bool missing = false;
        CIMQualifier *qualifier = find_owner_qualifier(msgData, qualifierOwner, true, &missing);
        if (missing) REPORT_DECODING_ERROR();
        if (qualifier)
            set_qualifier_value(qualifier, array_value(type));
        else
            freeCIMValueList(list);
        return;
    }

    if (item_is(owner, item::PropertyType)) {
        StackItem *propertyOwner = stack_pop(stack);
        if (!propertyOwner) {
            push_back(stack, owner);
            freeCIMValueList(list);
            REPORT_DECODING_ERROR();
            return;
        }
        if (is_class_or_instance(propertyOwner)) {
            CIMProperty *property = owner_current_property(propertyOwner);
            if (!property) {
                freeCIMValueList(list);
                REPORT_DECODING_ERROR();
            } else {
                set_property_value(property, array_value(propertyGetType(property)));
            }
        } else {
            freeCIMValueList(list);
        }
        // The property's marker stays for the property's end.
        push_back(stack, propertyOwner);
        push_back(stack, owner);
        return;
    }

    push_back(stack, owner);
    freeCIMValueList(list);
}

void common_value_reference_endhandler(MessageData *msgData) {
    static const char *const invalidObject = "common_value_reference_endhandler: invalid stack object.";
    Stack *stack = &msgData->objectStack;
    if (stack_isEmpty(stack)) {
        REPORT_DECODING_TEXT("common_value_reference_endhandler: stack is empty");
        return;
    }
    StackItem *top = stack_pop(stack);
    if (!item_is(top, item::ValueReference)) {
        if (item_has_kind(top))
            push_back(stack, top);
        else
            freeStackItem(top);
        REPORT_DECODING_TEXT(invalidObject);
        return;
    }
    CIMObjectPath *reference = static_cast<CIMObjectPath *>(take_data(top));
    StackItem *owner = stack_pop(stack);
    if (!item_has_kind(owner)) {
        freeStackItem(top);
        freeStackItem(owner);
        freeCIMObjectPath(reference);
        REPORT_DECODING_TEXT(invalidObject);
        return;
    }

    if (item_is(owner, item::PropertyType)) {
        // A PROPERTY.REFERENCE's value; its marker is consumed.
        freeStackItem(top);
        freeStackItem(owner);
        StackItem *propertyOwner = stack_pop(stack);
        if (!propertyOwner) {
            freeCIMObjectPath(reference);
            REPORT_DECODING_TEXT(invalidObject);
            return;
        }
        if (is_class_or_instance(propertyOwner)) {
            CIMPropertyList *properties =
                item_is(propertyOwner, item::Class)
                    ? getClassProperties(static_cast<CIMClass *>(propertyOwner->data))
                    : getInstanceProperties(static_cast<CIMInstance *>(propertyOwner->data));
            CIMProperty *property = last_property(properties);
            if (!properties) {
                freeCIMObjectPath(reference);
                REPORT_DECODING_TEXT(invalidObject);
            } else if (!property) {
                freeCIMObjectPath(reference);
                REPORT_DECODING_TEXT("common_value_reference_endhandler: getCurrentCIMProperty failed.");
            } else {
                CIMValue *value = newCIMValue(CIM_REFERENCE, reference);
                if (!value) {
                    freeCIMObjectPath(reference);
                    REPORT_ALLOCATION_ERROR();
                } else {
                    // Keep the class the declaration named for the reference.
                    CIMString *referenceClass = getCIMValueReferenceType(propertyGetValue(property));
                    if (referenceClass) setCIMValueReferenceType(value, copyCIMString(referenceClass));
                    set_property_value(property, value);
                }
            }
        } else {
            freeCIMObjectPath(reference);
        }
        push_back(stack, propertyOwner);
        return;
    }

    if (item_is(owner, item::ValueRefArray)) {
        StackItem *parameterItem = stack_pop(stack);
        if (!parameterItem) {
            freeStackItem(top);
            freeCIMObjectPath(reference);
            push_back(stack, owner);
            REPORT_DECODING_TEXT("common_value_reference_endhandler: Invalid stack object.");
            return;
        }
        if (item_is(parameterItem, item::ParamType)) {
            if (!msgData->method || !getMethodParameters(msgData->method)) {
                freeCIMObjectPath(reference);
                REPORT_DECODING_TEXT("common_value_reference_endhandler: Invalid method.");
            } else if (!current_parameter(msgData)) {
                freeCIMObjectPath(reference);
                REPORT_DECODING_TEXT("common_value_reference_endhandler: getCurrentCIMProperty failed.");
            } else {
                CIMValue *value = newCIMValue(CIM_REFERENCE, reference);
                if (!value) {
                    freeCIMObjectPath(reference);
                    REPORT_ALLOCATION_ERROR();
                } else {
                    append_value(static_cast<CIMValueList *>(owner->data), value);
                }
            }
        } else {
            freeCIMObjectPath(reference);
        }
        freeStackItem(top);
        push_back(stack, parameterItem);
        push_back(stack, owner);
        return;
    }

    freeStackItem(top);
    freeCIMObjectPath(reference);
    push_back(stack, owner);
}

void common_value_refarray_endhandler(MessageData *msgData) {
    static const char *const invalidObject = "common_value_refarray_endhandler: invalid stack object";
    Stack *stack = &msgData->objectStack;
    if (stack_isEmpty(stack)) {
        REPORT_DECODING_TEXT("common_value_refarray_endhandler: stack is empty");
        return;
    }
    StackItem *top = stack_pop(stack);
    if (!top) {
        REPORT_DECODING_TEXT("common_value_refarray_endhandler: stack item is NULL");
        return;
    }
    if (!item_has_kind(top)) {
        freeStackItem(top);
        REPORT_DECODING_TEXT("common_value_refarray_endhandler: stack item description is NULL");
        return;
    }
    if (!item_is(top, item::ValueRefArray)) {
        push_back(stack, top);
        REPORT_DECODING_TEXT("common_value_refarray_endhandler: stack item is not VALUE.REFARRAY");
        return;
    }
    StackItem *owner = stack_pop(stack);
    if (!owner) {
        push_back(stack, top);
        REPORT_DECODING_TEXT("common_value_refarray_endhandler: stack item is NULL");
        return;
    }

    if (item_is(owner, item::ParamType)) {
        if (!msgData->method) {
            freeStackItem(top);
            push_back(stack, owner);
            REPORT_DECODING_TEXT("common_value_refarray_endhandler: invalid method object");
            return;
        }
        CIMProperty *parameter = current_parameter(msgData);
        if (parameter) {
            int type = propertyGetType(parameter);
            int arrayType = isArrayType(type) ? type : CIM_REFERENCE + CIM_ARRAY;
            CIMValueList *list = static_cast<CIMValueList *>(take_data(top));
            CIMValue *value = newCIMValue(arrayType, list);
            if (!value) {
                freeCIMValueList(list);
                REPORT_ALLOCATION_ERROR();
            } else {
                set_property_value(parameter, value);
            }
        }
        freeStackItem(top);
        push_back(stack, owner);
        return;
    }

    if (item_is(owner, item::ParameterRefArray)) {
        StackItem *methodItem = stack_pop(stack);
        StackItem *classItem = item_is(methodItem, item::Method) ? stack_pop(stack) : nullptr;
        CIMMethod *method = nullptr;
        CIMProperty *parameter = nullptr;
        if (item_is(classItem, item::Class) && classItem->data) {
            method = last_method(getClassMethods(static_cast<CIMClass *>(classItem->data)));
            parameter = last_property(getMethodParameters(method));
        }
        if (!parameter) {
            push_back(stack, classItem);
            push_back(stack, methodItem);
            push_back(stack, owner);
            push_back(stack, top);
            REPORT_DECODING_TEXT(invalidObject);
            return;
        }
        CIMValueList *list = static_cast<CIMValueList *>(take_data(top));
        set_property_value(parameter, array_value_of(propertyGetType(parameter), list));
        freeStackItem(top);
        push_back(stack, classItem);
        push_back(stack, methodItem);
        push_back(stack, owner);
        return;
    }

    // A reference array in an IPARAMVALUE stays until the parameter's end clears it.
    push_back(stack, owner);
    push_back(stack, top);
}
