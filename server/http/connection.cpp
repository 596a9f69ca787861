// connection.cpp - one connection's life on its I/O thread: (TLS handshake,)
// then per request: wait for its first byte, read the head, log in, admit,
// read the body, hand it to a worker, write the answer the worker hands
// back; every phase bounded in time, none holding a thread while it waits.
#include "connection.h"

#include <strings.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string_view>
#include <type_traits>

#include <boost/asio/post.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/stream_traits.hpp>
#include <boost/beast/http/read.hpp>
#include <boost/beast/http/serializer.hpp>
#include <boost/beast/http/write.hpp>
#include <boost/beast/ssl/ssl_stream.hpp>

#include "answer_stream.h"
#include "front_end.h"
#include "memory_release.h"
#include "request_parser.h"
#include "wire_message.h"

namespace cimxmld {

namespace {

namespace net = boost::asio;
namespace http = boost::beast::http;
using boost::beast::error_code;
using tcp = net::ip::tcp;
using Clock = std::chrono::steady_clock;
using Limit = Metrics::Limit;

using TlsStream = boost::beast::ssl_stream<tcp::socket>;

// An idle connection keeps no larger read buffer than this; most requests
// without a large body fit.
constexpr std::size_t idleBufferBytes = 1024;
constexpr std::size_t bodyReadBytes = 64 * 1024;
// What a closing connection still reads and drops, so that the close does
// not reset the connection before the client has read the answer.
constexpr std::size_t drainBytes = 4u << 20;
constexpr std::chrono::seconds drainTime{1};

const std::string continueLine = "HTTP/1.1 100 Continue\r\n\r\n";

// An answer is sent in chunks once this much of it has come before its end
// (when the client takes trailers); a complete answer up to wholeAnswerBytes
// goes out as one, like any other; pieces of a longer one are at most
// pieceBytes.
constexpr std::size_t chunkedAfterBytes = 256 * 1024;
constexpr std::size_t wholeAnswerBytes = 4u << 20;
constexpr std::size_t pieceBytes = 256 * 1024;

// True when the TE field lists "trailers".
bool acceptsTrailers(const HeaderFields &fields) {
    const std::string *te = findField(fields, "TE");
    if (!te) return false;
    std::string_view rest(*te);
    while (!rest.empty()) {
        std::size_t comma = rest.find(',');
        std::string_view item = rest.substr(0, comma);
        item = item.substr(0, item.find(';'));
        while (!item.empty() && (item.front() == ' ' || item.front() == '\t')) item.remove_prefix(1);
        while (!item.empty() && (item.back() == ' ' || item.back() == '\t')) item.remove_suffix(1);
        if (item.size() == 8 && strncasecmp(item.data(), "trailers", 8) == 0) return true;
        rest.remove_prefix(comma == std::string_view::npos ? rest.size() : comma + 1);
    }
    return false;
}

// bytes as one chunk.
std::string chunkOf(const std::string &bytes) {
    char size[24];
    int n = std::snprintf(size, sizeof size, "%zx\r\n", bytes.size());
    std::string chunk(size, static_cast<std::size_t>(n));
    chunk += bytes;
    chunk += "\r\n";
    return chunk;
}

// The last chunk, with the CIM status trailers of a late failure; the
// description percent-encoded where a field value may not hold it.
std::string lastChunk(int lateStatus, const std::string &description) {
    std::string last = "0\r\n";
    if (lateStatus != 0) {
        last += "CIMStatusCode: " + std::to_string(lateStatus) + "\r\n";
        last += "CIMStatusCodeDescription: ";
        static const char hex[] = "0123456789ABCDEF";
        for (unsigned char c : description) {
            if (c >= 0x20 && c < 0x7F && c != '%') {
                last += static_cast<char>(c);
            } else {
                last += '%';
                last += hex[c >> 4];
                last += hex[c & 15];
            }
        }
        last += "\r\n";
    }
    return last + "\r\n";
}

std::string peerOf(const tcp::endpoint &endpoint, std::string &address) {
    address = endpoint.address().to_string();
    return (endpoint.address().is_v6() ? "[" + address + "]" : address) + ":" + std::to_string(endpoint.port());
}

template <class Stream>
class Connection final : public ConnectionBase, public std::enable_shared_from_this<Connection<Stream>> {
    static constexpr bool tls = std::is_same_v<Stream, TlsStream>;

public:
    Connection(tcp::socket socket, net::ssl::context *context, IoThread &thread, ConnectionHost &host)
        : stream_(makeStream(std::move(socket), context)), thread_(thread), host_(host),
          timer_(thread.context) {
        error_code ec;
        tcp::endpoint remote = socket_().remote_endpoint(ec);
        if (!ec) peer_ = peerOf(remote, address_);
        thread_.connections.insert(this);
    }

