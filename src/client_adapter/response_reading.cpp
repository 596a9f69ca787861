// response_reading.cpp - a received response text into its decoded message:
// the HTTP status and header, the body, the parse with the response set.
#include <cimxml/cimxml_client.h>

#include <charconv>
#include <cstring>
#include <string>
#include <string_view>

#include "cimop_response/response_routing.h"
#include "cimxml_common/error_reporting.h"
#include "cimxml_common/http_headers.h"
#include "client_adapter/decoder_support.h"
#include "client_adapter/request_framing.h"
#include "common_handlers/message_data.h"

namespace {

// Records text (status 1) as the thread's last error and logs it; NULL, the
// result of a failed read.
MessageData *refuse(const std::string &text) {
    reportOperationFailure(CIM_LOG_ERROR, text.c_str(), 1);
    return nullptr;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

// The value of the header field name (caseless) in header, or empty.
std::string_view header_field(std::string_view header, std::string_view name) {
    while (!header.empty()) {
        std::size_t end = header.find("\r\n");
        std::string_view line = header.substr(0, end);
        std::size_t colon = line.find(':');
        if (colon == name.size() && local_strncasecmp(line.data(), name.data(), name.size()) == 0)
            return trimmed(line.substr(colon + 1));
        if (end == std::string_view::npos) break;
        header.remove_prefix(end + 2);
    }
    return {};
}

// When the header starts with an HTTP status line other than 200, the text
// that says so ("HTTP status 401 Unauthorized; CIMError: ..."); else empty.
std::string refused_status(std::string_view header) {
    if (header.substr(0, 5) != "HTTP/") return {};
    std::string_view line = header.substr(0, header.find("\r\n"));
    std::size_t blank = line.find(' ');
    if (blank == std::string_view::npos) return "malformed HTTP status line";
    std::string_view rest = line.substr(blank + 1);
    int status = 0;
    auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), status);
    if (error == std::errc() && status == 200) return {};
    std::string text = "HTTP status " + std::string(trimmed(rest));
    std::string_view cimError = header_field(header, "CIMError");
    if (!cimError.empty()) text += "; CIMError: " + std::string(cimError);
    return text;
}

}  // namespace

MessageData *cimxml_decode_message(const char *response, void *) {
    client_requests::enter_client();
    if (response == nullptr || *response == '\0')
        return refuse("cimxml_decode_message - failed; Message header is NULL.");
    // A text that starts with its message has no header; otherwise the
    // header ends at the first empty line.
    const char *body = response + std::strspn(response, " \t\r\n");
    if (*body != '<') {
        received_message_parts parts;
        int separated = split_received_message(response, &parts);
        std::string refused =
            refused_status(std::string_view(response, separated ? parts.headerLength : std::strlen(response)));
        if (!refused.empty()) return refuse("cimxml_decode_message - failed; " + refused + ".");
        if (!separated || *parts.body == '\0') return refuse("cimxml_decode_message - failed; Message body is NULL.");
        body = parts.body;
    }
    if (std::strstr(body, "METHODRESPONSE") == nullptr)
        return refuse("cimxml_decode_message - failed; the body is not a CIM-XML response.");
    ParseFailure failure{0, nullptr};
    MessageData *message = cimxmlParseMessage(body, &cimxml_response_handlers, &failure);
    if (message == nullptr && failure.reason != nullptr)
        return refuse("cimxml_decode_message - failed; " +
                      client_responses::not_well_formed(failure.reason, failure.line));
    return message;
}

void CIMXMLdecode_releaseMessage(MessageData *message) {
    client_requests::enter_client();
    freeMessageData(message);
}
