// query_operation.cpp - ExecQuery: a WQL query checked against the
// namespace's classes and run over the instances of its FROM class.
#include "cimom/wql.h"
#include "query/class_lookup_schema.h"
#include "semantics/object_manager_state.h"
#include "semantics/pulled_results.h"
#include "semantics/result_batches.h"
#include "support/names.h"

namespace cimom {

namespace {

// The namespace's classes as the query engine reads them, each looked up
// under the repository's read lock.
LookupSchema namespaceSchema(const Repository &repository, std::wstring nameSpace) {
    return LookupSchema([&repository, nameSpace = std::move(nameSpace)](std::wstring_view className) {
        auto lock = repository.readLock();
        const NamespaceData *space = repository.find(nameSpace);
        return space ? space->classRecord(className) : nullptr;
    });
}

// A validated query over a cursor of its FROM class's whole instances: each
// piece reads on until it has as many results as asked or the class ends.
class QueryResults final : public PulledResults {
public:
    QueryResults(ObjectManager::State &state, std::wstring nameSpace, WqlQuery query,
                 std::unique_ptr<InstanceCursor> cursor)
        : state_(state), schema_(namespaceSchema(state.repository, std::move(nameSpace))), query_(std::move(query)),
          cursor_(std::move(cursor)) {}

    Status next(std::size_t max, PulledPiece &piece) override {
        std::size_t given = 0;
        while (given < max && !cursor_->ended()) {
            std::vector<cimobj::InstancePtr> candidates;
            Status status = cursor_->next(state_, max - given, candidates);
            if (!status.ok()) return status;
            for (const cimobj::InstancePtr &candidate : candidates)
                if (query_.matches(candidate.get(), schema_)) {
                    piece.instances.push_back(query_.project(candidate.get()));
                    ++given;
                }
        }
        return Status::success();
    }
    bool ended() const override { return cursor_->ended(); }
    std::optional<std::uint64_t> remaining() const override { return std::nullopt; }

private:
    ObjectManager::State &state_;
    LookupSchema schema_;
    WqlQuery query_;
    std::unique_ptr<InstanceCursor> cursor_;
};

// The query parsed and checked against nameSpace's classes.
Status checkedQuery(ObjectManager::State &state, const std::wstring &nameSpace, const std::wstring &query,
                    const std::wstring &language, WqlQuery &parsed) {
    {
        auto lock = state.repository.readLock();
        if (!state.repository.find(nameSpace)) return namespaceMissing(nameSpace);
    }
    if (!isWqlLanguage(language))
        return Status::error(14, "query language " + cimobj::toUtf8(language) + " is not supported; use WQL");
    Status status = parseWqlQuery(query, parsed);
    if (!status.ok()) return status;
    LookupSchema schema = namespaceSchema(state.repository, nameSpace);
    return parsed.validate(schema);
}

}  // namespace

Status queryResults(ObjectManager &objectManager, ObjectManager::State &state, const std::wstring &nameSpace,
                    const std::wstring &query, const std::wstring &language, std::unique_ptr<PulledResults> &results,
                    cimobj::ClassPtr *resultClass) {
    WqlQuery parsed;
    Status status = checkedQuery(state, nameSpace, query, language, parsed);
    if (!status.ok()) return status;
    if (resultClass) {
        LookupSchema schema = namespaceSchema(state.repository, nameSpace);
        *resultClass = parsed.resultClass(schema.findClass(parsed.className()));
    }
    std::unique_ptr<InstanceCursor> cursor;
    status = instanceCursor(objectManager, state, nameSpace, parsed.className(), InstanceOptions{}, nullptr, cursor);
    if (!status.ok()) return status;
    results = std::make_unique<QueryResults>(state, nameSpace, std::move(parsed), std::move(cursor));
    return status;
}

Status ObjectManager::execQuery(const std::wstring &nameSpace, const std::wstring &query, const std::wstring &language,
                                ClassesOrInstances &results) {
    return collectAll<cimobj::InstancePtr>(results.instances, [&](const InstanceBatch &deliver) {
        return execQuery(nameSpace, query, language, 0, deliver);
    });
}

Status ObjectManager::execQuery(const std::wstring &nameSpace, const std::wstring &query, const std::wstring &language,
                                std::size_t batchSize, const InstanceBatch &deliver) {
    std::unique_ptr<PulledResults> results;
    Status status = queryResults(*this, *state_, nameSpace, query, language, results, nullptr);
    if (!status.ok()) return status;
    while (!results->ended()) {
        PulledPiece piece;
        status = results->next(batchSize == 0 ? SIZE_MAX : batchSize, piece);
        if (!status.ok()) return status;
        if (!piece.instances.empty() && !deliver(piece.instances)) break;
    }
    return Status::success();
}

}  // namespace cimom
