// decoder_support.cpp - reading a response as the answer to an operation.
#include "client_adapter/decoder_support.h"

#include <cimxml/cimxml_client.h>

#include <cstring>

#include "cimxml_common/last_error.h"
#include "cimxml_common/memory.h"
#include "client_adapter/request_framing.h"

namespace client_responses {

namespace {

std::string narrow(const CIMString *text) {
    char *chars = createCharFromCIMString(text);
    std::string result = chars ? chars : "";
    cimxml_free(chars, CIMXML_ATOMIC);
    return result;
}

// How an answer presents itself in a failure text.
std::string answer_text(const MessageData *message) {
    std::string name = narrow(message->responseMethodName);
    if (message->kind == CIMXML_KIND_EXPORT_RESPONSE) return "the export " + name;
    if (message->isMethodCall) return "the extrinsic method " + name;
    return name;
}

// Why message is not the answer d expects; empty when it is.
std::string mismatch(const MessageData *message, const decoder &d) {
    if (!message->responseMethodName)
        return "the response has no IMETHODRESPONSE, METHODRESPONSE or EXPMETHODRESPONSE inside "
               "CIM, MESSAGE and SIMPLERSP or SIMPLEEXPRSP.";
    answer_kind kind = message->kind == CIMXML_KIND_EXPORT_RESPONSE ? answer_kind::exported
                       : message->isMethodCall                      ? answer_kind::extrinsic
                                                                    : answer_kind::intrinsic;
    bool sameName = d.kind == answer_kind::extrinsic ||
                    local_strcasecmp(narrow(message->responseMethodName).c_str(), d.operation) == 0;
    if (kind == d.kind && sameName) return {};
    std::string expected = d.kind == answer_kind::extrinsic ? "an extrinsic method"
                           : d.kind == answer_kind::exported ? "the export " + std::string(d.operation)
                                                             : d.operation;
    return "the response answers " + answer_text(message) + ", not " + expected + ".";
}

}  // namespace

ReturnCode *success() { return newReturnCode(0, nullptr); }

ReturnCode *failure(const decoder &d, const std::string &why) {
    std::string text = std::string(d.name) + " - failed; " + why;
    cimPrintMessage(CIM_LOG_ERROR, L"%s", text.c_str());
    wchar_t *wide = createWideFromChar(text.c_str());
    ReturnCode *rc = newReturnCode(1, wide);
    cimxml_free(wide, CIMXML_ATOMIC);
    return rc;
}

ReturnCode *answer_refusal(const MessageData *message, const decoder &d) {
    std::string why = mismatch(message, d);
    if (why.empty() && message->refusal) why = narrow(getReturnCodeDescription(message->refusal));
    return why.empty() ? nullptr : failure(d, why);
}

message_owner read_answer(const char *response, const decoder &d, ReturnCode **result) {
    client_requests::enter_client();
    *result = nullptr;
    message_owner message(cimxml_decode_message(response, nullptr));
    if (!message) {
        cimPrintMessage(CIM_LOG_ERROR, L"%s - failed; Message data is NULL.", d.name);
        *result = cimxml_getlasterror();
        if (!*result) {
            std::wstring fallback = std::wstring(d.operation, d.operation + std::strlen(d.operation)) + L" failed";
            *result = newReturnCode(1, fallback.c_str());
        }
        return nullptr;
    }
    // The classic profile refuses an intrinsic method it does not serve with
    // an ERROR in an IMETHODRESPONSE named "MethodResponse": that ERROR is
    // the answer to whichever intrinsic operation was asked.
    bool classicRefusal = message->error && d.kind == answer_kind::intrinsic && !message->isMethodCall &&
                          message->kind != CIMXML_KIND_EXPORT_RESPONSE && message->responseMethodName &&
                          narrow(message->responseMethodName) == "MethodResponse";
    if (!classicRefusal && (*result = answer_refusal(message.get(), d))) return nullptr;
    if (message->error) {
        *result = copyReturnCode(message->error);
        return nullptr;
    }
    return message;
}

std::string not_well_formed(const char *reason, long line) {
    return std::string("the response is not well formed: ") + (reason ? reason : "unknown error") + " at line " +
           std::to_string(line) + " of the message.";
}

std::string kind_of(int type) {
    switch (type) {
        case CIM_OBJECT:
            return "an instance";
        case CIM_CLASS:
            return "a class";
        case CIM_REFERENCE:
            return "a path";
        case CIM_STRING:
            return "a class name or string";
        default:
            return "a value";
    }
}

int return_value_count(const MessageData *message) { return getCIMValueListLength(message->returnValues); }

CIMValue *return_value_at(const MessageData *message, int index) { return getCIMValueAt(message->returnValues, index); }

void *take_content(CIMValue *value) {
    void *content = nullptr;
    freeReturnCode(getCIMValue(value, &content, nullptr));
    if (content) {
        value->isNull = 1;
        value->data.instance = nullptr;
    }
    return content;
}

void drop_list(CIMList **list) {
    if (!list) return;
    freeList(*list);
    *list = nullptr;
}

}  // namespace client_responses
