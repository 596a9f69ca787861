// response_path_handlers.h - the handlers of the response set for object
// paths: OBJECTPATH, NAMESPACE, CLASSNAME, INSTANCENAME, KEYBINDING,
// KEYVALUE, HOST and the end of VALUE.REFERENCE. Inside a reference, an
// OBJECTPATH or an object wrapper they fill that item's path; directly in a
// return value they make the returned class names and paths. Failures are
// recorded as the thread's last error; the parse goes on.
#pragma once

#include "common_handlers/handler_support.h"

// OBJECTPATH start: pushes "OBJECTPATH" with a new path named "Container".
void rspmsg_objectpath_element(MessageData *msgData, const ExpatElement *element);
// OBJECTPATH end: the path becomes a reference return value when the
// OBJECTPATH stands directly in a return value; otherwise it is dropped.
void rspmsg_objectpath_endhandler(MessageData *msgData);

// NAMESPACE start: NAME becomes the namespace of the path being built when
// it has none; a namespace that is exactly "root" gets "/" and NAME appended.
void rspmsg_namespace_element(MessageData *msgData, const ExpatElement *element);
// CLASSNAME start: the class name of the path being built (replacing only
// the placeholder), or, directly in a return value, a string return value.
void rspmsg_classname_element(MessageData *msgData, const ExpatElement *element);
// INSTANCENAME start: names the path being built (replacing only the
// placeholder); directly in a return value it pushes "INSTANCENAME" with a
// new path of CLASSNAME (required).
void rspmsg_instancename_element(MessageData *msgData, const ExpatElement *element);
// INSTANCENAME end: the path of an "INSTANCENAME" item becomes a reference
// return value.
void rspmsg_instancename_endhandler(MessageData *msgData);
// KEYBINDING start: a key named NAME with an empty value is appended to the
// path being built, its key list created when absent.
void rspmsg_keybinding_element(MessageData *msgData, const ExpatElement *element);
// At the KEYVALUE end tag with its untrimmed text: the value of the last key
// of the path being built, typed by TYPE, else VALUETYPE, else string.
void rspmsg_keyvalue_pcdata(MessageData *msgData, const ExpatElement *element);
// At the HOST end tag: the host of the path being built.
void rspmsg_host_pcdata(MessageData *msgData, const ExpatElement *element);
// VALUE.REFERENCE end: the reference becomes a return value, the value of
// the current output parameter, an element of a VALUE.REFARRAY, or the value
// of the last key of the path being built; anything else goes to the shared
// handler.
void rspmsg_value_reference_endhandler(MessageData *msgData);
