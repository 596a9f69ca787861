// main.cpp - cimxmld: options, set-up in order (passwords, TLS, module,
// object manager, open-file limit, front end, listeners), then serving
// until SIGTERM or SIGINT (SIGHUP reloads), telling a service manager that
// started it when it is ready, reloading and stopping.
#include <pthread.h>
#include <signal.h>
#include <time.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <thread>
#include <vector>

#include <cimobj/cimobj.h>

#include "access_log_file.h"
#include "add_user.h"
#include "cimom_service.h"
#include "front_end.h"
#include "indication_delivery.h"
#include "listen_sockets.h"
#include "listener_setup.h"
#include "memory_release.h"
#include "console_assets.h"
#include "object_manager_host.h"
#include "options.h"
#include "server_reload.h"
#include "service_manager.h"
#include "stop_signals.h"
#include "tls_context.h"
#include "tls_reload.h"

using namespace cimxmld;

namespace {

int fail(const std::string &message, int status = 1) {
    std::cerr << "cimxmld: " << message << '\n';
    return status;
}

FrontEndSettings frontEndSettings(const ServerOptions &options, long openFiles) {
    FrontEndSettings settings;
    settings.ioThreads = options.socketThreads();
    settings.workers = options.workerThreads();
    // Hashing is slow on purpose: a quarter of the workers at most.
    settings.hashWorkers = std::max(1, settings.workers / 4);
    settings.maxQueued = static_cast<std::size_t>(options.maxQueued);
    settings.answerMemory = static_cast<std::size_t>(options.maxResponseMemory);
    settings.answersMemory = static_cast<std::size_t>(options.maxResponsesMemory);
    settings.maxConnections = static_cast<std::size_t>(options.maxConnections);
    settings.headerTimeout = std::chrono::seconds(options.headerTimeoutSeconds);
    settings.bodyTimeout = std::chrono::seconds(options.bodyTimeoutSeconds);
    settings.keepAliveTimeout = std::chrono::seconds(options.keepAliveTimeoutSeconds);
    settings.writeTimeout = std::chrono::seconds(options.timeoutSeconds);
    settings.limits.headerBytes = static_cast<std::size_t>(options.maxHeaderBytes);
    settings.limits.headerFields = static_cast<std::size_t>(options.maxHeaderFields);
    settings.limits.targetBytes = std::min<std::size_t>(8 * 1024, settings.limits.headerBytes);
    // Descriptors beyond the connections: listeners, the repository, logs.
    constexpr long reserved = 64;
    if (openFiles > 0 && static_cast<long>(settings.maxConnections) > openFiles - reserved) {
        cimPrintMessage(CIM_LOG_WARNING, L"--max-connections %d is more than %ld open files allow: %ld",
                        options.maxConnections, openFiles, openFiles - reserved);
        settings.maxConnections = static_cast<std::size_t>(std::max(1L, openFiles - reserved));
    }
    return settings;
}

std::string monotonicMicroseconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::to_string(static_cast<long long>(now.tv_sec) * 1000000 + now.tv_nsec / 1000);
}

