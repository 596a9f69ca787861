// query_operation.cpp - ExecQuery: a WQL query checked against the
// namespace's classes and run over the instances of its FROM class.
#include "cimom/wql.h"
#include "semantics/object_manager_state.h"
#include "support/names.h"

namespace cimom {

namespace {

// The namespace's classes as the query engine reads them.
class NamespaceSchema : public WqlSchema {
public:
    NamespaceSchema(const Repository &repository, std::wstring nameSpace)
        : repository_(repository), nameSpace_(std::move(nameSpace)) {}

    const CIMClass *findClass(std::wstring_view className) override {
        lent_ = record(className);
        return lent_ ? lent_->resolved.get() : nullptr;
    }

    bool isSameOrSubclass(std::wstring_view className, std::wstring_view baseName) override {
        ClassRecordPtr found = record(className);
        return found && found->isA(foldName(baseName));
    }

private:
    ClassRecordPtr record(std::wstring_view className) const {
        auto lock = repository_.readLock();
        const NamespaceData *space = repository_.find(nameSpace_);
        return space ? space->classRecord(className) : nullptr;
    }

    const Repository &repository_;
    std::wstring nameSpace_;
    ClassRecordPtr lent_;
};

}  // namespace

Status ObjectManager::execQuery(const std::wstring &nameSpace, const std::wstring &query, const std::wstring &language,
                                ClassesOrInstances &results) {
    if (!hasNamespace(nameSpace)) return namespaceMissing(nameSpace);
    if (!isWqlLanguage(language))
        return Status::error(14, "query language " + cimobj::toUtf8(language) + " is not supported; use WQL");
    WqlQuery parsed;
    Status status = parseWqlQuery(query, parsed);
    if (!status.ok()) return status;
    NamespaceSchema schema(state_->repository, nameSpace);
    status = parsed.validate(schema);
    if (!status.ok()) return status;
    InstanceOptions everything;
    std::vector<cimobj::InstancePtr> candidates;
    status = enumerateInstances(nameSpace, parsed.className(), everything, candidates);
    if (!status.ok()) return status;
    for (const cimobj::InstancePtr &candidate : candidates)
        if (parsed.matches(candidate.get(), schema)) results.instances.push_back(parsed.project(candidate.get()));
    return status;
}

}  // namespace cimom
