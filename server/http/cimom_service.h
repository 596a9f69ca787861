// cimom_service.h - what the server answers: CIM-XML requests at /cimom
// (POST and M-POST), and GET /metrics; authentication, the CIM header rules,
// the access log and the figures around them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include <cimxml/cimom_handle.h>
#include <httplib.h>

#include "cim_headers.h"
#include "metrics.h"
#include "password_file.h"
#include "protocol_module.h"

namespace cimxmld {

class CimomService {
public:
    // Everything is lent and must outlive the listeners the service is
    // attached to. passwords: null to serve without authentication.
    CimomService(const ProtocolModule &module, CIMOMHandle *objectManager, const PasswordFile *passwords,
                 std::size_t maxBody, Metrics &metrics)
        : module_(module), objectManager_(objectManager), passwords_(passwords), maxBody_(maxBody), metrics_(metrics) {}

    // Installs the service's handlers (pre-routing, Expect: 100-continue,
    // POST /cimom, post-routing, logger, exceptions) on a listener.
    void attach(httplib::Server &server);

    // Answers one request as a listener would, without a connection: method
    // as the client sent it ("POST", "M-POST", "GET", ...), path, the header
    // fields as the HTTP library parsed them and the whole body. Runs the
    // same admission, CIM header rules, body checks, module call, access log
    // and figures, and returns the status, header fields and body a listener
    // would send (the library adds the framing fields). Never throws on bad
    // input.
    httplib::Response respond(const std::string &method, const std::string &path, const httplib::Headers &headers,
                              const std::string &body);

private:
    std::optional<Rejection> admit(const httplib::Request &request, httplib::Response &response);
    void serveCimom(const httplib::Request &request, httplib::Response &response,
                    const httplib::ContentReader &reader);
    // The admitted request's whole body: its checks against the headers, then the module.
    void serveBody(const httplib::Request &request, const std::string &body, httplib::Response &response);
    void answer(ModuleAnswer answer, httplib::Response &response);
    // bodyRead: false when the connection must close after the answer.
    void refuse(const Rejection &rejection, httplib::Response &response, bool bodyRead);
    void finish(const httplib::Request &request, const httplib::Response &response);

    const ProtocolModule &module_;
    CIMOMHandle *objectManager_;
    const PasswordFile *passwords_;
    std::size_t maxBody_;
    Metrics &metrics_;
};

// The status of the first ERROR in a CIM-XML response message (the element
// right inside the method response), 0 when the answer is no error, -1
// when the text is no response message. Reads only the message's head.
int cimStatusOf(const std::string &message);

}  // namespace cimxmld
