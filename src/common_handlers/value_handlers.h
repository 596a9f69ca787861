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

// VALUE text inside a schema element: sets the value of the declaration,
// qualifier or property the item on top stands for. Qualifier and property
// markers are consumed by their first value.
void common_value_pcdata(MessageData *msgData, const ExpatElement *element);

// VALUE.ARRAY end inside a schema element: the gathered list becomes the
// array value of the declaration, qualifier or property below it.
void common_value_array_endhandler(MessageData *msgData);
// VALUE.REFERENCE end inside a PROPERTY.REFERENCE or a VALUE.REFARRAY.
void common_value_reference_endhandler(MessageData *msgData);
// VALUE.REFARRAY end inside a PARAMVALUE or a PARAMETER.REFARRAY.
void common_value_refarray_endhandler(MessageData *msgData);

// The qualifier that a QUALIFIER's value belongs to, found from owner, the
// item that lay below the consumed "QUALIFIER_TYPE" marker. Every item
// popped on the way, owner included, is pushed back before returning.
// arrayForm selects the walk of the VALUE.ARRAY end (a "PARAMETER.REFARRAY"
// owner counts as a parameter, and a broken METHOD/CLASS chain below a
// parameter is logged). Returns the qualifier (lent) or NULL; *missing is set
// when a list, method, property or qualifier that must exist is missing, or,
// outside arrayForm, when the parameter chain is broken.
CIMQualifier *find_owner_qualifier(MessageData *msgData, StackItem *owner, bool arrayForm, bool *missing);