    ~Connection() override {
        thread_.connections.erase(this);
        host_.connectionEnded();
    }

    void start() {
        if constexpr (tls) {
            phase_ = Phase::Handshake;
            setDeadline(host_.settings.headerTimeout);
            stream_.async_handshake(net::ssl::stream_base::server, [self = self()](error_code ec) {
                self->proceed(ec, Limit::HeaderTimeout, &Connection::awaitRequest);
            });
        } else {
            awaitRequest();
        }
    }

    void stopWhenIdle() override {
        stopping_ = true;
        if (phase_ == Phase::Idle || phase_ == Phase::Handshake) cancel();
    }

private:
    enum class Phase { Handshake, Idle, Head, Login, Body, Working, Writing, Closing, Closed };

    static Stream makeStream(tcp::socket socket, net::ssl::context *context) {
        if constexpr (tls) return Stream(std::move(socket), *context);
        else return Stream(std::move(socket));
    }

    tcp::socket &socket_() { return boost::beast::get_lowest_layer(stream_); }
    std::shared_ptr<Connection> self() { return this->shared_from_this(); }
    void cancel() {
        error_code ec;
        socket_().cancel(ec);
    }

    // One timer per connection, waiting for the earliest deadline it was
    // given; a later deadline only moves the mark it checks when it fires.
    void setDeadline(Clock::duration within) {
        timedOut_ = false;
        deadline_ = Clock::now() + within;
        if (!timerWaiting_ || deadline_ < timer_.expiry()) waitForDeadline();
    }
    void clearDeadline() { deadline_ = Clock::time_point::max(); }
    void waitForDeadline() {
        timer_.expires_at(deadline_);
        timerWaiting_ = true;
        timer_.async_wait([self = self(), generation = ++timerGeneration_](error_code ec) {
            if (ec || generation != self->timerGeneration_) return;
            self->onTimer();
        });
    }
    void onTimer() {
        timerWaiting_ = false;
        if (phase_ == Phase::Closed || deadline_ == Clock::time_point::max()) return;
        if (Clock::now() < deadline_) return waitForDeadline();
        timedOut_ = true;
        cancel();
    }

    // Goes on with next, or closes after a failure (counting timeout when
    // the deadline ended the wait).
    void proceed(error_code ec, Limit timeout, void (Connection::*next)()) {
        if (!ec) return (this->*next)();
        if (timedOut_) host_.metrics.count(timeout);
        close();
    }

    // Between requests the connection holds no parser and a small buffer:
    // a read that finds nothing waits on the event loop, which watches the
    // socket already (waiting for readability instead would ask the kernel
    // to watch it again on every request).
    void awaitRequest() {
        exchange_.reset();
        parser_.reset();
        if (stopping_ || thread_.stopping) return closeGracefully(false);
        if (buffer_.size() > 0) return readHead();  // pipelined
        phase_ = Phase::Idle;
        if (buffer_.capacity() > idleBufferBytes) buffer_.shrink_to_fit();
        setDeadline(host_.settings.keepAliveTimeout);
        stream_.async_read_some(buffer_.prepare(idleBufferBytes), [self = self()](error_code ec, std::size_t n) {
            self->buffer_.commit(n);
            self->proceed(ec, Limit::KeepAliveTimeout, &Connection::readHead);
        });
    }

