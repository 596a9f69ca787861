// open_repository.cpp - an object manager on a repository file: filled from
// the default schema the first time, loaded from the file after that.
#include "cimom/repository_store.h"

namespace cimom {

std::shared_ptr<RepositoryStore> openRepository(ObjectManager &objectManager, const std::string &path, Status &status,
                                                const std::string &schemaDir) {
    auto fill = [&](const std::shared_ptr<RepositoryStore> &store) {
        if (schemaDir.empty()) return Status::success();
        objectManager.setJournal(store);
        std::vector<MofDiagnostic> diagnostics = objectManager.loadDefaultSchema(schemaDir);
        objectManager.setJournal(nullptr);
        if (diagnostics.empty()) return Status::success();
        return Status::error(1, "repository " + path + ": the default schema does not load: " +
                                    diagnostics.front().text());
    };
    std::shared_ptr<RepositoryStore> store = RepositoryStore::open(path, status, fill);
    if (!store) return nullptr;
    if (!store->isNew()) {
        status = store->loadInto(objectManager);
        if (!status.ok()) return nullptr;
    }
    objectManager.setJournal(store);
    return store;
}

}  // namespace cimom
