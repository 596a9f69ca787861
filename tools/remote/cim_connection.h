// cim_connection.h - a conversation with one CIM server: requests as the
// client library encodes them go out, answers come back checked.
#pragma once

#include <ostream>
#include <string>

#include <cimobj/cimobj.hpp>

#include "http_transport.h"
#include "wbem_url.h"

namespace remote {

class CimConnection {
public:
    CimConnection(WbemUrl url, TransportOptions options, std::ostream &diagnostics);

    const WbemUrl &url() const { return url_; }

    // Sends request, an encoder's text (from the collected heap; freed here)
    // and returns the CIM-XML message of the answer. A NULL request (the
    // encoder failed) throws exitInternal naming operation. An answer with a
    // CIMStatusCode header other than 0 throws that CIM error. An answer
    // other than 200 whose body is no CIM-XML response throws exitProtocol
    // ("HTTP 500 Internal Server Error from host:port", with its CIMError);
    // with a CIM-XML body it is returned for the decoder to read the error.
    // Transport failures throw as HttpTransport::post does.
    std::string exchange(char *request, const char *operation);

    // Returns when rc (which is freed) reports success. Otherwise throws the
    // CIM error the server answered with, or exitProtocol ("bad response
    // from host:port: ...") when the decoder could not read body as the
    // answer to its operation.
    void check(ReturnCode *rc, const std::string &body) const;

    // GetClass of className in nameSpace with its inherited members,
    // qualifiers and class origins: what typing values needs. Throws like
    // exchange and check.
    cimobj::ClassPtr getClass(const std::wstring &nameSpace, const std::wstring &className);

private:
    WbemUrl url_;
    HttpTransport transport_;
};

// A path naming className (may be empty) in nameSpace. Throws std::bad_alloc.
cimobj::PathPtr classPath(const std::wstring &nameSpace, const std::wstring &className);

}  // namespace remote
