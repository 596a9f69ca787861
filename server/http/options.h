// options.h - cimxmld's settings: the command line, and the same keys in an
// optional --config file.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace cimxmld {

struct ServerOptions {
    std::string bind = "127.0.0.1";
    int port = 5988;             // 0: any free port (printed at start)
    int httpsPort = 5989;        // served only with certFile and keyFile
    std::string certFile;
    std::string keyFile;
    std::string repositoryFile;  // empty: in memory
    std::string passwordFile;    // empty: no authentication, loopback only
    std::string modulePath;      // empty: found next to the program
    std::string profile = "strict";
    std::string hostName;        // empty: the machine's name
    int logLevel = 1;            // 0 error .. 3 debug
    std::size_t maxBody = 64u << 20;
    int threads = 16;
    int timeoutSeconds = 20;     // read and write timeouts; a request head must arrive within it
    std::vector<std::string> mofFiles;  // compiled into the repository at start, in order
    std::string configFile;
    std::string addUser;         // --add-user NAME: store a password and exit
    bool help = false;

    bool httpsEnabled() const { return !certFile.empty() && !keyFile.empty(); }
};

// Reads the command line (argv[1] onwards). A --config file is read first,
// wherever it stands, so that the command line overrides it. Returns the
// settings, or nullopt with a one-line reason in error ("--port: 'x' is not
// a port number").
std::optional<ServerOptions> parseOptions(int argc, const char *const *argv, std::string &error);

// The --help text.
std::string usageText();

}  // namespace cimxmld
