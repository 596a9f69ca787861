// server_reload.cpp - read everything first, apply only when all of it is good.
#include "server_reload.h"

#include <cimobj/cimobj.h>

#include "access_log_file.h"
#include "password_file.h"
#include "tls_reload.h"

namespace cimxmld {

namespace {

void logError(const std::string &text) { cimPrintMessage(CIM_LOG_ERROR, L"reload: %s", text.c_str()); }

}  // namespace

std::vector<std::string> settingsNeedingRestart(const ServerOptions &a, const ServerOptions &b) {
    std::vector<std::string> names;
    auto differs = [&names](const char *name, bool changed) {
        if (changed) names.emplace_back(name);
    };
    differs("bind", a.bind != b.bind);
    differs("port", a.port != b.port);
    differs("https-port", a.httpsPort != b.httpsPort);
    differs("cert", a.httpsEnabled() != b.httpsEnabled());
    differs("repository", a.repositoryFile != b.repositoryFile);
    differs("passwd", a.passwordFile.empty() != b.passwordFile.empty());
    differs("module", a.modulePath != b.modulePath);
    differs("profile", a.profile != b.profile);
    differs("host-name", a.hostName != b.hostName);
    differs("max-body", a.maxBody != b.maxBody);
    differs("threads", a.threads != b.threads);
    differs("io-threads", a.ioThreads != b.ioThreads);
    differs("max-connections", a.maxConnections != b.maxConnections);
    differs("max-queued", a.maxQueued != b.maxQueued);
    differs("max-response-memory", a.maxResponseMemory != b.maxResponseMemory);
    differs("max-responses-memory", a.maxResponsesMemory != b.maxResponsesMemory);
    differs("header-timeout", a.headerTimeoutSeconds != b.headerTimeoutSeconds);
    differs("body-timeout", a.bodyTimeoutSeconds != b.bodyTimeoutSeconds);
    differs("keepalive-timeout", a.keepAliveTimeoutSeconds != b.keepAliveTimeoutSeconds);
    differs("timeout", a.timeoutSeconds != b.timeoutSeconds);
    differs("max-header-bytes", a.maxHeaderBytes != b.maxHeaderBytes);
    differs("max-header-fields", a.maxHeaderFields != b.maxHeaderFields);
    differs("max-enumeration-contexts", a.maxEnumerationContexts != b.maxEnumerationContexts);
    differs("max-enumeration-contexts-per-user", a.maxEnumerationContextsPerUser != b.maxEnumerationContextsPerUser);
    differs("max-object-count", a.maxObjectCount != b.maxObjectCount);
    differs("default-operation-timeout", a.defaultOperationTimeoutSeconds != b.defaultOperationTimeoutSeconds);
    differs("max-operation-timeout", a.maxOperationTimeoutSeconds != b.maxOperationTimeoutSeconds);
    differs("mof", a.mofFiles != b.mofFiles);
    differs("console", a.consoleEnabled() != b.consoleEnabled() || a.consoleDir != b.consoleDir);
    return names;
}

ServerReload::ServerReload(std::vector<std::string> arguments, ServerOptions started, PasswordFile *passwords,
                           TlsReload *tls, std::function<void(const ServerOptions &)> providers)
    : arguments_(std::move(arguments)), started_(std::move(started)), accessLog_(started_.accessLogFile),
      passwords_(passwords), tls_(tls), providers_(std::move(providers)) {}

bool ServerReload::run() {
    std::vector<const char *> argv{"cimxmld"};
    for (const std::string &argument : arguments_) argv.push_back(argument.c_str());
    std::string error;
    std::optional<ServerOptions> next = parseOptions(static_cast<int>(argv.size()), argv.data(), error);
    if (!next) {
        logError(error + "; keeping the configuration in use");
        return false;
    }
    // What can fail is tried before anything changes: the password file is
    // read into a copy first, the certificate into a context of its own.
    std::unique_ptr<PasswordFile> checked;
    if (passwords_ != nullptr && !next->passwordFile.empty() &&
        !(checked = PasswordFile::load(next->passwordFile, error))) {
        logError(error + "; keeping the configuration in use");
        return false;
    }
    if (tls_ != nullptr && next->httpsEnabled() && !tls_->load(next->certFile, next->keyFile, error)) {
        logError(error + "; keeping the configuration in use");
        return false;
    }
    if (next->accessLogFile != accessLog_ ? !openAccessLog(next->accessLogFile, error) : !reopenAccessLog(error))
        logError(error + "; keeping the old access log");
    else
        accessLog_ = next->accessLogFile;
    if (checked && !passwords_->reload(next->passwordFile, error)) logError(error);
    cimSetLogLevel(next->logLevel);
    if (providers_) providers_(*next);

    std::vector<std::string> later = settingsNeedingRestart(started_, *next);
    std::string names;
    for (const std::string &name : later) names += (names.empty() ? "" : ", ") + name;
    if (!names.empty())
        cimPrintMessage(CIM_LOG_WARNING, L"reload: these settings take effect at the next start: %s", names.c_str());
    cimPrintMessage(CIM_LOG_INFO, L"reload: configuration read again");
    return true;
}

}  // namespace cimxmld
