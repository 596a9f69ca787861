// cim_headers.h - the HTTP rules of CIM operations and exports: which
// requests the server refuses before the module sees them, with the status
// and CIMError value each refusal carries.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "http_message.h"
#include "request_scan.h"

namespace cimxmld {

struct Rejection {
    int status = 400;
    std::string cimError;  // empty: no CIMError header
    std::string reason;    // for the log
};

// The CIM extension headers of one request. For M-POST they carry the
// prefix the Man header declared ("73-CIMMethod"); for POST none.
class CimHeaders {
public:
    CimHeaders(const HeaderFields &headers, std::string prefix)
        : headers_(headers), prefix_(std::move(prefix)) {}
    // The value of the named CIM header (name without prefix); nullopt when absent.
    std::optional<std::string> get(std::string_view name) const;
    const std::string &prefix() const { return prefix_; }

private:
    const HeaderFields &headers_;
    std::string prefix_;
};

// The header prefix an M-POST's Man header declares for the CIM mapping
// ("73-" for "...; ns=73", "" without ns); nullopt when Man does not name
// the mapping, or gives it an ns that is not digits, which the server then
// does not understand.
std::optional<std::string> mappingPrefix(std::string_view man);

// What can be judged before the body is read: Content-Type, CIMOperation or
// CIMExport, CIMProtocolVersion and the batch headers. Sets isExport for an
// export request. nullopt: go on.
std::optional<Rejection> checkRequestHeaders(const HeaderFields &fields, const CimHeaders &cim, bool &isExport);

// What the body tells: well-formed, one request of the kind the headers
// announce, and CIMMethod and CIMObject (or CIMExportMethod) naming what the
// body names. nullopt: hand the request to the module.
std::optional<Rejection> checkBody(const RequestSummary &summary, const CimHeaders &cim, bool isExport);

// %XX sequences decoded; a malformed one stays as it is.
std::string percentDecode(std::string_view text);

}  // namespace cimxmld
