// value_handlers.h - the handlers both handler sets share for VALUE,
// VALUE.ARRAY, VALUE.REFERENCE and VALUE.REFARRAY. A value's type comes from
// the item below it on the object stack (a property, qualifier, declaration
// or parameter); the value is stored in that owner. Every failure is
// recorded as the thread's last error (or logged where the text says so) and
// the parse goes on; popped items go back unless consumed.
#pragma once

#include "common_handlers/handler_support.h"

// The value of an embedded object's text for a property or parameter
// declared type (15 instance, 16 class), decoded by the message's handler set
// with the target path for namespace defaults (NULL when the set decodes no
// embedded objects). Independent clients
// mark an embedded instance EmbeddedObject="object" too: in the strict
// profile a text whose first element is an INSTANCE decodes as an instance
// whatever the declaration says. A new value the caller owns, or NULL.
CIMValue *embedded_object_value(const MessageData *msgData, int type, const char *text);

// VALUE.REFERENCE start: pushes "VALUE.REFERENCE" with a new path named
// "Container" that the path elements inside fill in.
void common_value_reference_element(MessageData *msgData, const ExpatElement *element);
// VALUE.ARRAY start: pushes "VALUE.ARRAY" with a new empty value list.
void common_value_array_element(MessageData *msgData, const ExpatElement *element);
// VALUE.REFARRAY start: pushes "VALUE.REFARRAY" with a new empty value list.
void common_value_refarray_element(MessageData *msgData, const ExpatElement *element);
// VALUE.NULL: strict appends a NULL element to the VALUE.ARRAY or
// VALUE.REFARRAY being read (typed as the array's owner declares it);
// classic lets the element pass, as it always has. Cannot fail but for
// memory, which is reported as a decoding error.
void common_value_null_element(MessageData *msgData, const ExpatElement *element);

// VALUE, at its end tag with its text. Inside a schema element it sets the
// value of the declaration, qualifier or property the item on top stands
// for (a qualifier's or property's marker is consumed by the first value);
// the request set also fills the current parameter, or an element of a
// VALUE.ARRAY in one; the response set a return value (several VALUEs give
// several), the current output parameter (its marker consumed) and the
// elements of arrays in them (a return value's as strings).
void common_value_pcdata(MessageData *msgData, const ExpatElement *element);
void reqmsg_value_pcdata(MessageData *msgData, const ExpatElement *element);
void rspmsg_value_pcdata(MessageData *msgData, const ExpatElement *element);

// VALUE.ARRAY end: the gathered list becomes the array value of the
// declaration, qualifier or property below it; the request set first fills
// the current parameter, the response set the current output parameter or a
// return value (a string array).
void common_value_array_endhandler(MessageData *msgData);
void reqmsg_value_array_endhandler(MessageData *msgData);
void rspmsg_value_array_endhandler(MessageData *msgData);

// VALUE.REFERENCE end inside a PROPERTY.REFERENCE or a VALUE.REFARRAY (the
// part both sets share; see path_handlers.h for theirs).
void common_value_reference_endhandler(MessageData *msgData);

// VALUE.REFARRAY end inside a PARAMVALUE or a PARAMETER.REFARRAY; the
// response set first fills the current output parameter or a return value.
void common_value_refarray_endhandler(MessageData *msgData);
void rspmsg_value_refarray_endhandler(MessageData *msgData);
