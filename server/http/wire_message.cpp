// wire_message.cpp - framing fields and serialisation through Beast.
#include "wire_message.h"

#include <sstream>

#include <boost/beast/http/write.hpp>

namespace cimxmld {

WireMessage toWireMessage(Response response, int keepAliveSeconds) {
    WireMessage message;
    message.version(11);
    message.result(static_cast<unsigned>(response.status));
    HeaderFields &fields = response.headers;
    fields.emplace("Content-Length", std::to_string(response.bodySize()));
    if (response.close) fields.emplace("Connection", "close");
    else if (keepAliveSeconds > 0) fields.emplace("Keep-Alive", "timeout=" + std::to_string(keepAliveSeconds));
    for (const auto &[name, value] : fields) message.insert(name, value);
    message.body() = std::move(response.body);
    return message;
}

std::string wireBytes(Response response, int keepAliveSeconds) {
    std::ostringstream out;
    out << toWireMessage(std::move(response), keepAliveSeconds);
    return out.str();
}

}  // namespace cimxmld
