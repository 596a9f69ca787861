// options.cpp - the command line and the --config file, read through one
// table of keys so that both accept exactly the same settings.
#include "options.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <functional>
#include <string_view>
#include <thread>

#include "listener_setup.h"

namespace cimxmld {

namespace {

using Setter = std::function<bool(ServerOptions &, const std::string &value, std::string &error)>;

struct Key {
    std::string_view name;
    bool inConfigFile;  // false: command line only
    Setter set;         // null: a flag without value
};

bool parseNumber(const std::string &text, long long low, long long high, long long &out) {
    const char *end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, out);
    return ec == std::errc() && ptr == end && !text.empty() && out >= low && out <= high;
}

Setter text(std::string ServerOptions::*field) {
    return [field](ServerOptions &o, const std::string &v, std::string &error) {
        if (v.empty()) {
            error = "needs a value";
            return false;
        }
        o.*field = v;
        return true;
    };
}

template <class Number>
Setter number(Number ServerOptions::*field, long long low, long long high, const char *what) {
    return [=](ServerOptions &o, const std::string &v, std::string &error) {
        long long n = 0;
        if (!parseNumber(v, low, high, n)) {
            error = "'" + v + "' is not " + what;
            return false;
        }
        o.*field = static_cast<Number>(n);
        return true;
    };
}

bool setProfile(ServerOptions &o, const std::string &v, std::string &error) {
    if (v != "strict" && v != "classic") {
        error = "'" + v + "' is not strict or classic";
        return false;
    }
    o.profile = v;
    return true;
}

bool setConsole(ServerOptions &o, const std::string &v, std::string &error) {
    if (v != "on" && v != "off" && v != "loopback") {
        error = "'" + v + "' is not on, off or loopback";
        return false;
    }
    o.console = v;
    return true;
}

bool setLogLevel(ServerOptions &o, const std::string &v, std::string &error) {
    static const std::string_view names[] = {"error", "warn", "info", "debug"};
    for (int level = 0; level < 4; ++level) {
        if (v == names[level]) {
            o.logLevel = level;
            return true;
        }
    }
    error = "'" + v + "' is not error, warn, info or debug";
    return false;
}

bool setMaxBody(ServerOptions &o, const std::string &v, std::string &error) {
    long long n = 0;
    if (!parseNumber(v, 1, 1ll << 40, n)) {
        error = "'" + v + "' is not a byte count";
        return false;
    }
    o.maxBody = static_cast<std::size_t>(n);
    return true;
}

const std::vector<Key> &keys() {
    static const std::vector<Key> table = {
        {"bind", true, text(&ServerOptions::bind)},
        {"port", true, number(&ServerOptions::port, 0, 65535, "a port number")},
        {"https-port", true, number(&ServerOptions::httpsPort, 0, 65535, "a port number")},
        {"cert", true, text(&ServerOptions::certFile)},
        {"key", true, text(&ServerOptions::keyFile)},
        {"repository", true, text(&ServerOptions::repositoryFile)},
        {"passwd", true, text(&ServerOptions::passwordFile)},
        {"module", true, text(&ServerOptions::modulePath)},
        {"profile", true, setProfile},
        {"host-name", true, text(&ServerOptions::hostName)},
        {"access-log", true, text(&ServerOptions::accessLogFile)},
        {"log-level", true, setLogLevel},
        {"max-body", true, setMaxBody},
        {"threads", true, number(&ServerOptions::threads, 1, 1024, "a thread count (1-1024)")},
        {"io-threads", true, number(&ServerOptions::ioThreads, 1, 256, "a thread count (1-256)")},
        {"max-connections", true, number(&ServerOptions::maxConnections, 1, 1000000, "a connection count (1-1000000)")},
        {"max-queued", true, number(&ServerOptions::maxQueued, 1, 1000000, "a request count (1-1000000)")},
        {"max-response-memory", true,
         number(&ServerOptions::maxResponseMemory, 65536, 1LL << 34, "a byte count (65536-17179869184)")},
        {"max-responses-memory", true,
         number(&ServerOptions::maxResponsesMemory, 65536, 1LL << 40, "a byte count (65536-1099511627776)")},
        {"header-timeout", true, number(&ServerOptions::headerTimeoutSeconds, 1, 3600, "a number of seconds (1-3600)")},
        {"body-timeout", true, number(&ServerOptions::bodyTimeoutSeconds, 1, 86400, "a number of seconds (1-86400)")},
        {"keepalive-timeout", true,
         number(&ServerOptions::keepAliveTimeoutSeconds, 1, 86400, "a number of seconds (1-86400)")},
        {"timeout", true, number(&ServerOptions::timeoutSeconds, 1, 3600, "a number of seconds (1-3600)")},
        {"max-header-bytes", true, number(&ServerOptions::maxHeaderBytes, 1024, 1 << 24, "a byte count (1024-16777216)")},
        {"max-header-fields", true, number(&ServerOptions::maxHeaderFields, 1, 10000, "a field count (1-10000)")},
        {"max-enumeration-contexts", true,
         number(&ServerOptions::maxEnumerationContexts, 1, 1000000, "a context count (1-1000000)")},
        {"max-enumeration-contexts-per-user", true,
         number(&ServerOptions::maxEnumerationContextsPerUser, 1, 1000000, "a context count (1-1000000)")},
        {"max-object-count", true, number(&ServerOptions::maxObjectCount, 1, 1000000, "an object count (1-1000000)")},
        {"default-operation-timeout", true,
         number(&ServerOptions::defaultOperationTimeoutSeconds, 1, 86400, "a number of seconds (1-86400)")},
        {"max-operation-timeout", true,
         number(&ServerOptions::maxOperationTimeoutSeconds, 1, 86400, "a number of seconds (1-86400)")},
        {"mof", true,
         [](ServerOptions &o, const std::string &v, std::string &error) {
             if (v.empty()) error = "needs a value";
             else o.mofFiles.push_back(v);
             return !v.empty();
         }},
        {"indication-hosts", true,
         [](ServerOptions &o, const std::string &v, std::string &error) {
             o.indicationHosts.clear();
             for (std::size_t start = 0; start <= v.size();) {
                 std::size_t comma = std::min(v.find(',', start), v.size());
                 if (comma > start) o.indicationHosts.push_back(v.substr(start, comma - start));
                 start = comma + 1;
             }
             if (o.indicationHosts.empty()) error = "needs a host, or hosts joined by commas";
             return !o.indicationHosts.empty();
         }},
        {"indication-queue", true, number(&ServerOptions::indicationQueue, 1, 10000000, "a queue length (1-10000000)")},
        {"indication-timeout", true,
         number(&ServerOptions::indicationTimeoutSeconds, 1, 3600, "a number of seconds (1-3600)")},
        {"indication-ca", true, text(&ServerOptions::indicationCaFile)},
        {"indication-poll", true, number(&ServerOptions::indicationPollSeconds, 1, 3600, "a number of seconds (1-3600)")},
        {"file-system-alert", true, number(&ServerOptions::fileSystemAlertPercent, 0, 100, "a percent (0-100)")},
        {"providers", true, text(&ServerOptions::providersDir)},
        {"provider-user", true, text(&ServerOptions::providerUser)},
        {"console", true, setConsole},
        {"console-dir", true, text(&ServerOptions::consoleDir)},
        {"config", false, text(&ServerOptions::configFile)},
        {"add-user", false, text(&ServerOptions::addUser)},
        {"help", false, nullptr},
    };
    return table;
}

const Key *findKey(std::string_view name) {
    for (const Key &key : keys()) {
        if (key.name == name) return &key;
    }
    return nullptr;
}

std::string trim(std::string_view s) {
    std::size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string_view::npos) return {};
    std::size_t e = s.find_last_not_of(" \t\r");
    return std::string(s.substr(b, e - b + 1));
}

