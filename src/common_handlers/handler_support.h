// handler_support.h - what the element handlers of both handler sets share:
// handler types, the kinds of object-stack items, item destructors,
// and small helpers for stacks, status records, lists and values.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <span>
#include <string_view>
#include <utility>

#include <cimobj/cimobj.h>

#include "common_handlers/element_stack.h"
#include "common_handlers/message_data.h"

// A start handler gets the element's record; a text handler gets a record
// carrying the element's text; an end handler only the message.
using ElementHandler = void (*)(MessageData *msgData, const ExpatElement *element);
using EndHandler = void (*)(MessageData *msgData);

// One row of a routing table: the first row whose name equals the element
// name exactly decides; a row without handler only lets the element pass.
struct StartRoute {
    const char *name;
    ElementHandler handler;
};
struct EndRoute {
    const char *name;
    EndHandler handler;
};

// Name lookup over routing tables: the first row of a name wins, as a
// scan of the tables in their order would find it. Built once per side: an
// open-addressed table of the names, so that a look-up hashes the name once
// and compares it with one row most of the time.
template <typename Route>
class RouteIndex {
public:
    // Rows of the tables in their order; the first row of a name wins. The
    // tables hold fewer than half as many rows as the index has slots.
    explicit RouteIndex(std::initializer_list<std::span<const Route>> tables) {
        for (std::span<const Route> table : tables) {
            for (const Route &row : table) {
                Key key = key_of(row.name);
                std::size_t slot = key.hash & (kSlots - 1);
                while (slots_[slot].route && !same(slots_[slot], key, row.name)) slot = (slot + 1) & (kSlots - 1);
                if (!slots_[slot].route) slots_[slot] = Slot{row.name, key.length, key.hash, &row};
            }
        }
    }
    // The row for name, or NULL when the table has none.
    const Route *find(const char *name) const {
        if (!name) return nullptr;
        Key key = key_of(name);
        for (std::size_t slot = key.hash & (kSlots - 1); slots_[slot].route; slot = (slot + 1) & (kSlots - 1)) {
            if (same(slots_[slot], key, name)) return slots_[slot].route;
        }
        return nullptr;
    }

private:
    static constexpr std::size_t kSlots = 128;
    struct Slot {
        const char *name = nullptr;
        std::size_t length = 0;
        std::uint32_t hash = 0;
        const Route *route = nullptr;
    };
    struct Key {
        std::size_t length;
        std::uint32_t hash;
    };
    // FNV-1a and the length, in one pass over the name.
    static Key key_of(const char *name) {
        std::uint32_t h = 2166136261u;
        const char *at = name;
        for (; *at; ++at) h = (h ^ static_cast<unsigned char>(*at)) * 16777619u;
        return Key{static_cast<std::size_t>(at - name), h};
    }
    static bool same(const Slot &slot, Key key, const char *name) {
        return slot.hash == key.hash && slot.length == key.length && std::memcmp(slot.name, name, key.length) == 0;
    }
    Slot slots_[kSlots];
};

// The kinds of the items on the object stack, as the handlers name them
// (item::Class, item::PropertyType, ...).
namespace item {
using enum ItemKind;
}  // namespace item

// Destructors of the data items carry.
void destroy_string(void *data);
void destroy_objectpath(void *data);
void destroy_valuelist(void *data);
void destroy_class(void *data);
void destroy_instance(void *data);
void destroy_qualifiertype(void *data);

// 1 when item is present and of kind.
inline bool item_is(const StackItem *item, ItemKind kind) { return item && item->kind == kind; }

// ---- The object stack as the handlers see it: a start handler looks at
// its parents in place; an end handler takes off the item it finishes. ----

// The item below levels items from the top (0 is the top), lent; NULL
// beyond the bottom.
inline StackItem *peek_item(const MessageData *msgData, std::size_t below = 0) {
    return stack_peek(&msgData->objectStack, below);
}
// The data an item carries, lent; NULL for no item.
template <class T>
T *data_of(const StackItem *entry) {
    return entry ? static_cast<T *>(entry->data) : nullptr;
}
// An item taken off the stack: dropped, it frees what it still holds.
struct ItemRelease {
    void operator()(StackItem *entry) const { freeStackItem(entry); }
};
using TakenItem = std::unique_ptr<StackItem, ItemRelease>;
// Takes the top item off; empty for an empty stack.
inline TakenItem take_top(MessageData *msgData) { return TakenItem(stack_pop(&msgData->objectStack)); }
// Takes the top item off and frees it with what it holds.
inline void drop_top(MessageData *msgData) { freeStackItem(stack_pop(&msgData->objectStack)); }

// An object of the object library that a handler has made and not yet
// given away: freed when the holder goes out of scope, unless released to
// the owner that took it.
template <class T, void (*Free)(T *)>
struct FreeWith {
    void operator()(T *object) const { Free(object); }
};
template <class T, void (*Free)(T *)>
using Owned = std::unique_ptr<T, FreeWith<T, Free>>;
using OwnedString = Owned<CIMString, freeCIMString>;
using OwnedValue = Owned<CIMValue, freeCIMValue>;
using OwnedProperty = Owned<CIMProperty, freeCIMProperty>;
using OwnedQualifier = Owned<CIMQualifier, freeCIMQualifier>;
using OwnedMethod = Owned<CIMMethod, freeMethod>;

