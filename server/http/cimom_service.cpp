// cimom_service.cpp - one request from admission to the access log.
//
// Order of judgement: credentials (401), route (404, 405), the M-POST
// extension (510), body length (411, 413), the CIM headers, all before the
// body is read; then the body (413 when a chunked one grows too large) and
// its agreement with the headers; then the module.
#include "cimom_service.h"

#include <strings.h>

#include <array>
#include <charconv>
#include <exception>

#include <cimobj/cimobj.h>

#include "access_log.h"
#include "http_listener.h"
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

bool hasBody(const httplib::Request &request) {
    return request.has_header("Transfer-Encoding") || request.get_header_value<std::uint64_t>("Content-Length") > 0;
}

bool isCimHeader(const std::string &name) { return name.compare(0, 3, "CIM") == 0; }

Rejection refusal(int status, std::string reason) { return Rejection{status, "", std::move(reason)}; }

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

void CimomService::attach(httplib::Server &server) {
    server.set_payload_max_length(maxBody_);
    server.set_pre_routing_handler([this](const httplib::Request &request, httplib::Response &response) {
        std::optional<Rejection> rejection = admit(request, response);
        if (!rejection) return httplib::Server::HandlerResponse::Unhandled;
        if (rejection->status != 200) refuse(*rejection, response, !hasBody(request));
        return httplib::Server::HandlerResponse::Handled;
    });
    server.set_expect_100_continue_handler([this](const httplib::Request &request, httplib::Response &response) {
        std::optional<Rejection> rejection = admit(request, response);
        if (!rejection) return 100;
        // The client may send the body anyway: the connection ends here.
        if (rejection->status != 200) refuse(*rejection, response, false);
        return response.status;
    });
    server.Post("/cimom", [this](const httplib::Request &request, httplib::Response &response,
                                 const httplib::ContentReader &reader) { serveCimom(request, response, reader); });
    server.set_post_routing_handler([](const httplib::Request &, httplib::Response &response) {
        RequestContext *context = currentRequest();
        // A request the handlers never saw was refused by the library while
        // reading its head: what follows on the connection cannot be trusted.
        if (context != nullptr && !context->counted && response.status >= 400) context->closeAfter = true;
        if (context != nullptr && context->closeAfter) {
            response.headers.erase("Keep-Alive");
            if (!response.has_header("Connection")) response.set_header("Connection", "close");
        }
    });
    server.set_logger([this](const httplib::Request &request, const httplib::Response &response) {
        finish(request, response);
    });
    server.set_exception_handler([](const httplib::Request &, httplib::Response &response, std::exception_ptr error) {
        std::string what = "unknown exception";
        try {
            std::rethrow_exception(error);
        } catch (const std::exception &e) {
            what = e.what();
        } catch (...) {
        }
        cimPrintMessage(CIM_LOG_ERROR, L"request failed: %s", what.c_str());
        response.status = 500;
        if (RequestContext *context = currentRequest()) context->closeAfter = true;
    });
}

// nullopt: the request goes on to /cimom. A rejection with status 200 means
// the response is already made (GET /metrics).
std::optional<Rejection> CimomService::admit(const httplib::Request &request, httplib::Response &response) {
    RequestContext &context = *currentRequest();
    if (!context.counted) {
        context.counted = true;
        metrics_.requestStarted();
    }
    if (passwords_ != nullptr) {
        std::optional<std::string> user = passwords_->authenticate(request.get_header_value("Authorization"));
        if (!user) {
            response.set_header("WWW-Authenticate", "Basic realm=\"cimxmld\"");
            return refusal(401, "no valid credentials");
        }
        context.user = *user;
    }
    if (request.path == "/metrics") {
        context.metricsOperation = "metrics";
        if (request.method != "GET") {
            response.set_header("Allow", "GET");
            return refusal(405, "method " + request.method);
        }
        response.status = 200;
        response.set_content(metrics_.render(), "text/plain; version=0.0.4; charset=utf-8");
        return Rejection{200, "", ""};
    }
    if (request.path != "/cimom") return refusal(404, "path " + request.path);
    if (request.method != "POST") {
        response.set_header("Allow", "POST, M-POST");
        return refusal(405, "method " + request.method);
    }
    if (context.mpost) {
        std::optional<std::string> prefix = mappingPrefix(request.get_header_value("Man"));
        if (!prefix) return refusal(510, "M-POST without the CIM mapping in Man");
        context.headerPrefix = *prefix;
    }
    bool chunked = strcasecmp(request.get_header_value("Transfer-Encoding").c_str(), "chunked") == 0;
    if (!chunked && request.has_header("Transfer-Encoding")) return refusal(501, "Transfer-Encoding");
    if (!chunked && !request.has_header("Content-Length")) return refusal(411, "no Content-Length");
    if (!chunked && request.get_header_value<std::uint64_t>("Content-Length") > maxBody_)
        return refusal(413, "body of " + request.get_header_value("Content-Length") + " bytes");
    return checkRequestHeaders(request, CimHeaders(request.headers, context.headerPrefix), context.isExport);
}

