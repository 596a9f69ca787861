// value_handlers.cpp - VALUE, VALUE.ARRAY, VALUE.REFERENCE, VALUE.REFARRAY
// and VALUE.NULL, for both handler sets.
#include "common_handlers/value_handlers.h"

#include <cstring>

#include "cimxml_common/error_reporting.h"
#include "cimxml_common/cim_types.h"
#include "cimxml_common/profile.h"
#include "common_handlers/parse_driver.h"
#include "cimxml_schema/value_encoding.h"

namespace {

const char *text_of(const ExpatElement *element) { return element ? element->text : nullptr; }

bool is_class_or_instance(const StackItem *entry) {
    return item_is(entry, item::Class) || item_is(entry, item::Instance);
}

// A request's parameter item (PARAMVALUE carries a type, IPARAMVALUE none).
bool is_parameter_item(const StackItem *entry) {
    return item_is(entry, item::ParamType) || item_is(entry, item::ParamValue);
}

// The current property of a CLASS or INSTANCE item's property list, lent.
CIMProperty *owner_current_property(const StackItem *owner) {
    if (item_is(owner, item::Class)) return last_property(getClassProperties(data_of<CIMClass>(owner)));
    if (item_is(owner, item::Instance)) return last_property(getInstanceProperties(data_of<CIMInstance>(owner)));
    return nullptr;
}

// The current parameter of the method the CLASS item classItem carries; NULL
// when there is none.
CIMProperty *class_method_parameter(const StackItem *classItem) {
    if (!item_is(classItem, item::Class)) return nullptr;
    CIMMethod *method = last_method(getClassMethods(data_of<CIMClass>(classItem)));
    return last_property(getMethodParameters(method));
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

// Checks one link of the METHOD/CLASS chain below a parameter's qualifier.
// In the array form the two failures are logged with their own texts.
bool chain_link_ok(const StackItem *link, ItemKind kind, bool arrayForm) {
    if (item_is(link, kind)) return true;
    if (arrayForm)
        cimPrintMessage(CIM_LOG_TRACE, L"%s",
                        link ? "common_value_array_endhandler - stack item desc is invalid."
                             : "common_value_array_endhandler - stack_pop failed.");
    return false;
}

// The qualifier a QUALIFIER's value belongs to, once its "QUALIFIER_TYPE"
// marker is consumed: the last qualifier of what the item now on top stands
// for (a class, the current property, method or parameter). arrayForm is the
// walk of the VALUE.ARRAY end (a "PARAMETER.REFARRAY" owner counts as a
// parameter, and a broken METHOD/CLASS chain below a parameter is logged).
// *missing is set when a list, method, property or qualifier that must exist
// is missing, or, outside arrayForm, when the parameter chain is broken.
CIMQualifier *owner_qualifier(const MessageData *msgData, bool arrayForm, bool *missing) {
    const StackItem *owner = peek_item(msgData);
    const CIMQualifierList *qualifiers = nullptr;
    *missing = false;
    if (item_is(owner, item::Class)) {
        qualifiers = getClassQualifiers(data_of<CIMClass>(owner));
    } else if (item_is(owner, item::PropertyType)) {
        const StackItem *below = peek_item(msgData, 1);
        if (!is_class_or_instance(below)) return nullptr;
        qualifiers = propertyGetQualifiers(owner_current_property(below));
    } else if (item_is(owner, item::Method)) {
        const StackItem *below = peek_item(msgData, 1);
        if (!item_is(below, item::Class)) return nullptr;
        qualifiers = getMethodQualifiers(last_method(getClassMethods(data_of<CIMClass>(below))));
    } else if (item_is(owner, item::Parameter) || (arrayForm && item_is(owner, item::ParameterRefArray))) {
        const StackItem *method = peek_item(msgData, 1);
        if (!chain_link_ok(method, item::Method, arrayForm) ||
            !chain_link_ok(peek_item(msgData, 2), item::Class, arrayForm)) {
            *missing = !arrayForm;
            return nullptr;
        }
        qualifiers = propertyGetQualifiers(class_method_parameter(peek_item(msgData, 2)));
    } else {
        return nullptr;
    }
    CIMQualifier *qualifier = last_qualifier(qualifiers);
    *missing = !qualifier;
    return qualifier;
}

// Value of one VALUE text for a parameter whose (element) type is type:
// an embedded object when the parameter carries one, else the converted text.
CIMValue *parameter_value(MessageData *msgData, const CIMProperty *parameter, int type, const char *text) {
    if (propertyIsEmbeddedObject(parameter))
        return embedded_object_value(msgData, isObjectType(type) ? type : CIM_OBJECT, text);
    return value_from_text(type, text);
}

// The value of a VALUE inside a VALUE.ARRAY of a schema element, owner the
// item below the array; NULL when owner is none (or memory is short). The
// response set reads an array type of a marker as its element type.
bool schema_array_element(MessageData *msgData, const StackItem *owner, const char *text, bool scalarOfArray,
                          CIMValue **value) {
    if (item_is(owner, item::QualifierDeclaration)) {
        int type = getQualifierTypeValueType(data_of<CIMQualifierType>(owner));
        *value = value_from_text(isArrayType(type) ? scalarTypeOf(type) : type, text);
        return true;
    }
    if (!item_is(owner, item::QualifierType) && !item_is(owner, item::PropertyType)) return false;
    int type = owner->type;
    if (scalarOfArray && isArrayType(type)) type = scalarTypeOf(type);
    *value = item_is(owner, item::PropertyType) && isObjectType(type) ? embedded_object_value(msgData, type, text)
                                                                        : value_from_text(type, text);
    return true;
}

// The current output parameter of a response: the last of outParameters, lent.
CIMProperty *current_output(const MessageData *msgData) { return last_property(msgData->outParameters); }

// The array of list (typed as the property is) becomes property's value;
// without a property the list is freed.
void set_property_array(CIMProperty *property, CIMValueList *list) {
    if (!property) return freeCIMValueList(list);
    set_property_value(property, array_value_of(propertyGetType(property), list));
}

}  // namespace

CIMValue *embedded_object_value(const MessageData *msgData, int type, const char *text) {
    if (type == CIM_CLASS && strict_profile() && first_element_is_instance(text)) type = CIM_OBJECT;
    const HandlerSet *handlers = msgData->handlers;
    if (!handlers || !handlers->embeddedObject) return nullptr;
    return handlers->embeddedObject(msgData->objectPath, type, text);
}

// ---- Start tags ----

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
    if (!list) return cimPrintMessage(CIM_LOG_TRACE, L"common_value_refarray_element: newCIMValueList failed");
    push_new_item(&msgData->objectStack, item::ValueRefArray, destroy_valuelist, list);
}

