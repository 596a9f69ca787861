// embedded_objects.h - instances and classes carried as the text of a value.
//
// The text is not parsed by a parser of its own: it is wrapped as the one
// parameter of a synthetic intrinsic request and decoded by the message
// parser, so embedded objects inside it are decoded the same way, one level
// deeper each time. Nesting is bounded (kMaxEmbeddedObjectDepth).
#pragma once

#include <cimobj/cimobj.h>

#include "common_handlers/message_data.h"

// Deepest nesting of embedded objects that is decoded; a value nested deeper
// fails with "getEmbeddedObjectValue - Embedded objects nested deeper than 32
// levels." and the rest of the document still decodes.
inline constexpr int kMaxEmbeddedObjectDepth = 32;

// New value holding the instance (type 15) or class (16) the text describes,
// which the caller owns; NULL for any other type, a text that holds no
// INSTANCE or CLASS tag, a text that does not decode or nests too deep (each
// logged, the last recorded as the last error). An object without a
// namespace of its own gets a copy of contextPath's namespace (contextPath
// may be NULL); in the strict profile an object nested inside an embedded
// object gets the namespace of the outermost message instead of the
// synthetic message's placeholder.
CIMValue *getEmbeddedObjectValue(const CIMObjectPath *contextPath, int type, const char *text);

// New instance, class or object path decoded from the text of an INSTANCE,
// CLASS or INSTANCENAME element (quotes may be escaped with a backslash);
// NULL on failure, which is logged.
CIMInstance *cimxmlParseInstance(const char *text);
CIMClass *cimxmlParseClass(const char *text);
CIMObjectPath *cimxmlParseObjectPath(const char *text);

// MessageData of the synthetic request that carries text as the parameter
// parameterName, which the caller frees with freeMessageData; NULL when an
// argument is NULL (recorded as the last error), the text is not an
// embedded object (logged), memory is exhausted, or the message does not
// parse.
MessageData *cimxmlParseObject(const char *text, const char *parameterName);

// 1 when text contains "<INSTANCE", "</INSTANCE>", "<CLASS" or "</CLASS>"; else 0.
int isEmbeddedObjectText(const char *text);

// New copy of text (kind 2) in which every backslash directly before a
// double quote is removed. NULL for NULL or when memory is exhausted.
char *unescapeQuotes(const char *text);

// How many synthetic messages the calling thread is decoding right now, one
// inside the other.
int embeddedObjectDepth();
