// request_parser.h - one HTTP/1.1 request read by Beast's parser into a
// RequestHead and a body string, with the bounds the front end sets and the
// forms HTTP forbids refused rather than guessed at.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include <boost/beast/http/basic_parser.hpp>

#include "http_message.h"

namespace cimxmld {

struct RequestLimits {
    std::size_t headerBytes = 32 * 1024;  // request line and header fields together
    std::size_t headerFields = 100;
    std::size_t targetBytes = 8 * 1024;   // the request line's target
};

class RequestParser : public boost::beast::http::basic_parser<true> {
public:
    // What the parser refused beyond Beast's own errors.
    enum class Refusal { None, TooManyFields, TargetTooLong, FoldedField };

    // The body limit is off until setBodyLimit: the head is judged first.
    explicit RequestParser(const RequestLimits &limits);

    void setBodyLimit(std::uint64_t bytes) { body_limit(bytes); }
    RequestHead &head() { return head_; }
    std::string &body() { return body_; }
    Refusal refusal() const { return refusal_; }
    // The request line has been read (its method and target are known).
    bool requestLineRead() const { return requestLineRead_; }

    // The status an error of this parser's read calls for: 400 for the
    // forms HTTP forbids, 414 for a request line over the limit, 431 for
    // headers over theirs, 413 for a body over its limit; 0 when the peer
    // just went away (nothing to answer).
    int statusFor(const boost::beast::error_code &error) const;

private:
    void on_request_impl(boost::beast::http::verb, boost::beast::string_view method, boost::beast::string_view target,
                         int version, boost::beast::error_code &ec) override;
    void on_response_impl(int, boost::beast::string_view, int, boost::beast::error_code &) override {}
    void on_field_impl(boost::beast::http::field, boost::beast::string_view name, boost::beast::string_view value,
                       boost::beast::error_code &ec) override;
    void on_header_impl(boost::beast::error_code &ec) override;
    void on_body_init_impl(const boost::optional<std::uint64_t> &length, boost::beast::error_code &ec) override;
    std::size_t on_body_impl(boost::beast::string_view piece, boost::beast::error_code &ec) override;
    void on_chunk_header_impl(std::uint64_t, boost::beast::string_view, boost::beast::error_code &ec) override;
    std::size_t on_chunk_body_impl(std::uint64_t, boost::beast::string_view piece, boost::beast::error_code &ec) override;
    void on_finish_impl(boost::beast::error_code &ec) override { ec = {}; }

    RequestLimits limits_;
    RequestHead head_;
    std::string body_;
    std::size_t fields_ = 0;
    Refusal refusal_ = Refusal::None;
    bool requestLineRead_ = false;
};

}  // namespace cimxmld
