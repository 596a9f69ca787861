// request_routing.cpp - the routing tables of the request handler set.
#include "cimop_request/request_routing.h"

#include "cimop_request/embedded_objects.h"
#include "cimop_request/request_handlers.h"
#include "common_handlers/path_handlers.h"
#include "common_handlers/method_handlers.h"
#include "common_handlers/named_instance_handlers.h"
#include "common_handlers/parse_driver.h"
#include "common_handlers/qualifier_handlers.h"
#include "common_handlers/schema_handlers.h"
#include "common_handlers/shared_routes.h"
#include "common_handlers/value_handlers.h"
#include "cimxml_common/profile.h"

namespace {

// VALUE, KEYVALUE and HOST do their work at the end tag, with their text.
// Classic trims line breaks off values; strict keeps a value's text as the
// document holds it (a parser has already made every literal line end one
// LF, so a CR there was written as a reference on purpose).
void reqmsg_value_endhandler(MessageData *msgData) {
    run_text_endhandler(msgData, !strict_profile(), reqmsg_value_pcdata);
}
void reqmsg_keyvalue_endhandler(MessageData *msgData) {
    run_text_endhandler(msgData, !strict_profile(), reqmsg_keyvalue_pcdata);
}
void reqmsg_host_endhandler(MessageData *msgData) { run_text_endhandler(msgData, true, reqmsg_host_pcdata); }

// Start tags of this side, before the shared ones; a row without handler
// only lets the element pass.
constexpr StartRoute kRequestStartRoutes[] = {
    {"MESSAGE", reqmsg_message_element},
    {"MULTIREQ", reqmsg_multireq_element},
    {"MULTIEXPREQ", reqmsg_multireq_element},
    {"IMETHODCALL", reqmsg_methodcall_element},
    {"METHODCALL", reqmsg_methodcall_element},
    {"EXPMETHODCALL", reqmsg_methodcall_element},
    {"EXPPARAMVALUE", reqmsg_paramvalue_element},
    {"LOCALNAMESPACEPATH", reqmsg_localnamespacepath_element},
    {"NAMESPACE", reqmsg_namespace_element},
    {"LOCALCLASSPATH", nullptr},
    {"CLASSNAME", reqmsg_classname_element},
    {"LOCALINSTANCEPATH", nullptr},
    {"INSTANCENAME", reqmsg_instancename_element},
    {"KEYBINDING", reqmsg_keybinding_element},
    {"CLASSPATH", nullptr},
    {"NAMESPACEPATH", nullptr},
    {"HOST", nullptr},
    {"INSTANCEPATH", nullptr},
    {"IPARAMVALUE", reqmsg_paramvalue_element},
    {"PARAMVALUE", reqmsg_paramvalue_element},
};

// End tags of this side, before the shared ones.
constexpr EndRoute kRequestEndRoutes[] = {
    {"INSTANCENAME", reqmsg_instancename_endhandler},
    {"VALUE.REFERENCE", reqmsg_value_reference_endhandler},
    {"IPARAMVALUE", reqmsg_paramvalue_endhandler},
    {"PARAMVALUE", reqmsg_paramvalue_endhandler},
    {"EXPPARAMVALUE", reqmsg_paramvalue_endhandler},
    {"VALUE.ARRAY", reqmsg_value_array_endhandler},
    {"VALUE.REFARRAY", common_value_refarray_endhandler},
    {"VALUE.NAMEDINSTANCE", common_namedinstance_endhandler},
    {"QUALIFIER.DECLARATION", common_qualifier_declaration_endhandler},
    {"CLASS", common_class_endhandler},
    {"INSTANCE", reqmsg_instance_endhandler},
    {"VALUE", reqmsg_value_endhandler},
    {"KEYVALUE", reqmsg_keyvalue_endhandler},
    {"HOST", reqmsg_host_endhandler},
};

// Built on first use, so that a parse during static initialisation finds them.
const RouteIndex<StartRoute> &request_starts() {
    static const RouteIndex<StartRoute> index({std::span<const StartRoute>(kRequestStartRoutes), kSharedStartRoutes});
    return index;
}
const RouteIndex<EndRoute> &request_ends() {
    static const RouteIndex<EndRoute> index({std::span<const EndRoute>(kRequestEndRoutes), kSharedEndRoutes});
    return index;
}

}  // namespace

void reqmsg_start_element(MessageData *msgData, const char *name, const char **attributes) {
    run_start_route(msgData, name, attributes, request_starts().find(name));
}

void reqmsg_end_element(MessageData *msgData, const char *name) {
    run_end_route(msgData, request_ends().find(name));
}

const HandlerSet cimxml_request_handlers = {reqmsg_start_element, reqmsg_end_element, getEmbeddedObjectValue};
