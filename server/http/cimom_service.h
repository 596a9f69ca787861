// cimom_service.h - what the server answers: CIM-XML requests at /cimom
// (POST and M-POST), GET /metrics and the web console's files at /console;
// authentication, the CIM header rules,
// the access log and the figures around them. No sockets: the front end
// calls it in steps, and respond() runs all of them for one request.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

#include <cimxml/cimom_handle.h>

#include "cim_headers.h"
#include "http_message.h"
#include "login_throttle.h"
#include "metrics.h"
#include "password_file.h"
#include "protocol_module.h"

namespace cimxmld {

class AnswerStream;
class ConsoleAssets;

// What one request's steps learn and leave for the log.
struct RequestState {
    enum class Login { Unchecked, Admitted, Refused, RefusedUnchecked };

    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
    Login login = Login::Unchecked;
    bool mpost = false;
    bool isExport = false;
    bool counted = false;      // counted in the in-flight gauge
    std::string headerPrefix;  // "73-" for M-POST with ns=73
    std::string user;
    std::string operation;     // the method name the request carries
    std::string metricsOperation;
    std::string className;
    int cimStatus = -1;
};

class CimomService {
public:
    // Everything is lent and must outlive the service. passwords: null to
    // serve without authentication.
    CimomService(const ProtocolModule &module, CIMOMHandle *objectManager, const PasswordFile *passwords,
                 std::size_t maxBody, Metrics &metrics)
        : module_(module), objectManager_(objectManager), passwords_(passwords), maxBody_(maxBody), metrics_(metrics) {}

    std::size_t maxBody() const { return maxBody_; }
    // Serves console (lent; null: /console is not served) at /console.
    void setConsole(const ConsoleAssets *console) { console_ = console; }

    // The login step without hashing: no password file, no or malformed
    // credentials, remembered credentials, or an address in back-off decide
    // it here (state.login is set). false when only hashing the password
    // can tell: call checkPassword then, on a worker. Cheap; any thread.
    bool checkLoginQuickly(const RequestHead &head, RequestState &state);
    // The login step with hashing (state.login is set); failures count
    // against the address. Costs one password hash.
    void checkPassword(const RequestHead &head, RequestState &state);

    // After the login step, what the head alone decides: a refusal to send
    // as it is (401, 404, 405, 510, 411, 413, 501, 415 and the CIM header
    // rules; close is set when a body would be left unread), or nullopt to
    // read the body and serve. Cheap; any thread.
    std::optional<Response> admit(const RequestHead &head, RequestState &state);
    // The admitted request with its whole body: /metrics, or the body's
    // checks against the headers and then the module. Runs the object
    // manager: call it on a worker. Never throws.
    Response serve(const RequestHead &head, RequestState &state, const std::string &body);
    // The same answer written into stream as it is made: in pieces when the
    // module answers in pieces (with a late failure as the stream's end),
    // else whole. Never throws; the stream is always finished.
    void serveInPieces(const RequestHead &head, RequestState &state, const std::string &body, AnswerStream &stream);
    // The status and fields of the module's answer as the client gets them
    // (the body is not touched).
    void answerHead(ModuleAnswer answer, const RequestState &state, Response &response) const;
    // A refusal the front end makes itself (a body over the limit, a full
    // queue, a timeout, a request HTTP forbids); logged at debug level.
    static Response refusal(int status, const std::string &reason, bool close);
    // Writes the access line and counts the request, once its answer is out.
    void finish(const RequestHead &head, RequestState &state, int status, std::size_t bytes);

    // Answers one request without a connection: method as the client sent
    // it ("POST", "M-POST", "GET", ...), target, the header fields and the
    // whole body. Runs every step above in order (the login with hashing
    // when needed) and returns what the connection would send before its
    // framing fields. Never throws on bad input.
    Response respond(const std::string &method, const std::string &target, const HeaderFields &fields,
                     const std::string &body);

private:
    // What is answered without the module (/metrics, a body that does not
    // fit its headers); nullopt to go on to the module.
    std::optional<Response> checkBeforeModule(const RequestHead &head, RequestState &state, const std::string &body);
    // The module's whole answer to body, its CIM status in state.
    Response wholeAnswer(const std::string &body, RequestState &state);
    Response refuse(const Rejection &rejection, const RequestState &state, bool close) const;
    void answer(ModuleAnswer answer, const RequestState &state, Response &response) const;

    const ProtocolModule &module_;
    CIMOMHandle *objectManager_;
    const PasswordFile *passwords_;
    std::size_t maxBody_;
    Metrics &metrics_;
    LoginThrottle throttle_;
    const ConsoleAssets *console_ = nullptr;
};

// The status of the first ERROR in a CIM-XML response message (the element
// right inside the method response), 0 when the answer is no error, -1
// when the text is no response message. Reads only the message's head.
int cimStatusOf(const std::string &message);

}  // namespace cimxmld
