// status_decoders.cpp - the decoders of the operations that answer with a
// status only.
#include <cimxml/cimxml_client.h>

#include "client_adapter/decoder_support.h"
#include "cimxml_common/profile.h"

using namespace client_responses;

namespace {

// Success, the server's error, or a failure; an answer that carries results
// (an empty IRETURNVALUE carries none) is no answer of these operations.
// Strict also refuses an IRETURNVALUE at all: these operations return nothing.
ReturnCode *decode_status(const char *response, const decoder &d) {
    ReturnCode *result = nullptr;
    message_owner message = read_answer(response, d, &result);
    if (!message) return result;
    if (strict_profile() && message->returnValues && d.kind != answer_kind::exported)
        return failure(d, std::string("the response has an IRETURNVALUE, which a ") + d.operation +
                              " answer has none of.");
    if (return_value_count(message.get()) > 0 || message->outParameters ||
        getCIMQualifierTypeListLength(message->qualifierTypes) > 0)
        return failure(d, std::string("the response carries results, which a ") + d.operation + " answer has none of.");
    return success();
}

}  // namespace

ReturnCode *CIMXMLdecode_closeEnumeration(const char *response) {
    static const decoder d{"CIMXMLdecode_closeEnumeration", "CloseEnumeration", answer_kind::intrinsic};
    return decode_status(response, d);
}

ReturnCode *CIMXMLdecode_deleteInstance(const char *response) {
    static const decoder d{"CIMXMLdecode_deleteInstance", "DeleteInstance", answer_kind::intrinsic};
    return decode_status(response, d);
}

ReturnCode *CIMXMLdecode_modifyInstance(const char *response) {
    static const decoder d{"CIMXMLdecode_modifyInstance", "ModifyInstance", answer_kind::intrinsic};
    return decode_status(response, d);
}

ReturnCode *CIMXMLdecode_deleteClass(const char *response) {
    static const decoder d{"CIMXMLdecode_deleteClass", "DeleteClass", answer_kind::intrinsic};
    return decode_status(response, d);
}

ReturnCode *CIMXMLdecode_modifyClass(const char *response) {
    static const decoder d{"CIMXMLdecode_modifyClass", "ModifyClass", answer_kind::intrinsic};
    return decode_status(response, d);
}

ReturnCode *CIMXMLdecode_createClass(const char *response) {
    static const decoder d{"CIMXMLdecode_createClass", "CreateClass", answer_kind::intrinsic};
    return decode_status(response, d);
}

ReturnCode *CIMXMLdecode_deleteQualifier(const char *response) {
    static const decoder d{"CIMXMLdecode_deleteQualifier", "DeleteQualifier", answer_kind::intrinsic};
    return decode_status(response, d);
}

ReturnCode *CIMXMLdecode_setQualifier(const char *response) {
    static const decoder d{"CIMXMLdecode_setQualifier", "SetQualifier", answer_kind::intrinsic};
    return decode_status(response, d);
}

ReturnCode *CIMXMLdecode_setProperty(const char *response) {
    static const decoder d{"CIMXMLdecode_setProperty", "SetProperty", answer_kind::intrinsic};
    return decode_status(response, d);
}

ReturnCode *CIMXMLdecode_exportIndication(const char *response) {
    static const decoder d{"CIMXMLdecode_exportIndication", "ExportIndication", answer_kind::exported};
    return decode_status(response, d);
}
