// http_transport.h - one keep-alive HTTP(S) connection to a CIM server,
// carrying the requests the client library encodes; answers are read as
// their bytes arrive.
#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
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
    std::string target = "/cimom";       // the request target every POST goes to
};

using HeaderFields = std::vector<std::pair<std::string, std::string>>;

// An answer as the server gave it.
struct HttpAnswer {
    int status = 0;
    std::string reason;
    HeaderFields headers;   // in the order they came
    HeaderFields trailers;  // the fields after the last chunk of a chunked body
    std::string body;       // the whole body, unless a sink took it
    // The value of the header (or trailer) name, compared without regard to
    // case; empty when absent.
    std::string header(const std::string &name) const;
    std::string trailer(const std::string &name) const;
};

// Takes the body of an answer as it arrives, piece by piece in order. It
// may throw: the answer is then abandoned, the connection closed, and the
// exception goes on to post's caller.
using BodySink = std::function<void(std::string_view piece)>;
// Chooses the sink of an answer's body from its head (status, reason and
// headers; no body or trailers yet). An empty sink gathers the body into
// the answer. It may throw, as a sink may.
using SinkChooser = std::function<BodySink(const HttpAnswer &head)>;

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

    // POSTs request to the target (/cimom) and returns the answer with its whole body.
    // request is an encoder's whole text: its CIM header lines (and
    // Content-Type, Accept) and its message are sent; the request line,
    // Host, Content-Length, TE (trailers: large answers may come in chunks
    // with a late CIM status after them), User-Agent and Authorization are
    // this client's. On 401 with a user known and no password given, the
    // password is asked once on the terminal and the request sent again.
    // Returns every other answer, whatever its status. Throws ClientError:
    // exitUnreachable (no connection, TLS failure), exitTimeout,
    // exitAuth (401 that no credentials cure), exitProtocol (the connection
    // closed mid-answer, or the answer is no HTTP), exitNoInput (the CA file
    // cannot be read).
    HttpAnswer post(const std::string &request);

    // The same, the body of the answer going to the sink choose gives for
    // its head as it arrives (choose is asked once, for the answer that is
    // returned, never for a 401 that is answered again). The returned
    // answer carries the trailers, and the body only when it was gathered.
    HttpAnswer post(const std::string &request, const SinkChooser &choose);

private:
    struct Connection;
    std::unique_ptr<Connection> connection_;
};

}  // namespace remote