void common_value_null_element(MessageData *msgData, const ExpatElement *) {
    if (!strict_profile()) return;
    StackItem *top = peek_item(msgData);
    bool references = item_is(top, item::ValueRefArray);
    if (!references && !item_is(top, item::ValueArray)) return;
    // A type marker below says the element type.
    const StackItem *owner = peek_item(msgData, 1);
    bool marker = item_is(owner, item::PropertyType) || item_is(owner, item::ParamType) ||
                  item_is(owner, item::QualifierType);
    int type = references ? CIM_REFERENCE : marker ? owner->type : CIM_STRING;
    if (isArrayType(type)) type = scalarTypeOf(type);
    CIMValue *value = newCIMValueNULL(type);
    if (!value) return REPORT_ALLOCATION_ERROR();
    append_value(data_of<CIMValueList>(top), value);
}

// ---- VALUE, at its end tag ----

void common_value_pcdata(MessageData *msgData, const ExpatElement *element) {
    const char *text = text_of(element);
    StackItem *top = peek_item(msgData);
    if (item_is(top, item::QualifierDeclaration)) {
        auto *declaration = data_of<CIMQualifierType>(top);
        CIMValue *value = value_from_text(getQualifierTypeValueType(declaration), text);
        ReturnCode *rc = nullptr;
        if (!status_ok_quiet(setQualifierValue(declaration, value), &rc)) {
            cimPrintMessage(CIM_LOG_ERROR, L"setQualifierValue failed: %s %d", __FILE_NAME__, __LINE__);
            if (rc) reportReturnCode(rc); else REPORT_ALLOCATION_ERROR();
            freeCIMValue(value);
        }
        freeReturnCode(rc);
        return;
    }
    bool qualifierValue = item_is(top, item::QualifierType);
    if (!qualifierValue && !item_is(top, item::PropertyType)) return;
    // A qualifier's or property's marker is consumed by its first value.
    int type = top->type;
    drop_top(msgData);
    StackItem *owner = peek_item(msgData);
    if (!owner) return REPORT_DECODING_ERROR();
    if (qualifierValue) {
        bool missing = false;
        CIMQualifier *qualifier = owner_qualifier(msgData, false, &missing);
        if (missing) REPORT_DECODING_ERROR();
        if (qualifier) set_qualifier_value(qualifier, value_from_text(type, text));
        return;
    }
    if (!is_class_or_instance(owner)) return;
    CIMProperty *property = owner_current_property(owner);
    if (!property) {
        REPORT_DECODING_ERROR();
    } else if (propertyIsEmbeddedObject(property)) {
        int objectType = isObjectType(type) ? type : item_is(owner, item::Class) ? CIM_CLASS : CIM_OBJECT;
        if (CIMValue *value = embedded_object_value(msgData, objectType, text)) set_property_value(property, value);
    } else {
        set_property_from_text(property, type, text);
    }
}

