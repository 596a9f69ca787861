// request_handler.h - the checks the request handler makes on a request
// text before it parses it (the handler itself is exported, see
// include/cimxml/cimxml.h).
#pragma once

// 1 when text holds several requests ("MULTIREQ" or "MULTIEXPREQ" anywhere,
// case-sensitive), which the module does not serve; 0 otherwise and for NULL.
int isMultiRequest(const char *text);