    void readHead() {
        phase_ = Phase::Head;
        setDeadline(host_.settings.headerTimeout);
        parser_.emplace(host_.settings.limits);
        exchange_.emplace();
        http::async_read_header(stream_, buffer_, *parser_,
                                [self = self()](error_code ec, std::size_t) { self->onHead(ec); });
    }

    RequestHead &head() { return parser_->head(); }
    RequestState &state() { return exchange_->state; }

    void onHead(error_code ec) {
        head().peer = peer_;
        head().address = address_;
        if (ec) {
            if (timedOut_) {
                host_.metrics.count(Limit::HeaderTimeout);
                return write(CimomService::refusal(408, "request head too slow", true));
            }
            int status = parser_->statusFor(ec);
            if (status == 0) return close();
            host_.metrics.count(status == 400 ? Limit::Malformed : Limit::HeaderSize);
            return write(CimomService::refusal(status, "request head: " + ec.message(), true));
        }
        clearDeadline();
        phase_ = Phase::Login;
        if (host_.service.checkLoginQuickly(head(), state())) return admit();
        bool queued = host_.pool.submitHash([self = self()]() mutable {
            self->host_.service.checkPassword(self->head(), self->state());
            IoThread &thread = self->thread_;
            net::post(thread.context, [self = std::move(self)] { self->admit(); });
        });
        if (!queued) refuseBusy(true);
    }

    void admit() {
        std::optional<Response> refusal = host_.service.admit(head(), state());
        if (refusal && state().login == RequestState::Login::RefusedUnchecked) {
            // Cheap for us, slow for the guesser: the answer waits on a timer.
            auto delay = std::make_shared<net::steady_timer>(thread_.context, host_.settings.refusedLoginDelay);
            delay->async_wait([self = self(), delay, answer = std::move(*refusal)](error_code) mutable {
                self->write(std::move(answer));
            });
            return;
        }
        if (refusal) return write(std::move(*refusal));
        if (parser_->is_done()) return dispatch();
        const std::string *expect = findField(head().fields, "Expect");
        if (expect != nullptr && strcasecmp(expect->c_str(), "100-continue") == 0) {
            phase_ = Phase::Writing;
            setDeadline(host_.settings.writeTimeout);
            return net::async_write(stream_, net::buffer(continueLine), [self = self()](error_code ec, std::size_t) {
                if (ec) return self->close();
                self->readBody();
            });
        }
        readBody();
    }

    void readBody() {
        phase_ = Phase::Body;
        setDeadline(host_.settings.bodyTimeout);
        parser_->setBodyLimit(host_.service.maxBody());
        // Beast reads as much as the buffer holds: a body comes in large reads.
        buffer_.reserve(bodyReadBytes);
        http::async_read(stream_, buffer_, *parser_, [self = self()](error_code ec, std::size_t) { self->onBody(ec); });
    }

    void onBody(error_code ec) {
        if (ec) {
            if (timedOut_) {
                host_.metrics.count(Limit::BodyTimeout);
                return write(CimomService::refusal(408, "request body too slow", true));
            }
            int status = parser_->statusFor(ec);
            if (status == 0) return close();
            host_.metrics.count(status == 413 ? Limit::MaxBody : Limit::Malformed);
            return write(CimomService::refusal(status, "request body: " + ec.message(), true));
        }
        clearDeadline();
        dispatch();
    }

