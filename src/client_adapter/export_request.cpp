// export_request.cpp - the export request that delivers an indication to a
// listener.
#include <cimxml/cimxml_client.h>

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
