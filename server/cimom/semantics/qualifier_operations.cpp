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
    copy->scope = cimScopeBits(copy->scope);
    QualifierTypeRecord record(copy.release(), cimobj::Deleter<freeQualifierType>());
    return state_->repository.write(journaling, [&](ChangeSet &changes) {
        Status status;
        const NamespaceData *space = findNamespace(state_->repository, nameSpace, status);
        if (space) changes.putQualifier(space->name, record);
        return status;
    });
}

namespace {

bool usesQualifier(const CIMQualifierList *qualifiers, std::wstring_view name) {
    for (CIMQualifier *q : items<CIMQualifier>(qualifiers))
        if (sameName(textOf(q->name), name)) return true;
    return false;
}

// Where a class declares the qualifier itself (on the class, a property, a
// method or a parameter): "" when it does not.
std::string placeOfQualifier(const CIMClass &declared, std::wstring_view name) {
    std::string className = cimobj::toUtf8(textOf(getClassName(&declared)));
    if (usesQualifier(declared.qualifiers, name)) return "class " + className;
    for (CIMProperty *p : items<CIMProperty>(declared.properties))
        if (usesQualifier(p->qualifiers, name)) return "property " + className + "." + cimobj::toUtf8(textOf(p->name));
    for (CIMMethod *m : items<CIMMethod>(declared.methods)) {
        std::string method = className + "." + cimobj::toUtf8(textOf(m->name));
        if (usesQualifier(m->qualifiers, name)) return "method " + method;
        for (CIMProperty *parameter : items<CIMProperty>(m->parameters))
            if (usesQualifier(parameter->qualifiers, name))
                return "parameter " + cimobj::toUtf8(textOf(parameter->name)) + " of " + method;
    }
    return {};
}

}  // namespace

Status ObjectManager::deleteQualifier(const std::wstring &nameSpace, const std::wstring &name) {
    return state_->repository.write(Journaling::On, [&](ChangeSet &changes) {
        Status status;
        const NamespaceData *space = findNamespace(state_->repository, nameSpace, status);
        if (!space) return status;
        const CIMQualifierType *found = space->findQualifier(name);
        if (!found) return qualifierMissing(name, nameSpace);
        // A class that uses the declaration would no longer load from a dump.
        for (const auto &[key, record] : space->classes) {
            std::string place = placeOfQualifier(*record->declared, name);
            if (!place.empty())
                return Status::error(1, "qualifier " + cimobj::toUtf8(textOf(found->name)) + " is used by " + place +
                                            "; delete or change what uses it first");
        }
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
