// request_handlers.h - the handlers of the request set (operation and
// export requests) for the message, the call and its parameters. They fill
// MessageData: messageId, method (name and parameters), isMethodCall. A
// handler that meets a missing attribute or an unexpected stack records a
// decoding error (the thread's last error) and returns; the parse goes on.
#pragma once

#include "common_handlers/handler_support.h"

// MESSAGE start (also used by the response set): messageId = ID; a missing
// ID records "No message id.", a missing PROTOCOLVERSION "No protocol version.".
void reqmsg_message_element(MessageData *msgData, const ExpatElement *element);

// IMETHODCALL, METHODCALL, EXPMETHODCALL start: the first call element makes
// method (named NAME, return type 17); METHODCALL sets isMethodCall. A later
// call element is ignored (classic) or refused with status 4 (strict).
void reqmsg_methodcall_element(MessageData *msgData, const ExpatElement *element);

// MULTIREQ and MULTIEXPREQ start: the strict profile refuses the request
// (refusal status 7); classic has refused it by its text before parsing.
void reqmsg_multireq_element(MessageData *msgData, const ExpatElement *element);

// LOCALNAMESPACEPATH start: a second path of the call's target (outside any
// parameter or reference) is refused with status 4 in the strict profile;
// classic joins the two namespaces.
void reqmsg_localnamespacepath_element(MessageData *msgData, const ExpatElement *element);

// IPARAMVALUE, PARAMVALUE, EXPPARAMVALUE start: appends a parameter with a
// null value, typed by PARAMTYPE, else by its name; EmbeddedObject makes it a
// class (16, "object") or an instance (15). Pushes "PARAMTYPE" (PARAMVALUE,
// carrying the PARAMTYPE text) or "PARAMVALUE".
void reqmsg_paramvalue_element(MessageData *msgData, const ExpatElement *element);
// End of the three parameter elements: clears the object stack.
void reqmsg_paramvalue_endhandler(MessageData *msgData);

// INSTANCE end: the finished instance becomes the current parameter's value (15).
void reqmsg_instance_endhandler(MessageData *msgData);
