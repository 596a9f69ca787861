// qualifier_handlers.h - QUALIFIER, QUALIFIER.DECLARATION and SCOPE, shared
// by both handler sets. Failures are recorded as the thread's last error and
// the parse goes on; qualifiers that cannot be attached are freed.
#pragma once

#include "common_handlers/handler_support.h"

// QUALIFIER.DECLARATION start: pushes "QUALIFIER.DECLARATION" with a new
// declaration of NAME and TYPE (both required; ISARRAY "true" makes the type
// an array type), flavor from the flavor attributes (absent OVERRIDABLE and
// TOSUBCLASS count as true, so no flavor attributes give 9) and scope 507.
void common_qualifier_declaration_element(MessageData *msgData, const ExpatElement *element);
// SCOPE: the declaration on top gets the scope bits of the attributes that
// are "true"; none true gives 507.
void common_scope_element(MessageData *msgData, const ExpatElement *element);
// QUALIFIER.DECLARATION end: a declaration directly inside a parameter
// becomes the message's qualifierType; any other is dropped.
void common_qualifier_declaration_endhandler(MessageData *msgData);

// QUALIFIER start: a new qualifier of NAME and TYPE (required; no flavor
// attributes give flavor 0) is attached to the object the top item stands
// for (class, property, method, method parameter, or the current parameter
// of the call), then "QUALIFIER_TYPE" is pushed with the TYPE text.
void common_qualifier_element(MessageData *msgData, const ExpatElement *element);
// QUALIFIER end: removes the marker when it is still on top.
void common_qualifier_endhandler(MessageData *msgData);
