// request_handler.cpp - the module's face towards the host: one call per
// request, answered with a complete response record, and the two calls that
// read and release that record.
#include "cimop_request/request_routing.h"
#include "cimxml/request_handler.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include <cimxml/cimxml.h>

#include "cimxml/dispatch_table.h"
#include "cimxml_common/error_reporting.h"
#include "cimxml_common/last_error.h"
#include "cimxml/module_lifecycle.h"
#include "cimxml/operations.h"
#include "cimxml/response_writer.h"
#include "cimxml_common/memory.h"
#include "cimxml_common/profile.h"
#include "cimxml_common/status_codes.h"

// Attaching first lets the thread's registration succeed in a host that
// loaded the module without running its load routine.
void cimxml_enter_module() {
    if (!cimxml_is_attached()) cimxml_process_attach();
    cimxml_enter_collector();
}

namespace {

// A request without a call element that no handler reported: the decoding
// error says what is missing.
void note_missing_call() {
    if (ReturnCode *held = cimxml_getlasterror()) {
        freeReturnCode(held);
        return;
    }
    REPORT_DECODING_TEXT("The request holds no IMETHODCALL, METHODCALL or EXPMETHODCALL element.");
}

// Writes the error response named name for error into the pool (which is
// started afresh), with what lines adds to its header. name and error stay
// the caller's.
void write_error(PoolString *pool, const wchar_t *name, const ReturnCode *error, const char *messageId,
                 int intrinsic, const ResponseHeaderLines &lines = {}) {
    CIMString *methodName = newCIMString(name);
    cimxml_encode_ErrorResponse(pool, messageId, methodName, error, intrinsic, lines);
    freeCIMString(methodName);
}

// The same for a status and description of the handler's own.
void write_error(PoolString *pool, const wchar_t *name, int status, const wchar_t *description,
                 const char *messageId, const ResponseHeaderLines &lines = {}) {
    ReturnCode *error = newReturnCode(status, description);
    write_error(pool, name, error, messageId, 1, lines);
    freeReturnCode(error);
}

// The same for the thread's last error (status 1 without description when
// the thread has none).
void write_last_error(PoolString *pool, const wchar_t *name, const char *messageId, int intrinsic,
                      const ResponseHeaderLines &lines = {}) {
    ReturnCode *error = cimxml_getlasterror();
    if (error == nullptr) error = newReturnCode(CIM_ERR_FAILED, nullptr);
    write_error(pool, name, error, messageId, intrinsic, lines);
    freeReturnCode(error);
}

// Hands the decoded request to its operation function, or answers it with
// status 7 when no function serves it.
void dispatch(PoolString *pool, MessageData *msgData, CIMOMHandle *handle, const wchar_t *operationName) {
    const DispatchEntry *entry = find_dispatch_entry(operationName, msgData->isMethodCall);
    if (entry == nullptr) {
        // Strict names the answer after the method, so that a client sees
        // its own call refused (and can fall back, as from a pull operation).
        bool strict = strict_profile();
        write_error(pool, strict && operationName ? operationName : L"MethodResponse", CIM_ERR_NOT_SUPPORTED,
                    strict ? L"The server does not serve this operation." : nullptr, msgData->messageId);
        cimPrintMessage(CIM_LOG_ERROR, L"%ls method not supported", operationName);
        return;
    }
    if (entry->function(pool, msgData, handle) == 0) {
        cimPrintMessage(CIM_LOG_ERROR, L"%ls", entry->failureText);
        ResponseHeaderLines lines{.exportResponse = entry->function == CIMOMhdle_exportIndication};
        write_last_error(pool, entry->errorResponseName, msgData->messageId, entry->intrinsic, lines);
    }
}

// Where the strict profile reads a request from: behind a UTF-8 byte-order
// mark and white space, which a document may begin with.
const char *document_start(const char *request) {
    if (request == nullptr) return nullptr;
    if (std::strncmp(request, "\xEF\xBB\xBF", 3) == 0) request += 3;
    while (*request == ' ' || *request == '\t' || *request == '\r' || *request == '\n') ++request;
    return request;
}

// Checks, parses and answers one request; the pool receives the response.
void answer(PoolString *pool, const char *request, CIMOMHandle *handle) {
    const bool strict = strict_profile();
    if (strict) {
        // An earlier request's error must not answer this one: on a pooled
        // thread it may be another client's.
        cimxml_clearlasterror();
        request = document_start(request);
    }
    // The error names a host answers 400 Bad Request with (strict only).
    const ResponseHeaderLines notWellFormed{.cimError = strict ? "request-not-well-formed" : nullptr};
    const ResponseHeaderLines notValid{.cimError = strict ? "request-not-valid" : nullptr};
    if (request == nullptr || request[0] != '<') {
        cimPrintMessage(CIM_LOG_ERROR, L"CIMXML_RequestMessage_Handler - Message body is empty");
        write_error(pool, L"Unknown", CIM_ERR_INVALID_PARAMETER, L"Invalid message!", nullptr, notWellFormed);
        return;
    }
    int kind = classifyMessageKind(request);
    if (kind != CIMXML_KIND_OPERATION_REQUEST && kind != CIMXML_KIND_EXPORT_REQUEST) {
        cimPrintMessage(CIM_LOG_ERROR, L"CIMXML_RequestMessage_Handler - Message does not contain the operation type!");
        write_error(pool, L"Unknown", CIM_ERR_FAILED, L"Message does not contain the operation type!", nullptr,
                    notValid);
        return;
    }
    // Strict finds MULTIREQ and MULTIEXPREQ as elements while decoding.
    if (!strict && isMultiRequest(request)) {
        cimPrintMessage(CIM_LOG_ERROR, L"CIMXML_RequestMessage_Handler - Multiple requests are not supported!");
        write_error(pool, L"Unknown", CIM_ERR_NOT_SUPPORTED, L"Multiple requests are not supported!!", nullptr);
        return;
    }
    if (handle == nullptr) {
        cimPrintMessage(CIM_LOG_ERROR, L"CIMXML_RequestMessage_Handler - The CIMOM Handle is NULL!");
        write_error(pool, L"Unknown", CIM_ERR_FAILED, L"The CIMOM Handle is NULL!", nullptr);
        return;
    }
    // The parser has logged its own failure.
    MessageData *msgData = cimxmlParseMessage(request, &cimxml_request_handlers);
    if (msgData == nullptr) {
        write_last_error(pool, L"Unknown", nullptr, 1, notWellFormed);
        return;
    }
    const wchar_t *operationName = getCIMStringBuffer(getMethodName(msgData->method));
    if (msgData->refusal != nullptr) {
        cimPrintMessage(CIM_LOG_ERROR, L"CIMXML_RequestMessage_Handler - %ls",
                        getCIMStringBuffer(getReturnCodeDescription(msgData->refusal)));
        write_error(pool, L"Unknown", msgData->refusal, msgData->messageId, 1);
    } else if (operationName == nullptr) {
        if (strict) note_missing_call();
        write_last_error(pool, L"Unknown", msgData->messageId, 1, notValid);
    } else {
        cimPrintMessage(CIM_LOG_TRACE, L"Forwarding %ls request to object manager", operationName);
        dispatch(pool, msgData, handle, operationName);
    }
    freeMessageData(msgData);
}

// The response record: the pool the host reads, and what the answer says
// about itself (the pool comes first, so the record is its MessageHandler).
struct AnswerRecord {
    PoolString pool;
    ResponseFacts facts;
};
static_assert(offsetof(AnswerRecord, pool) == 0, "a MessageHandler is the record's pool");

}  // namespace