// "key value" or "key = value" per line; '#' starts a comment line.
bool readConfigFile(const std::string &path, ServerOptions &options, std::string &error) {
    std::ifstream in(path);
    if (!in) {
        error = "--config: cannot read '" + path + "'";
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        std::string content = trim(line);
        if (content.empty() || content[0] == '#') continue;
        std::size_t split = content.find_first_of(" \t=");
        std::string name = content.substr(0, split);
        std::string value = split == std::string::npos ? "" : trim(content.substr(split));
        if (!value.empty() && value[0] == '=') value = trim(value.substr(1));
        const Key *key = findKey(name);
        std::string where = path + ":" + std::to_string(number) + ": ";
        if (key == nullptr || !key->inConfigFile) {
            error = where + "unknown setting '" + name + "'";
            return false;
        }
        std::string reason;
        if (!key->set(options, value, reason)) {
            error = where + name + ": " + reason;
            return false;
        }
    }
    return true;
}

// One command-line argument, with its value taken from "--name=value" or
// from the next argument.
struct Argument {
    const Key *key = nullptr;
    std::string name;
    std::string value;
};

bool nextArgument(int argc, const char *const *argv, int &i, Argument &arg, std::string &error) {
    std::string_view word = argv[i];
    if (word.substr(0, 2) != "--") {
        error = "unexpected argument '" + std::string(word) + "'";
        return false;
    }
    std::size_t eq = word.find('=');
    arg.name = std::string(word.substr(2, eq == std::string_view::npos ? std::string_view::npos : eq - 2));
    arg.key = findKey(arg.name);
    if (arg.key == nullptr) {
        error = "unknown option '--" + arg.name + "'";
        return false;
    }
    if (!arg.key->set) {
        if (eq != std::string_view::npos) {
            error = "--" + arg.name + " takes no value";
            return false;
        }
        return true;
    }
    if (eq != std::string_view::npos) {
        arg.value = std::string(word.substr(eq + 1));
    } else if (i + 1 < argc) {
        arg.value = argv[++i];
    } else {
        error = "--" + arg.name + " needs a value";
        return false;
    }
    return true;
}

}  // namespace

