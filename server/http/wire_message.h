// wire_message.h - a Response as Beast writes it: the body type that carries
// the pieces, and the message with its framing fields.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <boost/asio/buffer.hpp>
#include <boost/beast/http/message.hpp>
#include <boost/optional.hpp>

#include "http_message.h"

namespace cimxmld {

// A body of pieces written one after the other, its length known up front:
// a whole answer. An answer still being made goes out from its answer
// stream instead (connection.cpp), after wireHead.
struct PiecesBody {
    using value_type = std::vector<std::string>;

    static std::uint64_t size(const value_type &pieces) {
        std::uint64_t total = 0;
        for (const std::string &piece : pieces) total += piece.size();
        return total;
    }

    class writer {
    public:
        using const_buffers_type = boost::asio::const_buffer;

        template <bool isRequest, class Fields>
        writer(const boost::beast::http::header<isRequest, Fields> &, const value_type &pieces) : pieces_(pieces) {}

        void init(boost::beast::error_code &ec) { ec = {}; }

        boost::optional<std::pair<const_buffers_type, bool>> get(boost::beast::error_code &ec) {
            ec = {};
            while (next_ < pieces_.size() && pieces_[next_].empty()) ++next_;
            if (next_ == pieces_.size()) return boost::none;
            const std::string &piece = pieces_[next_++];
            return std::make_pair(const_buffers_type(piece.data(), piece.size()), next_ < pieces_.size());
        }

    private:
        const value_type &pieces_;
        std::size_t next_ = 0;
    };
};

using WireMessage = boost::beast::http::response<PiecesBody>;

// response as it goes out: its fields and the framing ones (Content-Length;
// "Connection: close" when response.close, else "Keep-Alive: timeout=N"
// when keepAliveSeconds > 0), all in name order; the body moves over.
WireMessage toWireMessage(Response response, int keepAliveSeconds);

// The header bytes of an answer whose body goes out after them as it
// comes: contentLength bytes, or chunked (with the CIM status trailers
// announced) when it is unknown. The fields as toWireMessage gives them.
std::string wireHead(Response head, std::optional<std::size_t> contentLength, int keepAliveSeconds);

// The bytes a connection sends for response: what the socket-free entry
// point and the tests compare with the wire.
std::string wireBytes(Response response, int keepAliveSeconds);

}  // namespace cimxmld