// Takes the data out of an item that is about to be freed: the caller owns
// the data, the item no longer does. NULL for no item.
template <class T>
T *take_data(StackItem *entry) {
    if (!entry) return nullptr;
    return static_cast<T *>(std::exchange(entry->data, nullptr));
}
// Takes the top item off and gives its data to the caller; the item is freed.
template <class T>
T *take_top_data(MessageData *msgData) {
    return take_data<T>(take_top(msgData).get());
}

// Pushes a new item (type: the type code a marker carries). On failure data
// is freed with destructor, the failure is reported and 0 is returned.
int push_new_item(Stack *stack, ItemKind kind, StackItemDestructor destructor, void *data, int type = CIM_STRING);

// Pops and frees every item of the object stack.
void clear_object_stack(MessageData *msgData);

// Takes a status record from the object library: a status other than 0 is
// reported (reportReturnCode); NULL counts as exhausted memory and is
// reported as such. The record is freed. Returns 1 for status 0.
int status_ok(ReturnCode *rc, const char *file, int line);
#define STATUS_OK(rc) status_ok((rc), __FILE_NAME__, __LINE__)
// Hands a held object to the owner whose attach call gave attached: the
// holder lets go when the owner took it; a failure is reported (STATUS_OK).
template <class Holder>
void give(Holder &object, ReturnCode *attached) {
    if (STATUS_OK(attached)) object.release();
}

// status_ok without any report (the caller logs or reports in its own words);
// rc is freed unless keep is given, which then receives it.
int status_ok_quiet(ReturnCode *rc, ReturnCode **keep = nullptr);

// Store a decoded value where it belongs. On failure the value is freed and
// the failure reported; a NULL target only frees the value, a NULL value does
// nothing.
void set_qualifier_value(CIMQualifier *qualifier, CIMValue *value);
void set_property_value(CIMProperty *property, CIMValue *value);
void append_value(CIMValueList *list, CIMValue *value);
// Appends a return value of a response; without the list (a response
// element out of place) the value is dropped.
void append_return_value(MessageData *msgData, CIMValue *value);
// A reference value holding path, which it takes; NULL after reporting
// (the path freed) when memory is short.
CIMValue *reference_value(CIMObjectPath *path);
// The array value of type (made an array type unless it is one) holding
// list, which it takes. NULL after reporting when memory is short (the list
// is then freed).
CIMValue *array_value_of(int type, CIMValueList *list);

// The last element of a list (the one being decoded), lent; NULL when the
// list is NULL or empty.
CIMProperty *last_property(const CIMPropertyList *list);
CIMQualifier *last_qualifier(const CIMQualifierList *list);
CIMMethod *last_method(const CIMMethodList *list);

// The current parameter: the last of the called method's parameters in a
// request, of the output parameters in a response; NULL when there is none.
CIMProperty *current_parameter(const MessageData *msgData);

// Lists of an object, created and attached when absent. NULL for a NULL
// owner or when the list cannot be made.
CIMPropertyList *class_properties(CIMClass *cls);
CIMPropertyList *instance_properties(CIMInstance *instance);
CIMQualifierList *class_qualifiers(CIMClass *cls);
CIMMethodList *class_methods(CIMClass *cls);
CIMQualifierList *method_qualifiers(CIMMethod *method);
CIMPropertyList *method_parameters(CIMMethod *method);
CIMPropertyList *path_keys(CIMObjectPath *path);

// newValueFromText(type, text); a NULL text (an element without character
// data) is the empty string for the string type. In the strict profile a
// char16 is the one character its text holds (otherwise reported, and a null
// value). NULL only when memory is exhausted.
CIMValue *value_from_text(int type, const char *text);
// set_property_value(property, value_from_text(type, text)), made without a
// new value when the property holds a null value without reference class:
// that value takes the type and the text in place.
void set_property_from_text(CIMProperty *property, int type, const char *text);

// An INSTANCENAME names an instance even without key bindings: the strict
// profile gives its path an empty key list (created when absent), so that
// the path is copied as a keyed one is. Classic leaves the path as it is.
void mark_instance_name(CIMObjectPath *path);

// A new path whose class name is the placeholder "Container"; NULL when
// memory is exhausted.
CIMObjectPath *new_placeholder_path();
// 1 when the class name of path is still the placeholder "Container".
bool has_placeholder_name(const CIMObjectPath *path);
// Gives path the class name when its class name is the placeholder. The
// path takes name when it is set; otherwise name is freed.
void set_name_if_placeholder(CIMObjectPath *path, CIMString *name);

// Appends "/" and name to a namespace text in place; the namespace is set to
// a copy of name when it is NULL. Returns the namespace (new or the same).
CIMString *append_namespace(CIMString *nameSpace, const CIMString *name);

// 1 when the attribute is present and equals "true" without regard to case.
bool attribute_is_true(const ExpatElement *element, const char *name);
// Takes off the item an end tag finishes: the top item when it is of
// kind; NULL (the stack unchanged) otherwise.
StackItem *pop_finished_item(Stack *stack, ItemKind kind);
// The end of a marker's element: the top item is dropped when it is of one
// of kinds; any other stays.
template <class... Kinds>
void pop_marker(MessageData *msgData, Kinds... kinds) {
    const StackItem *top = peek_item(msgData);
    if (top && ((top->kind == kinds) || ...)) drop_top(msgData);
}
// Reads the NAME and TYPE attributes an element requires. Returns true with
// the name (the caller owns it) and the code of the type; otherwise reports
// missingName or missingType (NULL: the general decoding error), leaves
// nothing allocated and returns false.
bool read_name_and_type(const ExpatElement *element, CIMString **name, int *type,
                        const char *missingName = nullptr, const char *missingType = nullptr);