void CimomService::serveCimom(const httplib::Request &request, httplib::Response &response,
                              const httplib::ContentReader &reader) {
    std::string body;
    bool tooLarge = false;
    bool complete = reader([&](const char *data, std::size_t length) {
        tooLarge = body.size() + length > maxBody_;
        if (!tooLarge) body.append(data, length);
        return !tooLarge;
    });
    if (tooLarge || response.status == 413) return refuse(refusal(413, "body over the limit"), response, false);
    if (!complete) return refuse(refusal(400, "body cut short or badly framed"), response, false);
    serveBody(request, body, response);
}

void CimomService::serveBody(const httplib::Request &request, const std::string &body, httplib::Response &response) {
    RequestContext &context = *currentRequest();
    RequestSummary summary = scanRequest(body);
    context.operation = summary.methodName;
    context.className = summary.className;
    context.metricsOperation = metricsOperation(summary);
    CimHeaders cim(request.headers, context.headerPrefix);
    if (std::optional<Rejection> rejection = checkBody(summary, cim, context.isExport))
        return refuse(*rejection, response, true);
    answer(module_.handle(body, objectManager_), response);
}

httplib::Response CimomService::respond(const std::string &method, const std::string &path,
                                        const httplib::Headers &headers, const std::string &body) {
    RequestContext context;
    context.started = Clock::now();
    context.mpost = method == "M-POST";
    CurrentRequestScope scope(context);
    httplib::Request request;
    request.method = context.mpost ? "POST" : method;
    request.path = path;
    request.headers = headers;
    httplib::Response response;
    std::optional<Rejection> rejection = admit(request, response);
    if (!rejection) {
        if (body.size() > maxBody_) refuse(refusal(413, "body over the limit"), response, true);
        else serveBody(request, body, response);
    } else if (rejection->status != 200) {
        refuse(*rejection, response, true);
    }
    finish(request, response);
    return response;
}

void CimomService::answer(ModuleAnswer answer, httplib::Response &response) {
    RequestContext &context = *currentRequest();
    response.status = 200;
    for (const auto &[name, value] : answer.headers) {
        if (name == "CIMError") response.status = 400;
        response.set_header(isCimHeader(name) ? context.headerPrefix + name : name, value);
    }
    if (context.mpost) response.set_header("Ext", "");
    context.cimStatus = cimStatusOf(answer.body);
    response.body = std::move(answer.body);
    response.set_header("Content-Type", xmlContentType);
}

void CimomService::refuse(const Rejection &rejection, httplib::Response &response, bool bodyRead) {
    RequestContext &context = *currentRequest();
    response.status = rejection.status;
    if (!rejection.cimError.empty()) response.set_header(context.headerPrefix + "CIMError", rejection.cimError);
    // With the body (or part of it) unread the connection cannot carry
    // another request.
    if (!bodyRead) context.closeAfter = true;
    if (!rejection.reason.empty())
        cimPrintMessage(CIM_LOG_DEBUG, L"refused with %d: %s", rejection.status, rejection.reason.c_str());
}

void CimomService::finish(const httplib::Request &request, const httplib::Response &response) {
    RequestContext *context = currentRequest();
    if (context == nullptr) return;
    double seconds = std::chrono::duration<double>(Clock::now() - context->started).count();
    AccessRecord record;
    record.peer = context->peer;
    record.user = context->user;
    record.method = context->mpost ? "M-POST" : request.method;
    record.path = request.path;
    record.operation = context->operation;
    record.className = context->className;
    record.httpStatus = response.status;
    record.cimStatus = context->cimStatus;
    record.bytes = response.body.size();
    record.seconds = seconds;
    logAccess(record);
    std::string operation = context->metricsOperation.empty() ? "unknown" : context->metricsOperation;
    metrics_.record(operation, response.status, context->cimStatus, seconds, response.body.size());
    if (context->counted) metrics_.requestEnded();
    context->counted = false;
}

}  // namespace cimxmld
