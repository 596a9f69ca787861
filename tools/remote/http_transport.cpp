// http_transport.cpp - CIM requests over cpp-httplib's client.
#include "http_transport.h"

#include <chrono>
#include <cstdlib>
#include <fstream>

#include <httplib.h>

#include "client_error.h"
#include "password_prompt.h"

namespace remote {

namespace {

bool sameName(const std::string &a, const std::string &b) {
    return a.size() == b.size() && strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}

// The header lines of an encoder's request that travel on: the CIM ones,
// Content-Type and Accept; and the message after the empty line.
struct EncodedRequest {
    httplib::Headers headers;
    std::string contentType = "application/xml; charset=utf-8";
    std::string body;
};

EncodedRequest splitRequest(const std::string &request) {
    EncodedRequest result;
    size_t end = request.find("\r\n\r\n");
    if (end == std::string::npos) {
        result.body = request;
        return result;
    }
    result.body = request.substr(end + 4);
    size_t line = request.find("\r\n") + 2;  // after the request line
    while (line < end) {
        size_t next = request.find("\r\n", line);
        std::string text = request.substr(line, next - line);
        line = next + 2;
        size_t colon = text.find(':');
        if (colon == std::string::npos) continue;
        std::string name = text.substr(0, colon);
        std::string value = text.substr(text.find_first_not_of(' ', colon + 1) == std::string::npos
                                            ? text.size()
                                            : text.find_first_not_of(' ', colon + 1));
        if (sameName(name, "Content-Type"))
            result.contentType = value;
        else if (sameName(name, "Accept") || strncasecmp(name.c_str(), "CIM", 3) == 0)
            result.headers.emplace(name, value);
    }
    return result;
}

void writeHeaders(std::ostream &out, const char *marker, const httplib::Headers &headers) {
    for (const auto &[name, value] : headers)
        out << marker << name << ": " << (sameName(name, "Authorization") ? "(hidden)" : value) << "\n";
}

}  // namespace

std::string HttpAnswer::header(const std::string &name) const {
    for (const auto &[key, value] : headers)
        if (sameName(key, name)) return value;
    return {};
}

struct HttpTransport::Connection {
    const WbemUrl &url;  // the owner's, which outlives the transport
    TransportOptions options;
    std::ostream &diagnostics;
    std::unique_ptr<httplib::ClientImpl> client;
    std::optional<std::string> password;
    bool asked = false;

    Connection(const WbemUrl &u, TransportOptions o, std::ostream &d) : url(u), options(std::move(o)), diagnostics(d) {}

    void useCredentials() {
        if (!url.user.empty() && password) client->set_basic_auth(url.user.c_str(), password->c_str());
    }

    [[noreturn]] void failed(httplib::Error error, std::chrono::steady_clock::duration elapsed) {
        std::string where = url.authority();
        std::string seconds = std::to_string(options.timeoutSeconds) + " s";
        bool timedOut = elapsed >= std::chrono::seconds(options.timeoutSeconds) - std::chrono::milliseconds(200);
        switch (error) {
            case httplib::Error::Connection: throw ClientError(exitUnreachable, "cannot connect to " + where);
            case httplib::Error::ConnectionTimeout:
                throw ClientError(exitTimeout, "no connection to " + where + " within " + seconds);
            case httplib::Error::Read:
            case httplib::Error::Write:
                if (timedOut) throw ClientError(exitTimeout, "no answer from " + where + " within " + seconds);
                throw ClientError(exitProtocol, "the connection to " + where + " closed before a complete answer");
            case httplib::Error::SSLConnection:
                throw ClientError(exitUnreachable, "TLS handshake with " + where + " failed");
            case httplib::Error::SSLServerVerification:
                throw ClientError(exitUnreachable, "the certificate of " + where +
                                                       " could not be verified (--ca FILE names its issuer; "
                                                       "--insecure skips the check)");
            case httplib::Error::SSLLoadingCerts:
                throw ClientError(exitNoInput, "cannot load CA certificates from " + options.caFile);
            default:
                throw ClientError(exitUnreachable, "request to " + where + " failed: " + httplib::to_string(error));
        }
    }

