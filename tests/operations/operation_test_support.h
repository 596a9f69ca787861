// operation_test_support.h - requests, runs and readings shared by the
// operation and handler tests.
#pragma once

#include <string>

#include <cimxml/cimxml.h>

#include "common_handlers/message_data.h"

namespace optest {

// A whole request document: XML declaration, CIM and MESSAGE (ID 1001)
// around body.
std::string request(const std::string &body);
// SIMPLEREQ / IMETHODCALL name on the namespace (components joined by "/";
// empty: no LOCALNAMESPACEPATH) holding params.
std::string intrinsic(const std::string &name, const std::string &nameSpace, const std::string &params = "");
// SIMPLEREQ / METHODCALL name on LOCALCLASSPATH (no keys) or
// LOCALINSTANCEPATH (instanceName given as INSTANCENAME text) holding params.
std::string extrinsic(const std::string &name, const std::string &nameSpace, const std::string &target,
                      const std::string &params = "");
// SIMPLEEXPREQ / EXPMETHODCALL "ExportIndication" holding params.
std::string exportRequest(const std::string &params);

// Parameter elements.
std::string iparam(const std::string &name, const std::string &child);
std::string classNameParam(const std::string &className);
std::string instanceNameParam(const std::string &className, const std::string &keyName, const std::string &key);
std::string valueParam(const std::string &name, const std::string &text);
// INSTANCE of className with one string property per (name, text) pair.
std::string instanceXml(const std::string &className, const std::string &propertyName, const std::string &text);

// The whole response the handler gives for text ("(null record)" for NULL).
std::string handle(const char *text, CIMOMHandle *handle);
inline std::string handle(const std::string &text, CIMOMHandle *cimom) { return handle(text.c_str(), cimom); }

// Outcome of one operation function run on a parsed request.
struct Outcome {
    int result;            // what the function returned
    std::string response;  // the pool's text ("" when it has none)
};
using OperationFunction = int (*)(PoolString *, MessageData *, CIMOMHandle *);
// Parses document and runs function on it with handle (the parse must work).
Outcome run(OperationFunction function, const std::string &document, CIMOMHandle *handle);

// Sets a marker as the thread's last error so that a test sees whether
// something was recorded afterwards.
void markLastError();
// The last error as "code: description" ("code" alone without one).
std::string lastError();

// The part of a response between the IMETHODRESPONSE / METHODRESPONSE /
// EXPMETHODRESPONSE start and end lines, and the element's start line.
std::string responseBody(const std::string &response);
std::string responseStartLine(const std::string &response);

// Header lines and message head of a response to message id.
std::string responseHead(const std::string &id = "1001");
// MESSAGE and CIM end tags.
std::string responseTail();

}  // namespace optest
