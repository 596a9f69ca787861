// request_routing.h - the routing of the request handler set (operation and
// export requests): element names to start and end handlers, tested in a
// fixed order, the first match deciding.
#pragma once

#include "common_handlers/parse_driver.h"

// Start tag: the element's record goes on the element stack, then its start
// handler (if it has one) runs. Elements without handler only pass.
void reqmsg_start_element(MessageData *msgData, const char *name, const char **attributes);
// End tag: the element's end handler runs (its record still on top of the
// element stack); the driver pops the record afterwards.
void reqmsg_end_element(MessageData *msgData, const char *name);

// The request set as the parser driver runs it (the two functions above).
extern const HandlerSet cimxml_request_handlers;
