// http_headers.h - the HTTP header lines of responses, operation requests and
// export requests, the two time-based texts messages carry, and the split of
// a received message.
#pragma once

#include <cstddef>

#include <utils/pool_string.h>

// What the header of a response says besides its fixed lines.
struct ResponseHeaderLines {
    // The response answers an export request: in the strict profile its
    // first line is then "CIMExport: MethodResponse".
    bool exportResponse = false;
    // Value of a "CIMError" line (a DSP0200 error name such as
    // "request-not-well-formed"), or NULL for none.
    const char *cimError = nullptr;
};

// The header of an operation request: request line, Content-Length,
// CIMObject (objectText given, batch clear) or "CIMBatch: " (batch set),
// Connection, Host (when the system address is known), User-Agent,
// CIMOperation, CIMProtocolVersion, CIMMethod, Content-Type and Accept, each
// ending in CR LF, without the empty line that ends the header. A new text
// (kind 2) that the caller frees; NULL for a NULL method name or when memory
// is exhausted.
char *build_cimRequest_header(const char *methodName, const char *objectText, std::size_t bodyLength,
                              int batch);

// The header of an export request: request line, Content-Length,
// "CIMExportBatch: " (batch set), Connection, Host, User-Agent, CIMExport,
// CIMProtocolVersion, CIMExportMethod, Content-Type, Date (when the date is
// known) and Accept. A new text that the caller frees; NULL for a NULL name
// or when memory is exhausted.
char *build_cimexpRequest_header(const char *exportMethodName, std::size_t bodyLength, int batch);

// Local time as "%a %b %d %H:%M:%S %Y", a new text (real_dupChar); NULL when
// the time cannot be read or memory is exhausted.
char *get_date_text();

// A fresh message id from the local time, "%Y:%m:%d:%H:%M:%S:%U%m%d%S", a new
// text (real_dupChar); NULL when the time cannot be read or memory is out.
// In the strict profile ":" and a process-wide count follow, so that no two
// ids the process makes are equal.
char *get_message_id();

// A received HTTP message, split at its first empty line ("\r\n\r\n").
// Both parts are lent views into the message.
struct received_message_parts {
    const char *header;        // start of the header, NULL when there is none
    std::size_t headerLength;  // bytes before the empty line
    const char *body;          // text after the empty line (the whole text when no header)
};
// Returns 1 when the message holds an empty line: header is the text before
// it, body the text after it. Returns 0 when it holds none (header NULL,
// body the whole message) or the message is NULL (all NULL).
int split_received_message(const char *message, received_message_parts *parts);
