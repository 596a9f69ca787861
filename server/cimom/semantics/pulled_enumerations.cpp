// pulled_enumerations.cpp - OpenEnumerateInstances and the other opens,
// pulls, counts and closes: results read from their source a piece at a
// time, between pieces only a place in them kept.
#include "query/fql_filter.h"
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

Status associationInstances(ObjectManager &objectManager, const OpenEnumeration &request, const InstanceOptions &options,
                            std::vector<cimobj::InstancePtr> &instances) {
    ClassesOrInstances results;
    Status status = request.source == PulledSource::Associators
                        ? objectManager.associators(request.nameSpace, *request.objectName, request.filter, options,
                                                    results)
                        : objectManager.references(request.nameSpace, *request.objectName, request.filter, options,
                                                   results);
    instances = std::move(results.instances);
    return status;
}

// The results of an open association operation, made whole: the
// association operations read every end of the object at once.
Status associationResults(ObjectManager &objectManager, const OpenEnumeration &request, const InstanceOptions &asked,
                          const InstanceFilter &filter, std::unique_ptr<PulledResults> &results) {
    if (!request.objectName || !request.objectName->mkeys || getCIMPropertyListLength(request.objectName->mkeys) == 0)
        return Status::error(4, "InstanceName must name an instance: pulled association operations have no class level");
    bool paths = request.kind == PulledKind::InstancePaths;
    if (paths && !filter) {
        std::vector<cimobj::PathPtr> found;
        Status status = request.source == PulledSource::Associators
                            ? objectManager.associatorNames(request.nameSpace, *request.objectName, request.filter, found)
                            : objectManager.referenceNames(request.nameSpace, *request.objectName, request.filter, found);
        if (status.ok()) results = heldResults(std::move(found));
        return status;
    }
    InstanceOptions options = asked;
    // A filter reads properties a property list may leave out.
    if (filter) options.properties.reset();
    std::vector<cimobj::InstancePtr> found;
    Status status = associationInstances(objectManager, request, options, found);
    if (!status.ok()) return status;
    std::vector<cimobj::InstancePtr> kept;
    std::vector<cimobj::PathPtr> keptPaths;
    for (cimobj::InstancePtr &one : found) {
        if (!one || (filter && !filter(*one))) continue;
        if (paths) {
            if (one->path) keptPaths.emplace_back(copyObjectPath(one->path));
        } else {
            kept.push_back(std::move(one));
        }
    }
    if (paths) {
        results = heldResults(std::move(keptPaths));
    } else if (filter && asked.properties) {
        // Read again as the client asked, now that the filter has chosen.
        std::vector<cimobj::InstancePtr> shaped;
        for (const cimobj::InstancePtr &one : kept) {
            cimobj::InstancePtr again;
            if (one->path && objectManager.getInstance(textOf(one->path->nameSpace).empty()
                                                           ? request.nameSpace
                                                           : std::wstring(textOf(one->path->nameSpace)),
                                                       *one->path, asked, again)
                                 .ok())
                shaped.push_back(std::move(again));
        }
        results = heldResults(std::move(shaped));
    } else {
        results = heldResults(std::move(kept));
    }
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
    if (request.source != PulledSource::Enumeration) return associationResults(objectManager, request, options, filter, results);
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