int serve(const ServerOptions &options, const std::vector<std::string> &arguments) {
    if (options.passwordFile.empty() && !isLoopbackAddress(options.bind))
        return fail("--bind " + options.bind + ": only a loopback address may be served without --passwd", 2);
    std::string error;
    std::unique_ptr<PasswordFile> passwords;
    if (!options.passwordFile.empty() && !(passwords = PasswordFile::load(options.passwordFile, error)))
        return fail(error);
    TlsContext tls;
    if (options.httpsEnabled() && !(tls = makeTlsContext(options.certFile, options.keyFile, error))) return fail(error);
    std::unique_ptr<TlsReload> tlsReload = tls ? std::make_unique<TlsReload>(tls) : nullptr;
    if (!openAccessLog(options.accessLogFile, error)) return fail(error);
    std::unique_ptr<ProtocolModule> module = ProtocolModule::load(options.modulePath, options.profile, error);
    if (!module) return fail(error);
    std::unique_ptr<ObjectManagerHost> objectManager = ObjectManagerHost::start(options, error);
    if (!objectManager) return fail(error);
    returnFreeMemory();  // what loading the repository used and let go
    module->setHostExtensions(objectManager->extensions());

    // Only the signal thread takes SIGINT, SIGTERM and SIGHUP; every thread
    // started from here on inherits the mask.
    sigset_t stopping = stopSignals();
    pthread_sigmask(SIG_BLOCK, &stopping, nullptr);
    signal(SIGPIPE, SIG_IGN);

    long openFiles = raiseOpenFileLimit();
    objectManager->objectManager().setDestinationHosts(options.indicationHosts);
    DeliveryOptions deliveryOptions;
    deliveryOptions.queueCapacity = static_cast<std::size_t>(options.indicationQueue);
    deliveryOptions.timeoutSeconds = options.indicationTimeoutSeconds;
    deliveryOptions.caFile = options.indicationCaFile;
    IndicationDelivery delivery(objectManager->objectManager(), *module, deliveryOptions);
    Metrics metrics;
    metrics.setEnumerationFigures([&objectManager] { return objectManager->enumerationFigures(); });
    metrics.setProviderFigures([&objectManager] { return objectManager->providerFigures(); });
    metrics.setRepositoryFigures([&objectManager] {
        cimom::ObjectManager::RepositorySize size = objectManager->objectManager().repositorySize();
        return RepositoryFigures{size.namespaces, size.classes, size.instances};
    });
    metrics.setIndicationFigures([&objectManager, &delivery] {
        cimom::IndicationCounts counts = objectManager->objectManager().indicationCounts();
        DeliveryFigures sent = delivery.figures();
        return IndicationFigures{counts.generated, counts.matched, counts.activeSubscriptions, sent.all,
                                 std::move(sent.byListener)};
    });
    CimomService service(*module, objectManager->handle(), passwords.get(), options.maxBody, metrics);
    std::unique_ptr<ConsoleAssets> console;
    if (options.consoleEnabled()) {
        const std::string folder = options.consoleDir.empty() ? ConsoleAssets::defaultFolder() : options.consoleDir;
        if (!(console = ConsoleAssets::load(folder, error))) return fail(error);
        service.setConsole(console.get());
    }
    FrontEnd frontEnd(service, metrics, frontEndSettings(options, openFiles));
    std::vector<ServedListener> listeners;
    if (!setUpListeners(options, tls, passwords != nullptr, frontEnd, listeners, error)) return fail(error);
    for (const ServedListener &listener : listeners) objectManager->listening(listener.scheme, listener.port);
    cimPrintMessage(CIM_LOG_INFO, L"module %s, profile %s", module->path().c_str(), options.profile.c_str());
    cimPrintMessage(CIM_LOG_INFO, L"open files: %ld; connections at most %d; %d I/O threads, %d workers", openFiles,
                    options.maxConnections, options.socketThreads(), options.workerThreads());
    for (const ServedListener &listener : listeners)
        std::cout << "cimxmld: listening on " << listenerUrl(listener) << std::endl;
    // Ports bound and repository open: what a Type=notify unit waits for.
    notifyServiceManager("READY=1\nSTATUS=serving " + listenerUrl(listeners.front()));

    ServerReload reload(arguments, options, passwords.get(), tlsReload.get(),
                        [&objectManager](const ServerOptions &next) { objectManager->reloadProviders(next); });
    std::thread stopper([&] {
        int received = 0;
        while (sigwait(&stopping, &received) == 0 && received == SIGHUP) {
            notifyServiceManager("RELOADING=1\nMONOTONIC_USEC=" + monotonicMicroseconds());
            reload.run();
            notifyServiceManager("READY=1");
        }
        cimPrintMessage(CIM_LOG_INFO, L"stopping on signal %d", received);
        notifyServiceManager("STOPPING=1");
        objectManager->stopping();
        frontEnd.stop();
    });
    frontEnd.run();
    // The front end ended without a signal: release the stopper.
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
    return serve(*options, std::vector<std::string>(argv + 1, argv + argc));
}
