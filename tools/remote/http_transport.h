// http_transport.h - one keep-alive HTTP(S) connection to a CIM server,
// carrying the requests the client library encodes.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "wbem_url.h"

namespace remote {

struct TransportOptions {
    int timeoutSeconds = 30;             // connect, send and each wait for the answer
    std::string caFile;                  // certificates that may sign the server's; empty: the system's
    bool insecure = false;               // do not check the server's certificate
    bool verbose = false;                // request and response headers to the diagnostics stream
    std::string program = "cimxml-cli";  // how warnings name their writer
};

// An answer as the server gave it (headers in the order the HTTP library
// keeps them: by name).
struct HttpAnswer {
    int status = 0;
    std::string reason;
    std::vector<std::pair<std::string, std::string>> headers;
    std::string body;
    // The value of the header name (compared without regard to case); empty when absent.
    std::string header(const std::string &name) const;
};

class HttpTransport {
public:
    // Sets the connection up (nothing is sent yet); url must outlive the
    // transport. Credentials: the URL's user with the URL's password, else
    // the one in CIMXML_PASSWORD. With insecure over https a warning goes to
    // diagnostics at once.
    HttpTransport(const WbemUrl &url, TransportOptions options, std::ostream &diagnostics);
    ~HttpTransport();
    HttpTransport(const HttpTransport &) = delete;
    HttpTransport &operator=(const HttpTransport &) = delete;

    // POSTs request to /cimom. request is an encoder's whole text: its CIM
    // header lines (and Content-Type, Accept) and its message are sent; the
    // request line, Host, Content-Length, Connection and User-Agent are this
    // client's. On 401 with a user known and no password given, the password
    // is asked once on the terminal and the request sent again. Returns every
    // other answer, whatever its status. Throws ClientError: exitUnreachable
    // (no connection, TLS failure), exitTimeout, exitAuth (401 that no
    // credentials cure), exitProtocol (the connection closed mid-answer),
    // exitNoInput (the CA file cannot be read).
    HttpAnswer post(const std::string &request);

private:
    struct Connection;
    std::unique_ptr<Connection> connection_;
};

}  // namespace remote
