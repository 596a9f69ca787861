// response_path_handlers.cpp - OBJECTPATH, NAMESPACE, CLASSNAME,
// INSTANCENAME, KEYBINDING, KEYVALUE, HOST and the end of VALUE.REFERENCE in
// responses.
#include "cimop_response/response_path_handlers.h"

#include <cwchar>

#include "cimxml_common/error_reporting.h"
#include "cimxml_common/cim_types.h"
#include "common_handlers/attributes.h"
#include "common_handlers/value_handlers.h"

namespace {

// Pops the top item; NULL when the stack is empty or the item stands for
// nothing (it is freed then).
StackItem *pop_described(Stack *stack) {
    StackItem *top = stack_pop(stack);
    if (top && !item_has_kind(top)) {
        freeStackItem(top);
        return nullptr;
    }
    return top;
}

// Items whose path the NAMESPACE, CLASSNAME and HOST elements fill.
bool is_reference_item(const StackItem *entry) {
    return item_is(entry, item::ValueReference) || item_is(entry, item::ObjectPath);
}

// Items whose path the key elements fill.
bool is_path_item(const StackItem *entry) { return is_reference_item(entry) || item_is(entry, item::InstanceName); }

CIMObjectPath *path_of(const StackItem *entry) { return static_cast<CIMObjectPath *>(entry->data); }

// Appends a return value; without the list the value is dropped.
void append_return_value(MessageData *msgData, CIMValue *value) {
    if (!msgData->returnValues) {
        freeCIMValue(value);
        return;
    }
    append_value(msgData->returnValues, value);
}

// A reference value holding path, which it takes; NULL after reporting
// (the path freed) when memory is short.
CIMValue *reference_value(CIMObjectPath *path) {
    CIMValue *value = newCIMValue(CIM_REFERENCE, path);
    if (!value) {
        freeCIMObjectPath(path);
        REPORT_ALLOCATION_ERROR();
    }
    return value;
}

// Sets value on the last key of path; without a key the value is dropped.
void set_last_key(CIMObjectPath *path, CIMValue *value) {
    CIMProperty *key = last_property(getObjectPathKeys(path));
    if (!key) {
        freeCIMValue(value);
        return;
    }
    set_property_value(key, value);
}

}  // namespace

void rspmsg_objectpath_element(MessageData *msgData, const ExpatElement *) {
    CIMObjectPath *path = new_placeholder_path();
    if (!path) {
        REPORT_DECODING_ERROR();
        return;
    }
    push_new_item(&msgData->objectStack, item::ObjectPath, destroy_objectpath, path);
}

void rspmsg_objectpath_endhandler(MessageData *msgData) {
    Stack *stack = &msgData->objectStack;
    StackItem *top = pop_described(stack);
    if (!top) return;
    if (!item_is(top, item::ObjectPath)) {
        push_back(stack, top);
        return;
    }
    auto *path = static_cast<CIMObjectPath *>(take_data(top));
    freeStackItem(top);
    StackItem *owner = stack_pop(stack);
    if (item_is(owner, item::ReturnValue) && path)
        append_return_value(msgData, reference_value(path));
    else
        freeCIMObjectPath(path);
    push_back(stack, owner);
}

void rspmsg_namespace_element(MessageData *msgData, const ExpatElement *element) {
    Stack *stack = &msgData->objectStack;
    StackItem *top = pop_described(stack);
    if (!top) return;
    if (is_reference_item(top)) {
        CIMObjectPath *path = path_of(top);
        CIMString *name = attribute_string(element, "NAME");
        if (!path || !name) {
            freeCIMString(name);
            freeStackItem(top);
            REPORT_DECODING_ERROR();
            return;
        }
        CIMString *nameSpace = getObjectPathNameSpace(path);
        if (isEmptyCIMString(nameSpace)) {
            if (setObjectPathNameSpace(path, name)) name = nullptr;
        } else if (std::wcscmp(getCIMStringBuffer(nameSpace), L"root") == 0) {
            append_namespace(nameSpace, name);
        }
        freeCIMString(name);
    }
    push_back(stack, top);
}

void rspmsg_classname_element(MessageData *msgData, const ExpatElement *element) {
    Stack *stack = &msgData->objectStack;
    StackItem *top = pop_described(stack);
    if (!top) return;
    if (is_reference_item(top)) {
        if (!path_of(top)) {
            freeStackItem(top);
            REPORT_DECODING_ERROR();
            return;
        }
        set_name_if_placeholder(path_of(top), attribute_string(element, "NAME"));
    } else if (item_is(top, item::ReturnValue)) {
        CIMString *name = attribute_string(element, "NAME");
        if (!name) {
            REPORT_DECODING_ERROR();
        } else {
            CIMValue *value = newCIMValue(CIM_STRING, name);
            if (!value) {
                freeCIMString(name);
                REPORT_ALLOCATION_ERROR();
            }
            append_return_value(msgData, value);
        }
    }
    push_back(stack, top);
}