void reqmsg_value_pcdata(MessageData *msgData, const ExpatElement *element) {
    const char *text = text_of(element);
    StackItem *top = peek_item(msgData);
    if (!top) return;
    if (is_parameter_item(top)) {
        if (!msgData->method) return REPORT_DECODING_ERROR();
        if (CIMProperty *parameter = current_parameter(msgData))
            set_property_value(parameter, parameter_value(msgData, parameter, propertyGetType(parameter), text));
        return;
    }
    if (!item_is(top, item::ValueArray)) return common_value_pcdata(msgData, element);
    auto *list = data_of<CIMValueList>(top);
    StackItem *owner = peek_item(msgData, 1);
    if (!owner) return;
    CIMValue *value = nullptr;
    if (is_parameter_item(owner)) {
        if (!msgData->method) return REPORT_DECODING_ERROR();
        if (CIMProperty *parameter = current_parameter(msgData)) {
            int type = propertyGetType(parameter);
            append_value(list, parameter_value(msgData, parameter, isArrayType(type) ? scalarTypeOf(type) : type, text));
        }
    } else if (schema_array_element(msgData, owner, text, false, &value)) {
        append_value(list, value);
    } else {
        common_value_pcdata(msgData, element);
    }
}

void rspmsg_value_pcdata(MessageData *msgData, const ExpatElement *element) {
    const char *text = text_of(element);
    StackItem *top = peek_item(msgData);
    if (!top) return;
    if (item_is(top, item::ReturnValue)) {
        // Several VALUEs in one RETURNVALUE give several values.
        int type = top->type;
        append_return_value(msgData, isObjectType(type) ? embedded_object_value(msgData, type, text)
                                                        : value_from_text(type, text));
        return;
    }
    if (item_is(top, item::ParamValue)) {
        // The parameter's marker is consumed by its first value.
        drop_top(msgData);
        if (CIMProperty *parameter = current_output(msgData))
            set_property_value(parameter, parameter_value(msgData, parameter, propertyGetType(parameter), text));
        return;
    }
    if (!item_is(top, item::ValueArray)) return common_value_pcdata(msgData, element);
    auto *list = data_of<CIMValueList>(top);
    StackItem *owner = peek_item(msgData, 1);
    CIMValue *value = nullptr;
    if (!owner) return;
    if (item_is(owner, item::ParamValue)) {
        if (CIMProperty *parameter = current_output(msgData)) {
            int type = propertyGetType(parameter);
            append_value(list, parameter_value(msgData, parameter, isArrayType(type) ? scalarTypeOf(type) : type, text));
        }
    } else if (item_is(owner, item::ReturnValue)) {
        append_value(list, value_from_text(CIM_STRING, text));
    } else if (schema_array_element(msgData, owner, text, true, &value)) {
        append_value(list, value);
    } else {
        common_value_pcdata(msgData, element);
    }
}

// ---- VALUE.ARRAY end ----

