// http_message.h - one request's head as the front end parsed it, and one
// response as it is handed from whoever made it to the connection that
// writes it: status, header fields, and the body as pieces in order.
#pragma once

#include <strings.h>

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace cimxmld {

struct NoCaseLess {
    bool operator()(const std::string &a, const std::string &b) const { return strcasecmp(a.c_str(), b.c_str()) < 0; }
};

// Header fields by name, names compared without regard to case; a response's
// fields are written in this order.
using HeaderFields = std::multimap<std::string, std::string, NoCaseLess>;

// The value of the first field called name; null when there is none.
const std::string *findField(const HeaderFields &fields, const std::string &name);

struct RequestHead {
    std::string method;   // as the client sent it: "POST", "M-POST", "GET"
    std::string target;   // "/cimom"
    HeaderFields fields;
    bool keepAlive = true;  // the client allows another request on the connection
    std::string peer;       // "127.0.0.1:53422" (empty without a connection)
    std::string address;    // the peer's address alone, what failed logins are counted by
};

struct Response {
    int status = 200;
    // Without the framing fields (Content-Length, Connection, Keep-Alive):
    // the connection adds them.
    HeaderFields headers;
    // Pieces in order, which go out one after the other.
    std::vector<std::string> body;
    bool close = false;  // the connection ends after this answer

    std::size_t bodySize() const;
    void setBody(std::string text, const char *contentType);
};

}  // namespace cimxmld
