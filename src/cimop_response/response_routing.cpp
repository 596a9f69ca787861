// response_routing.cpp - the routing frame of the response handler set.
#include "cimop_response/response_routing.h"

#include "common_handlers/parse_driver.h"

// No response element has a handler yet: every element only passes through
// the element stack. The response handlers come with their own routing
// tables (RouteIndex over rows in the set's order) when responses are decoded.

void rspmsg_start_element(MessageData *msgData, const char *name, const char **attributes) {
    run_start_route(msgData, name, attributes, nullptr);
}

void rspmsg_end_element(MessageData *msgData, const char *) {
    run_end_route(msgData, nullptr);
}
