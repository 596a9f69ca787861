// request_path_handlers.h - the handlers of the request set for the path
// elements: NAMESPACE, CLASSNAME, INSTANCENAME, KEYBINDING, KEYVALUE, HOST
// and the end of VALUE.REFERENCE. Outside any object they build the target
// objectPath (namespace, class name, keys); inside a parameter, a reference
// or a named instance they fill that item's path. Failures are recorded as
// the thread's last error (or logged where said); the parse goes on.
#pragma once

#include "common_handlers/handler_support.h"

// NAMESPACE start: the namespace of the reference being built, or (outside
// any object) of the target objectPath, which the first one creates with the
// class name "Container"; later components are appended after a "/".
void reqmsg_namespace_element(MessageData *msgData, const ExpatElement *element);
// CLASSNAME start: the class name of a reference or of the target path
// (replacing only the placeholder), or, directly in an intrinsic parameter,
// the parameter's string value (the parameter's marker is consumed).
void reqmsg_classname_element(MessageData *msgData, const ExpatElement *element);
// INSTANCENAME start: directly in an intrinsic parameter it pushes
// "INSTANCENAME" with a new path of CLASSNAME; elsewhere it names the path of
// the reference, named instance or target (replacing only the placeholder).
void reqmsg_instancename_element(MessageData *msgData, const ExpatElement *element);
// INSTANCENAME end: the path of an "INSTANCENAME" item becomes the current
// parameter's reference value (14).
void reqmsg_instancename_endhandler(MessageData *msgData);
// KEYBINDING start: a key named NAME with an empty value is appended to the
// path being built (or the target's), its key list created when absent.
void reqmsg_keybinding_element(MessageData *msgData, const ExpatElement *element);
// At the KEYVALUE end tag with the trimmed text: the value of the last key
// (type from TYPE, else VALUETYPE, else string).
void reqmsg_keyvalue_pcdata(MessageData *msgData, const ExpatElement *element);
// At the HOST end tag: the host of the reference being built.
void reqmsg_host_pcdata(MessageData *msgData, const ExpatElement *element);
// VALUE.REFERENCE end: the reference becomes the value of a parameter, of
// the last key of a path, or falls to common_value_reference_endhandler.
void reqmsg_value_reference_endhandler(MessageData *msgData);
