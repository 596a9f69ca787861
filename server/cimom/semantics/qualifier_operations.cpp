// qualifier_operations.cpp - qualifier declarations per namespace.
#include "repository/value_conversion.h"
#include "semantics/object_manager_state.h"
#include "support/names.h"
#include "support/objects.h"

namespace cimom {

namespace {

Status qualifierMissing(std::wstring_view name, std::wstring_view nameSpace) {
    return Status::error(
        6, "qualifier " + cimobj::toUtf8(name) + " is not declared in namespace " + cimobj::toUtf8(nameSpace));
}

}  // namespace

Status ObjectManager::getQualifier(const std::wstring &nameSpace, const std::wstring &name,
                                   cimobj::QualifierTypePtr &declaration) {
    auto lock = state_->repository.readLock();
    Status status;
    const NamespaceData *space = findNamespace(state_->repository, nameSpace, status);
    if (!space) return status;
    const CIMQualifierType *found = space->findQualifier(name);
    if (!found) return qualifierMissing(name, nameSpace);
    declaration.reset(orThrow(copyQualifierType(found)));
    return status;
}

Status ObjectManager::setQualifier(const std::wstring &nameSpace, const CIMQualifierType &declaration,
                                   Journaling journaling) {
    std::wstring name(textOf(declaration.name));
    if (name.empty()) return Status::error(4, "the qualifier declaration has no name");
    Conversion value = convertValue(declaration.value, declaration.type);
    if (!value.ok())
        return Status::error(4, "default value of qualifier " + cimobj::toUtf8(name) + ": " + value.problem);
    cimobj::QualifierTypePtr copy(orThrow(copyQualifierType(&declaration)));
    if (!isSuccessfulFree(setQualifierValue(copy.get(), value.value.release()))) throw std::bad_alloc();
    copy->type = declaration.type;
    if (copy->scope == 0) copy->scope = CIM_SCOPE_ANY;
    QualifierTypeRecord record(copy.release(), cimobj::Deleter<freeQualifierType>());
    return state_->repository.write(journaling, [&](ChangeSet &changes) {
        Status status;
        const NamespaceData *space = findNamespace(state_->repository, nameSpace, status);
        if (space) changes.putQualifier(space->name, record);
        return status;
    });
}

Status ObjectManager::deleteQualifier(const std::wstring &nameSpace, const std::wstring &name) {
    return state_->repository.write(Journaling::On, [&](ChangeSet &changes) {
        Status status;
        const NamespaceData *space = findNamespace(state_->repository, nameSpace, status);
        if (!space) return status;
        const CIMQualifierType *found = space->findQualifier(name);
        if (!found) return qualifierMissing(name, nameSpace);
        changes.removeQualifier(space->name, std::wstring(textOf(found->name)));
        return status;
    });
}

Status ObjectManager::enumerateQualifiers(const std::wstring &nameSpace,
                                          std::vector<cimobj::QualifierTypePtr> &declarations) {
    auto lock = state_->repository.readLock();
    Status status;
    const NamespaceData *space = findNamespace(state_->repository, nameSpace, status);
    if (!space) return status;
    for (const auto &[key, declaration] : space->qualifiers)
        declarations.emplace_back(orThrow(copyQualifierType(declaration.get())));
    return status;
}

}  // namespace cimom
