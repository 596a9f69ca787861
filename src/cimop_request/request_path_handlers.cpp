// request_path_handlers.cpp - NAMESPACE, CLASSNAME, INSTANCENAME, KEYBINDING,
// KEYVALUE, HOST and the end of VALUE.REFERENCE in requests.
#include "cimop_request/request_path_handlers.h"

#include "cimxml_common/error_reporting.h"
#include "cimxml_common/cim_types.h"
#include "common_handlers/attributes.h"
#include "common_handlers/value_handlers.h"

namespace {

// Items whose path the key elements fill.
bool is_path_item(const StackItem *entry) {
    return item_is(entry, item::ValueReference) || item_is(entry, item::ObjectPath) ||
           item_is(entry, item::InstanceName);
}

// The last key of a path, lent; NULL when it has no key.
CIMProperty *last_key(const CIMObjectPath *path) {
    return last_property(getObjectPathKeys(path));
}

// Sets value on a key; on failure the value is freed and the caller told.
bool set_key_value(CIMProperty *key, CIMValue *value, ReturnCode **failure) {
    *failure = nullptr;
    if (!key || !value) {
        freeCIMValue(value);
        return true;
    }
    ReturnCode *rc = propertyAddValue(key, value);
    if (rc && rc->rc == 0) {
        freeReturnCode(rc);
        return true;
    }
    freeCIMValue(value);
    *failure = rc;
    return false;
}

// Reports a failed status record (or exhausted memory when there is none) and frees it.
void report_failure(ReturnCode *rc) {
    if (rc)
        reportReturnCode(rc);
    else
        REPORT_ALLOCATION_ERROR();
    freeReturnCode(rc);
}

}  // namespace

void reqmsg_namespace_element(MessageData *msgData, const ExpatElement *element) {
    CIMString *name = attribute_string(element, "NAME");
    if (!name) {
        REPORT_DECODING_ERROR();
        return;
    }
    Stack *stack = &msgData->objectStack;
    if (!stack_isEmpty(stack)) {
        StackItem *top = stack_pop(stack);
        if (item_is(top, item::ValueReference)) {
            auto *path = static_cast<CIMObjectPath *>(top->data);
            if (!path) {
                freeStackItem(top);
                freeCIMString(name);
                return;
            }
            CIMString *nameSpace = getObjectPathNameSpace(path);
            if (isEmptyCIMString(nameSpace)) {
                if (setObjectPathNameSpace(path, name)) name = nullptr;
            } else {
                append_namespace(nameSpace, name);
            }
        }
        push_back(stack, top);
        freeCIMString(name);
        return;
    }
    if (msgData->objectPath) {
        CIMString *nameSpace = getObjectPathNameSpace(msgData->objectPath);
        if (!nameSpace) {
            if (setObjectPathNameSpace(msgData->objectPath, name)) name = nullptr;
        } else {
            append_namespace(nameSpace, name);
        }
        freeCIMString(name);
        return;
    }
    CIMObjectPath *path = new_placeholder_path();
    if (!path || !setObjectPathNameSpace(path, name)) {
        freeCIMObjectPath(path);
        freeCIMString(name);
        REPORT_DECODING_ERROR();
        return;
    }
    msgData->objectPath = path;
}

void reqmsg_classname_element(MessageData *msgData, const ExpatElement *element) {
    CIMString *name = attribute_string(element, "NAME");
    Stack *stack = &msgData->objectStack;
    if (stack_isEmpty(stack)) {
        if (!msgData->objectPath || !name) {
            freeCIMString(name);
            REPORT_DECODING_ERROR();
            return;
        }
        set_name_if_placeholder(msgData->objectPath, name);
        return;
    }
    StackItem *top = stack_pop(stack);
    if (!item_has_kind(top)) {
        freeStackItem(top);
        freeCIMString(name);
        REPORT_DECODING_ERROR();
        return;
    }
    if (item_is(top, item::ValueReference)) {
        auto *path = static_cast<CIMObjectPath *>(top->data);
        if (!path) {
            freeStackItem(top);
            freeCIMString(name);
            REPORT_DECODING_ERROR();
            return;
        }
        set_name_if_placeholder(path, name);
        push_back(stack, top);
        return;
    }
    if (item_is(top, item::ParamValue)) {
        // The class name is the parameter's value; the marker is consumed.
        freeStackItem(top);
        if (!msgData->method) {
            freeCIMString(name);
            REPORT_DECODING_ERROR();
            return;
        }
        CIMProperty *parameter = current_parameter(msgData);
        if (!parameter || !name) {
            freeCIMString(name);
            if (!name) REPORT_DECODING_ERROR();
            return;
        }
        CIMValue *value = newCIMValue(CIM_STRING, name);
        if (!value) {
            freeCIMString(name);
            REPORT_ALLOCATION_ERROR();
            return;
        }
        set_property_value(parameter, value);
        return;
    }
    push_back(stack, top);
    freeCIMString(name);
}

