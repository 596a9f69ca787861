// request_path_handlers.h - the handlers of the request set for the path
// elements: NAMESPACE, CLASSNAME, INSTANCENAME, KEYBINDING, KEYVALUE, HOST
// and the end of VALUE.REFERENCE. Outside any object they build the target
// objectPath (namespace, class name, keys); inside a parameter, a reference
// or a named instance they fill that item's path. Failures are recorded as
// the thread's last error (or logged where said); the parse goes on.
#pragma once

#include "common_handlers/handler_support.h"

void reqmsg_namespace_element(MessageData *msgData, const ExpatElement *element);
void reqmsg_classname_element(MessageData *msgData, const ExpatElement *element);
void reqmsg_instancename_element(MessageData *msgData, const ExpatElement *element);
void reqmsg_instancename_endhandler(MessageData *msgData);
void reqmsg_keybinding_element(MessageData *msgData, const ExpatElement *element);
// At the KEYVALUE end tag with the trimmed text: the value of the last key
// (type from TYPE, else VALUETYPE, else string).
void reqmsg_keyvalue_pcdata(MessageData *msgData, const ExpatElement *element);
// At the HOST end tag: the host of the reference being built.
void reqmsg_host_pcdata(MessageData *msgData, const ExpatElement *element);
// VALUE.REFERENCE end: the reference becomes the value of a parameter, of
// the last key of a path, or falls to common_value_reference_endhandler.
void reqmsg_value_reference_endhandler(MessageData *msgData);
