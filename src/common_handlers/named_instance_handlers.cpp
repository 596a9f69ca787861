// named_instance_handlers.cpp - VALUE.NAMEDINSTANCE and its path.
#include "common_handlers/named_instance_handlers.h"

#include "cimxml_common/error_reporting.h"

void common_namedinstance_element(MessageData *msgData, const ExpatElement *) {
    CIMObjectPath *path = new_placeholder_path();
    if (!path) {
        REPORT_DECODING_ERROR();
        return;
    }
    push_new_item(&msgData->objectStack, item::ObjectPath, destroy_objectpath, path);
}

void common_namedinstance_endhandler(MessageData *msgData) {
    StackItem *top = stack_pop(&msgData->objectStack);
    if (!top) return;
    if (item_is(top, item::ObjectPath)) {
        CIMObjectPath *copy = static_cast<CIMObjectPath *>(take_data(top));
        if (copy && !msgData->instancePaths) msgData->instancePaths = newCIMObjectPathList();
        if (copy && msgData->instancePaths) {
            if (!STATUS_OK(appendToCIMObjectPathList(msgData->instancePaths, copy))) freeCIMObjectPath(copy);
        } else {
            freeCIMObjectPath(copy);
        }
    }
    freeStackItem(top);
}