void reqmsg_instancename_element(MessageData *msgData, const ExpatElement *element) {
    Stack *stack = &msgData->objectStack;
    StackItem *top = stack_pop(stack);
    if (!top) {
        CIMString *className = attribute_string(element, "CLASSNAME");
        if (!msgData->objectPath || !className) {
            freeCIMString(className);
            REPORT_DECODING_ERROR();
            return;
        }
        set_name_if_placeholder(msgData->objectPath, className);
        mark_instance_name(msgData->objectPath);
        return;
    }
    if (!item_has_kind(top)) {
        cimPrintMessage(CIM_LOG_ERROR, L"reqmsg_instancename_element - failed.");
        freeStackItem(top);
        return;
    }
    if (item_is(top, item::ParamValue)) {
        push_back(stack, top);
        CIMString *className = attribute_string(element, "CLASSNAME");
        CIMObjectPath *path = newObjectPathWithName(className);
        if (!path) {
            freeCIMString(className);
            REPORT_ALLOCATION_ERROR();
            return;
        }
        mark_instance_name(path);
        push_new_item(stack, item::InstanceName, destroy_objectpath, path);
        return;
    }
    if (item_is(top, item::ValueReference) || item_is(top, item::ObjectPath)) {
        auto *path = static_cast<CIMObjectPath *>(top->data);
        if (!path) {
            freeStackItem(top);
            REPORT_DECODING_ERROR();
            return;
        }
        set_name_if_placeholder(path, attribute_string(element, "CLASSNAME"));
        mark_instance_name(path);
        push_back(stack, top);
        return;
    }
    push_back(stack, top);
}

void reqmsg_instancename_endhandler(MessageData *msgData) {
    Stack *stack = &msgData->objectStack;
    StackItem *top = stack_pop(stack);
    if (!top) return;
    if (!item_has_kind(top)) {
        cimPrintMessage(CIM_LOG_ERROR, L"reqmsg_instancename_endhandler failed - stack item description is null!");
        freeStackItem(top);
        return;
    }
    if (!item_is(top, item::InstanceName)) {
        push_back(stack, top);
        return;
    }
    CIMObjectPath *copy = static_cast<CIMObjectPath *>(take_data(top));
    freeStackItem(top);
    CIMProperty *parameter = current_parameter(msgData);
    if (!parameter) {
        freeCIMObjectPath(copy);
        REPORT_DECODING_ERROR();
        return;
    }
    CIMValue *value = newCIMValue(CIM_REFERENCE, copy);
    if (!value) {
        freeCIMObjectPath(copy);
        REPORT_ALLOCATION_ERROR();
        return;
    }
    ReturnCode *failure = nullptr;
    if (!set_key_value(parameter, value, &failure)) {
        cimPrintMessage(CIM_LOG_TRACE, L"reqmsg_instancename_endhandler - propertyAddValue failed!");
        report_failure(failure);
    }
}

void reqmsg_keybinding_element(MessageData *msgData, const ExpatElement *element) {
    Stack *stack = &msgData->objectStack;
    StackItem *top = stack_pop(stack);
    CIMObjectPath *path = nullptr;
    if (!top) {
        path = msgData->objectPath;
        if (!path) {
            REPORT_DECODING_ERROR();
            return;
        }
    } else if (!item_has_kind(top)) {
        cimPrintMessage(CIM_LOG_ERROR, L"reqmsg_keybinding_element failed.");
        freeStackItem(top);
        return;
    } else if (is_path_item(top)) {
        path = static_cast<CIMObjectPath *>(top->data);
        if (!path) {
            freeStackItem(top);
            REPORT_DECODING_ERROR();
            return;
        }
    } else {
        push_back(stack, top);
        return;
    }

    CIMPropertyList *keys = path_keys(path);
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
        push_back(stack, top);
        REPORT_ALLOCATION_ERROR();
        return;
    }
    ReturnCode *rc = appendToCIMPropertyList(keys, key);
    if (!rc || rc->rc != 0) {
        freeCIMProperty(key);
        if (top) cimPrintMessage(CIM_LOG_TRACE, L"reqmsg_keybinding_element-appendToCIMPropertyList failed");
        report_failure(rc);
    } else {
        freeReturnCode(rc);
    }
    push_back(stack, top);
}

