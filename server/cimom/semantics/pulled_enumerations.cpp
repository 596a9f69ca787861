// pulled_enumerations.cpp - OpenEnumerateInstances and the other opens,
// pulls, counts and closes: results read from their source a piece at a
// time, between pieces only a place in them kept.
#include <deque>

#include "query/fql_filter.h"
#include "semantics/association_traversal.h"
#include "semantics/pulled_results.h"
#include "support/names.h"
#include "support/objects.h"

namespace cimom {

namespace {

using cimobj::toUtf8;

// The filter FilterQueryLanguage and FilterQuery give; none without them.
Status makeFilter(const std::wstring &language, const std::wstring &query, InstanceFilter &filter) {
    if (language.empty() && query.empty()) return Status::success();
    if (language.empty()) return Status::error(4, "FilterQuery is given without a FilterQueryLanguage");
    if (!isFilterQueryLanguage(language))
        return Status::error(14, "filter query language " + toUtf8(language) + " is not supported; use DMTF:FQL");
    auto parsed = std::make_shared<FqlFilter>();
    Status status = parseFqlFilter(query, *parsed);
    if (!status.ok()) return status;
    // Filters run under the repository's read lock: ISA answers for the
    // instance's own class only.
    filter = [parsed](const CIMInstance &instance) { return parsed->matches(&instance); };
    return status;
}

// The results of an open association operation, read from the object's
// associations a stretch at a time as the pulls ask for them: between
// pulls the context keeps the traversal's place and what did not fit the
// last piece. A filter reads every property (a property list may leave out
// what it asks about); an instance it keeps is read again as asked.
class AssociationResults final : public PulledResults {
public:
    AssociationResults(ObjectManager &objectManager, const OpenEnumeration &request, const InstanceOptions &asked,
                       InstanceFilter filter, std::unique_ptr<AssociationTraversal> traversal)
        : objectManager_(objectManager), nameSpace_(request.nameSpace),
          associators_(request.source == PulledSource::Associators),
          paths_(request.kind == PulledKind::InstancePaths), asked_(asked), read_(readOptions(asked, filter)),
          filter_(std::move(filter)), traversal_(std::move(traversal)), shape_(traversal_->referenceShape(read_)) {}

    Status next(std::size_t max, PulledPiece &piece) override {
        move(instancesLeft_, piece.instances, max);
        move(pathsLeft_, piece.paths, max);
        auto full = [&] { return (paths_ ? piece.paths.size() : piece.instances.size()) >= max; };
        if (full()) return Status::success();
        return traversal_->forEach([&](Association &association) {
            make(association);
            move(instancesLeft_, piece.instances, max);
            move(pathsLeft_, piece.paths, max);
            return !full();
        });
    }
    bool ended() const override { return instancesLeft_.empty() && pathsLeft_.empty() && traversal_->ended(); }
    std::optional<std::uint64_t> remaining() const override {
        return ended() ? std::optional<std::uint64_t>(0) : std::nullopt;
    }

private:
    static InstanceOptions readOptions(InstanceOptions options, const InstanceFilter &filter) {
        if (filter) options.properties.reset();
        return options;
    }
    template <class Ptr>
    static void move(std::deque<Ptr> &from, std::vector<Ptr> &to, std::size_t max) {
        for (; !from.empty() && to.size() < max; from.pop_front()) to.push_back(std::move(from.front()));
    }

