// open_repository.cpp - an object manager on a repository file: filled from
// the default schema the first time, loaded from the file after that.
#include "cimom/repository_store.h"

namespace cimom {

std::shared_ptr<RepositoryStore> openRepository(ObjectManager &objectManager, const std::string &path, Status &status,
                                                const std::string &schemaDir, const std::vector<std::string> &firstMof) {
    auto fill = [&](const std::shared_ptr<RepositoryStore> &store) {
        objectManager.setJournal(store);
        std::vector<MofDiagnostic> diagnostics;
        if (!schemaDir.empty()) diagnostics = objectManager.loadDefaultSchema(schemaDir);
        std::string failed = diagnostics.empty() ? "" : "the default schema does not load: ";
        for (auto file = firstMof.begin(); diagnostics.empty() && file != firstMof.end(); ++file)
            diagnostics = objectManager.compileMofFile(*file);
        objectManager.setJournal(nullptr);
        if (diagnostics.empty()) return Status::success();
        return Status::error(1, "repository " + path + ": " + failed + diagnostics.front().text());
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
