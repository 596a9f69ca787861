// property_requests.cpp - the client requests GetProperty and SetProperty.
#include <cimxml/cimxml_client.h>

#include "client_adapter/request_framing.h"

using namespace client_requests;

char *CIMXMLencode_getProperty(const CIMObjectPath *instancePath, const CIMString *propertyName, int withoutHeader) {
    static const request_call call{"CIMXMLencode_getProperty", L"GetProperty", "GetProperty", 1};
    enter_client();
    if (refuse_null(call, instancePath)) return nullptr;
    request_parameters parameters(call.encoder);
    parameters.reference(L"InstanceName", instancePath).string(L"PropertyName", propertyName);
    return frame_request(call, instancePath, parameters.list(), nullptr, withoutHeader);
}

char *CIMXMLencode_setProperty(const CIMObjectPath *instancePath, const CIMString *propertyName,
                               const CIMValue *newValue, int withoutHeader) {
    static const request_call call{"CIMXMLencode_setProperty", L"SetProperty", "SetProperty", 1};
    enter_client();
    if (refuse_null(call, instancePath)) return nullptr;
    request_parameters parameters(call.encoder);
    parameters.reference(L"InstanceName", instancePath)
        .string(L"PropertyName", propertyName)
        .value(L"NewValue", newValue);
    return frame_request(call, instancePath, parameters.list(), nullptr, withoutHeader);
}
