// handler_support.cpp - helpers shared by the element handlers.
#include "common_handlers/handler_support.h"

#include <cstring>
#include <cwchar>

#include "cimxml_common/error_reporting.h"
#include "cimxml_common/cim_types.h"
#include "cimxml_common/memory.h"
#include "cimxml_common/profile.h"
#include "common_handlers/attributes.h"

void destroy_string(void *data) { freeCIMString(static_cast<CIMString *>(data)); }
void destroy_objectpath(void *data) { freeCIMObjectPath(static_cast<CIMObjectPath *>(data)); }
void destroy_valuelist(void *data) { freeCIMValueList(static_cast<CIMValueList *>(data)); }
void destroy_class(void *data) { freeCIMClass(static_cast<CIMClass *>(data)); }
void destroy_instance(void *data) { freeCIMInstance(static_cast<CIMInstance *>(data)); }
void destroy_qualifiertype(void *data) { freeQualifierType(static_cast<CIMQualifierType *>(data)); }

int push_new_item(Stack *stack, ItemKind kind, StackItemDestructor destructor, void *data, int type) {
    StackItem *entry = newStackItem(stack, kind, destructor, data, type);
    if (!entry) {
        if (data && destructor) destructor(data);
        REPORT_ALLOCATION_ERROR();
        return 0;
    }
    if (!stack_push(stack, entry)) {
        freeStackItem(entry);
        REPORT_ALLOCATION_ERROR();
        return 0;
    }
    return 1;
}

void clear_object_stack(MessageData *msgData) {
    while (StackItem *entry = stack_pop(&msgData->objectStack)) freeStackItem(entry);
}

int status_ok(ReturnCode *rc, const char *file, int line) {
    if (!rc) {
        reportDecodingError(CIMXML_ALLOCATION_ERROR_TEXT, file, line);
        return 0;
    }
    int ok = rc->rc == 0;
    if (!ok) reportReturnCode(rc);
    freeReturnCode(rc);
    return ok;
}

void set_qualifier_value(CIMQualifier *qualifier, CIMValue *value) {
    if (!qualifier || !value) {
        freeCIMValue(value);
        return;
    }
    if (!STATUS_OK(setQualifierValue(qualifier, value))) freeCIMValue(value);
}

void set_property_value(CIMProperty *property, CIMValue *value) {
    if (!property || !value) {
        freeCIMValue(value);
        return;
    }
    int declared = property->type;
    if (!STATUS_OK(propertyAddValue(property, value))) {
        freeCIMValue(value);
        return;
    }
    // The value takes the property's type; strict keeps an embedded
    // object's declared kind (EmbeddedObject="object" holding an instance).
    if (strict_profile() && isObjectType(declared) && isObjectType(value->type) &&
        isArrayType(declared) == isArrayType(value->type))
        property->type = declared;
}

void append_value(CIMValueList *list, CIMValue *value) {
    if (!value) return;
    if (!STATUS_OK(appendToCIMValueList(list, value))) freeCIMValue(value);
}

void append_return_value(MessageData *msgData, CIMValue *value) {
    if (!msgData->returnValues) {
        freeCIMValue(value);
        return;
    }
    append_value(msgData->returnValues, value);
}

CIMValue *reference_value(CIMObjectPath *path) {
    CIMValue *value = newCIMValue(CIM_REFERENCE, path);
    if (!value) {
        freeCIMObjectPath(path);
        REPORT_ALLOCATION_ERROR();
    }
    return value;
}

CIMValue *array_value_of(int type, CIMValueList *list) {
    CIMValue *value = newCIMValue(isArrayType(type) ? type : arrayTypeOf(type), list);
    if (!value) {
        freeCIMValueList(list);
        REPORT_ALLOCATION_ERROR();
    }
    return value;
}

int status_ok_quiet(ReturnCode *rc, ReturnCode **keep) {
    int ok = rc && rc->rc == 0;
    if (keep)
        *keep = rc;
    else
        freeReturnCode(rc);
    return ok;
}

CIMProperty *last_property(const CIMPropertyList *list) {
    return list ? getCurrentCIMProperty(getLastCIMProperty(list)) : nullptr;
}

CIMQualifier *last_qualifier(const CIMQualifierList *list) {
    return list ? getCurrentCIMQualifier(getLastCIMQualifier(list)) : nullptr;
}

CIMMethod *last_method(const CIMMethodList *list) {
    return list ? getCurrentCIMMethod(getLastCIMMethod(list)) : nullptr;
}

CIMProperty *current_parameter(const MessageData *msgData) {
    if (!msgData) return nullptr;
    // A request's parameters belong to its method; a response's are its outputs.
    if (!msgData->method) return last_property(msgData->outParameters);
    return last_property(getMethodParameters(msgData->method));
}

namespace {

// The list an owner has, or a new one made and attached to it; NULL when it
// cannot be made.
template <class List, class Attach>
List *ensure_list(List *existing, List *(*make)(), void (*release)(List *), Attach attach) {
    if (existing) return existing;
    List *list = make();
    if (list && !attach(list)) {
        release(list);
        return nullptr;
    }
    return list;
}

}  // namespace

CIMPropertyList *class_properties(CIMClass *cls) {
    return cls ? ensure_list(getClassProperties(cls), newCIMPropertyList, freeCIMPropertyList,
                             [cls](CIMPropertyList *list) { return setClassProperties(cls, list); })
               : nullptr;
}

CIMPropertyList *instance_properties(CIMInstance *instance) {
    return instance ? ensure_list(getInstanceProperties(instance), newCIMPropertyList, freeCIMPropertyList,
                                  [instance](CIMPropertyList *list) { return setInstanceProperties(instance, list); })
                    : nullptr;
}

