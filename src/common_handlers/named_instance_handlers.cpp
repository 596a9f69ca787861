// named_instance_handlers.cpp - VALUE.NAMEDINSTANCE and its path.
#include "common_handlers/named_instance_handlers.h"

#include "cimxml_common/error_reporting.h"

void common_namedinstance_element(MessageData *msgData, const ExpatElement *) {
    CIMObjectPath *path = new_placeholder_path();
    if (!path) return REPORT_DECODING_ERROR();
    push_new_item(&msgData->objectStack, item::ObjectPath, destroy_objectpath, path);
}

void common_namedinstance_endhandler(MessageData *msgData) {
    TakenItem top = take_top(msgData);
    if (!item_is(top.get(), item::ObjectPath)) return;
    Owned<CIMObjectPath, freeCIMObjectPath> path(take_data<CIMObjectPath>(top.get()));
    if (path && !msgData->instancePaths) msgData->instancePaths = newCIMObjectPathList();
    if (path && msgData->instancePaths) give(path, appendToCIMObjectPathList(msgData->instancePaths, path.get()));
}