void common_value_array_endhandler(MessageData *msgData) {
    if (!item_is(peek_item(msgData), item::ValueArray)) return;
    CIMValueList *list = take_top_data<CIMValueList>(msgData);
    StackItem *owner = peek_item(msgData);
    if (!owner) {
        freeCIMValueList(list);
        return REPORT_DECODING_ERROR();
    }
    if (item_is(owner, item::QualifierDeclaration)) {
        auto *declaration = data_of<CIMQualifierType>(owner);
        set_qualifier_value(declaration, array_value_of(getQualifierTypeValueType(declaration), list));
        return;
    }
    if (item_is(owner, item::QualifierType)) {
        // The qualifier's marker is consumed by its value.
        int type = owner->type;
        drop_top(msgData);
        if (!peek_item(msgData)) {
            freeCIMValueList(list);
            return REPORT_DECODING_ERROR();
        }
        bool missing = false;
        CIMQualifier *qualifier = owner_qualifier(msgData, true, &missing);
        if (missing) REPORT_DECODING_ERROR();
        if (qualifier)
            set_qualifier_value(qualifier, array_value_of(type, list));
        else
            freeCIMValueList(list);
        return;
    }
    // A property's marker stays for the property's end.
    const StackItem *propertyOwner = item_is(owner, item::PropertyType) ? peek_item(msgData, 1) : nullptr;
    CIMProperty *property = owner_current_property(propertyOwner);
    if (item_is(owner, item::PropertyType) && (!propertyOwner || (is_class_or_instance(propertyOwner) && !property)))
        REPORT_DECODING_ERROR();
    set_property_array(property, list);
}

void reqmsg_value_array_endhandler(MessageData *msgData) {
    if (!item_is(peek_item(msgData), item::ValueArray)) return;
    StackItem *owner = peek_item(msgData, 1);
    if (!owner) {
        drop_top(msgData);
        return;
    }
    if (!is_parameter_item(owner)) return common_value_array_endhandler(msgData);
    CIMValueList *list = take_top_data<CIMValueList>(msgData);
    if (!msgData->method) REPORT_DECODING_ERROR();
    set_property_array(msgData->method ? current_parameter(msgData) : nullptr, list);
}

void rspmsg_value_array_endhandler(MessageData *msgData) {
    if (!item_is(peek_item(msgData), item::ValueArray)) return;
    StackItem *owner = peek_item(msgData, 1);
    if (!owner) {
        REPORT_DECODING_TEXT("rspmsg_value_array_endhandler: invalid stack object");
        drop_top(msgData);
        return;
    }
    if (item_is(owner, item::ParamValue)) {
        CIMValueList *list = take_top_data<CIMValueList>(msgData);
        set_property_array(current_output(msgData), list);
    } else if (item_is(owner, item::ReturnValue)) {
        append_return_value(msgData, array_value_of(CIM_STRING, take_top_data<CIMValueList>(msgData)));
    } else {
        common_value_array_endhandler(msgData);
    }
}

// ---- VALUE.REFERENCE end (the shared part) ----

