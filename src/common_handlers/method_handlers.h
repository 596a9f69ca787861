// method_handlers.h - METHOD and the PARAMETER elements of a class, shared by
// both handler sets. A method is appended to the CLASS on top and leaves a
// "METHOD" marker; a parameter is appended to the class's current method and
// leaves a "PARAMETER" (or "PARAMETER.REFARRAY") marker. Failures are
// recorded as the thread's last error and the parse goes on; what cannot be
// attached is freed.
#pragma once

#include "common_handlers/handler_support.h"

// METHOD start: NAME and TYPE (the return type) required.
void common_method_element(MessageData *msgData, const ExpatElement *element);
// PARAMETER and PARAMETER.ARRAY start: NAME and TYPE required; outside a
// method the parameter is dropped silently.
void common_parameter_element(MessageData *msgData, const ExpatElement *element);
void common_parameter_array_element(MessageData *msgData, const ExpatElement *element);
// PARAMETER.REFERENCE start: a reference parameter; REFERENCECLASS names the class.
void common_parameter_ref_element(MessageData *msgData, const ExpatElement *element);
// PARAMETER.REFARRAY start: a reference-array parameter (type 114).
void common_parameter_refarray_element(MessageData *msgData, const ExpatElement *element);

// METHOD end and the ends of the four parameter elements: remove the marker
// when it is still on top.
void common_method_endhandler(MessageData *msgData);
void common_parameter_endhandler(MessageData *msgData);
