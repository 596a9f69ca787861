// listen_command.cpp - cimxml-cli listen: an indication listener. Each
// connection is served on a thread of its own, kept alive as long as the
// sender keeps it; every ExportIndication is answered, and its indication
// written, before the next request on that connection is read.
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>

#include <atomic>
#include <cstdlib>
#include <iostream>
#include <mutex>
#include <thread>

#include <cimxml/cimxml_client.h>
#include <gc/gc.h>

#include "client_error.h"
#include "commands.h"

namespace cli {

namespace {

namespace beast = boost::beast;
namespace http = beast::http;
namespace net = boost::asio;
namespace ssl = net::ssl;
using tcp = net::ip::tcp;

// The export response: success, or the ERROR the request earned; empty
// when it cannot be encoded (no memory).
std::string exportResponse(const char *messageId, const ReturnCode *status) {
    char *document = CIMXMLencode_exportResponse(messageId, status);
    if (!document) return {};
    std::string body = document;
    GC_free(document);
    return body;
}

struct Listener {
    Listener(const Invocation &i, ResultWriter &o) : invocation(i), out(o) {}
    const Invocation &invocation;
    ResultWriter &out;
    std::mutex writing;
    std::atomic<unsigned> received{0};
    std::atomic<bool> done{false};

    // The answer to one request; writes its indication.
    http::response<http::string_body> answer(const http::request<http::string_body> &request) {
        http::response<http::string_body> response{http::status::ok, request.version()};
        response.keep_alive(request.keep_alive());
        response.set(http::field::content_type, "application/xml; charset=utf-8");
        auto refuse = [&](http::status status, const char *cimError) {
            response.result(status);
            response.set("CIMError", cimError);
            response.prepare_payload();
            return response;
        };
        if (request.method() != http::verb::post && request.method_string() != "M-POST")
            return refuse(http::status::method_not_allowed, "unsupported-operation");
        auto exportHeader = request.find("CIMExport");
        if (exportHeader == request.end() || exportHeader->value() != "MethodRequest")
            return refuse(http::status::bad_request, "unsupported-operation");
        CIMInstance *indication = nullptr;
        char *messageId = nullptr;
        ReturnCode *status = CIMXMLdecode_exportRequest(request.body().c_str(), &indication, &messageId);
        if (status && status->rc == 1 && !indication) {
            freeReturnCode(status);
            return refuse(http::status::bad_request, "request-not-valid");
        }
        response.set("CIMExport", "MethodResponse");
        response.body() = exportResponse(messageId, status);
        freeReturnCode(status);
        if (response.body().empty()) {
            if (indication) freeCIMInstance(indication);
            response.result(http::status::internal_server_error);
            response.prepare_payload();
            return response;
        }
        response.prepare_payload();
        if (indication) {
            std::lock_guard lock(writing);
            if (!done) {
                out.instance(indication, nullptr);
                std::cout.flush();
                if (invocation.count && ++received >= invocation.count) done = true;
            }
            freeCIMInstance(indication);
        }
        return response;
    }

    template <class Stream>
    void serve(Stream &stream) {
        beast::flat_buffer buffer;
        for (;;) {
            http::request_parser<http::string_body> parser;
            parser.body_limit(64u << 20);
            beast::error_code ec;
            http::read(stream, buffer, parser, ec);
            if (ec) return;
            http::response<http::string_body> response = answer(parser.get());
            http::write(stream, response, ec);
            if (done) {
                // The last indication asked for is written and answered.
                std::lock_guard lock(writing);
                std::cout.flush();
                std::_Exit(std::cout ? 0 : remote::exitInternal);
            }
            if (ec || !response.keep_alive()) return;
        }
    }
};

}  // namespace

int runListen(const Invocation &invocation, OutputForm output) {
    std::unique_ptr<ResultWriter> out = makeResultWriter(output == OutputForm::xml ? OutputForm::mof : output, std::cout);
    Listener listener(invocation, *out);
    net::io_context io;
    std::optional<ssl::context> tls;
    if (!invocation.tlsCert.empty() || !invocation.tlsKey.empty()) {
        tls.emplace(ssl::context::tls_server);
        beast::error_code ec;
        tls->use_certificate_chain_file(invocation.tlsCert, ec);
        if (!ec) tls->use_private_key_file(invocation.tlsKey, ssl::context::pem, ec);
        if (ec) throw remote::ClientError(remote::exitNoInput, "cannot read the TLS certificate " + invocation.tlsCert +
                                                                   " and key " + invocation.tlsKey);
    }
    beast::error_code ec;
    tcp::acceptor acceptor(io);
    tcp::endpoint at(net::ip::make_address(invocation.bind, ec), static_cast<unsigned short>(invocation.port));
    if (!ec) acceptor.open(at.protocol(), ec);
    if (!ec) acceptor.set_option(net::socket_base::reuse_address(true), ec);
    if (!ec) acceptor.bind(at, ec);
    if (!ec) acceptor.listen(net::socket_base::max_listen_connections, ec);
    if (ec)
        throw remote::ClientError(remote::exitUnreachable, "cannot listen on " + invocation.bind + ":" +
                                                               std::to_string(invocation.port) + ": " + ec.message());
    std::cerr << "cimxml-cli: listening on " << (tls ? "https" : "http") << "://" << invocation.bind << ":"
              << acceptor.local_endpoint().port() << "/" << std::endl;
    for (;;) {
        tcp::socket socket(io);
        acceptor.accept(socket, ec);
        if (ec) continue;
        std::thread([&listener, &tls, socket = std::move(socket)]() mutable {
            if (!tls) {
                listener.serve(socket);
                return;
            }
            beast::ssl_stream<tcp::socket> secure(std::move(socket), *tls);
            beast::error_code handshake;
            secure.handshake(ssl::stream_base::server, handshake);
            if (!handshake) listener.serve(secure);
        }).detach();
    }
}

}  // namespace cli
