// cimom_service.cpp - one request from admission to the access log.
//
// Order of judgement: credentials (401), route (404, 405), a browser page of
// another origin (403), the M-POST
// extension (510), framing and body length (400, 501, 411, 413), the CIM
// headers, all before the body is read; then the body (413 when a chunked
// one grows too large, judged by the front end) and its agreement with the
// headers; then the module.
#include "cimom_service.h"

#include <strings.h>

#include <array>
#include <charconv>
#include <exception>

#include <cimobj/cimobj.h>
#include <cimom/handle.h>

#include "access_log.h"
#include "answer_stream.h"
#include "console_assets.h"
#include "request_scan.h"

namespace cimxmld {

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char *xmlContentType = "application/xml; charset=\"utf-8\"";

constexpr std::array<const char *, 23> intrinsicOperations = {
    "GetClass",         "EnumerateClasses", "EnumerateClassNames", "GetInstance",     "EnumerateInstances",
    "EnumerateInstanceNames", "CreateClass", "ModifyClass",        "DeleteClass",     "CreateInstance",
    "ModifyInstance",   "DeleteInstance",   "ExecQuery",           "Associators",     "AssociatorNames",
    "References",       "ReferenceNames",   "GetProperty",         "SetProperty",     "GetQualifier",
    "SetQualifier",     "DeleteQualifier",  "EnumerateQualifiers"};

// A bounded set of operation names for the figures: clients choose method
// names freely, the figures must not grow with them.
std::string metricsOperation(const RequestSummary &summary) {
    using Call = RequestSummary::Call;
    if (summary.call == Call::Extrinsic) return "InvokeMethod";
    if (summary.call == Call::Export) return "ExportIndication";
    for (const char *name : intrinsicOperations) {
        if (strcasecmp(name, summary.methodName.c_str()) == 0) return name;
    }
    return "unknown";
}

// The Content-Length value; the parser has refused any that is not one number.
std::uint64_t contentLength(const HeaderFields &fields) {
    const std::string *text = findField(fields, "Content-Length");
    std::uint64_t length = 0;
    if (text != nullptr) std::from_chars(text->data(), text->data() + text->size(), length);
    return length;
}

bool hasBody(const RequestHead &head) {
    return findField(head.fields, "Transfer-Encoding") != nullptr || contentLength(head.fields) > 0;
}

const char *const metricsContentType = "text/plain; version=0.0.4; charset=utf-8";

bool isCimHeader(const std::string &name) { return name.compare(0, 3, "CIM") == 0; }

Rejection rejection(int status, std::string reason) { return Rejection{status, "", std::move(reason)}; }

// True when origin is this server's as the request reaches it: the scheme
// and the Host the browser sent. A page of another site (or "null", a
// sandboxed one) is not, so that it cannot act with a browser's login.
bool sameOrigin(const std::string &origin, const HeaderFields &fields) {
    const std::string *host = findField(fields, "Host");
    return host != nullptr && !host->empty() && (origin == "http://" + *host || origin == "https://" + *host);
}

}  // namespace

int cimStatusOf(const std::string &message) {
    std::string_view head(message.data(), std::min<std::size_t>(message.size(), 8192));
    std::size_t start = head.find("<SIMPLERSP>");
    if (start == std::string_view::npos) start = head.find("<SIMPLEEXPRSP>");
    if (start == std::string_view::npos) return -1;
    std::size_t call = head.find('<', start + 1);
    std::size_t callEnd = call == std::string_view::npos ? call : head.find('>', call);
    if (callEnd == std::string_view::npos) return -1;
    std::size_t next = head.find_first_not_of(" \t\r\n", callEnd + 1);
    if (next == std::string_view::npos || head.compare(next, 7, "<ERROR ") != 0) return 0;
    std::size_t code = head.find("CODE=\"", next);
    int status = -1;
    if (code != std::string_view::npos) {
        const char *digits = head.data() + code + 6;
        std::from_chars(digits, head.data() + head.size(), status);
    }
    return status;
}

