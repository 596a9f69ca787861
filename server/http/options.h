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
    std::string accessLogFile;   // empty: access lines go to the log at info level
    int logLevel = 1;            // 0 error .. 3 debug
    std::size_t maxBody = 64u << 20;
    int threads = 0;             // CIM workers; 0: two per core
    int ioThreads = 0;           // threads that own the sockets; 0: one per core
    int maxConnections = 10000;
    int maxQueued = 1000;        // requests waiting for a worker; beyond: 503
    long long maxResponseMemory = 1 << 20;     // bytes of one answer in memory; the rest waits on disk
    long long maxResponsesMemory = 256 << 20;  // the same for all answers together
    int headerTimeoutSeconds = 10;     // the request line and header fields (and a TLS handshake)
    int bodyTimeoutSeconds = 60;       // a whole body
    int keepAliveTimeoutSeconds = 30;  // idle between requests
    int timeoutSeconds = 20;     // a response write that makes no progress for this long is dropped
    int maxHeaderBytes = 32 * 1024;
    int maxHeaderFields = 100;
    int maxEnumerationContexts = 1000;         // pulled enumerations open at once
    int maxEnumerationContextsPerUser = 100;   // the same for one user
    int maxObjectCount = 10000;                // objects one open or pull may ask for
    int defaultOperationTimeoutSeconds = 60;   // an unused enumeration context lives this long
    int maxOperationTimeoutSeconds = 3600;     // the longest OperationTimeout accepted
    std::vector<std::string> mofFiles;  // compiled into the repository at start, in order
    std::vector<std::string> indicationHosts;  // hosts listener destinations may name; empty: any but
                                               // link-local and metadata addresses
    int indicationQueue = 10000;       // indications waiting per listener destination
    int indicationTimeoutSeconds = 10; // connect, send and the answer of one export request
    std::string indicationCaFile;      // issuers of listeners' certificates; empty: the system's
    int indicationPollSeconds = 5;     // processes and file systems are watched this often, when subscribed to
    int fileSystemAlertPercent = 90;   // a file system this full alerts; 0: never
    std::string providersDir;          // empty: no command providers
    std::string providerUser = "nobody";
    std::string console = "loopback";  // the web console at /console: "on", "off", or on when bound to loopback
    std::string consoleDir;            // empty: the installed console, else the source tree's
    std::string configFile;
    std::string addUser;         // --add-user NAME: store a password and exit
    bool help = false;

    bool httpsEnabled() const { return !certFile.empty() && !keyFile.empty(); }
    // Whether /console is served: on, or loopback and bound to a loopback address.
    bool consoleEnabled() const;
    // threads and ioThreads with 0 resolved for this machine.
    int workerThreads() const;
    int socketThreads() const;
};

// Reads the command line (argv[1] onwards). A --config file is read first,
// wherever it stands, so that the command line overrides it. Returns the
// settings, or nullopt with a one-line reason in error ("--port: 'x' is not
// a port number").
std::optional<ServerOptions> parseOptions(int argc, const char *const *argv, std::string &error);

// The --help text.
std::string usageText();

}  // namespace cimxmld
