// export_request_reading.cpp - what an indication listener makes of the
// export request it received: the indication and the message id to answer
// with.
#include <cimxml/cimxml_client.h>

#include <cstring>
#include <string>

#include "cimop_request/request_routing.h"
#include "client_adapter/decoder_support.h"
#include "client_adapter/request_framing.h"
#include "common_handlers/message_data.h"
#include "common_handlers/parse_driver.h"

namespace {

ReturnCode *refused(int code, const std::string &why) {
    std::wstring text(why.begin(), why.end());
    return newReturnCode(code, text.c_str());
}

}  // namespace

ReturnCode *CIMXMLdecode_exportRequest(const char *request, CIMInstance **indication, char **messageId) {
    client_requests::enter_client();
    if (indication) *indication = nullptr;
    if (messageId) *messageId = nullptr;
    if (!request || !indication || !messageId) return refused(1, "CIMXMLdecode_exportRequest - failed; Null parameter.");
    const char *body = request + std::strspn(request, " \t\r\n");
    if (*body != '<') {
        const char *end = std::strstr(request, "\r\n\r\n");
        if (!end) return refused(1, "the request has no empty line after its header");
        body = end + 4;
    }
    if (!std::strstr(body, "EXPMETHODCALL")) return refused(1, "the request is no CIM-XML export request");
    ParseFailure failure{0, nullptr};
    client_responses::message_owner message(cimxmlParseMessage(body, &cimxml_request_handlers, &failure));
    if (!message)
        return refused(1, failure.reason ? "the request is not well formed: " + std::string(failure.reason) +
                                               " at line " + std::to_string(failure.line)
                                         : "the request could not be read");
    if (message->refusal) return copyReturnCode(message->refusal);
    if (!message->method || local_wcscasecmp(message->method->name ? message->method->name->buffer : nullptr,
                                             L"ExportIndication") != 0)
        return refused(7, "the export method is not ExportIndication");
    for (CIMListNode *node = getFirstNode(message->method->parameters); node; node = getNextNode(node)) {
        auto *parameter = static_cast<CIMProperty *>(getNodeItem(node));
        if (!parameter->name || local_wcscasecmp(parameter->name->buffer, L"NewIndication") != 0) continue;
        const CIMValue *value = parameter->value;
        if (!value || value->isNull || value->type != CIM_OBJECT || !value->data.instance) break;
        *indication = copyCIMInstance(value->data.instance);
        if (!*indication) return refused(1, "out of memory");
        *messageId = real_dupChar(message->messageId ? message->messageId : "", __FILE__, __LINE__);
        return newReturnCode(0, nullptr);
    }
    return refused(4, "the request has no NewIndication instance");
}