    // The results of one association, into what is left to give.
    void make(Association &association) {
        if (paths_ && !filter_) {
            std::vector<cimobj::PathPtr> made;
            if (associators_) traversal_->associatorPaths(association, made);
            else made.push_back(traversal_->referencePath(association));
            for (cimobj::PathPtr &one : made) pathsLeft_.push_back(std::move(one));
            return;
        }
        std::vector<cimobj::InstancePtr> made;
        if (associators_) traversal_->associatorInstances(association, read_, made);
        else made.push_back(traversal_->referenceInstance(association, shape_));
        for (cimobj::InstancePtr &one : made) {
            if (!one || (filter_ && !filter_(*one))) continue;
            if (paths_) {
                if (one->path) pathsLeft_.emplace_back(copyObjectPath(one->path));
            } else if (filter_ && asked_.properties) {
                cimobj::InstancePtr again;
                std::wstring_view where = one->path ? textOf(one->path->nameSpace) : std::wstring_view();
                if (one->path && objectManager_
                                     .getInstance(where.empty() ? nameSpace_ : std::wstring(where), *one->path,
                                                  asked_, again)
                                     .ok())
                    instancesLeft_.push_back(std::move(again));
            } else {
                instancesLeft_.push_back(std::move(one));
            }
        }
    }

