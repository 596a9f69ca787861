// association_operations.cpp - Associators, AssociatorNames, References and
// ReferenceNames, for instances (the association instances that refer to
// them, stored or provided) and for classes (the association classes whose
// references can point at them).
#include <algorithm>
#include <unordered_set>

#include "repository/instance_keys.h"
#include "semantics/instance_access.h"
#include "support/names.h"
#include "support/objects.h"

namespace cimom {

namespace {

bool isClassPath(const CIMObjectPath &path) { return getLength(path.mkeys) == 0; }

// The class a reference property's declaration names.
std::wstring_view referenceClassOf(const CIMProperty *reference) {
    return reference->value ? textOf(reference->value->referenceClass) : std::wstring_view();
}

bool passes(const ClassRecord &record, const std::wstring &foldedFilter) {
    return foldedFilter.empty() || record.isA(foldedFilter);
}

// ---- The schema level ----

// The association classes that can refer to target (References) or the
// classes at their other ends (Associators), each once, in class order.
std::vector<ClassRecordPtr> classAssociations(const NamespaceData &space, const ClassRecord &target,
                                              const AssociationFilter &filter, bool associators) {
    const std::wstring assocFilter = foldName(associators ? filter.assocClass : filter.resultClass);
    const std::wstring resultFilter = associators ? foldName(filter.resultClass) : L"";
    std::vector<ClassRecordPtr> found;
    std::unordered_set<std::wstring> seen;
    auto add = [&](ClassRecordPtr record) {
        if (record && seen.insert(record->lineage.front()).second) found.push_back(std::move(record));
    };
    for (const auto &[key, association] : space.classes) {
        if (!association->association || !passes(*association, assocFilter)) continue;
        for (const CIMProperty *source : association->references) {
            if (!filter.role.empty() && !sameName(textOf(source->name), filter.role)) continue;
            const ClassRecord *end = space.findClass(referenceClassOf(source));
            if (!end || !(target.isA(end->lineage.front()) || end->isA(target.lineage.front()))) continue;
            if (!associators) {
                add(association);
                break;
            }
            for (const CIMProperty *far : association->references) {
                if (far == source || (!filter.resultRole.empty() && !sameName(textOf(far->name), filter.resultRole)))
                    continue;
                ClassRecordPtr result = space.classRecord(referenceClassOf(far));
                if (result && passes(*result, resultFilter)) add(result);
            }
        }
    }
    return found;
}

// ---- The instance level ----

struct End {
    std::wstring property;
    cimobj::PathPtr path;   // normalised
    std::wstring key;       // referenceTargetKey of path
    ClassRecordPtr record;  // of the class it names; nullptr when unknown here
};

struct Association {
    ClassRecordPtr record;
    cimobj::InstancePtr instance;
    std::vector<End> ends;
};

std::vector<End> endsOf(const NamespaceData &space, const CIMInstance &instance) {
    std::vector<End> ends;
    for (CIMProperty *p : items<CIMProperty>(instance.properties)) {
        if (isCIMValueNull(p->value) || p->value->type != CIM_REFERENCE || !p->value->data.reference) continue;
        End end;
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

class InstanceTraversal {
public:
    InstanceTraversal(ObjectManager &objectManager, ObjectManager::State &state, const std::wstring &nameSpace,
                      const AssociationFilter &filter, bool associators)
        : objectManager_(objectManager), state_(state), nameSpace_(nameSpace), filter_(filter),
          assocFilter_(foldName(associators ? filter.assocClass : filter.resultClass)) {}

    // Collects the association instances that refer to target and pass the
    // association class and role filters.
    Status collect(const CIMObjectPath &target) {
        std::vector<std::pair<InstanceSource, std::shared_ptr<AssociationProvider>>> providers;
        {
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
            std::vector<const InstanceRef *> referrers;
            for (auto at = first; at != last; ++at) referrers.push_back(&at->second);
            std::sort(referrers.begin(), referrers.end(),
                      [](const InstanceRef *x, const InstanceRef *y) { return x->sequence < y->sequence; });
            for (const InstanceRef *referrer : referrers) {
                ClassRecordPtr record = space->classRecord(referrer->classKey);
                const InstanceTable *table = space->instancesOf(referrer->classKey);
                const StoredInstance *stored = table ? table->find(referrer->key) : nullptr;
                if (record && stored && passes(*record, assocFilter_)) keep(*space, record, stored->instance(space->name));
            }
            for (const std::wstring &classKey : state_.providers.associationClasses(space->name)) {
                InstanceSource source{space->classRecord(classKey), nullptr, space->name};
                if (source.record && passes(*source.record, assocFilter_))
                    providers.emplace_back(source, state_.providers.associationProvider(space->name, classKey));
            }
        }
        for (auto &[source, provider] : providers) {
            std::vector<cimobj::InstancePtr> provided;
            const PropertyNames all;
            Status status = provider->references(providerContext(objectManager_, source, state_.host(), all), *target_,
                                                 filter_.role, provided);
            if (!status.ok()) return status;
            auto lock = state_.repository.readLock();
            const NamespaceData *space = state_.repository.find(nameSpace_);
            if (!space) return namespaceMissing(nameSpace_);
            for (cimobj::InstancePtr &one : provided)
                if (one) keep(*space, source.record, std::move(one));
        }
        return Status::success();
    }

    std::vector<Association> &associations() { return associations_; }
    const std::wstring &spaceName() const { return spaceName_; }

    // The far ends of the associations that pass the result filters, each once.
    std::vector<const End *> farEnds() const {
        std::vector<const End *> found;
        std::unordered_set<std::wstring> seen;
        const std::wstring resultFilter = foldName(filter_.resultClass);
        for (const Association &association : associations_) {
            for (const End &source : association.ends) {
                if (!isSource(source)) continue;
                for (const End &far : association.ends) {
                    if (&far == &source) continue;
                    if (!filter_.resultRole.empty() && !sameName(far.property, filter_.resultRole)) continue;
                    if (!resultFilter.empty() && !(far.record && far.record->isA(resultFilter))) continue;
                    if (seen.insert(far.key).second) found.push_back(&far);
                }
            }
        }
        return found;
    }

private:
    bool isSource(const End &end) const {
        return end.key == targetKey_ && (filter_.role.empty() || sameName(end.property, filter_.role));
    }

    void keep(const NamespaceData &space, ClassRecordPtr record, cimobj::InstancePtr instance) {
        Association association{std::move(record), std::move(instance), {}};
        association.ends = endsOf(space, *association.instance);
        for (const End &end : association.ends) {
            if (isSource(end)) {
                associations_.push_back(std::move(association));
                return;
            }
        }
    }

    ObjectManager &objectManager_;
    ObjectManager::State &state_;
    const std::wstring &nameSpace_;
    const AssociationFilter &filter_;
    const std::wstring assocFilter_;
    std::wstring spaceName_;
    cimobj::PathPtr target_;
    std::wstring targetKey_;
    std::vector<Association> associations_;
};

ClassOptions classOptionsOf(const InstanceOptions &options) {
    ClassOptions classOptions;
    classOptions.localOnly = false;
    classOptions.includeQualifiers = options.includeQualifiers;
    classOptions.includeClassOrigin = options.includeClassOrigin;
    classOptions.properties = options.properties;
    return classOptions;
}

// The schema-level answer: classes, or their paths.
Status classLevel(ObjectManager::State &state, const std::wstring &nameSpace, const CIMObjectPath &object,
                  const AssociationFilter &filter, bool associators, const InstanceOptions *options,
                  ClassesOrInstances *results, std::vector<cimobj::PathPtr> *paths) {
    auto lock = state.repository.readLock();
    Status status;
    ClassRecordPtr target = findClassRecord(state.repository, nameSpace, textOf(object.className), status);
    if (!target) return answeredAs(status, 5, 4);
    const NamespaceData &space = *state.repository.find(nameSpace);
    std::wstring host = state.host();
    for (const ClassRecordPtr &record : classAssociations(space, *target, filter, associators)) {
        if (paths) {
            paths->push_back(makeClassPath(record->name, space.name, host));
        } else {
            results->areClasses = true;
            results->classes.push_back(
                shapeClass(*record, classOptionsOf(*options), propertySet(options->properties), space.name));
        }
    }
    if (results) results->areClasses = true;
    return status;
}

}  // namespace

Status ObjectManager::associators(const std::wstring &nameSpace, const CIMObjectPath &object,
                                  const AssociationFilter &filter, const InstanceOptions &options,
                                  ClassesOrInstances &results) {
    if (isClassPath(object)) return classLevel(*state_, nameSpace, object, filter, true, &options, &results, nullptr);
    InstanceTraversal traversal(*this, *state_, nameSpace, filter, true);
    Status status = traversal.collect(object);
    if (!status.ok()) return status;
    InstanceOptions shaped = options;
    shaped.localOnly = false;
    shaped.deepInheritance = true;
    for (const End *far : traversal.farEnds()) {
        std::wstring_view farNamespace = textOf(far->path->nameSpace);
        std::wstring where = farNamespace.empty() ? traversal.spaceName() : std::wstring(farNamespace);
        cimobj::InstancePtr instance;
        // An end that no longer exists is no association.
        if (readInstance(*this, *state_, where, *far->path, shaped, instance).ok())
            results.instances.push_back(std::move(instance));
    }
    return status;
}

Status ObjectManager::associatorNames(const std::wstring &nameSpace, const CIMObjectPath &object,
                                      const AssociationFilter &filter, std::vector<cimobj::PathPtr> &paths) {
    if (isClassPath(object)) return classLevel(*state_, nameSpace, object, filter, true, nullptr, nullptr, &paths);
    InstanceTraversal traversal(*this, *state_, nameSpace, filter, true);
    Status status = traversal.collect(object);
    if (!status.ok()) return status;
    std::wstring host = state_->host();
    for (const End *far : traversal.farEnds()) {
        std::wstring_view farNamespace = textOf(far->path->nameSpace);
        std::wstring_view farHost = textOf(far->path->host);
        paths.push_back(pathForClient(*far->path, farNamespace.empty() ? traversal.spaceName() : farNamespace,
                                      farHost.empty() ? host : farHost));
    }
    return status;
}

Status ObjectManager::references(const std::wstring &nameSpace, const CIMObjectPath &object,
                                 const AssociationFilter &filter, const InstanceOptions &options,
                                 ClassesOrInstances &results) {
    if (isClassPath(object)) return classLevel(*state_, nameSpace, object, filter, false, &options, &results, nullptr);
    InstanceTraversal traversal(*this, *state_, nameSpace, filter, false);
    Status status = traversal.collect(object);
    if (!status.ok()) return status;
    InstanceOptions shaped = options;
    shaped.localOnly = false;
    shaped.deepInheritance = true;
    InstanceShape shape = makeInstanceShape(nullptr, shaped, traversal.spaceName(), state_->host());
    for (Association &association : traversal.associations())
        results.instances.push_back(shapeProvidedInstance(*association.instance, *association.record, shape));
    return status;
}

Status ObjectManager::referenceNames(const std::wstring &nameSpace, const CIMObjectPath &object,
                                     const AssociationFilter &filter, std::vector<cimobj::PathPtr> &paths) {
    if (isClassPath(object)) return classLevel(*state_, nameSpace, object, filter, false, nullptr, nullptr, &paths);
    InstanceTraversal traversal(*this, *state_, nameSpace, filter, false);
    Status status = traversal.collect(object);
    if (!status.ok()) return status;
    std::wstring host = state_->host();
    for (Association &association : traversal.associations()) {
        const CIMObjectPath *own = getInstancePath(association.instance.get());
        cimobj::PathPtr path = own && getLength(own->mkeys) > 0
                                   ? copyPath(own)
                                   : pathFromKeyProperties(*association.record, *association.instance, {});
        paths.push_back(pathForClient(*path, traversal.spaceName(), host));
    }
    return status;
}

}  // namespace cimom
