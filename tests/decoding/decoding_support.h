// decoding_support.h - helpers of the decoding tests: documents, parsing with
// ownership, reading decoded objects back as plain C++ values.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <cimobj/cimobj.h>

#include "common_handlers/message_data.h"

namespace decoding {

struct MessageDataDeleter {
    void operator()(MessageData *msgData) const;
};
using Message = std::unique_ptr<MessageData, MessageDataDeleter>;

// Parses document with cimxmlParseMessage.
Message parse(const std::string &document);

// A whole request: XML declaration, CIM and MESSAGE (ID 1001) around body.
std::string request(const std::string &body);
// SIMPLEREQ / IMETHODCALL named name on the namespace (components joined by
// "/") holding params.
std::string intrinsic(const std::string &name, const std::string &nameSpace, const std::string &params);

// Narrow text of a string (empty for NULL), and "(null)" markers where the
// difference matters.
std::string narrow(const CIMString *text);
std::string narrow_or_null(const CIMString *text);

// Sets a marker error (status 0, "unchanged") as the thread's last error, so
// that a test can tell whether anything was recorded afterwards.
void mark_last_error();
// The last error as "status: description", or "unchanged" when the marker is still there.
std::string last_error();

// The method's name and parameters.
std::string method_name(const MessageData *msgData);
std::vector<CIMProperty *> parameters(const MessageData *msgData);
CIMProperty *parameter(const MessageData *msgData, const std::string &name);

// Typed reads of a value (the value must have that type; checked by the caller).
int value_type(const CIMValue *value);
std::string string_value(const CIMValue *value);
int bool_value(const CIMValue *value);
void *content(const CIMValue *value);
std::vector<CIMValue *> elements(const CIMValue *value);

// The key bindings of a path as "name=text" (text of the key value, or
// "[ref ClassName]" for a reference key), in order.
std::vector<std::string> keys(const CIMObjectPath *path);

// Text of a value through the object library ("(null)" for a null value).
std::string value_text(const CIMValue *value);

}  // namespace decoding
