// named_instance_handlers.h - VALUE.NAMEDINSTANCE (and, in responses,
// VALUE.OBJECTWITHPATH and VALUE.OBJECTWITHLOCALPATH): the object's path is
// gathered in an "OBJECTPATH" item; a request collects it in instancePaths,
// a response gives it to the object it names.
#pragma once

#include "common_handlers/handler_support.h"

// Start: pushes "OBJECTPATH" with a new path named "Container"; the path
// elements inside fill it, the INSTANCE inside becomes a parameter's value.
// A failed creation is a decoding error.
void common_namedinstance_element(MessageData *msgData, const ExpatElement *element);
// End: the path of the "OBJECTPATH" on top is appended to instancePaths
// (created when absent); the item is freed, whatever it was.
void common_namedinstance_endhandler(MessageData *msgData);
