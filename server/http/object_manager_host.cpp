// object_manager_host.cpp - the in-memory object manager of libcimom,
// installed as the process's one object manager behind the handle.
#include "object_manager_host.h"

#include <cimom/handle.h>
#include <cimom/live_providers.h>
#include <cimom/object_manager.h>

namespace cimxmld {

namespace {

class InMemoryObjectManager : public ObjectManagerHost {
public:
    explicit InMemoryObjectManager(std::shared_ptr<cimom::ObjectManager> objectManager)
        : objectManager_(std::move(objectManager)) {
        cimom::installObjectManager(objectManager_);
        cimom::fillCimomHandle(handle_);
    }
    ~InMemoryObjectManager() override { cimom::installObjectManager(nullptr); }
    CIMOMHandle *handle() override { return &handle_; }

private:
    std::shared_ptr<cimom::ObjectManager> objectManager_;
    CIMOMHandle handle_{};
};

// The diagnostics one to a line; empty when there are none.
std::string joined(const std::vector<cimom::MofDiagnostic> &diagnostics) {
    std::string text;
    for (const cimom::MofDiagnostic &diagnostic : diagnostics) text += (text.empty() ? "" : "\n") + diagnostic.text();
    return text;
}

}  // namespace

std::unique_ptr<ObjectManagerHost> ObjectManagerHost::start(const ServerOptions &options, std::string &error) {
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
    return std::make_unique<InMemoryObjectManager>(std::move(objectManager));
}

}  // namespace cimxmld
