// path_handlers.cpp - the path elements of both handler sets.
#include "common_handlers/path_handlers.h"

#include <cstring>
#include <cwchar>

#include "cimxml_common/error_reporting.h"
#include "cimxml_common/cim_types.h"
#include "common_handlers/attributes.h"
#include "common_handlers/named_instance_handlers.h"
#include "common_handlers/value_handlers.h"

namespace {

// Items whose path the NAMESPACE, CLASSNAME and HOST elements of a response fill.
bool is_reference_item(const StackItem *entry) {
    return item_is(entry, item::ValueReference) || item_is(entry, item::ObjectPath);
}

// Items whose path the key elements fill.
bool is_path_item(const StackItem *entry) { return is_reference_item(entry) || item_is(entry, item::InstanceName); }

CIMObjectPath *path_of(const StackItem *entry) { return data_of<CIMObjectPath>(entry); }

CIMProperty *last_key(const CIMObjectPath *path) { return last_property(getObjectPathKeys(path)); }

// Gives path the namespace name when it has none (emptyIsNone: nor an empty
// one), else appends "/" and name (onlyAfterRoot: only to exactly "root").
// The name is freed unless the path took it.
void join_namespace(CIMObjectPath *path, CIMString *name, bool emptyIsNone, bool onlyAfterRoot) {
    CIMString *nameSpace = getObjectPathNameSpace(path);
    if (emptyIsNone ? isEmptyCIMString(nameSpace) : !nameSpace) {
        if (setObjectPathNameSpace(path, name)) return;
    } else if (!onlyAfterRoot || std::wcscmp(getCIMStringBuffer(nameSpace), L"root") == 0) {
        append_namespace(nameSpace, name);
    }
    freeCIMString(name);
}

// Appends a key named NAME with an empty value to path, its key list made
// when absent.
void add_key(CIMObjectPath *path, const ExpatElement *element) {
    CIMPropertyList *keys = path_keys(path);
    if (!keys) return REPORT_ALLOCATION_ERROR();
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
}

// The type a KEYVALUE names: TYPE exactly, else VALUETYPE's family, else string.
int key_type(const ExpatElement *element) {
    const char *typeText = attribute_value(element, "TYPE");
    if (!typeText) typeText = attribute_value(element, "VALUETYPE");
    return typeText ? typeFromText(typeText) : CIM_STRING;
}

void set_host(CIMObjectPath *path, const ExpatElement *element) {
    CIMString *host = createCIMStringFromChar(element ? element->text : nullptr);
    if (host && !setObjectPathHost(path, host)) freeCIMString(host);
}

// The reference becomes the value of the last key of path (a request's key
// given as a reference); without a key it is dropped.
void set_reference_key(CIMObjectPath *path, CIMObjectPath *reference) {
    CIMProperty *key = last_key(path);
    CIMValue *value = key ? newCIMValue(CIM_REFERENCE, reference) : nullptr;
    if (!value) {
        freeCIMObjectPath(reference);
        return;
    }
    set_property_value(key, value);
}

}  // namespace

// ---- Request set ----