bool CimomService::checkLoginQuickly(const RequestHead &head, RequestState &state) {
    using Login = RequestState::Login;
    if (passwords_ == nullptr) {
        state.login = Login::Admitted;
        return true;
    }
    const std::string *authorization = findField(head.fields, "Authorization");
    std::optional<PasswordFile::Credentials> credentials =
        authorization ? passwords_->parse(*authorization) : std::nullopt;
    if (!credentials) {
        state.login = Login::Refused;
    } else if (passwords_->remembered(*credentials)) {
        state.login = Login::Admitted;
        state.user = credentials->user;
    } else if (throttle_.blocked(head.address, std::chrono::steady_clock::now())) {
        state.login = Login::RefusedUnchecked;
        metrics_.count(Metrics::Limit::LoginUnchecked);
    } else {
        return false;
    }
    return true;
}

void CimomService::checkPassword(const RequestHead &head, RequestState &state) {
    using Login = RequestState::Login;
    if (checkLoginQuickly(head, state)) return;
    const std::string *authorization = findField(head.fields, "Authorization");
    std::optional<PasswordFile::Credentials> credentials = passwords_->parse(*authorization);
    if (credentials && passwords_->verify(*credentials)) {
        state.login = Login::Admitted;
        state.user = credentials->user;
        throttle_.succeeded(head.address);
        return;
    }
    state.login = Login::Refused;
    metrics_.count(Metrics::Limit::LoginFailed);
    throttle_.failed(head.address, std::chrono::steady_clock::now());
}

std::optional<Response> CimomService::admit(const RequestHead &head, RequestState &state) {
    if (!state.counted) {
        state.counted = true;
        metrics_.requestStarted();
    }
    state.mpost = head.method == "M-POST";
    const std::string method = state.mpost ? "POST" : head.method;
    bool closes = hasBody(head);
    if (state.login != RequestState::Login::Admitted) {
        Response response = refuse(rejection(401, "no valid credentials"), state, closes);
        response.headers.emplace("WWW-Authenticate", "Basic realm=\"cimxmld\"");
        return response;
    }
    if (head.target == "/metrics") {
        state.metricsOperation = "metrics";
        if (method == "GET") return std::nullopt;
        Response response = refuse(rejection(405, "method " + method), state, closes);
        response.headers.emplace("Allow", "GET");
        return response;
    }
    if (ConsoleAssets::covers(head.target) && console_ != nullptr) {
        state.metricsOperation = "console";
        if (method == "GET") return std::nullopt;
        Response response = refuse(rejection(405, "method " + method), state, closes);
        response.headers.emplace("Allow", "GET");
        return response;
    }
    if (head.target != "/cimom") return refuse(rejection(404, "path " + head.target), state, closes);
    if (const std::string *origin = findField(head.fields, "Origin"); origin && !sameOrigin(*origin, head.fields))
        return refuse(rejection(403, "a request from the page of another origin, " + *origin), state, closes);
    if (method != "POST") {
        Response response = refuse(rejection(405, "method " + method), state, closes);
        response.headers.emplace("Allow", "POST, M-POST");
        return response;
    }
    if (state.mpost) {
        const std::string *man = findField(head.fields, "Man");
        std::optional<std::string> prefix = mappingPrefix(man ? *man : "");
        if (!prefix) return refuse(rejection(510, "M-POST without the CIM mapping in Man"), state, closes);
        state.headerPrefix = *prefix;
    }
    const std::string *encoding = findField(head.fields, "Transfer-Encoding");
    const std::string *length = findField(head.fields, "Content-Length");
    bool chunked = encoding != nullptr && strcasecmp(encoding->c_str(), "chunked") == 0;
    // With both, the length a proxy and this server read could differ.
    if (encoding != nullptr && length != nullptr)
        return refuse(rejection(400, "both Content-Length and Transfer-Encoding"), state, true);
    if (!chunked && encoding != nullptr) return refuse(rejection(501, "Transfer-Encoding " + *encoding), state, true);
    if (!chunked && length == nullptr) return refuse(rejection(411, "no Content-Length"), state, closes);
    if (!chunked && contentLength(head.fields) > maxBody_)
        return refuse(rejection(413, "body of " + *length + " bytes"), state, true);
    if (std::optional<Rejection> refused =
            checkRequestHeaders(head.fields, CimHeaders(head.fields, state.headerPrefix), state.isExport))
        return refuse(*refused, state, closes);
    return std::nullopt;
}

