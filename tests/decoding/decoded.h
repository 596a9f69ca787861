// decoded.h - parsing a document, and what it decoded into as text.
#pragma once

#include <memory>
#include <string>

#include "cimop_request/request_routing.h"
#include "support/cimom_double.h"
#include "support/last_error_text.h"
#include "support/requests.h"

namespace decoding {

using namespace testsupport;

struct MessageDataDeleter {
    void operator()(MessageData *msgData) const { freeMessageData(msgData); }
};
using Message = std::unique_ptr<MessageData, MessageDataDeleter>;

inline Message parse(const std::string &document) { return Message(cimxmlParseMessage(document.c_str(), &cimxml_request_handlers)); }

// All that a decoded request holds, one item a line: kind, message id, call,
// intrinsic or extrinsic and the target path, the target's keys;
// each parameter; the paths of named instances ("path ..."), the
// declaration ("declaration ..."), a refusal ("refused code: text") and what
// is left on the stacks ("left ...").
inline std::string decoded(const MessageData *md) {
    if (md == nullptr) return "(not decoded)";
    std::string text = std::to_string(md->kind) + " " + (md->messageId ? md->messageId : "(no id)") + " " +
                       (md->method ? narrowText(getMethodName(md->method)) : "(no call)") +
                       (md->isMethodCall ? " extrinsic " : " intrinsic ") + pathText(md->objectPath) + "\n";
    CIMPropertyList *keys = md->objectPath ? getObjectPathKeys(md->objectPath) : nullptr;
    for (int i = 0; i < getCIMPropertyListLength(keys); ++i) text += propertyText(getCIMPropertyAt(keys, i)) + "\n";
    CIMPropertyList *parameters = md->method ? getMethodParameters(md->method) : nullptr;
    for (int i = 0; i < getCIMPropertyListLength(parameters); ++i) {
        text += propertyText(getCIMPropertyAt(parameters, i)) + "\n";
    }
    for (int i = 0; i < getCIMObjectPathListLength(md->instancePaths); ++i) {
        text += "path " + pathText(getCIMObjectPathAt(md->instancePaths, i)) + "\n";
    }
    if (md->qualifierType) text += "declaration " + declarationText(md->qualifierType) + "\n";
    if (md->refusal) {
        text += "refused " + std::to_string(getErrorFromRetCode(md->refusal)) + ": " +
                narrowText(getReturnCodeDescription(md->refusal)) + "\n";
    }
    for (std::size_t i = 0; i < stack_depth(&md->objectStack); ++i)
        text += std::string("left ") + item_kind_name(stack_peek(&md->objectStack, i)->kind) + "\n";
    for (std::size_t i = 0; i < element_stack_depth(&md->elementStack); ++i) text += "left expatElement\n";
    return text;
}

// The content of the named parameter's value (lent), NULL when absent.
inline void *content(const MessageData *md, const std::string &name) {
    std::wstring wide(name.begin(), name.end());
    CIMProperty *parameter =
        md && md->method ? findCIMProperty(getMethodParameters(md->method), wide.c_str()) : nullptr;
    void *data = nullptr;
    if (parameter) freeReturnCode(getCIMValue(propertyGetValue(parameter), &data, nullptr));
    return data;
}

}  // namespace decoding
