// parse_driver.h - runs Expat over one CIM-XML document and routes its
// elements to the handler set its caller chose (requests or responses).
#pragma once

#include <cstddef>

#include "common_handlers/handler_support.h"
#include "common_handlers/message_data.h"

// The routing a parse runs: the dispatchers of one handler set for start and
// end tags, and the decoder of embedded objects (the text of a value that
// holds an instance or class, decoded as a document of its own; see
// getEmbeddedObjectValue). The request set and the response set each
// provide one; the driver knows neither, so the sets may build on the
// driver.
struct HandlerSet {
    void (*startElement)(MessageData *msgData, const char *name, const char **attributes);
    void (*endElement)(MessageData *msgData, const char *name);
    CIMValue *(*embeddedObject)(const CIMObjectPath *contextPath, int type, const char *text);
};

// Where a document stopped being well formed: Expat's line and its error
// text (static, never freed).
struct ParseFailure {
    long line;
    const char *reason;
};

// Decodes a whole NUL-terminated CIM-XML document with the elements routed
// by handlers. Returns a new MessageData that the caller frees with
// freeMessageData, or NULL: for a NULL document or handler set, a document
// of no known kind or exhausted memory (each recorded as the last error with
// status 1), and for a document that is not well formed (logged as "Parse
// error at line %d: %s"; the strict profile, which reads every document as
// UTF-8, records that text as the last error, classic leaves the last error
// alone; failure, when given, receives the line and Expat's text). Errors met
// by the element handlers do not stop the parse; they stand as the thread's
// last error and the MessageData is returned.
MessageData *cimxmlParseMessage(const char *document, const HandlerSet *handlers, ParseFailure *failure = nullptr);

// A document parsed as its bytes arrive, for a reader that wants each
// object as soon as its element ends instead of the whole message at the
// end. The whole-text parse above runs the same steps.
struct PieceParse;

// Called after an element's end handler ran, while the element's record
// and those of its parents are still on the element stack; false stops the
// parse (every later feed then fails without a parse failure).
using ElementEndObserver = bool (*)(void *context, MessageData *msgData);

// Opens a parse of a document of kind (CIMXML_KIND_...) with the elements
// routed by handlers; observer (may be NULL) is told of every element's
// end with context. Returns the parse, which the caller closes with
// cimxmlCloseParse; the record never moves and may be kept anywhere (the
// collector sees what it holds). NULL, with the last error recorded (status
// 1), for a NULL handler set or exhausted memory.
PieceParse *cimxmlOpenParse(const HandlerSet *handlers, int kind, ElementEndObserver observer, void *context);

// Parses the next length bytes of the document; last says they end it.
// Returns true while the document is well formed so far (with last: was
// well formed). False once it is not (reported as cimxmlParseMessage
// reports it, failure receiving the line and Expat's text), once the
// observer stopped it, and for a NULL parse; every later feed is then false.
bool cimxmlFeedParse(PieceParse *parse, const char *bytes, std::size_t length, bool last,
                     ParseFailure *failure = nullptr);

// Ends the parse and returns the message as far as it was decoded (the
// caller's, freed with freeMessageData); NULL for a NULL parse.
MessageData *cimxmlCloseParse(PieceParse *parse);

// Expat's callbacks; userData is the MessageData, whose handler set routes
// the elements (none set: the element is only kept in step on the stack).
void cimxml_start_element(void *userData, const char *name, const char **attributes);
void cimxml_end_element(void *userData, const char *name);
void cimxml_character_data(void *userData, const char *text, int length);

// The frame both handler sets run for a start tag: the element's record goes
// on the element stack, then the handler of route (the element's row of the
// set's table, NULL when it has none) runs with the record.
void run_start_route(MessageData *msgData, const char *name, const char **attributes, const StartRoute *route);
// Runs the end handler of route (the element's record is still on top of
// the element stack); the driver pops the record afterwards.
void run_end_route(MessageData *msgData, const EndRoute *route);

// End handling of the text-bearing elements (VALUE, KEYVALUE, HOST): the
// element's gathered text, with line breaks trimmed when trim is set, goes to
// handler. A missing record is a decoding error.
void run_text_endhandler(MessageData *msgData, bool trim, ElementHandler handler);
