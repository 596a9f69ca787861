// response_writer.h - opening, closing and error responses in the response pool.
#pragma once

#include <cimobj/cimobj.h>
#include <utils/pool_string.h>

#include "cimxml_schema/message_framing.h"

// What the response written last on this thread says about itself: the
// length of its header (the header lines and the empty line) and the CIM
// status of the ERROR it carries (0 when it carries none). Set by the
// functions below and by the operations that write an ERROR of their own;
// the request handler hands them to the host.
struct ResponseFacts {
    std::size_t headerLength = 0;
    int status = 0;
};
ResponseFacts &cimxml_response_facts();

// Initialises the pool (2048 bytes, owner label, NULL: "unknown"), dropping
// whatever it held, and writes the header lines (with what lines adds) and
// the message head for messageId. Returns 1 on success. Returns 0 after "Unable to initialize
// string pool" when the pool cannot be set up, or after "Unable to prepend
// header to pool" when the header cannot be written (a NULL messageId among
// them). The pool stays the caller's.
int cimxml_begin_response(PoolString *pool, const char *messageId, const char *label,
                          const ResponseHeaderLines &lines = {});

// Appends the message tail. Returns 1 on success; 0 when the tail cannot be
// made, or after "Unable to append end tag to pool" when it cannot be appended.
int cimxml_end_response(PoolString *pool);

// Writes a complete error response into the pool, starting it afresh: the
// header lines (with what lines adds), the message head (for messageId, or a freshly made id when
// it is NULL, so the response is always a whole document), SIMPLERSP with
// IMETHODRESPONSE (intrinsic 1) or METHODRESPONSE (0) named methodName
// holding the ERROR of error, and the message tail. Failures are logged and
// recorded as the thread's last error (status 1); the pool keeps what could
// be written. methodName and error stay the caller's.
void cimxml_encode_ErrorResponse(PoolString *pool, const char *messageId, const CIMString *methodName,
                                 const ReturnCode *error, int intrinsic, const ResponseHeaderLines &lines = {});
