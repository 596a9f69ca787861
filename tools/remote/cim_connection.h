// cim_connection.h - a conversation with one CIM server: requests as the
// client library encodes them go out, answers come back checked.
#pragma once

#include <cimxml/cimxml_client.h>

#include <functional>
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
    // CIMStatusCode header other than 0 throws that CIM error, and so does
    // one whose CIMStatusCode trailer (a failure after the first pieces of
    // a chunked answer) is not 0. An answer other than 200 whose body is no
    // CIM-XML response throws exitProtocol ("HTTP 500 Internal Server Error
    // from host:port", with its CIMError); with a CIM-XML body it is
    // returned for the decoder to read the error. Transport failures throw
    // as HttpTransport::post does.
    std::string exchange(char *request, const char *operation);

    // A late failure: the CIM status and description (percent-decoded) of
    // the trailers of a chunked answer; status 0 when there was none.
    struct LateFailure {
        int status = 0;
        std::string description;
    };
    // As exchange, but the message goes to sink as it arrives instead of
    // being returned (an error answer's whole CIM-XML body in one piece),
    // and a late failure is returned instead of thrown. sink may throw,
    // which abandons the answer and closes the connection.
    LateFailure stream(char *request, const char *operation, const BodySink &sink);

    // Receives one result of readList: kind and object as the list
    // reader's callback gets them; the object becomes the callee's.
    using ResultSink = std::function<void(int kind, void *object)>;
    // Sends request (as exchange) and decodes its answer with a list reader
    // of list as the bytes arrive: each result goes to onResult as soon as
    // it is complete, and every piece of the message to onBytes (may be
    // empty) first. Returns when the answer was read and succeeded;
    // otherwise throws as exchange and check do (a late failure as its CIM
    // error, after the results before it were given). What onResult or
    // onBytes throw ends the reading and goes on to the caller.
    void readList(char *request, const char *operation, CIMXMLListOperation list, const ResultSink &onResult,
                  const BodySink &onBytes = {});

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
    // check's judgement of rc for an answer whose message is empty, is (or
    // is not) CIM-XML and begins with start.
    void judge(ReturnCode *rc, bool empty, bool cimXml, const std::string &start) const;

    WbemUrl url_;
    HttpTransport transport_;
};

// A path naming className (may be empty) in nameSpace. Throws std::bad_alloc.
cimobj::PathPtr classPath(const std::wstring &nameSpace, const std::wstring &className);

}  // namespace remote
