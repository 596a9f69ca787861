// object_manager_host.cpp - the object manager of libcimom, in memory or on
// a durable repository file, installed as the process's one object manager
// behind the handle.
#include "object_manager_host.h"

#include <cimxml/cimxml.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include <cimom/external_providers.h>
#include <cimom/handle.h>
#include <cimom/interop_providers.h>
#include <cimom/live_providers.h>
#include <cimom/object_manager.h>
#include <cimom/repository_store.h>

#include "stop_signals.h"

namespace cimxmld {

namespace {

// The providers of --providers, registered; the problems of their
// registrations go to the log.
cimom::RegisteredProviders registeredProviders(cimom::ObjectManager &objectManager, const ServerOptions &options) {
    if (options.providersDir.empty()) return {};
    std::vector<std::string> problems;
    auto providers = cimom::registerExternalProviders(objectManager, options.providersDir, options.providerUser, problems);
    for (const std::string &problem : problems)
        cimPrintMessage(CIM_LOG_ERROR, L"provider registration left out: %s", problem.c_str());
    cimPrintMessage(CIM_LOG_INFO, L"%zu providers registered from %s", providers.size(),
                    options.providersDir.c_str());
    return providers;
}

// The object manager installed for the handle (a durable one holds its
// store as its journal), describing the server in root/interop.
class InMemoryObjectManager : public ObjectManagerHost {
public:
    InMemoryObjectManager(std::shared_ptr<cimom::ObjectManager> objectManager, const ServerOptions &options,
                          cimom::RegisteredProviders providers)
        : objectManager_(std::move(objectManager)), providers_(std::move(providers)),
          listeners_(std::make_shared<cimom::ListenerTable>()) {
        cimom::installObjectManager(objectManager_);
        cimom::fillCimomHandle(handle_);
        cimom::fillHostExtensions(extensions_);
        cimom::ServerDescription description;
        description.protocolVersion = cimobj::fromUtf8(CIMXML_PROTOCOL_VERSION);
        description.functionalGroups = cimom::functionalGroupsOf(handle_);
        description.basicAuthentication = !options.passwordFile.empty();
        description.listeners = listeners_;
        cimom::registerInteropProviders(*objectManager_, std::move(description));
        cimom::PullLimits limits;
        limits.maxContexts = static_cast<std::size_t>(options.maxEnumerationContexts);
        limits.maxContextsPerUser = static_cast<std::size_t>(options.maxEnumerationContextsPerUser);
        limits.maxObjectCount = static_cast<std::uint32_t>(options.maxObjectCount);
        limits.defaultTimeout = static_cast<std::uint32_t>(options.defaultOperationTimeoutSeconds);
        limits.maxTimeout = static_cast<std::uint32_t>(options.maxOperationTimeoutSeconds);
        objectManager_->setPullLimits(limits);
        liveSettings_.fileSystemAlertPercent = static_cast<unsigned>(options.fileSystemAlertPercent);
        pollSeconds_ = options.indicationPollSeconds;
        expirer_ = threadWithoutStopSignals([this] { maintain(); });
    }
    ~InMemoryObjectManager() override {
        {
            std::lock_guard lock(expiryMutex_);
            ending_ = true;
        }
        expiryWake_.notify_all();
        expirer_.join();
        cimom::installObjectManager(nullptr);
    }
    CIMOMHandle *handle() override { return &handle_; }
    const CIMXMLHostExtensions &extensions() override { return extensions_; }

    void listening(const std::string &scheme, int port) override {
        std::lock_guard lock(listenersMutex_);
        bound_.push_back({cimobj::fromUtf8(scheme), port});
        listeners_->set(bound_);
    }

    void stopping() override { objectManager_->refuseNewEnumerations(); }

    cimom::ObjectManager &objectManager() override { return *objectManager_; }