void reqmsg_namespace_element(MessageData *msgData, const ExpatElement *element) {
    CIMString *name = attribute_string(element, "NAME");
    if (!name) return REPORT_DECODING_ERROR();
    if (const StackItem *top = peek_item(msgData)) {
        if (item_is(top, item::ValueReference))
            join_namespace(path_of(top), name, true, false);
        else
            freeCIMString(name);
        return;
    }
    if (msgData->objectPath) {
        join_namespace(msgData->objectPath, name, false, false);
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
    const StackItem *top = peek_item(msgData);
    if (!top) {
        if (!msgData->objectPath || !name) {
            freeCIMString(name);
            REPORT_DECODING_ERROR();
            return;
        }
        set_name_if_placeholder(msgData->objectPath, name);
    } else if (item_is(top, item::ValueReference)) {
        set_name_if_placeholder(path_of(top), name);
    } else if (item_is(top, item::ParamValue)) {
        // The class name is the parameter's value; the marker is consumed.
        drop_top(msgData);
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
    } else {
        freeCIMString(name);
    }
}

void reqmsg_instancename_element(MessageData *msgData, const ExpatElement *element) {
    const StackItem *top = peek_item(msgData);
    if (!top) {
        CIMString *className = attribute_string(element, "CLASSNAME");
        if (!msgData->objectPath || !className) {
            freeCIMString(className);
            REPORT_DECODING_ERROR();
            return;
        }
        set_name_if_placeholder(msgData->objectPath, className);
        mark_instance_name(msgData->objectPath);
    } else if (item_is(top, item::ParamValue)) {
        CIMString *className = attribute_string(element, "CLASSNAME");
        CIMObjectPath *path = newObjectPathWithName(className);
        if (!path) {
            freeCIMString(className);
            REPORT_ALLOCATION_ERROR();
            return;
        }
        mark_instance_name(path);
        push_new_item(&msgData->objectStack, item::InstanceName, destroy_objectpath, path);
    } else if (is_reference_item(top)) {
        set_name_if_placeholder(path_of(top), attribute_string(element, "CLASSNAME"));
        mark_instance_name(path_of(top));
    }
}

void reqmsg_instancename_endhandler(MessageData *msgData) {
    if (!item_is(peek_item(msgData), item::InstanceName)) return;
    auto *path = take_top_data<CIMObjectPath>(msgData);
    CIMProperty *parameter = current_parameter(msgData);
    if (!parameter) {
        freeCIMObjectPath(path);
        REPORT_DECODING_ERROR();
        return;
    }
    set_property_value(parameter, reference_value(path));
}

void reqmsg_keybinding_element(MessageData *msgData, const ExpatElement *element) {
    const StackItem *top = peek_item(msgData);
    if (!top) {
        if (!msgData->objectPath) return REPORT_DECODING_ERROR();
        add_key(msgData->objectPath, element);
    } else if (is_path_item(top)) {
        add_key(path_of(top), element);
    }
}

void reqmsg_keyvalue_pcdata(MessageData *msgData, const ExpatElement *element) {
    const StackItem *top = peek_item(msgData);
    CIMObjectPath *path = top ? path_of(top) : msgData->objectPath;
    if (top && !is_path_item(top)) return;
    if (!path || !getObjectPathKeys(path)) {
        if (top) {
            cimPrintMessage(CIM_LOG_TRACE, L"reqmsg_keyvalue_pcdata - op or op->mkeys is NULL!");
            drop_top(msgData);
        } else {
            REPORT_DECODING_ERROR();
        }
        return;
    }
    if (CIMProperty *key = last_key(path))
        set_property_value(key, value_from_text(key_type(element), element ? element->text : nullptr));
}

void reqmsg_host_pcdata(MessageData *msgData, const ExpatElement *element) {
    const StackItem *top = peek_item(msgData);
    if (item_is(top, item::ValueReference)) set_host(path_of(top), element);
}

void reqmsg_value_reference_endhandler(MessageData *msgData) {
    const StackItem *top = peek_item(msgData);
    if (!top) return;
    const StackItem *owner = peek_item(msgData, 1);
    bool keyOfPath = !owner || item_is(owner, item::InstanceName) || item_is(owner, item::ObjectPath);
    if (!keyOfPath && !item_is(owner, item::ParamType) && !item_is(owner, item::ParamValue))
        return common_value_reference_endhandler(msgData);
    TakenItem taken = take_top(msgData);
    auto *reference =
        item_is(taken.get(), item::ValueReference) ? take_data<CIMObjectPath>(taken.get()) : nullptr;
    if (keyOfPath) {
        // A reference key of the target path, or of the path being built.
        CIMObjectPath *path = owner ? path_of(owner) : msgData->objectPath;
        if (!path || !getObjectPathKeys(path)) {
            freeCIMObjectPath(reference);
            return REPORT_DECODING_ERROR();
        }
        return set_reference_key(path, reference);
    }
    // The reference is the parameter's value; its marker is consumed.
    drop_top(msgData);
    CIMProperty *parameter = current_parameter(msgData);
    if (!parameter) {
        freeCIMObjectPath(reference);
        return REPORT_DECODING_ERROR();
    }
    set_property_value(parameter, reference_value(reference));
}

// ---- Response set ----

void rspmsg_objectpath_element(MessageData *msgData, const ExpatElement *element) {
    // An OBJECTPATH starts as a VALUE.NAMEDINSTANCE does: a path to fill.
    common_namedinstance_element(msgData, element);
}

void rspmsg_objectpath_endhandler(MessageData *msgData) {
    if (!item_is(peek_item(msgData), item::ObjectPath)) return;
    auto *path = take_top_data<CIMObjectPath>(msgData);
    if (item_is(peek_item(msgData), item::ReturnValue))
        append_return_value(msgData, reference_value(path));
    else
        freeCIMObjectPath(path);
}

namespace {

// True when the element being read (or ended) is a result of its own: a
// path straight inside IRETURNVALUE (PullInstancePaths), not the path of a
// VALUE.INSTANCEWITHPATH or a reference.
bool is_result_path(const MessageData *msgData) {
    const ExpatElement *parent = element_stack_at(&msgData->elementStack, 1);
    return parent && parent->name && std::strcmp(parent->name, "IRETURNVALUE") == 0;
}

}  // namespace

void rspmsg_instancepath_element(MessageData *msgData, const ExpatElement *element) {
    if (is_result_path(msgData)) rspmsg_objectpath_element(msgData, element);
}

void rspmsg_instancepath_endhandler(MessageData *msgData) {
    if (is_result_path(msgData)) rspmsg_objectpath_endhandler(msgData);
}

void rspmsg_namespace_element(MessageData *msgData, const ExpatElement *element) {
    const StackItem *top = peek_item(msgData);
    if (!is_reference_item(top)) return;
    CIMString *name = attribute_string(element, "NAME");
    if (!name) {
        drop_top(msgData);
        REPORT_DECODING_ERROR();
        return;
    }
    join_namespace(path_of(top), name, true, true);
}

void rspmsg_classname_element(MessageData *msgData, const ExpatElement *element) {
    const StackItem *top = peek_item(msgData);
    if (is_reference_item(top)) {
        set_name_if_placeholder(path_of(top), attribute_string(element, "NAME"));
    } else if (item_is(top, item::ReturnValue)) {
        CIMString *name = attribute_string(element, "NAME");
        if (!name) return REPORT_DECODING_ERROR();
        CIMValue *value = newCIMValue(CIM_STRING, name);
        if (!value) {
            freeCIMString(name);
            REPORT_ALLOCATION_ERROR();
        }
        append_return_value(msgData, value);
    }
}

void rspmsg_instancename_element(MessageData *msgData, const ExpatElement *element) {
    const StackItem *top = peek_item(msgData);
    if (!top) return;
    CIMString *className = attribute_string(element, "CLASSNAME");
    if (is_reference_item(top)) {
        set_name_if_placeholder(path_of(top), className);
        return;
    }
    if (!item_is(top, item::ReturnValue)) {
        freeCIMString(className);
        return;
    }
    if (!className) return REPORT_DECODING_ERROR();
    CIMObjectPath *path = newObjectPathWithName(className);
    if (!path) {
        freeCIMString(className);
        REPORT_ALLOCATION_ERROR();
        return;
    }
    push_new_item(&msgData->objectStack, item::InstanceName, destroy_objectpath, path);
}

void rspmsg_instancename_endhandler(MessageData *msgData) {
    if (!item_is(peek_item(msgData), item::InstanceName)) return;
    append_return_value(msgData, reference_value(take_top_data<CIMObjectPath>(msgData)));
}

void rspmsg_keybinding_element(MessageData *msgData, const ExpatElement *element) {
    const StackItem *top = peek_item(msgData);
    if (is_path_item(top)) add_key(path_of(top), element);
}

void rspmsg_keyvalue_pcdata(MessageData *msgData, const ExpatElement *element) {
    const StackItem *top = peek_item(msgData);
    if (!is_path_item(top)) return;
    if (!getObjectPathKeys(path_of(top))) {
        drop_top(msgData);
        REPORT_DECODING_ERROR();
        return;
    }
    if (CIMProperty *key = last_key(path_of(top)))
        set_property_from_text(key, key_type(element), element ? element->text : nullptr);
}

void rspmsg_host_pcdata(MessageData *msgData, const ExpatElement *element) {
    const StackItem *top = peek_item(msgData);
    if (is_reference_item(top)) set_host(path_of(top), element);
}

void rspmsg_value_reference_endhandler(MessageData *msgData) {
    if (!item_is(peek_item(msgData), item::ValueReference)) return;
    StackItem *owner = peek_item(msgData, 1);
    bool returned = item_is(owner, item::ReturnValue), output = item_is(owner, item::ParamValue),
         element = item_is(owner, item::ValueRefArray), key = is_path_item(owner);
    if (!returned && !output && !element && !key) return common_value_reference_endhandler(msgData);
    CIMValue *value = reference_value(take_top_data<CIMObjectPath>(msgData));
    if (returned)
        append_return_value(msgData, value);
    else if (output)
        set_property_value(last_property(msgData->outParameters), value);
    else if (element)
        append_value(data_of<CIMValueList>(owner), value);
    else if (CIMProperty *last = last_key(path_of(owner)))
        set_property_value(last, value);
    else
        freeCIMValue(value);
}
