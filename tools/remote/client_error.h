// client_error.h - the exit statuses of the client tools and the error that
// carries one to main(), which prints its message as one line.
#pragma once

#include <stdexcept>
#include <string>

namespace remote {

// 0 is success; 1..63 are the CIM status a server answered with; the
// others follow the BSD sysexits conventions.
enum ExitStatus : int {
    exitSuccess = 0,
    exitUsage = 64,        // wrong command line or URL
    exitBadInput = 65,     // MOF text or an argument value that does not compile or convert
    exitNoInput = 66,      // an input file (MOF, CA certificates) that cannot be read
    exitUnreachable = 69,  // no connection: refused, unknown host, TLS handshake or certificate
    exitInternal = 70,     // the client library could not build a request
    exitTimeout = 75,      // the server did not answer within --timeout
    exitProtocol = 76,     // an answer that is not a CIM-XML response to the request
    exitAuth = 77,         // the server refused the credentials, or none were known
    exitInterrupted = 130, // stopped by SIGINT (Ctrl-C), as a shell reports 128 + 2
};

// A failure with the exit status it ends the program with.
class ClientError : public std::runtime_error {
public:
    ClientError(int status, const std::string &message) : std::runtime_error(message), status_(status) {}
    int status() const { return status_; }

private:
    int status_;
};

// The name of a CIM status code ("CIM_ERR_NOT_FOUND"); "CIM status N" for a
// code without a name (outside 1..17 and 20..28).
std::string cimStatusName(int code);

// The error a CIM status answer makes: "CIM_ERR_NOT_FOUND (6): description"
// (the number only for a named code; without ": description" when there
// is none); the exit status is the code
// when it lies in 1..63, else exitProtocol. Line breaks in the description
// become spaces, so that the message stays one line.
ClientError cimError(int code, const std::string &description);

// text with every run of CR and LF replaced by one space and trailing blanks cut.
std::string oneLine(std::string text);

}  // namespace remote
