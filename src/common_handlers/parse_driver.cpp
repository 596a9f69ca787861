// parse_driver.cpp - the Expat driver: parser set-up, the three callbacks and
// the frames that route elements to handlers.
#include "common_handlers/parse_driver.h"

#include <cstdio>
#include <cstring>

#include <expat.h>
#include <gc/gc.h>

#include "cimxml_common/error_reporting.h"
#include "cimxml_common/expat_salt.h"
#include "cimxml_common/memory.h"
#include "cimxml_common/profile.h"
#include "common_handlers/attributes.h"

namespace {

// The record of the innermost open element (the top of the element stack),
// lent; NULL when no element is open.
ExpatElement *top_element(MessageData *msgData) { return element_stack_at(&msgData->elementStack, 0); }

// Attribute values are read once, as the record is made: entity-decoded a
// second time in the classic profile (Expat has expanded the references
// once; strict keeps what the document says, "&amp;lt;" stays "&lt;"), and
// trimmed of line breaks.
std::size_t clean_attribute(char *value, std::size_t length) {
    if (!strict_profile()) length = decodeEntityReferencesInPlace(value, length);
    return trimLineBreaksInPlace(value, length);
}

}  // namespace

// A document being parsed: Expat's parser (its user data is this record),
// the message it fills and who is told of each element's end. Never
// collected (cimxmlCloseParse frees it with GC_free, since cimxml_free
// leaves small blocks to a collector that never takes this one), scanned: the parser and the
// message are collected blocks that only this record may point to.
struct PieceParse {
    XML_Parser parser;
    MessageData *message;
    ElementEndObserver observer;
    void *context;
    bool stopped;
};

namespace {

void piece_start_element(void *userData, const char *name, const char **attributes) {
    cimxml_start_element(static_cast<PieceParse *>(userData)->message, name, attributes);
}

void piece_character_data(void *userData, const char *text, int length) {
    cimxml_character_data(static_cast<PieceParse *>(userData)->message, text, length);
}

// The end handler runs, then the observer while the element's record is
// still on the stack, then the record goes.
void piece_end_element(void *userData, const char *name) {
    auto *parse = static_cast<PieceParse *>(userData);
    MessageData *msgData = parse->message;
    if (msgData->handlers) msgData->handlers->endElement(msgData, name);
    if (parse->observer && !parse->stopped && !parse->observer(parse->context, msgData)) {
        parse->stopped = true;
        XML_StopParser(parse->parser, XML_FALSE);
    }
    element_stack_pop(&msgData->elementStack);
}

// Logs (and in strict records) where the document stopped being well formed.
void report_not_well_formed(XML_Parser parser, ParseFailure *failure) {
    long line = static_cast<long>(XML_GetCurrentLineNumber(parser));
    const char *expatReason = XML_ErrorString(XML_GetErrorCode(parser));
    char reason[160];
    std::snprintf(reason, sizeof reason, "Parse error at line %d: %s", static_cast<int>(line), expatReason);
    // Strict keeps the reason as the decoding error the response reports.
    if (strict_profile())
        REPORT_DECODING_TEXT(reason);
    else
        cimPrintMessage(CIM_LOG_ERROR, L"%s", reason);
    if (failure) *failure = ParseFailure{line, expatReason};
}

}  // namespace

PieceParse *cimxmlOpenParse(const HandlerSet *handlers, int kind, ElementEndObserver observer, void *context) {
    if (!handlers) {
        reportOperationFailure(CIM_LOG_ERROR, "cimxmlParseMessage failed - No handler set.", 1);
        return nullptr;
    }
    cimxml_enter_collector();
    auto *parse = static_cast<PieceParse *>(CIMXML_MALLOC(1, sizeof(PieceParse), CIMXML_UNCOLLECTABLE));
    // CIM-XML is UTF-8: strict reads every document as UTF-8 whatever it
    // declares, so other bytes fail as not well formed.
    XML_Parser parser =
        parse ? XML_ParserCreate_MM(strict_profile() ? "UTF-8" : nullptr, &cimxml_expat_memory_suite, nullptr)
              : nullptr;
    if (!parser) {
        reportOperationFailure(CIM_LOG_ERROR, "cimxmlParseMessage failed - Could not create the XML parser.", 1);
        GC_free(parse);
        return nullptr;
    }
    MessageData *msgData = newMessageData();
    if (!msgData) {
        reportOperationFailure(CIM_LOG_ERROR,
                               "cimxmlParseMessage failed - Could not allocate message data object.", 1);
        XML_ParserFree(parser);
        GC_free(parse);
        return nullptr;
    }
    msgData->kind = kind;
    msgData->handlers = handlers;
    XML_SetHashSalt(parser, cimxml_expat_hash_salt());
    *parse = PieceParse{parser, msgData, observer, context, false};
    XML_SetElementHandler(parser, piece_start_element, piece_end_element);
    XML_SetCharacterDataHandler(parser, piece_character_data);
    XML_SetUserData(parser, parse);
    return parse;
}