void cimxml_answer_request(PoolString *pool, const char *request, CIMOMHandle *handle) {
    answer(pool, request, handle);
}

int isMultiRequest(const char *text) {
    if (text == nullptr) return 0;
    return std::strstr(text, "MULTIREQ") != nullptr || std::strstr(text, "MULTIEXPREQ") != nullptr ? 1 : 0;
}

// Returns the response record (a collected PoolString that the host keeps
// until it releases it) holding the complete response; NULL only when the
// record cannot be allocated.
MessageHandler *CIMXML_RequestMessage_Handler(const char *request, void *reserved, CIMOMHandle *handle) {
    (void)reserved;
    cimxml_enter_module();
    zelStatsStart(cimxmlStats, CIMXML_STATS_HANDLE);
    auto *record = static_cast<AnswerRecord *>(CIMXML_MALLOC(1, sizeof(AnswerRecord), CIMXML_SCANNED));
    if (record == nullptr) {
        cimPrintMessage(CIM_LOG_ERROR, L"CIMXML_RequestMessage_Handler - Failed to allocate PoolString");
        zelStatsEnd(cimxmlStats, CIMXML_STATS_HANDLE);
        return nullptr;
    }
    answer(&record->pool, request, handle);
    record->facts = cimxml_response_facts();
    zelStatsEnd(cimxmlStats, CIMXML_STATS_HANDLE);
    return &record->pool;
}

int CIMXML_getAnswerParts(MessageHandler *handler, CIMXMLAnswerParts *parts) {
    if (handler == nullptr || parts == nullptr || !strict_profile()) return 0;
    cimxml_enter_module();
    const AnswerRecord *record = reinterpret_cast<const AnswerRecord *>(handler);
    std::size_t headerEnd = std::min(record->facts.headerLength, handler->length);
    // The header's own lines, without the empty line that ends them.
    std::size_t lines = headerEnd >= 2 ? headerEnd - 2 : 0;
    *parts = CIMXMLAnswerParts{record->facts.status, handler->text, lines, handler->text + headerEnd,
                               handler->length - headerEnd};
    return 1;
}

// The record's text, lent.
char *CIMXML_getResponseFromMessageHandler(MessageHandler *handler) {
    cimxml_enter_module();
    return handler ? handler->text : nullptr;
}

// Gives the text buffer back to utils, then the record to the collector.
void CIMXML_releaseMessageHandler(MessageHandler *handler) {
    if (handler == nullptr) return;
    cimxml_enter_module();
    release_PoolStringBuffer(handler);
    cimxml_free(handler, CIMXML_SCANNED);
}