bool ServerOptions::consoleEnabled() const { return console == "loopback" ? isLoopbackAddress(bind) : console == "on"; }

int ServerOptions::workerThreads() const {
    return threads > 0 ? threads : 2 * static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

int ServerOptions::socketThreads() const {
    return ioThreads > 0 ? ioThreads : static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

std::optional<ServerOptions> parseOptions(int argc, const char *const *argv, std::string &error) {
    std::vector<Argument> arguments;
    for (int i = 1; i < argc; ++i) {
        Argument arg;
        if (!nextArgument(argc, argv, i, arg, error)) return std::nullopt;
        arguments.push_back(std::move(arg));
    }
    ServerOptions options;
    for (const Argument &arg : arguments) {
        if (arg.name == "config" && !readConfigFile(arg.value, options, error)) return std::nullopt;
    }
    for (const Argument &arg : arguments) {
        if (!arg.key->set) {
            options.help = true;
            continue;
        }
        std::string reason;
        if (!arg.key->set(options, arg.value, reason)) {
            error = "--" + arg.name + ": " + reason;
            return std::nullopt;
        }
    }
    if (options.certFile.empty() != options.keyFile.empty()) {
        error = "--cert and --key go together";
        return std::nullopt;
    }
    // The default is never longer than the longest accepted.
    options.defaultOperationTimeoutSeconds =
        std::min(options.defaultOperationTimeoutSeconds, options.maxOperationTimeoutSeconds);
    return options;
}

std::string usageText() {
    return R"(Usage: cimxmld [OPTION]...
       cimxmld --add-user NAME [--passwd FILE]
A WBEM server: answers CIM-XML requests over HTTP (POST or M-POST to /cimom)
from a repository holding the default schema: in memory, or durable in an
SQLite file with --repository.

  --bind ADDR          address to listen on (default 127.0.0.1; anything but
                       a loopback address needs --passwd)
  --port N             HTTP port (default 5988; 0 picks a free one)
  --https-port N       HTTPS port (default 5989), served with --cert and --key
  --cert FILE          PEM certificate (chain) for HTTPS
  --key FILE           PEM private key for HTTPS
  --repository FILE    keep the repository in FILE (SQLite), made with the
                       default schema and the --mof files when absent;
                       every acknowledged write survives a crash
  --passwd FILE        require HTTP Basic authentication against FILE
                       (lines "user:hash", written by --add-user)
  --module PATH        the CIM-XML protocol module (default: libcimxml.so
                       next to the program, then in ../lib)
  --profile P          module profile: strict (default) or classic
  --host-name NAME     host name in the paths the server returns
                       (default: this machine's name)
  --log-level L        error, warn (default), info (one line per request)
                       or debug
  --access-log FILE    append one line per request to FILE, whatever the
                       log level (reopened on SIGHUP)
  --max-body BYTES     largest request body (default 67108864); larger: 413
  --threads N          CIM workers: threads that run requests (default two
                       per core)
  --io-threads N       threads that own the connections (default one per core)
  --max-connections N  connections at once (default 10000); a connection
                       beyond is closed at once
  --max-queued N       requests waiting for a worker (default 1000); beyond:
                       503 with Retry-After
  --max-response-memory BYTES  bytes of one answer held in memory while its
                       client reads it (default 1048576); the rest waits in
                       an unnamed temporary file in $TMPDIR (or /tmp)
  --max-responses-memory BYTES  the same for all answers together (default
                       268435456)
  --header-timeout S   the request line and headers (and a TLS handshake)
                       must arrive within S seconds (default 10); else 408
  --body-timeout S     a whole request body within S seconds (default 60)
  --keepalive-timeout S  an idle connection closes after S seconds (default 30)
  --timeout SECONDS    an answer the client takes no part of for this long
                       is dropped with its connection (default 20)
  --max-header-bytes N request line and headers at most N bytes (default
                       32768); beyond: 431 (414 for the request line)
  --max-header-fields N  header fields at most (default 100); beyond: 431
  --max-enumeration-contexts N  pulled enumerations open at once (default
                       1000); beyond: CIM_ERR_SERVER_LIMITS_EXCEEDED
  --max-enumeration-contexts-per-user N  the same for one user (default 100)
  --max-object-count N objects one open or pull may ask for (default 10000);
                       beyond: CIM_ERR_SERVER_LIMITS_EXCEEDED
  --default-operation-timeout S  an enumeration context unused for S seconds
                       is closed, unless its client named another time
                       (default 60, at most --max-operation-timeout)
  --max-operation-timeout S  the longest OperationTimeout accepted (default
                       3600); beyond, and 0 (never): CIM_ERR_INVALID_OPERATION_TIMEOUT
  --mof FILE           compile FILE into the repository at start (repeatable;
                       with --repository, only when FILE is made)
  --indication-hosts H,H  the only hosts listener destinations may name
                       (default: any but link-local and metadata addresses)
  --indication-queue N indications waiting per listener (default 10000); a
                       full queue drops its oldest
  --indication-timeout S  connect, send and answer of one indication export
                       (default 10)
  --indication-ca FILE issuers of listeners' HTTPS certificates (default: the
                       system's)
  --indication-poll S  while a subscription wants process starts and ends or
                       file system alerts, look every S seconds (default 5)
  --file-system-alert P  a file system P percent full (or fuller) sends one
                       CIM_AlertIndication until it drops below (default 90;
                       0: never)
  --providers DIR      serve the classes the NAME.json registrations in DIR
                       name through their command providers
  --provider-user NAME the account command providers run as when cimxmld
                       runs as root and their registration names none
                       (default nobody)
  --console WHEN       serve the web console at /console: on, off, or
                       loopback (default: when --bind is a loopback address)
  --console-dir DIR    the console's files (default: those installed with
                       cimxmld)
  --config FILE        read settings from FILE: one "key value" a line, keys
                       as the options above without "--"; the command line
                       wins
  --add-user NAME      read a password from the terminal (or one line of
                       stdin), store NAME with its hash in the --passwd file
                       (default ./cimxmld.passwd) and exit
  --help               show this text and exit

GET /metrics answers request counts and durations in the Prometheus text
format. SIGTERM or SIGINT stops the server after the requests in flight.
SIGHUP reads the command line's --config file, the password file, the
TLS certificate and key and the provider registrations again and reopens
the --access-log file; a broken
configuration keeps the old one. Started by systemd, the server tells it
when it is ready and takes the listening sockets it is given.
)";
}

}  // namespace cimxmld
