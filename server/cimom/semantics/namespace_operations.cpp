// namespace_operations.cpp - creating, deleting and listing namespaces.
#include "semantics/object_manager_state.h"
#include "support/names.h"

namespace cimom {

namespace {

bool identifierStart(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || c == L'_' || c >= 0x80; }

// Identifiers joined by single slashes: every name a client can write in a
// path, a MOF pragma and a CIMObject header alike.
bool isNamespaceName(std::wstring_view name) {
    bool segmentStart = true;
    for (wchar_t c : name) {
        if (segmentStart ? !identifierStart(c) : !(identifierStart(c) || c == L'/' || (c >= L'0' && c <= L'9')))
            return false;
        segmentStart = c == L'/';
    }
    return !segmentStart;
}

}  // namespace

Status ObjectManager::createNamespace(const std::wstring &nameSpace, Journaling journaling) {
    if (!isNamespaceName(nameSpace))
        return Status::error(4, "'" + cimobj::toUtf8(nameSpace) +
                                    "' is not a namespace name (identifiers joined by single slashes)");
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

ObjectManager::RepositorySize ObjectManager::repositorySize() const {
    RepositorySize size;
    auto lock = state_->repository.readLock();
    for (const auto &[key, space] : state_->repository.namespaces()) {
        ++size.namespaces;
        size.classes += space->classes.size();
        for (const auto &[className, table] : space->instances) size.instances += table.size();
    }
    return size;
}

bool ObjectManager::hasNamespace(const std::wstring &nameSpace) const {
    auto lock = state_->repository.readLock();
    return state_->repository.find(nameSpace) != nullptr;
}

std::optional<std::wstring> ObjectManager::namespaceName(const std::wstring &nameSpace) const {
    auto lock = state_->repository.readLock();
    const NamespaceData *space = state_->repository.find(nameSpace);
    return space ? std::optional<std::wstring>(space->name) : std::nullopt;
}

}  // namespace cimom
