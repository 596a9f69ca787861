// message_framing.h - a CIM-XML message framed for HTTP: the response
// header followed by the message head, and a whole request text.
#pragma once

#include <cstddef>

#include <utils/pool_string.h>

#include "cimxml_common/http_headers.h"

// Appends the response header to the pool: "CIMOperation: MethodResponse"
// (or the export form, see ResponseHeaderLines), "CIMProtocolVersion: 1.2", the CIMError
// line when lines asks for one (each with CR LF), the empty line, then the
// message head for messageId. Returns 1 on success. Returns 0 when the
// lines cannot be written, when messageId is NULL (logs "No Message ID!";
// the lines and the empty line stay in the pool) or when the head cannot be
// written (logs "unable to get open tag!").
// headerLength, when given, receives the length of the pool's text up to and
// with the empty line that ends the header lines.
int build_cimResponse_header(const char *messageId, PoolString *pool, const ResponseHeaderLines &lines = {},
                             std::size_t *headerLength = nullptr);

// The whole request: the header and the empty line (when header is not
// NULL), the message head for messageId (a fresh id when NULL), the body
// fragment and the message tail, in one new text (kind 2) that the caller
// frees. header and fragment stay the caller's. NULL for a NULL fragment or
// when memory is exhausted.
char *join_header_and_message(const char *header, const char *fragment, const char *messageId);
