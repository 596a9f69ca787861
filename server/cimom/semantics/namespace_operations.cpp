// namespace_operations.cpp - creating, deleting and listing namespaces.
#include "semantics/object_manager_state.h"
#include "support/names.h"

namespace cimom {

Status ObjectManager::createNamespace(const std::wstring &nameSpace, Journaling journaling) {
    if (nameSpace.empty() || nameSpace.front() == L'/' || nameSpace.back() == L'/' ||
        nameSpace.find(L"//") != std::wstring::npos)
        return Status::error(4, "'" + cimobj::toUtf8(nameSpace) + "' is not a namespace name");
    return state_->repository.write(journaling, [&](ChangeSet &changes) {
        if (state_->repository.find(nameSpace))
            return Status::error(11, "namespace " + cimobj::toUtf8(nameSpace) + " already exists");
        changes.putNamespace(nameSpace);
        return Status::success();
    });
}

Status ObjectManager::deleteNamespace(const std::wstring &nameSpace) {
    return state_->repository.write(Journaling::On, [&](ChangeSet &changes) {
        Status status;
        const NamespaceData *space = findNamespace(state_->repository, nameSpace, status);
        if (space) changes.removeNamespace(space->name);
        return status;
    });
}

std::vector<std::wstring> ObjectManager::namespaces() const {
    auto lock = state_->repository.readLock();
    std::vector<std::wstring> names;
    for (const auto &[key, space] : state_->repository.namespaces()) names.push_back(space->name);
    return names;
}

bool ObjectManager::hasNamespace(const std::wstring &nameSpace) const {
    auto lock = state_->repository.readLock();
    return state_->repository.find(nameSpace) != nullptr;
}

}  // namespace cimom
