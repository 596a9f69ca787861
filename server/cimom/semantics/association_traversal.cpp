// association_traversal.cpp - the associations of one instance a stretch at
// a time, and their ends.
#include "semantics/association_traversal.h"

#include <algorithm>

#include "repository/instance_keys.h"
#include "support/names.h"
#include "support/objects.h"

namespace cimom {

namespace {

// Stored associations read under one hold of the repository's lock.
constexpr std::size_t stretch = 64;

std::vector<AssociationEnd> endsOf(const NamespaceData &space, const CIMInstance &instance) {
    std::vector<AssociationEnd> ends;
    for (CIMProperty *p : items<CIMProperty>(instance.properties)) {
        if (isCIMValueNull(p->value) || p->value->type != CIM_REFERENCE || !p->value->data.reference) continue;
        AssociationEnd end;
        end.property = std::wstring(textOf(p->name));
        end.path = normalisedReference(space, *p->value->data.reference);
        end.key = referenceTargetKey(*end.path, space.name);
        std::wstring_view pathNamespace = textOf(end.path->nameSpace);
        if (pathNamespace.empty() || sameName(pathNamespace, space.name))
            end.record = space.classRecord(textOf(end.path->className));
        ends.push_back(std::move(end));
    }
    return ends;
}

}  // namespace

bool passesClassFilter(const ClassRecord &record, const std::wstring &foldedFilter) {
    return foldedFilter.empty() || record.isA(foldedFilter);
}

AssociationTraversal::AssociationTraversal(ObjectManager &objectManager, ObjectManager::State &state,
                                           std::wstring nameSpace, AssociationFilter filter, bool associators)
    : objectManager_(objectManager), state_(state), nameSpace_(std::move(nameSpace)), filter_(std::move(filter)),
      assocFilter_(foldName(associators ? filter_.assocClass : filter_.resultClass)),
      resultFilter_(foldName(filter_.resultClass)) {}

Status AssociationTraversal::begin(const CIMObjectPath &target) {
    auto lock = state_.repository.readLock();
    Status status;
    const NamespaceData *space = findNamespace(state_.repository, nameSpace_, status);
    if (!space) return status;
    spaceName_ = space->name;
    // The association operations name no class status of their own: an
    // object of a class that does not exist is a bad ObjectName.
    if (!space->findClass(textOf(target.className)))
        return Status::error(4, "ObjectName: " + classMissing(textOf(target.className), nameSpace_).message);
    target_ = normalisedReference(*space, target);
    targetKey_ = referenceTargetKey(*target_, space->name);
    auto [first, last] = space->referrers.equal_range(targetKey_);
    for (auto at = first; at != last; ++at) referrers_.push_back(at->second);
    std::sort(referrers_.begin(), referrers_.end(),
              [](const InstanceRef &x, const InstanceRef &y) { return x.sequence < y.sequence; });
    for (const std::wstring &classKey : state_.providers.associationClasses(space->name)) {
        InstanceSource source{space->classRecord(classKey), nullptr, space->name};
        if (source.record && passesClassFilter(*source.record, assocFilter_))
            providers_.emplace_back(source, state_.providers.associationProvider(space->name, classKey));
    }
    return status;
}

Status AssociationTraversal::readMore() {
    if (next_ < referrers_.size()) {
        auto lock = state_.repository.readLock();
        const NamespaceData *space = state_.repository.find(nameSpace_);
        if (!space) return namespaceMissing(nameSpace_);
        for (std::size_t looked = 0; next_ < referrers_.size() && looked < stretch; ++next_, ++looked) {
            const InstanceRef &referrer = referrers_[next_];
            ClassRecordPtr record = space->classRecord(referrer.classKey);
            const InstanceTable *table = space->instancesOf(referrer.classKey);
            const StoredInstance *stored = table ? table->find(referrer.key) : nullptr;
            if (record && stored && passesClassFilter(*record, assocFilter_))
                keep(*space, record, stored->instance(space->name));
        }
        return Status::success();
    }
    auto &[source, provider] = providers_[provider_++];
    std::vector<cimobj::InstancePtr> provided;
    const PropertyNames all;
    Status status = provider->references(providerContext(objectManager_, source, state_.host(), all), *target_,
                                         filter_.role, provided);
    if (!status.ok()) {
        provider_ = providers_.size();  // a failure ends the traversal
        return status;
    }
    auto lock = state_.repository.readLock();
    const NamespaceData *space = state_.repository.find(nameSpace_);
    if (!space) return namespaceMissing(nameSpace_);
    for (cimobj::InstancePtr &one : provided)
        if (one) keep(*space, source.record, std::move(one));
    return Status::success();
}

Status AssociationTraversal::forEach(const std::function<bool(Association &)> &each) {
    while (!ended()) {
        if (pending_.empty()) {
            Status status = readMore();
            if (!status.ok()) return status;
            continue;
        }
        Association association = std::move(pending_.front());
        pending_.pop_front();
        if (!each(association)) break;
    }
    return Status::success();
}

std::vector<const AssociationEnd *> AssociationTraversal::newFarEnds(const Association &association) {
    std::vector<const AssociationEnd *> found;
    for (const AssociationEnd &source : association.ends) {
        if (!isSource(source)) continue;
        for (const AssociationEnd &far : association.ends) {
            if (&far == &source) continue;
            if (!filter_.resultRole.empty() && !sameName(far.property, filter_.resultRole)) continue;
            if (!resultFilter_.empty() && !(far.record && far.record->isA(resultFilter_))) continue;
            if (farKeys_.insert(far.key).second) found.push_back(&far);
        }
    }
    return found;
}

void AssociationTraversal::associatorInstances(const Association &association, const InstanceOptions &options,
                                               std::vector<cimobj::InstancePtr> &out) {
    for (const AssociationEnd *far : newFarEnds(association)) {
        std::wstring_view farNamespace = textOf(far->path->nameSpace);
        std::wstring where = farNamespace.empty() ? spaceName_ : std::wstring(farNamespace);
        cimobj::InstancePtr instance;
        if (readInstance(objectManager_, state_, where, *far->path, options, instance).ok())
            out.push_back(std::move(instance));
    }
}

void AssociationTraversal::associatorPaths(const Association &association, std::vector<cimobj::PathPtr> &out) {
    std::wstring host = state_.host();
    for (const AssociationEnd *far : newFarEnds(association)) {
        std::wstring_view farNamespace = textOf(far->path->nameSpace);
        std::wstring_view farHost = textOf(far->path->host);
        out.push_back(pathForClient(*far->path, farNamespace.empty() ? spaceName_ : farNamespace,
                                    farHost.empty() ? host : farHost));
    }
}

InstanceShape AssociationTraversal::referenceShape(const InstanceOptions &options) const {
    return makeInstanceShape(nullptr, options, spaceName_, state_.host());
}

cimobj::InstancePtr AssociationTraversal::referenceInstance(const Association &association,
                                                            const InstanceShape &shape) const {
    return shapeProvidedInstance(*association.instance, *association.record, shape);
}

cimobj::PathPtr AssociationTraversal::referencePath(const Association &association) {
    const CIMObjectPath *own = getInstancePath(association.instance.get());
    cimobj::PathPtr path = own && getLength(own->mkeys) > 0
                               ? copyPath(own)
                               : pathFromKeyProperties(*association.record, *association.instance, {});
    return pathForClient(*path, spaceName_, state_.host());
}

bool AssociationTraversal::isSource(const AssociationEnd &end) const {
    return end.key == targetKey_ && (filter_.role.empty() || sameName(end.property, filter_.role));
}

void AssociationTraversal::keep(const NamespaceData &space, ClassRecordPtr record, cimobj::InstancePtr instance) {
    Association association{std::move(record), std::move(instance), {}};
    association.ends = endsOf(space, *association.instance);
    for (const AssociationEnd &end : association.ends) {
        if (isSource(end)) {
            pending_.push_back(std::move(association));
            return;
        }
    }
}

}  // namespace cimom
