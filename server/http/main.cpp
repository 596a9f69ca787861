// main.cpp - cimxmld: options, set-up in order (passwords, TLS, module,
// object manager, listeners), then serving until SIGTERM or SIGINT.
#include <arpa/inet.h>
#include <pthread.h>
#include <signal.h>

#include <cerrno>
#include <cstring>
#include <iostream>
#include <memory>
#include <thread>
#include <vector>

#include <cimobj/cimobj.h>

#include "add_user.h"
#include "cimom_service.h"
#include "http_listener.h"
#include "object_manager_host.h"
#include "options.h"
#include "tls_context.h"

using namespace cimxmld;

namespace {

constexpr std::size_t keepAliveRequests = 100;
constexpr time_t keepAliveSeconds = 5;

int fail(const std::string &message, int status = 1) {
    std::cerr << "cimxmld: " << message << '\n';
    return status;
}

bool isLoopback(const std::string &address) {
    in_addr v4{};
    in6_addr v6{};
    if (address == "localhost") return true;
    if (inet_pton(AF_INET, address.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
    return inet_pton(AF_INET6, address.c_str(), &v6) == 1 && IN6_IS_ADDR_LOOPBACK(&v6);
}

std::string urlOf(const char *scheme, const std::string &address, int port) {
    bool v6 = address.find(':') != std::string::npos;
    return std::string(scheme) + "://" + (v6 ? "[" + address + "]" : address) + ":" + std::to_string(port);
}

struct Listener {
    std::unique_ptr<HttpListener> server;
    const char *scheme;
    int port;
};

// Binds a listener, or says why it cannot.
bool bindListener(Listener &listener, const ServerOptions &options, CimomService &service, std::string &error) {
    HttpListener &server = *listener.server;
    int threads = options.threads;
    server.new_task_queue = [threads] { return new httplib::ThreadPool(static_cast<std::size_t>(threads)); };
    server.set_keep_alive_max_count(keepAliveRequests);
    server.set_keep_alive_timeout(keepAliveSeconds);
    service.attach(server);
    errno = 0;
    if (listener.port == 0) {
        listener.port = server.bind_to_any_port(options.bind);
        if (listener.port > 0) return true;
    } else if (server.bind_to_port(options.bind, listener.port)) {
        return true;
    }
    error = "cannot listen on " + urlOf(listener.scheme, options.bind, listener.port) +
            (errno != 0 ? std::string(": ") + std::strerror(errno) : std::string());
    return false;
}

int serve(const ServerOptions &options) {
    if (options.passwordFile.empty() && !isLoopback(options.bind))
        return fail("--bind " + options.bind + ": only a loopback address may be served without --passwd", 2);
    std::string error;
    std::unique_ptr<PasswordFile> passwords;
    if (!options.passwordFile.empty() && !(passwords = PasswordFile::load(options.passwordFile, error)))
        return fail(error);
    TlsContext tls;
    if (options.httpsEnabled() && !(tls = makeTlsContext(options.certFile, options.keyFile, error))) return fail(error);
    std::unique_ptr<ProtocolModule> module = ProtocolModule::load(options.modulePath, options.profile, error);
    if (!module) return fail(error);
    std::unique_ptr<ObjectManagerHost> objectManager = ObjectManagerHost::start(options, error);
    if (!objectManager) return fail(error);

    // Only the signal thread takes SIGINT and SIGTERM; every thread started
    // from here on inherits the mask.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    Metrics metrics;
    CimomService service(*module, objectManager->handle(), passwords.get(), options.maxBody, metrics);
    std::chrono::seconds timeout(options.timeoutSeconds);
    std::vector<Listener> listeners;
    listeners.push_back({std::make_unique<HttpListener>(nullptr, timeout), "http", options.port});
    if (tls) listeners.push_back({std::make_unique<HttpListener>(tls, timeout), "https", options.httpsPort});
    for (Listener &listener : listeners) {
        if (!bindListener(listener, options, service, error)) return fail(error);
    }
    cimPrintMessage(CIM_LOG_INFO, L"module %s, profile %s", module->path().c_str(), options.profile.c_str());
    for (const Listener &listener : listeners)
        std::cout << "cimxmld: listening on " << urlOf(listener.scheme, options.bind, listener.port) << std::endl;

    std::thread stopper([&] {
        int received = 0;
        sigwait(&stopSignals, &received);
        cimPrintMessage(CIM_LOG_INFO, L"stopping on signal %d", received);
        for (Listener &listener : listeners) listener.server->stop();
    });
    std::vector<std::thread> running;
    for (Listener &listener : listeners) running.emplace_back([&listener] { listener.server->listen_after_bind(); });
    for (std::thread &thread : running) thread.join();
    // The listeners ended without a signal: release the stopper.
    pthread_kill(stopper.native_handle(), SIGTERM);
    stopper.join();
    return 0;
}

}  // namespace

int main(int argc, char **argv) {
    std::string error;
    std::optional<ServerOptions> options = parseOptions(argc, argv, error);
    if (!options) return fail(error + "\nTry 'cimxmld --help'.", 2);
    if (options->help) {
        std::cout << usageText();
        return 0;
    }
    cimSetLogLevel(options->logLevel);
    if (!options->addUser.empty()) return addUserCommand(*options);
    return serve(*options);
}
