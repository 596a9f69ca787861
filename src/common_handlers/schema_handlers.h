// schema_handlers.h - CLASS, INSTANCE and the PROPERTY elements, shared by
// both handler sets. A CLASS or INSTANCE is built as one object on the object
// stack; each property is appended to it at its start tag and leaves a
// "PROPERTY_TYPE" marker that its values and qualifiers find. Failures are
// recorded as the thread's last error (or logged where said) and the parse
// goes on; objects that cannot be attached are freed.
#pragma once

#include "common_handlers/handler_support.h"

// CLASS start: pushes "CLASS" with a new class named NAME (required) whose
// superclass is SUPERCLASS.
void common_class_element(MessageData *msgData, const ExpatElement *element);
// INSTANCE start: pushes "INSTANCE" with a new instance of CLASSNAME (required).
void common_instance_element(MessageData *msgData, const ExpatElement *element);
// CLASS end: the finished class becomes the value (type 16) of the current
// parameter (below a "PARAMVALUE" item) or a return value (below "RETURNVALUE").
void common_class_endhandler(MessageData *msgData);

// PROPERTY, PROPERTY.ARRAY and PROPERTY.REFERENCE start: a new property with
// a null value is appended to the CLASS or INSTANCE on top, and
// "PROPERTY_TYPE" is pushed (with the TYPE text; none for a reference).
void common_property_element(MessageData *msgData, const ExpatElement *element);
void common_property_array_element(MessageData *msgData, const ExpatElement *element);
void common_property_ref_element(MessageData *msgData, const ExpatElement *element);
// End of the three property elements: removes the marker when it is still on top.
void common_property_endhandler(MessageData *msgData);
