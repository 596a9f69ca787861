// http_transport.cpp - CIM requests over Boost.Beast: one keep-alive
// connection, plain or TLS, each step bounded by the timeout, answers read
// into a sink as they arrive (Content-Length or chunked with trailers).
#include "http_transport.h"

#include <strings.h>

#include <boost/asio/connect.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>
#include <openssl/evp.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <optional>

#include "client_error.h"
#include "password_prompt.h"

namespace remote {

namespace beast = boost::beast;
namespace http = beast::http;
namespace net = boost::asio;
namespace ssl = net::ssl;
using tcp = net::ip::tcp;

namespace {

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

std::string fieldOf(const HeaderFields &fields, const std::string &name) {
    for (const auto &[key, value] : fields)
        if (sameName(key, name)) return value;
    return {};
}

// The header lines of an encoder's request that travel on: the CIM ones,
// Content-Type and Accept; and the message after the empty line.
struct EncodedRequest {
    HeaderFields headers;
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
        size_t valueAt = text.find_first_not_of(' ', colon + 1);
        std::string value = valueAt == std::string::npos ? "" : text.substr(valueAt);
        if (sameName(name, "Content-Type"))
            result.contentType = value;
        else if (sameName(name, "Accept") || strncasecmp(name.c_str(), "CIM", 3) == 0)
            result.headers.emplace_back(name, value);
    }
    return result;
}

std::string base64(const std::string &text) {
    std::string out(4 * ((text.size() + 2) / 3) + 1, '\0');
    int length = EVP_EncodeBlock(reinterpret_cast<unsigned char *>(out.data()),
                                 reinterpret_cast<const unsigned char *>(text.data()), static_cast<int>(text.size()));
    out.resize(static_cast<size_t>(length));
    return out;
}

template <class Fields>
void writeFields(std::ostream &out, const char *marker, const Fields &fields) {
    for (const auto &field : fields) {
        std::string_view name(field.name_string().data(), field.name_string().size());
        std::string_view value(field.value().data(), field.value().size());
        out << marker << name << ": " << (sameName(name, "Authorization") ? "(hidden)" : value) << "\n";
    }
}

// Bytes of the body read at a time: a sink sees pieces of at most this much.
constexpr size_t pieceBytes = 64 * 1024;

}  // namespace

std::string HttpAnswer::header(const std::string &name) const { return fieldOf(headers, name); }
std::string HttpAnswer::trailer(const std::string &name) const { return fieldOf(trailers, name); }

struct HttpTransport::Connection {
    const WbemUrl &url;  // the owner's, which outlives the transport
    TransportOptions options;
    std::ostream &diagnostics;
    std::optional<std::string> password;
    bool asked = false;

    net::io_context io;
    std::optional<ssl::context> tls;
    std::optional<beast::tcp_stream> plain;
    std::optional<beast::ssl_stream<beast::tcp_stream>> secure;
    beast::flat_buffer buffer;

    Connection(const WbemUrl &u, TransportOptions o, std::ostream &d) : url(u), options(std::move(o)), diagnostics(d) {}

    bool isOpen() const { return plain || secure; }
    beast::tcp_stream &lowest() { return secure ? beast::get_lowest_layer(*secure) : *plain; }

    void close() {
        if (isOpen()) {
            beast::error_code ignored;
            lowest().socket().close(ignored);
        }
        secure.reset();
        plain.reset();
        buffer.clear();
    }

    // Runs one asynchronous step to its end, bounded by the timeout: the
    // step's error, beast::error::timeout when the time ran out.
    template <class Start>
    beast::error_code step(Start start) {
        beast::error_code result = net::error::would_block;
        lowest().expires_after(std::chrono::seconds(options.timeoutSeconds));
        start([&result](beast::error_code ec, auto &&...) { result = ec; });
        io.restart();
        io.run();
        return result;
    }

    std::string seconds() const { return std::to_string(options.timeoutSeconds) + " s"; }

    [[noreturn]] void unreachable(const std::string &what) {
        close();
        throw ClientError(exitUnreachable, what);
    }

