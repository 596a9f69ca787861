// response_routing.cpp - the routing tables of the response handler set.
#include "cimop_response/response_routing.h"

#include "cimop_request/embedded_objects.h"
#include "cimop_request/request_handlers.h"
#include "cimop_response/response_handlers.h"
#include "common_handlers/path_handlers.h"
#include "common_handlers/method_handlers.h"
#include "common_handlers/named_instance_handlers.h"
#include "common_handlers/qualifier_handlers.h"
#include "common_handlers/schema_handlers.h"
#include "common_handlers/shared_routes.h"
#include "common_handlers/value_handlers.h"

namespace {

// VALUE, KEYVALUE and HOST do their work at the end tag, with their text as
// the response gave it.
void rspmsg_value_endhandler(MessageData *msgData) { run_text_endhandler(msgData, false, rspmsg_value_pcdata); }
void rspmsg_keyvalue_endhandler(MessageData *msgData) { run_text_endhandler(msgData, false, rspmsg_keyvalue_pcdata); }
void rspmsg_host_endhandler(MessageData *msgData) { run_text_endhandler(msgData, false, rspmsg_host_pcdata); }

// Start tags of this side, before the shared ones; a row without handler
// only lets the element pass.
constexpr StartRoute kResponseStartRoutes[] = {
    {"MESSAGE", reqmsg_message_element},
    {"METHODRESPONSE", rspmsg_methodresponse_element},
    {"IMETHODRESPONSE", rspmsg_methodresponse_element},
    {"EXPMETHODRESPONSE", rspmsg_methodresponse_element},
    {"ERROR", rspmsg_error_element},
    {"RETURNVALUE", rspmsg_returnvalue_element},
    {"IRETURNVALUE", rspmsg_returnvalue_element},
    {"NAMESPACE", rspmsg_namespace_element},
    {"CLASSNAME", rspmsg_classname_element},
    {"INSTANCENAME", rspmsg_instancename_element},
    {"KEYBINDING", rspmsg_keybinding_element},
    {"PARAMVALUE", rspmsg_paramvalue_element},
    {"OBJECTPATH", rspmsg_objectpath_element},
    {"INSTANCEPATH", rspmsg_instancepath_element},
    {"VALUE.OBJECTWITHPATH", common_namedinstance_element},
    {"VALUE.OBJECTWITHLOCALPATH", common_namedinstance_element},
    {"VALUE.INSTANCEWITHPATH", common_namedinstance_element},
    {"VALUE.OBJECT", nullptr},
};

// End tags of this side, before the shared ones.
constexpr EndRoute kResponseEndRoutes[] = {
    {"RETURNVALUE", rspmsg_returnvalue_endhandler},
    {"IRETURNVALUE", rspmsg_returnvalue_endhandler},
    {"PARAMVALUE", rspmsg_paramvalue_endhandler},
    {"VALUE.REFERENCE", rspmsg_value_reference_endhandler},
    {"VALUE.ARRAY", rspmsg_value_array_endhandler},
    {"VALUE.REFARRAY", rspmsg_value_refarray_endhandler},
    {"INSTANCENAME", rspmsg_instancename_endhandler},
    {"OBJECTPATH", rspmsg_objectpath_endhandler},
    {"INSTANCEPATH", rspmsg_instancepath_endhandler},
    {"INSTANCE", rspmsg_instance_endhandler},
    {"CLASS", rspmsg_class_endhandler},
    {"QUALIFIER.DECLARATION", rspmsg_qualifier_declaration_endhandler},
    {"VALUE", rspmsg_value_endhandler},
    {"KEYVALUE", rspmsg_keyvalue_endhandler},
    {"HOST", rspmsg_host_endhandler},
    {"VALUE.NAMEDINSTANCE", rspmsg_namedinstance_endhandler},
    {"VALUE.OBJECTWITHPATH", rspmsg_namedinstance_endhandler},
    {"VALUE.OBJECTWITHLOCALPATH", rspmsg_namedinstance_endhandler},
    {"VALUE.INSTANCEWITHPATH", rspmsg_namedinstance_endhandler},
};

// Built on first use, so that a parse during static initialisation finds them.
const RouteIndex<StartRoute> &response_starts() {
    static const RouteIndex<StartRoute> index({std::span<const StartRoute>(kResponseStartRoutes), kSharedStartRoutes});
    return index;
}
const RouteIndex<EndRoute> &response_ends() {
    static const RouteIndex<EndRoute> index({std::span<const EndRoute>(kResponseEndRoutes), kSharedEndRoutes});
    return index;
}

}  // namespace

void rspmsg_start_element(MessageData *msgData, const char *name, const char **attributes) {
    run_start_route(msgData, name, attributes, response_starts().find(name));
}

void rspmsg_end_element(MessageData *msgData, const char *name) { run_end_route(msgData, response_ends().find(name)); }

const HandlerSet cimxml_response_handlers = {rspmsg_start_element, rspmsg_end_element, getEmbeddedObjectValue};