    HttpAnswer send(const EncodedRequest &request) {
        auto started = std::chrono::steady_clock::now();
        httplib::Result result = client->Post("/cimom", request.headers, request.body, request.contentType);
        if (!result) failed(result.error(), std::chrono::steady_clock::now() - started);
        HttpAnswer answer;
        answer.status = result->status;
        answer.reason = result->reason;
        answer.body = std::move(result->body);
        for (const auto &header : result->headers)
            answer.headers.push_back(header);
        return answer;
    }
};

HttpTransport::HttpTransport(const WbemUrl &url, TransportOptions options, std::ostream &diagnostics)
    : connection_(std::make_unique<Connection>(url, std::move(options), diagnostics)) {
    Connection &c = *connection_;
    if (url.https) {
        if (!c.options.caFile.empty() && !std::ifstream(c.options.caFile))
            throw ClientError(exitNoInput, "cannot read the CA file " + c.options.caFile);
        auto ssl = std::make_unique<httplib::SSLClient>(url.host, url.port);
        ssl->enable_server_certificate_verification(!c.options.insecure);
        if (!c.options.caFile.empty()) ssl->set_ca_cert_path(c.options.caFile.c_str());
        c.client = std::move(ssl);
        if (c.options.insecure)
            diagnostics << c.options.program << ": WARNING: --insecure: the certificate of " << url.authority()
                        << " is NOT checked; anyone between here and there can read and change this session\n";
    } else {
        c.client = std::make_unique<httplib::ClientImpl>(url.host, url.port);
    }
    c.client->set_keep_alive(true);
    // Head and body go out in separate writes: without this, each request
    // waits for the server's delayed acknowledgement.
    c.client->set_tcp_nodelay(true);
    c.client->set_connection_timeout(c.options.timeoutSeconds, 0);
    c.client->set_read_timeout(c.options.timeoutSeconds, 0);
    c.client->set_write_timeout(c.options.timeoutSeconds, 0);
    c.client->set_default_headers({{"User-Agent", c.options.program}});
    if (c.options.verbose) {
        c.client->set_logger([&c](const httplib::Request &request, const httplib::Response &response) {
            c.diagnostics << "> " << request.method << " " << request.path << " HTTP/1.1\n";
            writeHeaders(c.diagnostics, "> ", request.headers);
            c.diagnostics << "< " << response.version << " " << response.status << " " << response.reason << "\n";
            writeHeaders(c.diagnostics, "< ", response.headers);
        });
    }
    c.password = url.password;
    const char *fromEnvironment = std::getenv("CIMXML_PASSWORD");
    if (!c.password && fromEnvironment) c.password = fromEnvironment;
    c.useCredentials();
}

HttpTransport::~HttpTransport() = default;

HttpAnswer HttpTransport::post(const std::string &request) {
    Connection &c = *connection_;
    EncodedRequest encoded = splitRequest(request);
    HttpAnswer answer = c.send(encoded);
    if (answer.status != 401) return answer;
    if (c.url.user.empty())
        throw ClientError(exitAuth, c.url.authority() +
                                        " asks for a user and password (HTTP 401); "
                                        "give them in the URL: http://user@host/...");
    if (!c.password && !c.asked) {
        c.asked = true;
        c.password = askPassword("Password for " + c.url.user + "@" + c.url.authority() + ": ");
        if (c.password) {
            c.useCredentials();
            answer = c.send(encoded);
            if (answer.status != 401) return answer;
        }
    }
    if (!c.password)
        throw ClientError(exitAuth, c.url.authority() + " asks for the password of " + c.url.user +
                                        " (HTTP 401); give it in the URL, in CIMXML_PASSWORD or on a terminal");
    throw ClientError(exitAuth, c.url.authority() + " refused the password of " + c.url.user + " (HTTP 401)");
}

}  // namespace remote
