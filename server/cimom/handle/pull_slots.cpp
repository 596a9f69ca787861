// pull_slots.cpp - the pulled enumerations' slots: the module's C request
// into the object manager's, its piece back into the module's lists.
#include "handle/pull_slots.h"

#include "handle/slot_support.h"

namespace cimom {

namespace {
thread_local std::string requestUser;
}  // namespace

void setRequestUser(std::string user) { requestUser = std::move(user); }

}  // namespace cimom

namespace cimom::slots {

namespace {

PulledKind kindOf(int kind) {
    switch (kind) {
    case CIMXML_PULLED_INSTANCE_PATHS: return PulledKind::InstancePaths;
    case CIMXML_PULLED_INSTANCES: return PulledKind::Instances;
    default: return PulledKind::InstancesWithPath;
    }
}

PulledSource sourceOf(int source) {
    switch (source) {
    case CIMXML_PULL_ASSOCIATORS: return PulledSource::Associators;
    case CIMXML_PULL_REFERENCES: return PulledSource::References;
    case CIMXML_PULL_QUERY: return PulledSource::Query;
    default: return PulledSource::Enumeration;
    }
}

// The object manager's piece as the module's: a list of instances or of
// paths, and the context as a string.
void handOver(PulledPiece &from, PulledKind kind, CIMXMLPulledPiece &to) {
    to.objects = kind == PulledKind::InstancePaths ? toList(CIMLIST_OBJECTPATH, from.paths)
                                                   : toList(CIMLIST_INSTANCE, from.instances);
    to.endOfSequence = from.endOfSequence ? 1 : 0;
    if (!from.context.empty()) to.enumerationContext = orThrow(newCIMString(cimobj::fromUtf8(from.context).c_str()));
    to.queryResultClass = from.queryResultClass.release();
}

std::string contextOf(const CIMString *context) { return cimobj::toUtf8(textOf(context)); }

}  // namespace

ReturnCode *openEnumeration(const CIMXMLOpenEnumeration *request, CIMXMLPulledPiece *piece) {
    return serve("OpenEnumeration", [&](ObjectManager &om) {
        if (!request || !piece || !request->path) return Status::error(4, "no target given");
        OpenEnumeration open;
        open.user = requestUser;
        open.nameSpace = nameSpaceOf(request->path);
        open.source = sourceOf(request->source);
        open.kind = kindOf(request->kind);
        open.className = classNameOf(request->path);
        if (open.source == PulledSource::Associators || open.source == PulledSource::References)
            open.objectName.reset(orThrow(copyObjectPath(request->path)));
        open.filter.assocClass = text(request->assocClass);
        open.filter.resultClass = text(request->resultClass);
        open.filter.role = text(request->role);
        open.filter.resultRole = text(request->resultRole);
        open.options.includeClassOrigin = request->includeClassOrigin != 0;
        open.options.properties = propertyNames(request->propertyList);
        open.filterLanguage = text(request->filterQueryLanguage);
        open.filterQuery = text(request->filterQuery);
        if (request->hasOperationTimeout) open.operationTimeout = request->operationTimeout;
        open.continueOnError = request->continueOnError != 0;
        open.maxObjectCount = request->maxObjectCount;
        open.returnQueryResultClass = request->returnQueryResultClass != 0;
        PulledPiece found;
        Status status = om.openEnumeration(open, found);
        if (status.ok()) handOver(found, open.kind, *piece);
        return status;
    });
}

ReturnCode *pullEnumeration(CIMObjectPath *path, const CIMString *context, int kind, unsigned int maxObjectCount,
                            CIMXMLPulledPiece *piece) {
    return serve("PullEnumeration", [&](ObjectManager &om) {
        if (!piece) return Status::error(4, "no piece to fill");
        PulledPiece found;
        Status status =
            om.pullEnumeration(requestUser, nameSpaceOf(path), contextOf(context), kindOf(kind), maxObjectCount, found);
        if (status.ok()) handOver(found, kindOf(kind), *piece);
        return status;
    });
}

ReturnCode *closeEnumeration(CIMObjectPath *path, const CIMString *context) {
    return serve("CloseEnumeration", [&](ObjectManager &om) {
        return om.closeEnumeration(requestUser, nameSpaceOf(path), contextOf(context));
    });
}

ReturnCode *enumerationCount(CIMObjectPath *path, const CIMString *context, unsigned long long *count) {
    return serve("EnumerationCount", [&](ObjectManager &om) {
        std::uint64_t left = 0;
        Status status = om.enumerationCount(requestUser, nameSpaceOf(path), contextOf(context), left);
        if (status.ok() && count) *count = left;
        return status;
    });
}

}  // namespace cimom::slots
