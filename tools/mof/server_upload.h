// server_upload.h - cimxml-mof --url: MOF files compiled against a CIM
// server and their declarations sent to it.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "http_transport.h"

// Compiles each file with the server behind url as the sink: classes and
// qualifier declarations the MOF uses are asked of the server, and each
// declaration goes to it in the order the file declares it, which MOF
// requires to come after everything it uses (SetQualifier, CreateClass,
// CreateInstance). nameSpace (else the URL's) is where declarations without
// #pragma namespace go. Errors go to stderr, one line each: a compile error
// or a refused declaration as FILE:LINE:COLUMN: message (the file stops
// there), a connection failure as "cimxml-mof: message". Returns 0 when
// every file was sent, 1 when one was not, and the client's status (64 URL,
// 69 unreachable, 75 timeout, 76 bad response, 77 authentication) when the
// server could not be talked to.
int uploadMofFiles(const std::string &url, const remote::TransportOptions &transport,
                   const std::optional<std::wstring> &nameSpace, const std::vector<std::string> &files);
