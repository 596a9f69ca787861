// response_writer.cpp - the steps that open and close every response, and
// the complete error response.
#include "cimxml/response_writer.h"

#include "cimxml_common/error_reporting.h"
#include "cimxml_schema/message_framing.h"
#include "cimxml_common/memory.h"
#include "cimxml_common/profile.h"
#include "cimxml_schema/response_body.h"
#include "cimxml_schema/xml_primitives.h"

ResponseFacts &cimxml_response_facts() {
    thread_local ResponseFacts facts;
    return facts;
}

int cimxml_begin_response(PoolString *pool, const char *messageId, const char *label,
                          const ResponseHeaderLines &lines) {
    if (pool == nullptr || init_PoolString(pool, 1, 1, 1, 2048, label ? label : "unknown") == 0) {
        cimPrintMessage(CIM_LOG_ERROR, L"Unable to initialize string pool");
        return 0;
    }
    ResponseFacts &facts = cimxml_response_facts();
    facts = ResponseFacts{};
    int written = build_cimResponse_header(messageId, pool, lines, &facts.headerLength);
    if (written == 0) cimPrintMessage(CIM_LOG_ERROR, L"Unable to prepend header to pool");
    return written;
}

int cimxml_end_response(PoolString *pool) {
    int appended = 0;
    if (pool != nullptr && pool->append != nullptr) {
        xml_sink out(pool);
        out.put(message_tail_text);
        appended = out.flush();
    }
    if (appended == 0) cimPrintMessage(CIM_LOG_ERROR, L"Unable to append end tag to pool");
    return appended;
}

void cimxml_encode_ErrorResponse(PoolString *pool, const char *messageId, const CIMString *methodName,
                                 const ReturnCode *error, int intrinsic, const ResponseHeaderLines &lines) {
    if (methodName == nullptr) cimPrintMessage(CIM_LOG_ERROR, L"cimxml_encode_ErrorResponse - failed");
    // A request whose id is not known yet still gets a whole document.
    char *freshId = messageId ? nullptr : get_message_id();
    if (cimxml_begin_response(pool, messageId ? messageId : freshId, "cimxml_encode_ErrorResponse", lines) == 0)
        reportOperationFailure(CIM_LOG_ERROR, "cimxml_encode_ErrorResponse: failed to append to pool", 1);
    cimxml_free(freshId, CIMXML_ATOMIC);
    cimxml_response_facts().status = error ? error->rc : 0;
    // A failed export is answered as an export in the strict profile: the
    // listener's client reads SIMPLEEXPRSP, as the CIMExport header says.
    int written = lines.exportResponse && strict_profile()
                      ? cim_simpleexprsp_toxml(methodName, nullptr, nullptr, error, nullptr, pool)
                      : cim_simplersp_toxml(methodName, nullptr, nullptr, nullptr, error, intrinsic, pool);
    if (written != 0) {
        if (cimxml_end_response(pool) != 1)
            reportOperationFailure(CIM_LOG_ERROR,
                                   "cimxml_encode_ErrorResponse - could not append eng tags to pool.", 1);
    } else {
        reportOperationFailure(CIM_LOG_ERROR, "cimxml_encode_ErrorResponse: cim_simplersp_to_xml_failed", 1);
    }
}