    // The answer is made on a worker and written into an answer stream; the
    // connection sends it as it comes (pump), so that no worker waits for a
    // slow client and no large answer is held whole.
    void dispatch() {
        phase_ = Phase::Working;
        ++thread_.awaited;
        auto answer = std::make_shared<AnswerStream>(host_.settings.answerMemory, host_.settings.answersMemory,
                                                     &host_.metrics);
        answer_ = answer;
        headSent_ = lastSent_ = chunked_ = false;
        acceptsTrailers_ = acceptsTrailers(head().fields);
        IoThread &thread = thread_;
        std::weak_ptr<Connection> weak = self();
        answer->onNews([&thread, weak] {
            net::post(thread.context, [weak] {
                if (auto self = weak.lock()) self->pump();
            });
        });
        bool queued = host_.pool.submit([self = self(), answer]() mutable {
            self->host_.service.serveInPieces(self->head(), self->state(), self->parser_->body(), *answer);
            IoThread &thread = self->thread_;
            // The worker lets go of the connection here: its last owner is
            // always on the I/O thread.
            net::post(thread.context, [self = std::move(self)]() mutable { --self->thread_.awaited; });
        });
        if (!queued) {
            --thread_.awaited;
            answer_.reset();
            return refuseBusy(false);
        }
        pump();
    }

    // Sends what the answer stream has: a small complete answer whole (as
    // any answer), a large one with its length once complete, or, when the
    // client takes trailers, in chunks as soon as enough has come, ending
    // with the CIM status trailers of a late failure.
    void pump() {
        while (phase_ != Phase::Closed && answer_ && !writingPiece_) {
            AnswerStream::State s = answer_->state();
            if (s.broken) return close();
            if (!headSent_) {
                bool chunk = acceptsTrailers_ && !s.finished && s.buffered >= chunkedAfterBytes;
                if (!s.finished && !chunk) {
                    if (answer_->wait(acceptsTrailers_ ? chunkedAfterBytes : SIZE_MAX)) continue;
                    return;
                }
                Response response = answer_->takeHead();
                if (s.finished && s.total <= wholeAnswerBytes) {
                    response.body.clear();
                    response.body.push_back(answer_->take(SIZE_MAX));
                    answer_.reset();
                    return write(std::move(response));
                }
                phase_ = Phase::Writing;
                response.close = response.close || !head().keepAlive || stopping_ || thread_.stopping;
                closeAfter_ = response.close;
                exchange_->status = response.status;
                chunked_ = !s.finished;
                int keepAlive = static_cast<int>(host_.settings.keepAliveTimeout.count());
                piece_ = wireHead(std::move(response), chunked_ ? std::nullopt : std::optional(s.total), keepAlive);
                headSent_ = true;
                return sendPiece();
            }
            if (s.buffered > 0) {
                std::string bytes = answer_->take(pieceBytes);
                exchange_->bytes += bytes.size();
                piece_ = chunked_ ? chunkOf(bytes) : std::move(bytes);
                return sendPiece();
            }
            if (!s.finished) {
                if (answer_->wait(1)) continue;
                return;
            }
            if (chunked_ && !lastSent_) {
                lastSent_ = true;
                piece_ = lastChunk(s.lateStatus, s.lateDescription);
                return sendPiece();
            }
            answer_.reset();
            return answered(error_code{});
        }
    }

    void sendPiece() {
        writingPiece_ = true;
        setDeadline(host_.settings.writeTimeout);
        net::async_write(stream_, net::buffer(piece_), [self = self()](error_code ec, std::size_t) {
            self->writingPiece_ = false;
            if (ec) {
                if (self->answer_) self->answer_->abandon();
                self->answer_.reset();
                return self->answered(ec);
            }
            self->pump();
        });
    }

    void refuseBusy(bool close) {
        host_.metrics.count(Limit::MaxQueued);
        Response response = CimomService::refusal(503, "the workers' queue is full", close);
        response.headers.emplace("Retry-After", "1");
        write(std::move(response));
    }

    void write(Response response) {
        if (phase_ == Phase::Closed) return;
        phase_ = Phase::Writing;
        response.close = response.close || !head().keepAlive || stopping_ || thread_.stopping;
        closeAfter_ = response.close;
        exchange_->status = response.status;
        exchange_->bytes = response.bodySize();
        int keepAlive = static_cast<int>(host_.settings.keepAliveTimeout.count());
        exchange_->message.emplace(toWireMessage(std::move(response), keepAlive));
        exchange_->serializer.emplace(*exchange_->message);
        writeSome();
    }

