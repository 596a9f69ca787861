// cim_connection.cpp - sending encoded requests and judging the answers.
#include "cim_connection.h"

#include <cimxml/cimxml_client.h>
#include <gc/gc.h>

#include <charconv>

#include "client_error.h"

namespace remote {

namespace {

// True when the client library reads text as a CIM-XML response.
bool isCimXml(const std::string &text) {
    MessageData *message = cimxml_decode_message(text.c_str(), nullptr);
    CIMXMLdecode_releaseMessage(message);
    return message != nullptr;
}

}  // namespace

cimobj::PathPtr classPath(const std::wstring &nameSpace, const std::wstring &className) {
    cimobj::PathPtr path(newObjectPathWithName(className.empty() ? nullptr : cimobj::makeString(className).release()));
    if (!path || !setObjectPathNameSpace(path.get(), cimobj::makeString(nameSpace).release())) throw std::bad_alloc();
    return path;
}

CimConnection::CimConnection(WbemUrl url, TransportOptions options, std::ostream &diagnostics)
    : url_(std::move(url)), transport_(url_, std::move(options), diagnostics) {}

std::string CimConnection::exchange(char *request, const char *operation) {
    if (!request) throw ClientError(exitInternal, std::string("the client library could not encode ") + operation);
    std::string text = request;
    GC_free(request);
    HttpAnswer answer = transport_.post(text);
    std::string statusCode = answer.header("CIMStatusCode");
    int code = 0;
    std::from_chars(statusCode.data(), statusCode.data() + statusCode.size(), code);
    if (code != 0) throw cimError(code, answer.header("CIMStatusCodeDescription"));
    if (answer.status == 200 || isCimXml(answer.body)) return std::move(answer.body);
    std::string message = "HTTP " + std::to_string(answer.status) + (answer.reason.empty() ? "" : " " + answer.reason) +
                          " from " + url_.authority();
    std::string cimErrorHeader = answer.header("CIMError");
    if (!cimErrorHeader.empty()) message += " (CIMError: " + cimErrorHeader + ")";
    throw ClientError(exitProtocol, oneLine(message));
}

void CimConnection::check(ReturnCode *rc, const std::string &body) const {
    cimobj::ReturnCodePtr status(rc);
    if (!status) throw ClientError(exitInternal, "the client library gave no status");
    if (status->rc == 0) return;
    std::string description = cimobj::toUtf8(status->description);
    std::string bad = "bad response from " + url_.authority() + ": ";
    if (body.empty()) throw ClientError(exitProtocol, bad + "an empty answer");
    if (!isCimXml(body)) {
        std::string start = oneLine(body.substr(0, 60));
        throw ClientError(exitProtocol,
                          bad + "not a CIM-XML response: \"" + start + (body.size() > 60 ? "...\"" : "\""));
    }
    // The decoders' own failures carry their names; a server's error never does.
    if (description.rfind("CIMXMLdecode_", 0) == 0) {
        size_t reason = description.find("failed; ");
        throw ClientError(exitProtocol,
                          bad + oneLine(description.substr(reason == std::string::npos ? 0 : reason + 8)));
    }
    throw cimError(status->rc, description);
}

cimobj::ClassPtr CimConnection::getClass(const std::wstring &nameSpace, const std::wstring &className) {
    cimobj::PathPtr path = classPath(nameSpace, className);
    std::string body = exchange(CIMXMLencode_getClass(path.get(), 0, 1, 1, nullptr, 0), "GetClass");
    CIMClass *cimClass = nullptr;
    check(CIMXMLdecode_getClass(body.c_str(), &cimClass), body);
    return cimobj::ClassPtr(cimClass);
}

}  // namespace remote