void common_value_reference_endhandler(MessageData *msgData) {
    static const char *const invalidObject = "common_value_reference_endhandler: invalid stack object.";
    StackItem *top = peek_item(msgData);
    if (!top) return REPORT_DECODING_TEXT("common_value_reference_endhandler: stack is empty");
    if (!item_is(top, item::ValueReference)) return REPORT_DECODING_TEXT(invalidObject);
    StackItem *owner = peek_item(msgData, 1);
    if (item_is(owner, item::PropertyType)) {
        // A PROPERTY.REFERENCE's value; its marker is consumed.
        TakenItem reference = take_top(msgData);
        drop_top(msgData);
        StackItem *propertyOwner = peek_item(msgData);
        if (!propertyOwner) return REPORT_DECODING_TEXT(invalidObject);
        if (!is_class_or_instance(propertyOwner)) return;
        CIMPropertyList *properties = item_is(propertyOwner, item::Class)
                                          ? getClassProperties(data_of<CIMClass>(propertyOwner))
                                          : getInstanceProperties(data_of<CIMInstance>(propertyOwner));
        CIMProperty *property = last_property(properties);
        if (!properties) {
            REPORT_DECODING_TEXT(invalidObject);
        } else if (!property) {
            REPORT_DECODING_TEXT("common_value_reference_endhandler: getCurrentCIMProperty failed.");
        } else {
            CIMValue *value = reference_value(take_data<CIMObjectPath>(reference.get()));
            if (!value) return;
            // Keep the class the declaration named for the reference.
            CIMString *referenceClass = getCIMValueReferenceType(propertyGetValue(property));
            if (referenceClass) setCIMValueReferenceType(value, copyCIMString(referenceClass));
            set_property_value(property, value);
        }
        return;
    }
    if (!owner) {
        drop_top(msgData);
        REPORT_DECODING_TEXT(invalidObject);
        return;
    }
    // Whatever holds it, the reference item is done with.
    TakenItem reference = take_top(msgData);
    if (!item_is(owner, item::ValueRefArray)) return;
    const StackItem *parameterItem = peek_item(msgData, 1);
    if (!parameterItem) {
        REPORT_DECODING_TEXT("common_value_reference_endhandler: Invalid stack object.");
    } else if (item_is(parameterItem, item::ParamType)) {
        if (!msgData->method || !getMethodParameters(msgData->method)) {
            REPORT_DECODING_TEXT("common_value_reference_endhandler: Invalid method.");
        } else if (!current_parameter(msgData)) {
            REPORT_DECODING_TEXT("common_value_reference_endhandler: getCurrentCIMProperty failed.");
        } else {
            CIMValue *value = reference_value(take_data<CIMObjectPath>(reference.get()));
            if (!value) return;
            append_value(data_of<CIMValueList>(owner), value);
        }
    }
}

// ---- VALUE.REFARRAY end ----

void common_value_refarray_endhandler(MessageData *msgData) {
    static const char *const invalidObject = "common_value_refarray_endhandler: invalid stack object";
    StackItem *top = peek_item(msgData);
    if (!top) return REPORT_DECODING_TEXT("common_value_refarray_endhandler: stack is empty");
    if (!item_is(top, item::ValueRefArray)) {
        REPORT_DECODING_TEXT("common_value_refarray_endhandler: stack item is not VALUE.REFARRAY");
        return;
    }
    StackItem *owner = peek_item(msgData, 1);
    if (!owner) return REPORT_DECODING_TEXT("common_value_refarray_endhandler: stack item is NULL");
    if (item_is(owner, item::ParamType)) {
        if (!msgData->method) {
            drop_top(msgData);
            REPORT_DECODING_TEXT("common_value_refarray_endhandler: invalid method object");
            return;
        }
        CIMValueList *list = take_top_data<CIMValueList>(msgData);
        CIMProperty *parameter = current_parameter(msgData);
        if (!parameter) {
            freeCIMValueList(list);
            return;
        }
        int type = propertyGetType(parameter);
        CIMValue *value = newCIMValue(isArrayType(type) ? type : CIM_REFERENCE + CIM_ARRAY, list);
        if (!value) {
            freeCIMValueList(list);
            REPORT_ALLOCATION_ERROR();
            return;
        }
        set_property_value(parameter, value);
        return;
    }
    if (item_is(owner, item::ParameterRefArray)) {
        const StackItem *method = peek_item(msgData, 2);
        CIMProperty *parameter = item_is(method, item::Method) ? class_method_parameter(peek_item(msgData, 3)) : nullptr;
        if (!parameter) return REPORT_DECODING_TEXT(invalidObject);
        set_property_array(parameter, take_top_data<CIMValueList>(msgData));
    }
    // A reference array in an IPARAMVALUE stays until the parameter's end clears it.
}

void rspmsg_value_refarray_endhandler(MessageData *msgData) {
    if (!peek_item(msgData)) return;
    StackItem *owner = item_is(peek_item(msgData), item::ValueRefArray) ? peek_item(msgData, 1) : nullptr;
    if (!item_is(owner, item::ParamValue) && !item_is(owner, item::ReturnValue)) {
        common_value_refarray_endhandler(msgData);
        return;
    }
    bool returned = item_is(owner, item::ReturnValue);
    CIMValue *value = array_value_of(CIM_REFERENCE, take_top_data<CIMValueList>(msgData));
    if (returned)
        append_return_value(msgData, value);
    else
        set_property_value(current_output(msgData), value);
}
