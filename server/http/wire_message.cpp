// wire_message.cpp - framing fields and serialisation through Beast.
#include "wire_message.h"

#include <sstream>

#include <boost/beast/http/write.hpp>

namespace cimxmld {

namespace {

// The status line and fields of response, with the framing fields added.
template <class Message>
void fillHead(Message &message, Response &response, int keepAliveSeconds) {
    message.version(11);
    message.result(static_cast<unsigned>(response.status));
    HeaderFields &fields = response.headers;
    if (response.close) fields.emplace("Connection", "close");
    else if (keepAliveSeconds > 0) fields.emplace("Keep-Alive", "timeout=" + std::to_string(keepAliveSeconds));
    for (const auto &[name, value] : fields) message.insert(name, value);
}

}  // namespace

WireMessage toWireMessage(Response response, int keepAliveSeconds) {
    WireMessage message;
    response.headers.emplace("Content-Length", std::to_string(response.bodySize()));
    fillHead(message, response, keepAliveSeconds);
    message.body() = std::move(response.body);
    return message;
}

std::string wireHead(Response head, std::optional<std::size_t> contentLength, int keepAliveSeconds) {
    if (contentLength) {
        head.headers.emplace("Content-Length", std::to_string(*contentLength));
    } else {
        head.headers.emplace("Transfer-Encoding", "chunked");
        head.headers.emplace("Trailer", "CIMStatusCode, CIMStatusCodeDescription");
    }
    boost::beast::http::response_header<> message;
    fillHead(message, head, keepAliveSeconds);
    std::ostringstream out;
    out << message;
    return out.str();
}

std::string wireBytes(Response response, int keepAliveSeconds) {
    std::ostringstream out;
    out << toWireMessage(std::move(response), keepAliveSeconds);
    return out.str();
}

}  // namespace cimxmld