    EnumerationFigures enumerationFigures() const override {
        cimom::PullStatistics figures = objectManager_->pullStatistics();
        return EnumerationFigures{figures.open, figures.opened, figures.closed, figures.expired};
    }

private:
    // Until the host ends: frees the contexts left unused past their
    // timeout, once a second, and watches the machine for the indications
    // subscribed to every pollSeconds_.
    void maintain() {
        std::unique_lock lock(expiryMutex_);
        for (int second = 1; !expiryWake_.wait_for(lock, std::chrono::seconds(1), [this] { return ending_; });
             ++second) {
            objectManager_->expireEnumerations();
            if (second % pollSeconds_ == 0) objectManager_->pollLiveIndications(liveSettings_);
        }
    }

    std::vector<cimom::ProviderFigures> providerFigures() const override {
        std::lock_guard lock(providersMutex_);
        return providers_.figures();
    }

    void reloadProviders(const ServerOptions &options) override {
        cimom::RegisteredProviders next = registeredProviders(*objectManager_, options);
        std::lock_guard lock(providersMutex_);
        providers_.withdraw(*objectManager_, next);
        std::swap(providers_, next);
    }

    std::shared_ptr<cimom::ObjectManager> objectManager_;
    mutable std::mutex providersMutex_;
    cimom::RegisteredProviders providers_;
    CIMOMHandle handle_{};
    CIMXMLHostExtensions extensions_{};
    std::shared_ptr<cimom::ListenerTable> listeners_;
    std::mutex listenersMutex_;
    std::vector<cimom::Listener> bound_;
    std::mutex expiryMutex_;
    std::condition_variable expiryWake_;
    bool ending_ = false;
    cimom::LiveIndicationSettings liveSettings_;
    int pollSeconds_ = 5;
    std::thread expirer_;
};

// The diagnostics one to a line; empty when there are none.
std::string joined(const std::vector<cimom::MofDiagnostic> &diagnostics) {
    std::string text;
    for (const cimom::MofDiagnostic &diagnostic : diagnostics) text += (text.empty() ? "" : "\n") + diagnostic.text();
    return text;
}

// The object manager on the repository file: made with the default schema
// and the --mof files when new, else loaded (the --mof files are not read
// again: they were compiled when the file was made).
std::unique_ptr<ObjectManagerHost> startOnRepository(const ServerOptions &options, std::string &error) {
    auto objectManager = std::make_shared<cimom::ObjectManager>(cimobj::fromUtf8(options.hostName));
    cimom::Status status;
    std::shared_ptr<cimom::RepositoryStore> store = cimom::openRepository(
        *objectManager, options.repositoryFile, status, cimom::ObjectManager::defaultSchemaDir(), options.mofFiles);
    if (!store) {
        error = status.message;
        return nullptr;
    }
    if (!store->isNew() && !options.mofFiles.empty())
        cimPrintMessage(CIM_LOG_WARNING, L"--mof files not compiled: repository %s exists (use cimxml-mof --repository)",
                        options.repositoryFile.c_str());
    // After loading: what the file holds loads into the repository, never
    // into a provider.
    cimom::registerLiveProviders(*objectManager);
    auto providers = registeredProviders(*objectManager, options);
    return std::make_unique<InMemoryObjectManager>(std::move(objectManager), options, std::move(providers));
}

}  // namespace

std::unique_ptr<ObjectManagerHost> ObjectManagerHost::start(const ServerOptions &options, std::string &error) {
    if (!options.repositoryFile.empty()) return startOnRepository(options, error);
    auto objectManager = std::make_shared<cimom::ObjectManager>(cimobj::fromUtf8(options.hostName));
    error = joined(objectManager->loadDefaultSchema(cimom::ObjectManager::defaultSchemaDir(), cimom::Journaling::Off));
    if (!error.empty()) {
        error = "the default schema does not load:\n" + error;
        return nullptr;
    }
    cimom::registerLiveProviders(*objectManager);
    for (const std::string &file : options.mofFiles) {
        error = joined(objectManager->compileMofFile(file, {}, cimom::Journaling::Off));
        if (!error.empty()) return nullptr;
    }
    auto providers = registeredProviders(*objectManager, options);
    return std::make_unique<InMemoryObjectManager>(std::move(objectManager), options, std::move(providers));
}

}  // namespace cimxmld