Response CimomService::wholeAnswer(const std::string &body, RequestState &state) {
    cimom::setRequestUser(state.user);
    ModuleAnswer answered = module_.handle(body, objectManager_);
    // A module that tells the status saves reading the document again.
    int told = answered.cimStatus;
    Response response;
    answer(std::move(answered), state, response);
    state.cimStatus = told != ModuleAnswer::unknownStatus ? told : cimStatusOf(response.body.front());
    return response;
}

std::optional<Response> CimomService::checkBeforeModule(const RequestHead &head, RequestState &state,
                                                        const std::string &body) {
    if (head.target == "/metrics") {
        Response response;
        response.setBody(metrics_.render(), metricsContentType);
        return response;
    }
    if (ConsoleAssets::covers(head.target)) return console_->answer(head.target);
    RequestSummary summary = scanRequest(body);
    state.operation = summary.methodName;
    state.className = summary.className;
    state.metricsOperation = metricsOperation(summary);
    CimHeaders cim(head.fields, state.headerPrefix);
    if (std::optional<Rejection> rejected = checkBody(summary, cim, state.isExport))
        return refuse(*rejected, state, false);
    return std::nullopt;
}

Response CimomService::serve(const RequestHead &head, RequestState &state, const std::string &body) {
    Response response;
    try {
        if (std::optional<Response> early = checkBeforeModule(head, state, body)) return std::move(*early);
        response = wholeAnswer(body, state);
    } catch (const std::exception &e) {
        cimPrintMessage(CIM_LOG_ERROR, L"request failed: %s", e.what());
        response = refusal(500, "", true);
    }
    return response;
}

namespace {

const char answerOverLimit[] = "the answer does not fit in the memory and disk space the server has for answers";

// The module's pieces into the stream, the head mapped as a whole answer's.
struct PiecesSink {
    const CimomService &service;
    const RequestState &state;
    AnswerStream &stream;
    int status = 0;

    static int begin(void *context, const char *header, std::size_t length, int status) {
        auto *self = static_cast<PiecesSink *>(context);
        self->status = status;
        Response head;
        self->service.answerHead(answerFromParts(CIMXMLAnswerParts{status, header, length, nullptr, 0}), self->state,
                                 head);
        self->stream.begin(std::move(head));
        return 0;
    }
    // Bytes that find no room make the operation stop at its next batch
    // with CIM_ERR_SERVER_LIMITS_EXCEEDED; until then they are dropped.
    static int write(void *context, const char *bytes, std::size_t length) {
        AnswerStream &stream = static_cast<PiecesSink *>(context)->stream;
        if (stream.write(std::string_view(bytes, length))) return 0;
        if (!stream.overLimit()) return 1;
        cimom::refuseRestOfAnswer(cimom::Status::error(27, answerOverLimit));
        return 0;
    }
    static int restart(void *context) { return static_cast<PiecesSink *>(context)->stream.restart() ? 0 : 1; }
};

// A whole answer into the stream.
void streamWhole(Response response, AnswerStream &stream) {
    std::vector<std::string> body = std::move(response.body);
    response.body.clear();
    stream.begin(std::move(response));
    for (const std::string &piece : body) stream.write(piece);
    stream.finish();
}

}  // namespace

