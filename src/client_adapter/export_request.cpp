// export_request.cpp - the export request that delivers an indication to a
// listener, and the listener's answer to it.
#include <cimxml/cimxml_client.h>

#include "cimxml_common/xml_sink.h"
#include "cimxml_schema/response_body.h"
#include "cimxml_schema/xml_primitives.h"
#include "client_adapter/request_framing.h"

using namespace client_requests;

char *CIMXMLencode_exportIndication(const CIMInstance *indication, int withoutHeader) {
    static const char *const encoder = "CIMXMLencode_exportIndication";
    enter_client();
    if (!indication) {
        log_failure(encoder, " - failed; Null parameter.");
        return nullptr;
    }
    request_parameters parameters(encoder);
    parameters.instance(L"NewIndication", indication);
    if (!parameters.list()) return nullptr;
    return frame_export_request(encoder, "ExportIndication", parameters.list(), withoutHeader);
}

char *CIMXMLencode_exportResponse(const char *messageId, const ReturnCode *status) {
    enter_client();
    CIMString *method = createCIMStringFromChar("ExportIndication");
    if (!method) return nullptr;
    const ReturnCode *error = status && status->rc != 0 ? status : nullptr;
    char *document = written_fragment([&](xml_sink &out) {
        if (!write_message_head(out, messageId)) return false;
        if (write_simpleexprsp(out, method, nullptr, nullptr, error) == 0) return false;
        out.put(message_tail_text);
        return out.ok();
    });
    freeCIMString(method);
    if (!document) log_failure("CIMXMLencode_exportResponse", " - Could not encode the response.");
    return document;
}
