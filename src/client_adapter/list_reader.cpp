// list_reader.cpp - the answers of the list operations decoded as their
// bytes arrive: the response handlers fill the message as for a whole text,
// and each object of IRETURNVALUE leaves it for the caller as soon as its
// element ends.
#include <cimxml/cimxml_client.h>

#include <cstring>
#include <new>
#include <string>

#include "cimop_response/response_routing.h"
#include "cimxml_common/memory.h"
#include "client_adapter/decoder_support.h"
#include "client_adapter/list_items.h"
#include "client_adapter/request_framing.h"
#include "common_handlers/parse_driver.h"

using namespace client_responses;

namespace {

// What a reader reads for each operation: its decoder's texts, the kind of
// its results and whether the first result decides that kind.
struct list_operation {
    decoder d;
    list_kind kind;
    bool firstDecides;
};

const list_operation *operation_of(CIMXMLListOperation operation) {
    static const list_operation operations[] = {
        {{"CIMXMLdecode_enumerateInstances", "EnumerateInstances", answer_kind::intrinsic}, instance_items, false},
        {{"CIMXMLdecode_enumerateInstanceNames", "EnumerateInstanceNames", answer_kind::intrinsic}, path_items, false},
        {{"CIMXMLdecode_enumerateClasses", "EnumerateClasses", answer_kind::intrinsic}, class_items, false},
        {{"CIMXMLdecode_enumerateClassNames", "EnumerateClassNames", answer_kind::intrinsic}, class_name_items, false},
        {{"CIMXMLdecode_associators", "Associators", answer_kind::intrinsic}, instance_items, true},
        {{"CIMXMLdecode_associatorNames", "AssociatorNames", answer_kind::intrinsic}, path_items, false},
        {{"CIMXMLdecode_references", "References", answer_kind::intrinsic}, instance_items, true},
        {{"CIMXMLdecode_referenceNames", "ReferenceNames", answer_kind::intrinsic}, path_items, false},
        {{"CIMXMLdecode_execQuery", "ExecQuery", answer_kind::intrinsic}, instance_items, true},
    };
    auto index = static_cast<std::size_t>(operation);
    return index < sizeof operations / sizeof operations[0] ? &operations[index] : nullptr;
}

}  // namespace

// Ordinary memory: the parse record it points to is the collector's root
// for the parser and the message.
struct CIMXMLListReader {
    const list_operation *operation;
    list_kind kind;
    bool kindKnown;
    bool answerChecked;
    CIMXMLListCallback callback;
    void *context;
    PieceParse *parse;
    ReturnCode *failed;  // the first failure, or NULL
};

namespace {

bool stop(CIMXMLListReader *reader, ReturnCode *why) {
    if (!reader->failed)
        reader->failed = why;
    else
        freeReturnCode(why);
    return false;
}

// Hands the return values the message holds to the callback, in order,
// and removes them from it.
bool hand_over(CIMXMLListReader *reader, MessageData *message) {
    const decoder &d = reader->operation->d;
    while (return_value_count(message) > 0) {
        CIMValue *value = return_value_at(message, 0);
        if (!reader->kindKnown) {
            if (reader->operation->firstDecides) reader->kind = objects_like(value);
            reader->kindKnown = true;
        }
        if (ReturnCode *wrong = misfit(d, value, reader->kind)) return stop(reader, wrong);
        void *item = item_of(value, reader->kind);
        removeFromList(message->returnValues, value);
        freeCIMValue(value);
        if (!item) return stop(reader, failure(d, "memory is exhausted."));
        if (reader->callback(reader->context, reader->kind.listType, item) != 0)
            return stop(reader, failure(d, "the caller stopped reading the results."));
    }
    return true;
}

// The parse's observer: an element whose parent is IRETURNVALUE has ended,
// so the objects it made are complete (an instance has its path by now).
bool element_ended(void *context, MessageData *message) {
    auto *reader = static_cast<CIMXMLListReader *>(context);
    const ExpatElement *parent = element_stack_at(&message->elementStack, 1);
    if (!parent || !parent->name || std::strcmp(parent->name, "IRETURNVALUE") != 0) return true;
    if (!reader->answerChecked) {
        if (ReturnCode *refused = answer_refusal(message, reader->operation->d)) return stop(reader, refused);
        reader->answerChecked = true;
    }
    return hand_over(reader, message);
}

ReturnCode *status_of(int status, const char *description) {
    wchar_t *wide = description ? createWideFromChar(description) : nullptr;
    ReturnCode *rc = newReturnCode(status, wide);
    if (wide) cimxml_free(wide, CIMXML_ATOMIC);
    return rc;
}

}  // namespace

CIMXMLListReader *CIMXMLdecode_openListReader(CIMXMLListOperation operation, CIMXMLListCallback callback,
                                              void *context) {
    client_requests::enter_client();
    const list_operation *op = operation_of(operation);
    if (!op || !callback) {
        cimPrintMessage(CIM_LOG_ERROR, L"CIMXMLdecode_openListReader - failed; %s.",
                        op ? "no callback" : "not a list operation");
        return nullptr;
    }
    auto *reader = new (std::nothrow) CIMXMLListReader{op, op->kind, false, false, callback, context, nullptr,
                                                      nullptr};
    if (reader) reader->parse = cimxmlOpenParse(&cimxml_response_handlers, CIMXML_KIND_OPERATION_RESPONSE,
                                                element_ended, reader);
    if (!reader || !reader->parse) {
        cimPrintMessage(CIM_LOG_ERROR, L"CIMXMLdecode_openListReader - failed; memory is exhausted.");
        delete reader;
        return nullptr;
    }
    return reader;
}

int CIMXMLdecode_feedListReader(CIMXMLListReader *reader, const char *bytes, size_t length) {
    if (!reader) return 1;
    if (reader->failed) return 1;
    client_requests::enter_client();
    ParseFailure failure{0, nullptr};
    if (cimxmlFeedParse(reader->parse, bytes, length, false, &failure)) return 0;
    if (!reader->failed)
        reader->failed = client_responses::failure(reader->operation->d,
                                                   not_well_formed(failure.reason, failure.line));
    return 1;
}

ReturnCode *CIMXMLdecode_finishListReader(CIMXMLListReader *reader, int lateStatus, const char *lateDescription) {
    if (!reader) return newReturnCode(1, L"CIMXMLdecode_finishListReader - failed; no reader.");
    client_requests::enter_client();
    const decoder &d = reader->operation->d;
    ParseFailure failure{0, nullptr};
    if (!reader->failed && !cimxmlFeedParse(reader->parse, "", 0, true, &failure) && !reader->failed)
        reader->failed = client_responses::failure(d, not_well_formed(failure.reason, failure.line));
    message_owner message(cimxmlCloseParse(reader->parse));
    ReturnCode *result = reader->failed;
    if (!result && message) result = answer_refusal(message.get(), d);
    // An answer without results has no object whose end checked it.
    if (!result && message && message->error) result = copyReturnCode(message->error);
    if (lateStatus != 0) {
        freeReturnCode(result);
        result = status_of(lateStatus, lateDescription);
    }
    delete reader;
    return result ? result : success();
}
