// server_process.h - the real cimxmld as a child process on a free loopback
// port for the length of a test, and a raw HTTP client to talk to it.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace httptest {

// The outcome of a command run to completion.
struct CommandResult {
    int status = -1;  // exit status; 137 when it had to be killed
    std::string out;
    std::string err;
};

// The whole content of a file; empty when it cannot be read.
std::string readFile(const std::string &path);

// Runs program (a path, or a name looked up in PATH) with args and
// stdinText to completion; killed after 20 s.
CommandResult runCommand(const std::string &program, const std::vector<std::string> &args,
                         const std::string &stdinText = "");
// The same for the cimxmld under test.
CommandResult runCimxmld(const std::vector<std::string> &args, const std::string &stdinText = "");

class ServerProcess {
public:
    // Starts cimxmld --bind 127.0.0.1 --port 0 --https-port 0 with args
    // added, and waits up to 20 s until it has printed the ports it listens
    // on (HTTPS too when args hold --cert). A server that does not come up
    // fails the test (port() is then 0).
    explicit ServerProcess(std::vector<std::string> args = {});
    // Kills the server if it still runs.
    ~ServerProcess();
    ServerProcess(const ServerProcess &) = delete;
    ServerProcess &operator=(const ServerProcess &) = delete;

    int port() const { return port_; }
    int httpsPort() const { return httpsPort_; }
    // Sends SIGTERM and waits up to 20 s: the exit status, -1 when it did
    // not end (the destructor kills it).
    int stop();
    // Sends SIGHUP (reload) and waits until the log holds one more line
    // starting "reload: " than before, up to 20 s; false when none came.
    bool reload();
    // Kills the server with SIGKILL at once, as a crash would, and reaps it.
    void crash();
    // What the server wrote to stderr so far.
    std::string log() const;

private:
    pid_t pid_ = -1;
    int port_ = 0;
    int httpsPort_ = 0;
    std::string logPath_;
};

// A response as it came: the head (status line and header lines, each
// ending in CRLF, without the empty line) and the body.
struct RawResponse {
    std::string head;
    std::string body;
};

// One client connection to 127.0.0.1:port. Every wait is bounded (5 s by
// default); a failure to connect fails the test.
class RawConnection {
public:
    explicit RawConnection(int port, std::chrono::milliseconds timeout = std::chrono::seconds(5));
    ~RawConnection();
    RawConnection(const RawConnection &) = delete;
    RawConnection &operator=(const RawConnection &) = delete;

    // Sends all of text; false when the server has gone.
    bool send(const std::string &text);
    // Reads one response (body by Content-Length, or the chunks as they came
    // when chunked).
    // An empty head means none came in time or the connection closed.
    RawResponse receive();
    // True when the server closes the connection within the timeout.
    bool closedByServer();

private:
    int socket_ = -1;
    std::chrono::milliseconds timeout_;
    std::string pending_;
};

// The length of the chunked body text begins with (its last chunk and
// trailers included); npos while it is not complete.
std::size_t chunkedLength(const std::string &text);

// A CIM-XML operation request as wbemcli sends it: headers (with the
// CIMMethod and CIMObject given) and body.
std::string cimRequest(const std::string &body, const std::string &method = "GetClass",
                       const std::string &object = "root%2Fcimv2");
// The head of a keep-alive 200 answer from the module with a body of length
// bytes; prefix: the CIM header prefix of an M-POST (which adds "Ext").
std::string answerHead(std::size_t length, const std::string &prefix = "");
// request with the header line name replaced by "name: value", added when
// absent, or removed when value is null.
std::string editHeader(std::string request, const std::string &name, const char *value);
// GetClass of CIM_ManagedElement, a class of the default schema, as a whole
// request and as its body.
std::string getClassRequest();
std::string getClassBody();
// The body of an intrinsic call in root/cimv2 with the given parameters.
std::string intrinsicBody(const std::string &method, const std::string &parameters);

}  // namespace httptest
