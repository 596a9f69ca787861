// request_parser.cpp - the parser's callbacks and what its errors mean.
#include "request_parser.h"

#include <limits>

#include <boost/asio/error.hpp>
#include <boost/beast/http/error.hpp>

namespace cimxmld {

namespace http = boost::beast::http;
using boost::beast::error_code;
using boost::beast::string_view;

RequestParser::RequestParser(const RequestLimits &limits) : limits_(limits) {
    header_limit(static_cast<std::uint32_t>(limits.headerBytes));
    // Not boost::none: this Beast compares a length with it as the smallest value.
    body_limit(std::numeric_limits<std::uint64_t>::max());
}

void RequestParser::on_request_impl(http::verb, string_view method, string_view target, int, error_code &ec) {
    requestLineRead_ = true;
    if (target.size() > limits_.targetBytes) {
        refusal_ = Refusal::TargetTooLong;
        ec = http::error::header_limit;
        return;
    }
    head_.method.assign(method.data(), method.size());
    head_.target.assign(target.data(), target.size());
}

void RequestParser::on_field_impl(http::field, string_view name, string_view value, error_code &ec) {
    if (++fields_ > limits_.headerFields) {
        refusal_ = Refusal::TooManyFields;
        ec = http::error::header_limit;
        return;
    }
    // The parser joins a folded value into one, but the field's first line
    // is still in its input, right after the name: when the line after it
    // begins with a blank, the value was folded. The parser only calls here
    // once it has seen the character after that line.
    const char *at = name.data() + name.size();
    while (*at != '\n') ++at;
    if (at[1] == ' ' || at[1] == '\t') {
        refusal_ = Refusal::FoldedField;
        ec = http::error::bad_value;
        return;
    }
    head_.fields.emplace(std::string(name.data(), name.size()), std::string(value.data(), value.size()));
}

void RequestParser::on_header_impl(error_code &ec) {
    ec = {};
    head_.keepAlive = keep_alive();
}

void RequestParser::on_body_init_impl(const boost::optional<std::uint64_t> &length, error_code &ec) {
    ec = {};
    if (length) body_.reserve(static_cast<std::size_t>(*length));
}

std::size_t RequestParser::on_body_impl(string_view piece, error_code &ec) {
    ec = {};
    body_.append(piece.data(), piece.size());
    return piece.size();
}

void RequestParser::on_chunk_header_impl(std::uint64_t, string_view, error_code &ec) { ec = {}; }

std::size_t RequestParser::on_chunk_body_impl(std::uint64_t, string_view piece, error_code &ec) {
    ec = {};
    body_.append(piece.data(), piece.size());
    return piece.size();
}

int RequestParser::statusFor(const error_code &error) const {
    if (refusal_ == Refusal::TargetTooLong) return 414;
    if (refusal_ == Refusal::TooManyFields) return 431;
    if (error == http::error::header_limit) return requestLineRead_ ? 431 : 414;
    if (error == http::error::body_limit) return 413;
    if (error == http::error::end_of_stream || error == boost::asio::error::eof ||
        error == boost::asio::error::connection_reset || error == boost::asio::error::broken_pipe)
        return 0;
    if (error.category() == http::make_error_code(http::error::bad_method).category()) {
        // A request cut short has nothing left to answer to.
        return error == http::error::partial_message ? 0 : 400;
    }
    return 0;
}

}  // namespace cimxmld
