// path_handlers.h - the path elements of both handler sets: NAMESPACE,
// CLASSNAME, INSTANCENAME, KEYBINDING, KEYVALUE, HOST, OBJECTPATH and the end
// of VALUE.REFERENCE.
//
// Inside a reference, an OBJECTPATH, a named instance or an INSTANCENAME
// item they fill that item's path. Where the sides differ, they differ by
// what stands around the path: outside any object a request's path elements
// build the call's target path (objectPath), a response's make nothing;
// directly in a request's parameter they make the parameter's value, directly
// in a response's return value a returned class name or path. Failures are
// recorded as the thread's last error (or logged where said); the parse goes
// on.
#pragma once

#include "common_handlers/handler_support.h"

// ---- Request set ----

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
// At the KEYVALUE end tag with its text: the value of the last key (type
// from TYPE, else VALUETYPE, else string).
void reqmsg_keyvalue_pcdata(MessageData *msgData, const ExpatElement *element);
// At the HOST end tag: the host of the reference being built.
void reqmsg_host_pcdata(MessageData *msgData, const ExpatElement *element);
// VALUE.REFERENCE end: the reference becomes the value of a parameter, of
// the last key of a path, or falls to common_value_reference_endhandler.
void reqmsg_value_reference_endhandler(MessageData *msgData);

// ---- Response set ----

// OBJECTPATH start: pushes "OBJECTPATH" with a new path named "Container".
void rspmsg_objectpath_element(MessageData *msgData, const ExpatElement *element);
// OBJECTPATH end: the path becomes a reference return value when the
// OBJECTPATH stands directly in a return value; otherwise it is dropped.
void rspmsg_objectpath_endhandler(MessageData *msgData);
// An INSTANCEPATH among the results (PullInstancePaths) is a return value
// with its host and namespace; inside another element its owner reads it.
void rspmsg_instancepath_element(MessageData *msgData, const ExpatElement *element);
void rspmsg_instancepath_endhandler(MessageData *msgData);
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