bool cimxmlFeedParse(PieceParse *parse, const char *bytes, std::size_t length, bool last, ParseFailure *failure) {
    if (!parse || parse->stopped) return false;
    cimxml_enter_collector();
    // Expat copies what it is given into a buffer of its own, which comes
    // from the collector's scanned memory: small chunks keep that buffer
    // small instead of a second, scanned copy of the whole document.
    const std::size_t chunk = 64 * 1024;
    while (length > chunk) {
        if (XML_Parse(parse->parser, bytes, static_cast<int>(chunk), 0) != XML_STATUS_OK) break;
        bytes += chunk;
        length -= chunk;
    }
    if (length <= chunk && XML_Parse(parse->parser, bytes, static_cast<int>(length), last) == XML_STATUS_OK)
        return true;
    if (!parse->stopped) report_not_well_formed(parse->parser, failure);
    parse->stopped = true;
    return false;
}

MessageData *cimxmlCloseParse(PieceParse *parse) {
    if (!parse) return nullptr;
    MessageData *msgData = parse->message;
    XML_ParserFree(parse->parser);
    GC_free(parse);
    return msgData;
}

MessageData *cimxmlParseMessage(const char *document, const HandlerSet *handlers, ParseFailure *failure) {
    if (!document) {
        reportOperationFailure(CIM_LOG_ERROR, "cimxmlParseMessage failed - Xmldocument is null.", 1);
        return nullptr;
    }
    if (!handlers) {
        reportOperationFailure(CIM_LOG_ERROR, "cimxmlParseMessage failed - No handler set.", 1);
        return nullptr;
    }
    int kind = classifyMessageKind(document);
    if (kind == CIMXML_KIND_NONE) {
        reportOperationFailure(CIM_LOG_ERROR,
                               "cimxmlParseMessage failed - Message does not contain operation type.", 1);
        return nullptr;
    }
    PieceParse *parse = cimxmlOpenParse(handlers, kind, nullptr, nullptr);
    if (!parse) return nullptr;
    bool parsed = cimxmlFeedParse(parse, document, std::strlen(document), true, failure);
    MessageData *msgData = cimxmlCloseParse(parse);
    if (parsed) return msgData;
    freeMessageData(msgData);
    return nullptr;
}

void run_start_route(MessageData *msgData, const char *name, const char **attributes, const StartRoute *route) {
    if (!msgData) return REPORT_DECODING_ERROR();
    // The record on the element stack is the one the start handler reads; it
    // stays there until the element's end tag.
    ExpatElement *element = element_stack_push(&msgData->elementStack, name, attributes, clean_attribute);
    if (!element) return REPORT_ALLOCATION_ERROR();
    if (route && route->handler) route->handler(msgData, element);
}

void run_end_route(MessageData *msgData, const EndRoute *route) {
    if (msgData && route && route->handler) route->handler(msgData);
}

void run_text_endhandler(MessageData *msgData, bool trim, ElementHandler handler) {
    ExpatElement *element = top_element(msgData);
    if (!element) return REPORT_DECODING_ERROR();
    if (trim && element->text) {
        element->textLength = trimLineBreaksInPlace(element->text, element->textLength);
    }
    // The record stays on the element stack while the handler runs, so the
    // handler may read it as it stands.
    handler(msgData, element);
}

void cimxml_start_element(void *userData, const char *name, const char **attributes) {
    auto *msgData = static_cast<MessageData *>(userData);
    if (!msgData) return REPORT_DECODING_ERROR();
    if (msgData->handlers)
        msgData->handlers->startElement(msgData, name, attributes);
    else
        run_start_route(msgData, name, attributes, nullptr);
}

void cimxml_character_data(void *userData, const char *text, int length) {
    auto *msgData = static_cast<MessageData *>(userData);
    if (!msgData) return REPORT_DECODING_ERROR();
    ExpatElement *element = top_element(msgData);
    if (!element || length < 0) return;
    if (!appendExpatElementText(element, text, static_cast<std::size_t>(length))) REPORT_ALLOCATION_ERROR();
}

void cimxml_end_element(void *userData, const char *name) {
    auto *msgData = static_cast<MessageData *>(userData);
    if (!msgData) return REPORT_DECODING_ERROR();
    if (msgData->handlers) msgData->handlers->endElement(msgData, name);
    element_stack_pop(&msgData->elementStack);
}