    // Piece by piece, each bounded by the write timeout: a slow reader is
    // served as long as it keeps reading.
    void writeSome() {
        setDeadline(host_.settings.writeTimeout);
        http::async_write_some(stream_, *exchange_->serializer,
                               [self = self()](error_code ec, std::size_t) { self->onWritten(ec); });
    }

    void onWritten(error_code ec) {
        if (!ec && !exchange_->serializer->is_done()) return writeSome();
        answered(ec);
    }

    // Large answers one after another (a client pulling big pieces) reuse
    // the memory the last one let go; it goes back to the system once they
    // pause for a few seconds, not after each (which cost a page fault per
    // page of the next: half the server's time pulling pieces of 10,000).
    void releaseMemorySoon() {
        thread_.memoryRelease.expires_after(std::chrono::seconds(5));
        thread_.memoryRelease.async_wait([](error_code ec) {
            if (!ec) returnFreeMemory();
        });
    }

    // The whole answer is out (or the write failed): log it, then wait for
    // the next request or close.
    void answered(error_code ec) {
        piece_ = std::string();
        host_.service.finish(head(), state(), exchange_->status, exchange_->bytes);
        if (exchange_->bytes >= releaseAfterBytes) {
            exchange_->serializer.reset();
            exchange_->message.reset();
            releaseMemorySoon();
        }
        if (ec) {
            if (timedOut_) host_.metrics.count(Limit::WriteTimeout);
            return close();
        }
        if (closeAfter_) return closeGracefully(true);
        awaitRequest();
    }

    void closeGracefully(bool drain) {
        phase_ = Phase::Closing;
        exchange_.reset();
        parser_.reset();
        setDeadline(drainTime);
        if constexpr (tls) {
            stream_.async_shutdown([self = self()](error_code) { self->close(); });
        } else {
            error_code ec;
            socket_().shutdown(tcp::socket::shutdown_send, ec);
            if (!drain || ec) return close();
            drained_ = 0;
            drainSome();
        }
    }

    void drainSome() {
        buffer_.consume(buffer_.size());
        socket_().async_read_some(buffer_.prepare(16 * 1024), [self = self()](error_code ec, std::size_t n) {
            self->drained_ += n;
            if (ec || self->drained_ >= drainBytes) return self->close();
            self->drainSome();
        });
    }

    void close() {
        if (phase_ == Phase::Closed) return;
        phase_ = Phase::Closed;
        error_code ec;
        socket_().close(ec);
        timer_.cancel();
    }

    // One request's answer on its way out.
    std::shared_ptr<AnswerStream> answer_;  // the answer being made, while it is
    std::string piece_;                     // the bytes being written
    bool writingPiece_ = false, headSent_ = false, lastSent_ = false, chunked_ = false, acceptsTrailers_ = false;

    struct Exchange {
        RequestState state;
        std::optional<WireMessage> message;
        std::optional<http::serializer<false, PiecesBody>> serializer;
        int status = 0;
        std::size_t bytes = 0;
    };

    Stream stream_;
    IoThread &thread_;
    ConnectionHost &host_;
    net::steady_timer timer_;
    Clock::time_point deadline_ = Clock::time_point::max();
    unsigned timerGeneration_ = 0;
    bool timerWaiting_ = false;
    bool timedOut_ = false;
    bool stopping_ = false;
    bool closeAfter_ = false;
    Phase phase_ = Phase::Idle;
    std::size_t drained_ = 0;
    boost::beast::flat_buffer buffer_;
    std::optional<RequestParser> parser_;
    std::optional<Exchange> exchange_;
    std::string peer_;
    std::string address_;
};

}  // namespace

void startConnection(tcp::socket socket, net::ssl::context *tls, IoThread &thread, ConnectionHost &host) {
    if (tls != nullptr) std::make_shared<Connection<TlsStream>>(std::move(socket), tls, thread, host)->start();
    else std::make_shared<Connection<tcp::socket>>(std::move(socket), nullptr, thread, host)->start();
}

}  // namespace cimxmld
