// export_listener.cpp - the listener's side of an export: the request goes
// through the module's own request handler, with a handle whose only slot
// hands the indication to the listener's handler, so that the answer is
// the one the module gives any export request.
#include <cimxml/cimxml.h>
#include <cimxml/cimxml_client.h>

#include "client_adapter/request_framing.h"
#include "cimxml_common/xml_sink.h"

namespace {

struct Listening {
    CIMXMLIndicationHandler handler;
    void *context;
};
thread_local const Listening *current = nullptr;

ReturnCode *handOver(CIMObjectPath *, CIMInstance *indication) {
    int status = current && current->handler ? current->handler(current->context, indication) : 0;
    return newReturnCode(status, status != 0 ? L"the indication listener cannot take it now" : nullptr);
}

}  // namespace

char *CIMXMLdecode_exportRequest(const char *request, CIMXMLIndicationHandler handler, void *context) {
    client_requests::enter_client();
    CIMOMHandle handle{};
    handle.pfn_deliverIndication = handOver;
    const Listening listening{handler, context};
    current = &listening;
    MessageHandler *answer = CIMXML_RequestMessage_Handler(request, nullptr, &handle);
    current = nullptr;
    const char *text = CIMXML_getResponseFromMessageHandler(answer);
    char *copy = text ? joined_fragment({text}) : nullptr;
    CIMXML_releaseMessageHandler(answer);
    return copy;
}