    void connect() {
        std::string where = url.authority();
        tcp::resolver resolver(io);
        beast::error_code ec;
        auto endpoints = resolver.resolve(url.host, std::to_string(url.port), ec);
        if (ec) unreachable("cannot connect to " + where);
        if (tls) {
            secure.emplace(io, *tls);
        } else {
            plain.emplace(io);
        }
        ec = step([&](auto handler) { lowest().async_connect(endpoints, handler); });
        if (ec == beast::error::timeout) {
            close();
            throw ClientError(exitTimeout, "no connection to " + where + " within " + seconds());
        }
        if (ec) unreachable("cannot connect to " + where);
        // Head and body go out in separate writes: without this, each
        // request waits for the server's delayed acknowledgement.
        lowest().socket().set_option(tcp::no_delay(true), ec);
        if (!secure) return;
        if (!options.insecure) secure->set_verify_callback(ssl::host_name_verification(url.host));
        SSL_set_tlsext_host_name(secure->native_handle(), url.host.c_str());
        ec = step([&](auto handler) { secure->async_handshake(ssl::stream_base::client, handler); });
        if (ec == beast::error::timeout) {
            close();
            throw ClientError(exitTimeout, "no connection to " + where + " within " + seconds());
        }
        if (ec && SSL_get_verify_result(secure->native_handle()) != X509_V_OK)
            unreachable("the certificate of " + where +
                        " could not be verified (--ca FILE names its issuer; --insecure skips the check)");
        if (ec) unreachable("TLS handshake with " + where + " failed");
    }

    // A step of the exchange failed: the connection is of no further use.
    [[noreturn]] void failed(beast::error_code ec) {
        close();
        std::string where = url.authority();
        if (ec == beast::error::timeout)
            throw ClientError(exitTimeout, "no answer from " + where + " within " + seconds());
        if (ec.category() == beast::error_code(http::error::bad_version).category() &&
            ec != http::error::partial_message && ec != http::error::end_of_stream)
            throw ClientError(exitProtocol, "a malformed HTTP answer from " + where + ": " + ec.message());
        throw ClientError(exitProtocol, "the connection to " + where + " closed before a complete answer");
    }

    http::request<http::string_body> message(const EncodedRequest &request) {
        http::request<http::string_body> out{http::verb::post, options.target, 11};
        out.set(http::field::host, url.authority());
        out.set(http::field::user_agent, options.program);
        out.set(http::field::te, "trailers");
        out.set(http::field::content_type, request.contentType);
        if (!url.user.empty() && password)
            out.set(http::field::authorization, "Basic " + base64(url.user + ":" + *password));
        for (const auto &[name, value] : request.headers)
            out.insert(name, value);
        out.body() = request.body;
        out.prepare_payload();
        return out;
    }

    // Sends the request and reads the head of its answer. A kept connection
    // that the server closed meanwhile is opened again once.
    void start(const EncodedRequest &request, http::response_parser<http::buffer_body> &parser) {
        http::request<http::string_body> out = message(request);
        if (options.verbose) {
            diagnostics << "> POST " << options.target << " HTTP/1.1\n";
            writeFields(diagnostics, "> ", out.base());
        }
        bool reused = isOpen();
        for (;;) {
            if (!isOpen()) connect();
            beast::error_code ec = secure ? step([&](auto h) { http::async_write(*secure, out, h); })
                                          : step([&](auto h) { http::async_write(*plain, out, h); });
            if (!ec)
                ec = secure ? step([&](auto h) { http::async_read_header(*secure, buffer, parser, h); })
                            : step([&](auto h) { http::async_read_header(*plain, buffer, parser, h); });
            if (!ec) return;
            bool closedWhileIdle = ec == http::error::end_of_stream || ec == net::error::connection_reset ||
                                   ec == net::error::broken_pipe || ec == net::ssl::error::stream_truncated;
            if (!reused || !closedWhileIdle || parser.got_some()) failed(ec);
            close();
            reused = false;
        }
    }

