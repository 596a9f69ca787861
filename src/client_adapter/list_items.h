// list_items.h - what the list decoders and the list reader share: the kinds
// of results a list holds and the items made from return values.
#pragma once

#include <cimobj/cimobj.h>

#include <string>

#include "client_adapter/decoder_support.h"

namespace client_responses {

// What a list of results holds: its list type and the type of the return
// value each of its items is made from.
struct list_kind {
    int listType;
    int valueType;
};
inline constexpr list_kind instance_items{CIMLIST_INSTANCE, CIM_OBJECT};
inline constexpr list_kind class_items{CIMLIST_CLASS, CIM_CLASS};
inline constexpr list_kind path_items{CIMLIST_OBJECTPATH, CIM_REFERENCE};
inline constexpr list_kind class_name_items{CIMLIST_OBJECTPATH, CIM_STRING};

// The kind of the objects of ExecQuery and the association operations: the
// kind of the first object (classes when it is a class, else instances).
list_kind objects_like(const CIMValue *first);

// New list item made from a return value of the kind, which it takes the
// object from; NULL when memory is short (or the value is null).
void *item_of(CIMValue *value, const list_kind &kind);

// Frees an item of the kind.
void free_item(void *item, const list_kind &kind);

// The failure of a return value of another type than the kind's ("the
// response holds a class where an instance belongs."); NULL when it fits.
ReturnCode *misfit(const decoder &d, const CIMValue *value, const list_kind &kind);

}  // namespace client_responses