void rspmsg_instancename_element(MessageData *msgData, const ExpatElement *element) {
    Stack *stack = &msgData->objectStack;
    StackItem *top = pop_described(stack);
    if (!top) return;
    CIMString *className = attribute_string(element, "CLASSNAME");
    if (is_reference_item(top)) {
        if (!path_of(top)) {
            freeCIMString(className);
            freeStackItem(top);
            REPORT_DECODING_ERROR();
            return;
        }
        set_name_if_placeholder(path_of(top), className);
        push_back(stack, top);
        return;
    }
    push_back(stack, top);
    if (!item_is(top, item::ReturnValue)) {
        freeCIMString(className);
        return;
    }
    if (!className) {
        REPORT_DECODING_ERROR();
        return;
    }
    CIMObjectPath *path = newObjectPathWithName(className);
    if (!path) {
        freeCIMString(className);
        REPORT_ALLOCATION_ERROR();
        return;
    }
    push_new_item(stack, item::InstanceName, destroy_objectpath, path);
}

void rspmsg_instancename_endhandler(MessageData *msgData) {
    Stack *stack = &msgData->objectStack;
    StackItem *top = pop_described(stack);
    if (!top) return;
    if (!item_is(top, item::InstanceName)) {
        push_back(stack, top);
        return;
    }
    auto *path = static_cast<CIMObjectPath *>(take_data(top));
    freeStackItem(top);
    if (path) append_return_value(msgData, reference_value(path));
}

void rspmsg_keybinding_element(MessageData *msgData, const ExpatElement *element) {
    Stack *stack = &msgData->objectStack;
    StackItem *top = pop_described(stack);
    if (!top) return;
    if (!is_path_item(top)) {
        push_back(stack, top);
        return;
    }
    CIMPropertyList *keys = path_keys(path_of(top));
    if (!keys) {
        push_back(stack, top);
        REPORT_ALLOCATION_ERROR();
        return;
    }
    CIMString *name = attribute_string(element, "NAME");
    CIMValue *empty = newCIMValueEmpty();
    CIMProperty *key = empty ? newPropertyKey(name, nullptr, empty) : nullptr;
    if (!key) {
        freeCIMValue(empty);
        freeCIMString(name);
        REPORT_ALLOCATION_ERROR();
    } else if (!STATUS_OK(appendToCIMPropertyList(keys, key))) {
        freeCIMProperty(key);
    }
    push_back(stack, top);
}

void rspmsg_keyvalue_pcdata(MessageData *msgData, const ExpatElement *element) {
    Stack *stack = &msgData->objectStack;
    StackItem *top = pop_described(stack);
    if (!top) return;
    if (!is_path_item(top)) {
        push_back(stack, top);
        return;
    }
    if (!path_of(top) || !getObjectPathKeys(path_of(top))) {
        freeStackItem(top);
        REPORT_DECODING_ERROR();
        return;
    }
    // TYPE says exactly which type a key has; VALUETYPE only its family.
    const char *typeText = attribute_value(element, "TYPE");
    if (!typeText) typeText = attribute_value(element, "VALUETYPE");
    int type = typeText ? typeFromText(typeText) : CIM_STRING;
    if (CIMProperty *key = last_property(getObjectPathKeys(path_of(top))))
        set_property_from_text(key, type, element ? element->text : nullptr);
    push_back(stack, top);
}

void rspmsg_host_pcdata(MessageData *msgData, const ExpatElement *element) {
    Stack *stack = &msgData->objectStack;
    StackItem *top = pop_described(stack);
    if (!top) return;
    if (is_reference_item(top) && path_of(top)) {
        CIMString *host = createCIMStringFromChar(element ? element->text : nullptr);
        if (host && !setObjectPathHost(path_of(top), host)) freeCIMString(host);
    }
    push_back(stack, top);
}

void rspmsg_value_reference_endhandler(MessageData *msgData) {
    Stack *stack = &msgData->objectStack;
    StackItem *top = pop_described(stack);
    if (!top) return;
    if (!item_is(top, item::ValueReference)) {
        push_back(stack, top);
        return;
    }
    StackItem *owner = stack_pop(stack);
    bool keyOwner = is_path_item(owner) && path_of(owner);
    if (!item_is(owner, item::ReturnValue) && !item_is(owner, item::ParamValue) &&
        !item_is(owner, item::ValueRefArray) && !keyOwner) {
        push_back(stack, owner);
        push_back(stack, top);
        common_value_reference_endhandler(msgData);
        return;
    }
    auto *path = static_cast<CIMObjectPath *>(take_data(top));
    freeStackItem(top);
    CIMValue *value = path ? reference_value(path) : nullptr;
    if (item_is(owner, item::ReturnValue))
        append_return_value(msgData, value);
    else if (item_is(owner, item::ParamValue))
        set_property_value(last_property(msgData->outParameters), value);
    else if (item_is(owner, item::ValueRefArray))
        append_value(static_cast<CIMValueList *>(owner->data), value);
    else
        set_last_key(path_of(owner), value);
    push_back(stack, owner);
}