    ObjectManager &objectManager_;
    const std::wstring nameSpace_;
    const bool associators_, paths_;
    const InstanceOptions asked_, read_;
    const InstanceFilter filter_;
    std::unique_ptr<AssociationTraversal> traversal_;
    const InstanceShape shape_;
    std::deque<cimobj::InstancePtr> instancesLeft_;
    std::deque<cimobj::PathPtr> pathsLeft_;
};

Status associationResults(ObjectManager &objectManager, ObjectManager::State &state, const OpenEnumeration &request,
                          const InstanceOptions &asked, const InstanceFilter &filter,
                          std::unique_ptr<PulledResults> &results) {
    if (!request.objectName || !request.objectName->mkeys || getCIMPropertyListLength(request.objectName->mkeys) == 0)
        return Status::error(4, "InstanceName must name an instance: pulled association operations have no class level");
    auto traversal = std::make_unique<AssociationTraversal>(objectManager, state, request.nameSpace, request.filter,
                                                            request.source == PulledSource::Associators);
    Status status = traversal->begin(*request.objectName);
    if (status.ok())
        results = std::make_unique<AssociationResults>(objectManager, request, asked, filter, std::move(traversal));
    return status;
}

Status openResults(ObjectManager &objectManager, ObjectManager::State &state, const OpenEnumeration &request,
                   const InstanceOptions &options, std::unique_ptr<PulledResults> &results,
                   cimobj::ClassPtr &queryResultClass) {
    if (request.source == PulledSource::Query)
        return queryResults(objectManager, state, request.nameSpace, request.filterQuery, request.filterLanguage,
                            results, request.returnQueryResultClass ? &queryResultClass : nullptr);
    InstanceFilter filter;
    Status status = makeFilter(request.filterLanguage, request.filterQuery, filter);
    if (!status.ok()) return status;
    if (request.source != PulledSource::Enumeration)
        return associationResults(objectManager, state, request, options, filter, results);
    if (request.kind == PulledKind::InstancePaths) {
        std::unique_ptr<PathCursor> cursor;
        status = pathCursor(objectManager, state, request.nameSpace, request.className, filter, cursor);
        if (status.ok()) results = cursorResults(state, std::move(cursor), bool(filter));
        return status;
    }
    std::unique_ptr<InstanceCursor> cursor;
    status = instanceCursor(objectManager, state, request.nameSpace, request.className, options, filter, cursor);
    if (status.ok()) results = cursorResults(state, std::move(cursor), bool(filter));
    return status;
}

Status tooManyObjects(std::uint32_t asked, std::uint32_t limit) {
    return Status::error(27, "MaxObjectCount " + std::to_string(asked) + " is above this server's limit of " +
                                 std::to_string(limit) + " objects a piece");
}

}  // namespace

Status ObjectManager::openEnumeration(const OpenEnumeration &request, PulledPiece &piece) {
    piece = PulledPiece{};
    EnumerationContexts &table = state_->pulls;
    table.expire(EnumerationContexts::Clock::now());
    std::chrono::seconds timeout{};
    Status status = table.admit(request.user, request.operationTimeout, timeout);
    if (!status.ok()) return status;
    if (request.continueOnError)
        return Status::error(26, "ContinueOnError is not supported: an enumeration ends at its first error");
    PullLimits limits = table.limits();
    if (request.maxObjectCount > limits.maxObjectCount) return tooManyObjects(request.maxObjectCount, limits.maxObjectCount);

    // The opens have no LocalOnly, DeepInheritance or IncludeQualifiers.
    InstanceOptions options;
    options.localOnly = false;
    options.deepInheritance = true;
    options.includeQualifiers = false;
    options.includeClassOrigin = request.options.includeClassOrigin;
    options.properties = request.options.properties;
    std::unique_ptr<PulledResults> results;
    cimobj::ClassPtr queryResultClass;
    status = openResults(*this, *state_, request, options, results, queryResultClass);
    if (status.ok() && request.maxObjectCount > 0) status = results->next(request.maxObjectCount, piece);
    if (!status.ok()) {
        piece = PulledPiece{};
        return status;
    }
    piece.queryResultClass = std::move(queryResultClass);
    if (results->ended()) {
        piece.endOfSequence = true;
        table.countEndedAtOpen();
        return status;
    }
    auto context = std::make_unique<EnumerationContexts::Context>();
    context->user = request.user;
    context->nameSpace = request.nameSpace;
    context->kind = request.kind;
    context->timeout = timeout;
    context->results = std::move(results);
    status = table.add(std::move(context), piece.context);
    if (!status.ok()) piece = PulledPiece{};
    return status;
}

Status ObjectManager::pullEnumeration(const std::string &user, const std::wstring &nameSpace,
                                      const std::string &context, PulledKind kind, std::uint32_t maxObjectCount,
                                      PulledPiece &piece) {
    piece = PulledPiece{};
    EnumerationContexts &table = state_->pulls;
    table.expire(EnumerationContexts::Clock::now());
    PullLimits limits = table.limits();
    if (maxObjectCount > limits.maxObjectCount) return tooManyObjects(maxObjectCount, limits.maxObjectCount);
    EnumerationContexts::Context *open = nullptr;
    Status status = table.checkOut(user, nameSpace, context, kind, open);
    if (status.code == 24) return Status::error(21, "another pull on this enumeration context is in progress");
    if (!status.ok()) return status;
    if (maxObjectCount > 0) status = open->results->next(maxObjectCount, piece);
    bool ended = !status.ok() || open->results->ended();
    table.checkIn(context, !ended);
    if (!status.ok()) {
        piece = PulledPiece{};
        return status;
    }
    piece.endOfSequence = ended;
    if (!ended) piece.context = context;
    return status;
}

Status ObjectManager::closeEnumeration(const std::string &user, const std::wstring &nameSpace,
                                       const std::string &context) {
    state_->pulls.expire(EnumerationContexts::Clock::now());
    return state_->pulls.close(user, nameSpace, context);
}

Status ObjectManager::enumerationCount(const std::string &user, const std::wstring &nameSpace,
                                       const std::string &context, std::uint64_t &count) {
    EnumerationContexts &table = state_->pulls;
    table.expire(EnumerationContexts::Clock::now());
    EnumerationContexts::Context *open = nullptr;
    Status status = table.checkOut(user, nameSpace, context, std::nullopt, open);
    if (status.code == 24) return Status::error(21, "a pull on this enumeration context is in progress");
    if (!status.ok()) return status;
    std::optional<std::uint64_t> left = open->results->remaining();
    table.checkIn(context, true);
    if (!left)
        return Status::error(7, "the number of results left is not known without reading them (a filter or a "
                                "provider decides it)");
    count = *left;
    return status;
}

std::size_t ObjectManager::expireEnumerations() { return state_->pulls.expire(EnumerationContexts::Clock::now()); }

void ObjectManager::refuseNewEnumerations() { state_->pulls.refuseNew(); }

void ObjectManager::setPullLimits(const PullLimits &limits) { state_->pulls.setLimits(limits); }

PullStatistics ObjectManager::pullStatistics() const { return state_->pulls.statistics(); }

}  // namespace cimom