    HttpAnswer send(const EncodedRequest &request, const SinkChooser *choose) {
        http::response_parser<http::buffer_body> parser;
        // No limit (boost::none would compare below every length here).
        parser.body_limit(std::numeric_limits<std::uint64_t>::max());
        start(request, parser);
        const auto &head = parser.get();
        HttpAnswer answer;
        answer.status = static_cast<int>(head.result_int());
        answer.reason = std::string(head.reason());
        size_t headFields = 0;
        for (const auto &field : head) {
            answer.headers.emplace_back(std::string(field.name_string()), std::string(field.value()));
            ++headFields;
        }
        if (options.verbose) {
            diagnostics << "< HTTP/1.1 " << answer.status << " " << answer.reason << "\n";
            writeFields(diagnostics, "< ", head.base());
        }
        try {
            BodySink sink = choose && answer.status != 401 ? (*choose)(answer) : BodySink();
            char piece[pieceBytes];
            while (!parser.is_done()) {
                parser.get().body().data = piece;
                parser.get().body().size = sizeof piece;
                beast::error_code ec = secure ? step([&](auto h) { http::async_read(*secure, buffer, parser, h); })
                                              : step([&](auto h) { http::async_read(*plain, buffer, parser, h); });
                if (ec == http::error::need_buffer) ec = {};
                if (ec) failed(ec);
                size_t got = sizeof piece - parser.get().body().size;
                if (got == 0) continue;
                if (sink)
                    sink(std::string_view(piece, got));
                else
                    answer.body.append(piece, got);
            }
        } catch (...) {
            close();
            throw;
        }
        // The parser adds the trailer fields after the head's.
        size_t index = 0;
        for (const auto &field : parser.get())
            if (index++ >= headFields)
                answer.trailers.emplace_back(std::string(field.name_string()), std::string(field.value()));
        if (!parser.get().keep_alive()) close();
        return answer;
    }
};

HttpTransport::HttpTransport(const WbemUrl &url, TransportOptions options, std::ostream &diagnostics)
    : connection_(std::make_unique<Connection>(url, std::move(options), diagnostics)) {
    Connection &c = *connection_;
    if (url.https) {
        if (!c.options.caFile.empty() && !std::ifstream(c.options.caFile))
            throw ClientError(exitNoInput, "cannot read the CA file " + c.options.caFile);
        c.tls.emplace(ssl::context::tls_client);
        beast::error_code ec;
        if (c.options.insecure) {
            c.tls->set_verify_mode(ssl::verify_none);
        } else {
            c.tls->set_verify_mode(ssl::verify_peer);
            if (c.options.caFile.empty())
                c.tls->set_default_verify_paths(ec);
            else
                c.tls->load_verify_file(c.options.caFile, ec);
            if (ec) throw ClientError(exitNoInput, "cannot load CA certificates from " + c.options.caFile);
        }
        if (c.options.insecure)
            diagnostics << c.options.program << ": WARNING: --insecure: the certificate of " << url.authority()
                        << " is NOT checked; anyone between here and there can read and change this session\n";
    }
    c.password = url.password;
    const char *fromEnvironment = std::getenv("CIMXML_PASSWORD");
    if (!c.password && fromEnvironment) c.password = fromEnvironment;
}

HttpTransport::~HttpTransport() = default;

HttpAnswer HttpTransport::post(const std::string &request) { return post(request, SinkChooser()); }

HttpAnswer HttpTransport::post(const std::string &request, const SinkChooser &choose) {
    Connection &c = *connection_;
    EncodedRequest encoded = splitRequest(request);
    const SinkChooser *chooser = choose ? &choose : nullptr;
    HttpAnswer answer = c.send(encoded, chooser);
    if (answer.status != 401) return answer;
    if (c.url.user.empty())
        throw ClientError(exitAuth, c.url.authority() +
                                        " asks for a user and password (HTTP 401); "
                                        "give them in the URL: http://user@host/...");
    if (!c.password && !c.asked) {
        c.asked = true;
        c.password = askPassword("Password for " + c.url.user + "@" + c.url.authority() + ": ");
        if (c.password) {
            answer = c.send(encoded, chooser);
            if (answer.status != 401) return answer;
        }
    }
    if (!c.password)
        throw ClientError(exitAuth, c.url.authority() + " asks for the password of " + c.url.user +
                                        " (HTTP 401); give it in the URL, in CIMXML_PASSWORD or on a terminal");
    throw ClientError(exitAuth, c.url.authority() + " refused the password of " + c.url.user + " (HTTP 401)");
}

}  // namespace remote
