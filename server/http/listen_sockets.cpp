// listen_sockets.cpp - binding through asio, then handing the descriptor on.
#include "listen_sockets.h"

#include <sys/resource.h>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>

namespace cimxmld {

namespace net = boost::asio;
using tcp = net::ip::tcp;

int openListeningSocket(const std::string &address, int port, int &boundPort, std::string &error) {
    net::io_context context;
    boost::system::error_code ec;
    tcp::endpoint endpoint;
    net::ip::address numeric = net::ip::make_address(address, ec);
    if (!ec) {
        endpoint = tcp::endpoint(numeric, static_cast<unsigned short>(port));
    } else {
        tcp::resolver resolver(context);
        auto results = resolver.resolve(address, std::to_string(port), ec);
        if (ec || results.empty()) {
            error = ec ? ec.message() : "no address";
            return -1;
        }
        endpoint = results.begin()->endpoint();
    }
    tcp::acceptor acceptor(context);
    if (!acceptor.open(endpoint.protocol(), ec) && !acceptor.set_option(tcp::acceptor::reuse_address(true), ec) &&
        !acceptor.bind(endpoint, ec) && !acceptor.listen(tcp::socket::max_listen_connections, ec)) {
        boundPort = acceptor.local_endpoint(ec).port();
        if (!ec) return acceptor.release(ec);
    }
    error = ec.message();
    return -1;
}

long raiseOpenFileLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return -1;
    if (limit.rlim_cur < limit.rlim_max) {
        rlimit raised = limit;
        raised.rlim_cur = limit.rlim_max;
        if (setrlimit(RLIMIT_NOFILE, &raised) == 0) limit = raised;
    }
    return limit.rlim_cur == RLIM_INFINITY ? -1 : static_cast<long>(limit.rlim_cur);
}

}  // namespace cimxmld