CIMQualifierList *class_qualifiers(CIMClass *cls) {
    return cls ? ensure_list(getClassQualifiers(cls), newCIMQualifierList, freeCIMQualifierList,
                             [cls](CIMQualifierList *list) { return setClassQualifiers(cls, list); })
               : nullptr;
}

CIMMethodList *class_methods(CIMClass *cls) {
    return cls ? ensure_list(getClassMethods(cls), newCIMMethodList, freeCIMMethodList,
                             [cls](CIMMethodList *list) { return setClassMethods(cls, list); })
               : nullptr;
}

CIMQualifierList *method_qualifiers(CIMMethod *method) {
    return method ? ensure_list(getMethodQualifiers(method), newCIMQualifierList, freeCIMQualifierList,
                                [method](CIMQualifierList *list) { return setMethodQualifiers(method, list); })
                  : nullptr;
}

CIMPropertyList *method_parameters(CIMMethod *method) {
    return method ? ensure_list(getMethodParameters(method), newCIMPropertyList, freeCIMPropertyList,
                                [method](CIMPropertyList *list) { return setMethodParameters(method, list); })
                  : nullptr;
}

CIMPropertyList *path_keys(CIMObjectPath *path) {
    return path ? ensure_list(getObjectPathKeys(path), newCIMPropertyList, freeCIMPropertyList,
                              [path](CIMPropertyList *list) { return setObjectPathKeys(path, list); })
                : nullptr;
}

namespace {

// The strict profile's char16: the one character of the text, which must
// be a character of the basic multilingual plane, goes into value. Anything
// else is reported and leaves the value null.
void store_char16(CIMValue *value, const char *text) {
    wchar_t *wide = text ? createWideFromChar(text) : nullptr;
    bool one = wide && wide[0] != L'\0' && wide[1] == L'\0';
    auto code = one ? static_cast<unsigned long>(wide[0]) : 0UL;
    cimxml_free(wide, CIMXML_ATOMIC);
    if (!one || code > 0xFFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        REPORT_DECODING_TEXT("A char16 value is not one character of the basic multilingual plane.");
        return;
    }
    value->data.char16 = static_cast<uint16_t>(code);
    value->isNull = 0;
}

// Fills value, a null value of its type, from the text; false when memory
// is exhausted.
bool store_text(CIMValue *value, const char *text) {
    // A value element without character data is the empty text; for a
    // string that is the empty string.
    if (value->type == CIM_STRING && !text) text = "";
    if (value->type == CIM_CHAR16 && strict_profile()) {
        store_char16(value, text);
        return true;
    }
    return storeValueFromText(value, text);
}

}  // namespace

CIMValue *value_from_text(int type, const char *text) {
    CIMValue *value = newCIMValueNULL(type);
    if (value && !store_text(value, text)) {
        freeCIMValue(value);
        return nullptr;
    }
    return value;
}

void set_property_from_text(CIMProperty *property, int type, const char *text) {
    CIMValue *current = propertyGetValue(property);
    if (!current || !current->isNull || current->referenceClass) {
        set_property_value(property, value_from_text(type, text));
        return;
    }
    // The null value the property holds takes the text in place, as a new
    // value of the type would.
    current->type = type;
    property->type = type;
    if (!store_text(current, text)) REPORT_ALLOCATION_ERROR();
}

void mark_instance_name(CIMObjectPath *path) {
    if (strict_profile() && !path_keys(path)) REPORT_ALLOCATION_ERROR();
}

CIMObjectPath *new_placeholder_path() {
    CIMString *name = createCIMStringFromChar("Container");
    if (!name) return nullptr;
    CIMObjectPath *path = newObjectPathWithName(name);
    if (!path) freeCIMString(name);
    return path;
}

bool has_placeholder_name(const CIMObjectPath *path) {
    const wchar_t *name = getCIMStringBuffer(getObjectPathName(path));
    return name && std::wcscmp(name, L"Container") == 0;
}

void set_name_if_placeholder(CIMObjectPath *path, CIMString *name) {
    if (path && name && has_placeholder_name(path) && setObjectPathName(path, name)) return;
    freeCIMString(name);
}

CIMString *append_namespace(CIMString *nameSpace, const CIMString *name) {
    if (!nameSpace) return copyCIMString(name);
    CIMString *separator = createCIMStringFromChar("/");
    if (separator) {
        cimStringCat(nameSpace, separator);
        freeCIMString(separator);
    }
    if (name) cimStringCat(nameSpace, name);
    return nameSpace;
}

bool attribute_is_true(const ExpatElement *element, const char *name) {
    const char *value = attribute_value(element, name);
    return value && local_strcasecmp(value, "true") == 0;
}

StackItem *pop_finished_item(Stack *stack, ItemKind kind) {
    return item_is(stack_peek(stack), kind) ? stack_pop(stack) : nullptr;
}

namespace {

void report_missing(const char *text) {
    if (text) {
        REPORT_DECODING_TEXT(text);
    } else {
        REPORT_DECODING_ERROR();
    }
}

}  // namespace

bool read_name_and_type(const ExpatElement *element, CIMString **name, int *type, const char *missingName,
                        const char *missingType) {
    *type = CIM_STRING;
    *name = attribute_string(element, "NAME");
    if (!*name) {
        report_missing(missingName);
        return false;
    }
    const char *typeText = attribute_value(element, "TYPE");
    if (!typeText) {
        freeCIMString(*name);
        *name = nullptr;
        report_missing(missingType);
        return false;
    }
    *type = typeFromText(typeText);
    return true;
}
