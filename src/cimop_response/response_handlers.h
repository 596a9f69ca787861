// response_handlers.h - the handlers of the response set (operation and
// export responses) for the answer elements: the response element, ERROR,
// the return values, the output parameters and the objects inside them.
// They fill MessageData: responseMethodName, error, returnValues,
// qualifierTypes, outParameters and instancePaths. Schema objects are built
// by the shared handlers. A handler that meets a missing attribute or an
// unexpected stack records a decoding error (the thread's last error) or
// logs, and returns; the parse goes on.
#pragma once

#include "common_handlers/handler_support.h"

// IMETHODRESPONSE, METHODRESPONSE and EXPMETHODRESPONSE start: the first one
// of a document gives responseMethodName its NAME, provided it stands in
// CIM / MESSAGE / SIMPLERSP (SIMPLEEXPRSP for the export response);
// elsewhere it is a decoding error and the name stays unset, so that a
// response in a broken envelope never passes for an answer. METHODRESPONSE
// sets isMethodCall; the kind becomes an export response for
// EXPMETHODRESPONSE and an operation response otherwise.
void rspmsg_methodresponse_element(MessageData *msgData, const ExpatElement *element);

// ERROR start: error = the status of CODE (a decimal number is the status
// itself, a status name is looked up, anything else and a missing CODE give
// 1) with the DESCRIPTION text. The first ERROR of a document counts.
void rspmsg_error_element(MessageData *msgData, const ExpatElement *element);

// RETURNVALUE and IRETURNVALUE start: creates returnValues when absent and
// pushes "RETURNVALUE" with the PARAMTYPE text (the embedded kind's type
// name when EmbeddedObject is given; none for IRETURNVALUE).
void rspmsg_returnvalue_element(MessageData *msgData, const ExpatElement *element);
// Their end: removes the "RETURNVALUE" item (or an item that stands for nothing).
void rspmsg_returnvalue_endhandler(MessageData *msgData);

// PARAMVALUE start: appends an output parameter NAME with a null value of
// PARAMTYPE (string without it; EmbeddedObject gives class or instance) to
// outParameters (created when absent) and pushes "PARAMVALUE". A missing
// NAME is logged and nothing is pushed.
void rspmsg_paramvalue_element(MessageData *msgData, const ExpatElement *element);
// PARAMVALUE end: clears the object stack.
void rspmsg_paramvalue_endhandler(MessageData *msgData);


// INSTANCE end: the finished instance becomes a return value (15).
void rspmsg_instance_endhandler(MessageData *msgData);
// CLASS end: a class inside an object-with-path wrapper becomes a return
// value (16); any other class is left to the shared handler.
void rspmsg_class_endhandler(MessageData *msgData);
// QUALIFIER.DECLARATION end: a declaration directly in a return value is
// appended to qualifierTypes (created when absent); any other is left to
// the shared handler.
void rspmsg_qualifier_declaration_endhandler(MessageData *msgData);
// End of VALUE.NAMEDINSTANCE, VALUE.OBJECTWITHPATH, VALUE.OBJECTWITHLOCALPATH
// and VALUE.INSTANCEWITHPATH: the wrapped object, when it is the last return
// value and has no path of its own, gets a copy of the wrapper's path (an
// instance its path, a class the path's namespace); the path is appended to
// instancePaths.
void rspmsg_namedinstance_endhandler(MessageData *msgData);
