// qualifier_requests.cpp - the client requests of the qualifier operations:
// DeleteQualifier, EnumerateQualifiers, GetQualifier and SetQualifier.
#include <cimxml/cimxml_client.h>

#include "client_adapter/request_framing.h"

using namespace client_requests;

namespace {

// DeleteQualifier and GetQualifier: the declaration's name as "QualifierName".
char *named_qualifier_request(const request_call &call, const CIMObjectPath *path, const CIMString *qualifierName,
                              int withoutHeader) {
    enter_client();
    if (refuse_null(call, path)) return nullptr;
    if (isEmptyCIMString(qualifierName)) {
        log_failure(call.encoder, " - failed; Qualifier name is NULL.");
        return nullptr;
    }
    request_parameters parameters(call.encoder);
    parameters.string(L"QualifierName", qualifierName);
    return frame_request(call, path, parameters.list(), nullptr, withoutHeader);
}

}  // namespace

char *CIMXMLencode_deleteQualifier(const CIMObjectPath *path, const CIMString *qualifierName, int withoutHeader) {
    static const request_call call{"CIMXMLencode_deleteQualifier", L"DeleteQualifier", "DeleteQualifier", 1};
    return named_qualifier_request(call, path, qualifierName, withoutHeader);
}

char *CIMXMLencode_getQualifier(const CIMObjectPath *path, const CIMString *qualifierName, int withoutHeader) {
    static const request_call call{"CIMXMLencode_getQualifier", L"GetQualifier", "GetQualifier", 1};
    return named_qualifier_request(call, path, qualifierName, withoutHeader);
}

char *CIMXMLencode_enumerateQualifiers(const CIMObjectPath *path, int withoutHeader) {
    static const request_call call{"CIMXMLencode_enumerateQualifiers", L"EnumerateQualifiers", "EnumerateQualifiers",
                                   1};
    enter_client();
    if (!path) {
        log_failure(call.encoder, " - failed; parameter is null.");
        return nullptr;
    }
    request_parameters parameters(call.encoder);
    return frame_request(call, path, parameters.list(), nullptr, withoutHeader);
}

char *CIMXMLencode_setQualifier(const CIMObjectPath *path, const CIMQualifierType *declaration, int withoutHeader) {
    static const request_call call{"CIMXMLencode_setQualifier", L"SetQualifier", "SetQualifier", 1};
    enter_client();
    if (refuse_null(call, path) || refuse_null(call, declaration)) return nullptr;
    // The parameter only marks the place; the body writer puts the
    // declaration itself there as a QUALIFIER.DECLARATION.
    request_parameters parameters(call.encoder);
    parameters.string(L"QualifierDeclaration", nullptr);
    return frame_request(call, path, parameters.list(), declaration, withoutHeader);
}