void CimomService::serveInPieces(const RequestHead &head, RequestState &state, const std::string &body,
                                 AnswerStream &stream) {
    try {
        if (std::optional<Response> early = checkBeforeModule(head, state, body))
            return streamWhole(std::move(*early), stream);
        cimom::setRequestUser(state.user);
        cimom::refuseRestOfAnswer(std::nullopt);
        PiecesSink pieces{*this, state, stream};
        CIMXMLAnswerSink sink{&pieces, PiecesSink::begin, PiecesSink::write, PiecesSink::restart};
        CIMXMLAnswerEnd end{};
        if (!module_.answerInPieces(body, objectManager_, sink, end))
            return streamWhole(wholeAnswer(body, state), stream);
        cimom::refuseRestOfAnswer(std::nullopt);
        if (stream.overLimit()) {
            // Bytes went missing where no operation could stop for them
            // (a pulled piece, the end of the document).
            cimPrintMessage(CIM_LOG_WARNING, L"%s", answerOverLimit);
            state.cimStatus = 27;
            if (stream.restart()) {
                Response busy = refusal(503, answerOverLimit, true);
                busy.headers.emplace("Retry-After", "1");
                return streamWhole(std::move(busy), stream);
            }
            return stream.finish(27, answerOverLimit);
        }
        state.cimStatus = end.lateStatus != 0 ? end.lateStatus : pieces.status;
        stream.finish(end.lateStatus, end.lateDescription ? end.lateDescription : "");
    } catch (const std::exception &e) {
        cimPrintMessage(CIM_LOG_ERROR, L"request failed: %s", e.what());
        if (stream.restart()) return streamWhole(refusal(500, "", true), stream);
        stream.finish(1, "the server failed while writing the answer");
    }
}

Response CimomService::respond(const std::string &method, const std::string &target, const HeaderFields &fields,
                               const std::string &body) {
    RequestHead head{method, target, fields, true, "", ""};
    RequestState state;
    if (!checkLoginQuickly(head, state)) checkPassword(head, state);
    std::optional<Response> response = admit(head, state);
    if (!response && body.size() > maxBody_) response = refusal(413, "body over the limit", true);
    if (!response) response = serve(head, state, body);
    finish(head, state, response->status, response->bodySize());
    return std::move(*response);
}

void CimomService::answer(ModuleAnswer answer, const RequestState &state, Response &response) const {
    std::string body = std::move(answer.body);
    answerHead(std::move(answer), state, response);
    response.setBody(std::move(body), xmlContentType);
}

void CimomService::answerHead(ModuleAnswer answer, const RequestState &state, Response &response) const {
    response.status = 200;
    for (const auto &[name, value] : answer.headers) {
        if (name == "CIMError") response.status = 400;
        std::string field = isCimHeader(name) ? state.headerPrefix + name : name;
        response.headers.erase(field);
        response.headers.emplace(std::move(field), value);
    }
    if (state.mpost) response.headers.emplace("Ext", "");
    response.headers.emplace("Content-Type", xmlContentType);
}

Response CimomService::refuse(const Rejection &rejected, const RequestState &state, bool close) const {
    Response response = refusal(rejected.status, rejected.reason, close);
    if (!rejected.cimError.empty()) response.headers.emplace(state.headerPrefix + "CIMError", rejected.cimError);
    return response;
}

Response CimomService::refusal(int status, const std::string &reason, bool close) {
    Response response;
    response.status = status;
    response.close = close;
    if (!reason.empty()) cimPrintMessage(CIM_LOG_DEBUG, L"refused with %d: %s", status, reason.c_str());
    return response;
}

void CimomService::finish(const RequestHead &head, RequestState &state, int status, std::size_t bytes) {
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - state.started).count();
    AccessRecord record;
    record.peer = head.peer;
    record.user = state.user;
    record.method = head.method;
    record.path = head.target;
    record.operation = state.operation;
    record.className = state.className;
    record.httpStatus = status;
    record.cimStatus = state.cimStatus;
    record.bytes = bytes;
    record.seconds = seconds;
    logAccess(record);
    metrics_.record(state.metricsOperation.empty() ? "unknown" : state.metricsOperation, status, state.cimStatus,
                    seconds, bytes);
    if (state.counted) metrics_.requestEnded();
    state.counted = false;
}

}  // namespace cimxmld
