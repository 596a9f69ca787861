// response_routing.h - the routing frame of the response handler set
// (operation and export responses).
//
// The response handlers are not part of the module yet: the frame keeps the
// element stack of a response in step and routes no element, so a response
// parses to a MessageData that holds its message kind and nothing decoded.
#pragma once

#include "common_handlers/message_data.h"

void rspmsg_start_element(MessageData *msgData, const char *name, const char **attributes);
void rspmsg_end_element(MessageData *msgData, const char *name);

