// listen_command.cpp - cimxml-cli listen: an indication listener. Every
// connection gets a thread of its own (a WBEM server keeps one open to its
// listener); each request is answered as the client library answers an
// export, and each indication is written, whole, as it comes.
#include <atomic>
#include <iostream>
#include <mutex>
#include <thread>

#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>

#include "client_error.h"
#include "commands.h"

namespace cli {

namespace {

namespace net = boost::asio;
namespace ssl = net::ssl;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = net::ip::tcp;

constexpr std::size_t maxRequestBody = 64u << 20;
// Senders served at once (a thread each); more are closed as they come.
constexpr unsigned maxConnections = 64;

// What every connection shares: the output, and the count of indications.
struct Listener {
    Listener(ResultWriter &out, unsigned wanted) : out(out), wanted(wanted) {}
    ResultWriter &out;
    unsigned wanted;  // 0: no end
    std::mutex lock;
    std::atomic<unsigned> taken{0};
    std::atomic<unsigned> connections{0};
    std::atomic<bool> done{false};
    std::shared_ptr<net::io_context> context;

    static int take(void *self, const CIMInstance *indication) {
        auto *listener = static_cast<Listener *>(self);
        std::lock_guard guard(listener->lock);
        if (listener->done) return 1;  // past the count (CIM_ERR_FAILED): the sender keeps it
        listener->out.instance(indication, nullptr);
        std::cout.flush();
        if (listener->wanted != 0 && ++listener->taken >= listener->wanted) listener->done = true;
        return 0;
    }
};

bool isHeader(const http::request<http::string_body> &request, const char *name, const char *value) {
    auto found = request.find(name);
    return found != request.end() && beast::iequals(found->value(), value);
}

// The answer to one request: an export request as the client library
// answers it (its header lines into the answer's fields), anything else 400.
http::response<http::string_body> answer(const http::request<http::string_body> &request, Listener &listener) {
    http::response<http::string_body> response{http::status::ok, request.version()};
    response.keep_alive(request.keep_alive());
    if (request.method() != http::verb::post || !isHeader(request, "CIMExport", "MethodRequest")) {
        response.result(http::status::bad_request);
        response.set("CIMError", "unsupported-operation");
        response.prepare_payload();
        return response;
    }
    char *text = CIMXMLdecode_exportRequest(request.body().c_str(), Listener::take, &listener);
    std::string_view whole = text ? text : "";
    std::size_t end = whole.find("\r\n\r\n");
    if (text == nullptr || end == std::string_view::npos) {
        response.result(http::status::internal_server_error);
        response.prepare_payload();
        return response;
    }
    for (std::size_t at = 0; at < end;) {
        std::size_t line = whole.find("\r\n", at);
        std::string_view field = whole.substr(at, line - at);
        std::size_t colon = field.find(':');
        if (colon != std::string_view::npos) {
            std::string_view value = field.substr(colon + 1);
            while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
            if (field.substr(0, colon) == "CIMError") response.result(http::status::bad_request);
            response.set(std::string(field.substr(0, colon)), std::string(value));
        }
        at = line + 2;
    }
    response.set(http::field::content_type, "application/xml; charset=\"utf-8\"");
    response.body() = std::string(whole.substr(end + 4));
    response.prepare_payload();
    return response;
}

template <class Stream>
void serve(Stream &stream, Listener &listener) {
    beast::flat_buffer buffer;
    for (;;) {
        http::request_parser<http::string_body> parser;
        parser.body_limit(maxRequestBody);
        beast::error_code ec;
        http::read(stream, buffer, parser, ec);
        if (ec) return;
        http::response<http::string_body> response = answer(parser.get(), listener);
        http::write(stream, response, ec);
        // The last indication wanted ends the program once it is answered.
        if (listener.done) listener.context->stop();
        if (ec || !response.keep_alive()) return;
    }
}

// Serves one sender until it closes (a quiet one holds its thread: the
// listener serves a few servers, and maxConnections bounds them).
void connection(tcp::socket socket, ssl::context *tls, Listener &listener) {
    beast::error_code ec;
    if (!tls) {
        serve(socket, listener);
        socket.shutdown(tcp::socket::shutdown_both, ec);
        return;
    }
    beast::ssl_stream<tcp::socket> stream(std::move(socket), *tls);
    stream.handshake(ssl::stream_base::server, ec);
    if (ec) return;
    serve(stream, listener);
    stream.shutdown(ec);
}

}  // namespace

void runListen(CommandContext &c) {
    const Invocation &in = c.invocation;
    const remote::WbemUrl &url = c.connection.url();
    // Shared with the connections' threads, which may outlive this call
    // for the moment the program takes to end.
    std::shared_ptr<ssl::context> tls;
    if (url.https || !in.tlsCert.empty()) {
        if (in.tlsCert.empty() || in.tlsKey.empty())
            throw remote::ClientError(remote::exitUsage, "listen: https needs --tls-cert and --tls-key");
        tls = std::make_shared<ssl::context>(ssl::context::tls_server);
        beast::error_code ec;
        tls->use_certificate_chain_file(in.tlsCert, ec);
        if (!ec) tls->use_private_key_file(in.tlsKey, ssl::context::pem, ec);
        if (ec) throw remote::ClientError(remote::exitNoInput, "listen: the certificate or key: " + ec.message());
    }
    auto context = std::make_shared<net::io_context>();
    auto shared = std::make_shared<Listener>(c.out, in.count);
    Listener &listener = *shared;
    listener.context = context;
    tcp::acceptor acceptor(*context);
    beast::error_code ec;
    tcp::endpoint endpoint(net::ip::make_address(url.host, ec), static_cast<unsigned short>(in.port.value_or(url.port)));
    if (ec) throw remote::ClientError(remote::exitUsage, "listen: " + url.host + " is no address to listen on");
    acceptor.open(endpoint.protocol(), ec);
    if (!ec) acceptor.set_option(tcp::acceptor::reuse_address(true), ec);
    if (!ec) acceptor.bind(endpoint, ec);
    if (!ec) acceptor.listen(net::socket_base::max_listen_connections, ec);
    if (ec)
        throw remote::ClientError(remote::exitUnreachable, "listen: cannot listen on " + url.host + ":" +
                                                                std::to_string(endpoint.port()) + ": " + ec.message());
    std::function<void()> accept = [&] {
        acceptor.async_accept([&](beast::error_code failed, tcp::socket socket) {
            if (failed || listener.done) return;
            if (listener.connections < maxConnections) {
                ++listener.connections;
                std::thread([shared, tls, socket = std::move(socket)]() mutable {
                    connection(std::move(socket), tls.get(), *shared);
                    --shared->connections;
                }).detach();
            }
            accept();
        });
    };
    accept();
    std::cerr << "cimxml-cli: listening on " << (tls ? "https" : "http") << "://" << url.host << ":"
              << acceptor.local_endpoint().port() << "\n";
    context->run();
    std::lock_guard guard(listener.lock);  // the last indication is whole on the output
    std::cout.flush();
}

}  // namespace cli
