// method_requests.cpp - the client request of an extrinsic method call.
#include <cimxml/cimxml_client.h>

#include "client_adapter/request_framing.h"

using namespace client_requests;

char *CIMXMLencode_invokeMethod(const CIMObjectPath *path, const CIMString *methodName,
                                const CIMPropertyList *inParameters, int withoutHeader) {
    enter_client();
    static const char *const encoder = "CIMXMLencode_invokeMethod";
    if (!path || !getCIMStringBuffer(methodName)) {
        log_failure(encoder, " - failed; Null parameter.");
        return nullptr;
    }
    // The call element carries the method's own name; the header says InvokeMethod.
    wchar_t *name = getCIMStringBuffer(methodName);
    request_call call{encoder, name, "InvokeMethod", 0};
    CIMPropertyList *none = inParameters ? nullptr : newCIMPropertyList();
    char *request = frame_request(call, path, inParameters ? inParameters : none, nullptr, withoutHeader);
    freeCIMPropertyList(none);
    return request;
}
