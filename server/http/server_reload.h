// server_reload.h - what SIGHUP does: reads the command line and its
// --config file again and applies what a running server can take (the log
// level, the password file's users, the TLS certificate and key, the access
// log file, reopened, the provider registrations), leaving connections and
// requests in flight alone.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "options.h"

namespace cimxmld {

class PasswordFile;
class TlsReload;

class ServerReload {
public:
    // arguments: the command line (argv[1] onwards) to read again; started:
    // the settings the server runs with. passwords and tls are lent (null
    // when the server runs without authentication or HTTPS) and must
    // outlive this object. providers, when set, is given the new settings
    // to read the provider registrations again.
    ServerReload(std::vector<std::string> arguments, ServerOptions started, PasswordFile *passwords, TlsReload *tls,
                 std::function<void(const ServerOptions &)> providers = {});

    // Reloads. A configuration that does not read, or a password file or
    // certificate that does not load, changes nothing and is logged with its
    // reason as an error; settings that only a restart applies (ports,
    // repository, threads...) are logged as a warning. Returns true when
    // the new configuration is in use. Call from one thread at a time.
    bool run();

private:
    std::vector<std::string> arguments_;
    ServerOptions started_;  // what only a restart changes is compared with this
    std::string accessLog_;  // the access log file in use
    PasswordFile *passwords_;
    TlsReload *tls_;
    std::function<void(const ServerOptions &)> providers_;
};

// The names of the settings that differ between a and b and that only a
// restart applies ("port", "repository"), in the order of the options.
std::vector<std::string> settingsNeedingRestart(const ServerOptions &a, const ServerOptions &b);

}  // namespace cimxmld
