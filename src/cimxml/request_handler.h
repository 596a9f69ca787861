// request_handler.h - answering one request into a pool, and the checks
// made on a request text before it is parsed (the exported handler is in
// include/cimxml/cimxml.h).
#pragma once

#include <cimxml/cimom_handle.h>
#include <utils/pool_string.h>

// 1 when text holds several requests ("MULTIREQ" or "MULTIEXPREQ" anywhere,
// case-sensitive), which the module does not serve; 0 otherwise and for NULL.
int isMultiRequest(const char *text);

// Makes sure the module is set up and the calling thread is known to the
// collector; every entry point calls it before it allocates anything.
void cimxml_enter_module();

// Checks, parses and answers one request (the body of an HTTP request);
// the pool, which need not be set up, receives the whole response.
void cimxml_answer_request(PoolString *pool, const char *request, CIMOMHandle *handle);