void reqmsg_keyvalue_pcdata(MessageData *msgData, const ExpatElement *element) {
    const char *typeText = attribute_value(element, "TYPE");
    if (!typeText) typeText = attribute_value(element, "VALUETYPE");
    int type = typeText ? typeFromText(typeText) : CIM_STRING;
    const char *text = element ? element->text : nullptr;

    Stack *stack = &msgData->objectStack;
    StackItem *top = stack_pop(stack);
    ReturnCode *failure = nullptr;
    if (!top) {
        CIMObjectPath *path = msgData->objectPath;
        if (!path || !getObjectPathKeys(path)) {
            REPORT_DECODING_ERROR();
            return;
        }
        CIMProperty *key = last_key(path);
        if (key && !set_key_value(key, value_from_text(type, text), &failure)) report_failure(failure);
        return;
    }
    if (!item_has_kind(top)) {
        cimPrintMessage(CIM_LOG_ERROR, L"reqmsg_keyvalue_pcdata failed!");
        freeStackItem(top);
        return;
    }
    if (!is_path_item(top)) {
        push_back(stack, top);
        return;
    }
    auto *path = static_cast<CIMObjectPath *>(top->data);
    if (!path || !getObjectPathKeys(path)) {
        cimPrintMessage(CIM_LOG_TRACE, L"reqmsg_keyvalue_pcdata - op or op->mkeys is NULL!");
        freeStackItem(top);
        return;
    }
    CIMProperty *key = last_key(path);
    if (key && !set_key_value(key, value_from_text(type, text), &failure)) {
        cimPrintMessage(CIM_LOG_TRACE, L"reqmsg_keyvalue_pcdata - propertyAddValue failed!");
        report_failure(failure);
    }
    push_back(stack, top);
}

void reqmsg_host_pcdata(MessageData *msgData, const ExpatElement *element) {
    Stack *stack = &msgData->objectStack;
    StackItem *top = stack_pop(stack);
    if (!top) return;
    if (item_is(top, item::ValueReference) && top->data) {
        CIMString *host = createCIMStringFromChar(element ? element->text : nullptr);
        if (host && !setObjectPathHost(static_cast<CIMObjectPath *>(top->data), host)) freeCIMString(host);
    }
    push_back(stack, top);
}

void reqmsg_value_reference_endhandler(MessageData *msgData) {
    Stack *stack = &msgData->objectStack;
    if (stack_isEmpty(stack)) return;
    StackItem *top = stack_pop(stack);
    if (!item_has_kind(top)) {
        freeStackItem(top);
        return;
    }
    CIMObjectPath *reference = item_is(top, item::ValueReference)
                                   ? copyObjectPath(static_cast<CIMObjectPath *>(top->data))
                                   : nullptr;
    ReturnCode *failure = nullptr;

    if (stack_isEmpty(stack)) {
        // A reference key of the target path.
        CIMObjectPath *target = msgData->objectPath;
        if (!target || !getObjectPathKeys(target)) {
            freeStackItem(top);
            freeCIMObjectPath(reference);
            REPORT_DECODING_ERROR();
            return;
        }
        CIMProperty *key = last_key(target);
        CIMValue *value = key ? newCIMValue(CIM_REFERENCE, reference) : nullptr;
        if (!value) freeCIMObjectPath(reference);
        if (value && !set_key_value(key, value, &failure)) report_failure(failure);
        freeStackItem(top);
        return;
    }

    StackItem *owner = stack_pop(stack);
    if (!item_has_kind(owner)) {
        freeStackItem(top);
        freeStackItem(owner);
        freeCIMObjectPath(reference);
        return;
    }

    if (item_is(owner, item::ParamType) || item_is(owner, item::ParamValue)) {
        // The reference is the parameter's value; its marker is consumed.
        freeStackItem(top);
        freeStackItem(owner);
        CIMProperty *parameter = current_parameter(msgData);
        if (!parameter) {
            freeCIMObjectPath(reference);
            REPORT_DECODING_ERROR();
            return;
        }
        CIMValue *value = newCIMValue(CIM_REFERENCE, reference);
        if (!value) {
            freeCIMObjectPath(reference);
            REPORT_ALLOCATION_ERROR();
            return;
        }
        if (!set_key_value(parameter, value, &failure)) report_failure(failure);
        return;
    }

    if (item_is(owner, item::InstanceName) || item_is(owner, item::ObjectPath)) {
        // A reference key of the path being built.
        auto *path = static_cast<CIMObjectPath *>(owner->data);
        if (!path || !getObjectPathKeys(path)) {
            freeStackItem(top);
            freeCIMObjectPath(reference);
            push_back(stack, owner);
            REPORT_DECODING_ERROR();
            return;
        }
        CIMProperty *key = last_key(path);
        CIMValue *value = key ? newCIMValue(CIM_REFERENCE, reference) : nullptr;
        if (!value) freeCIMObjectPath(reference);
        if (value && !set_key_value(key, value, &failure)) report_failure(failure);
        freeStackItem(top);
        push_back(stack, owner);
        return;
    }

    freeCIMObjectPath(reference);
    push_back(stack, owner);
    push_back(stack, top);
    common_value_reference_endhandler(msgData);
}
