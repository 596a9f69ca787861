// list_items.cpp - the kinds of list results and the items made of them.
#include "client_adapter/list_items.h"

namespace client_responses {

list_kind objects_like(const CIMValue *first) {
    return getCIMValueType(first) == CIM_CLASS ? class_items : instance_items;
}

void *item_of(CIMValue *value, const list_kind &kind) {
    void *content = take_content(value);
    if (kind.valueType != CIM_STRING || !content) return content;
    CIMObjectPath *path = newObjectPathWithName(static_cast<CIMString *>(content));
    if (!path) freeCIMString(static_cast<CIMString *>(content));
    return path;
}

void free_item(void *item, const list_kind &kind) {
    if (kind.valueType == CIM_OBJECT)
        freeCIMInstance(static_cast<CIMInstance *>(item));
    else if (kind.valueType == CIM_CLASS)
        freeCIMClass(static_cast<CIMClass *>(item));
    else
        freeCIMObjectPath(static_cast<CIMObjectPath *>(item));
}

ReturnCode *misfit(const decoder &d, const CIMValue *value, const list_kind &kind) {
    int type = getCIMValueType(value);
    if (type == kind.valueType) return nullptr;
    return failure(d, "the response holds " + kind_of(type) + " where " + kind_of(kind.valueType) + " belongs.");
}

}  // namespace client_responses
