// association_operations.cpp - Associators, AssociatorNames, References and
// ReferenceNames, for instances (the association instances that refer to
// them, stored or provided) and for classes (the association classes whose
// references can point at them).
#include <algorithm>
#include <unordered_set>

#include "repository/instance_keys.h"
#include "semantics/instance_access.h"
#include "semantics/result_batches.h"
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

// The association instances that refer to one instance, read a stretch at
// a time: the traversal holds the index entries of the stored ones, not
// the instances, so that an object with many associations costs a batch of
// them in memory, not all.
class InstanceTraversal {
public:
    InstanceTraversal(ObjectManager &objectManager, ObjectManager::State &state, const std::wstring &nameSpace,
                      const AssociationFilter &filter, bool associators)
        : objectManager_(objectManager), state_(state), nameSpace_(nameSpace), filter_(filter),
          assocFilter_(foldName(associators ? filter.assocClass : filter.resultClass)),
          resultFilter_(foldName(filter.resultClass)) {}

    // Finds target, the stored association instances that may refer to it
    // (in creation order) and the association providers to ask.
    Status begin(const CIMObjectPath &target) {
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
            if (source.record && passes(*source.record, assocFilter_))
                providers_.emplace_back(source, state_.providers.associationProvider(space->name, classKey));
        }
        return status;
    }

    // Calls each, outside the repository's lock, with every association
    // that refers to target and passes the association class and role
    // filters: the stored ones in order, then each provider's. Stops, with
    // success, once each returns false; returns a provider's failure.
    Status forEach(const std::function<bool(Association &)> &each) {
        for (std::size_t next = 0; next < referrers_.size();) {
            std::vector<Association> read;
            {
                auto lock = state_.repository.readLock();
                const NamespaceData *space = state_.repository.find(nameSpace_);
                if (!space) return namespaceMissing(nameSpace_);
                for (std::size_t looked = 0; next < referrers_.size() && looked < stretch; ++next, ++looked) {
                    const InstanceRef &referrer = referrers_[next];
                    ClassRecordPtr record = space->classRecord(referrer.classKey);
                    const InstanceTable *table = space->instancesOf(referrer.classKey);
                    const StoredInstance *stored = table ? table->find(referrer.key) : nullptr;
                    if (record && stored && passes(*record, assocFilter_))
                        keep(*space, record, stored->instance(space->name), read);
                }
            }
            for (Association &association : read)
                if (!each(association)) return Status::success();
        }
        for (auto &[source, provider] : providers_) {
            std::vector<cimobj::InstancePtr> provided;
            const PropertyNames all;
            Status status = provider->references(providerContext(objectManager_, source, state_.host(), all), *target_,
                                                 filter_.role, provided);
            if (!status.ok()) return status;
            std::vector<Association> read;
            {
                auto lock = state_.repository.readLock();
                const NamespaceData *space = state_.repository.find(nameSpace_);
                if (!space) return namespaceMissing(nameSpace_);
                for (cimobj::InstancePtr &one : provided)
                    if (one) keep(*space, source.record, std::move(one), read);
            }
            for (Association &association : read)
                if (!each(association)) return Status::success();
        }
        return Status::success();
    }

    const std::wstring &spaceName() const { return spaceName_; }

    // The far ends of association that pass the result filters and were
    // not given for an association before.
    std::vector<const End *> newFarEnds(const Association &association) {
        std::vector<const End *> found;
        for (const End &source : association.ends) {
            if (!isSource(source)) continue;
            for (const End &far : association.ends) {
                if (&far == &source) continue;
                if (!filter_.resultRole.empty() && !sameName(far.property, filter_.resultRole)) continue;
                if (!resultFilter_.empty() && !(far.record && far.record->isA(resultFilter_))) continue;
                if (farKeys_.insert(far.key).second) found.push_back(&far);
            }
        }
        return found;
    }

private:
    static constexpr std::size_t stretch = 64;

    bool isSource(const End &end) const {
        return end.key == targetKey_ && (filter_.role.empty() || sameName(end.property, filter_.role));
    }

    void keep(const NamespaceData &space, ClassRecordPtr record, cimobj::InstancePtr instance,
              std::vector<Association> &kept) const {
        Association association{std::move(record), std::move(instance), {}};
        association.ends = endsOf(space, *association.instance);
        for (const End &end : association.ends) {
            if (isSource(end)) {
                kept.push_back(std::move(association));
                return;
            }
        }
    }

    ObjectManager &objectManager_;
    ObjectManager::State &state_;
    const std::wstring &nameSpace_;
    const AssociationFilter &filter_;
    const std::wstring assocFilter_;
    const std::wstring resultFilter_;
    std::wstring spaceName_;
    cimobj::PathPtr target_;
    std::wstring targetKey_;
    std::vector<InstanceRef> referrers_;
    std::vector<std::pair<InstanceSource, std::shared_ptr<AssociationProvider>>> providers_;
    std::unordered_set<std::wstring> farKeys_;
};

ClassOptions classOptionsOf(const InstanceOptions &options) {
    ClassOptions classOptions;
    classOptions.localOnly = false;
    classOptions.includeQualifiers = options.includeQualifiers;
    classOptions.includeClassOrigin = options.includeClassOrigin;
    classOptions.properties = options.properties;
    return classOptions;
}

// The schema-level answer, in one batch: classes, or their paths.
Status classLevel(ObjectManager::State &state, const std::wstring &nameSpace, const CIMObjectPath &object,
                  const AssociationFilter &filter, bool associators, const InstanceOptions *options,
                  const ObjectManager::ObjectBatch *deliverClasses, const ObjectManager::PathBatch *deliverPaths) {
    ClassesOrInstances classes;
    classes.areClasses = true;
    std::vector<cimobj::PathPtr> paths;
    Status status;
    {
        auto lock = state.repository.readLock();
        ClassRecordPtr target = findClassRecord(state.repository, nameSpace, textOf(object.className), status);
        if (!target) return answeredAs(status, 5, 4);
        const NamespaceData &space = *state.repository.find(nameSpace);
        std::wstring host = state.host();
        for (const ClassRecordPtr &record : classAssociations(space, *target, filter, associators)) {
            if (deliverPaths)
                paths.push_back(makeClassPath(record->name, space.name, host));
            else
                classes.classes.push_back(
                    shapeClass(*record, classOptionsOf(*options), propertySet(options->properties), space.name));
        }
    }
    if (deliverPaths) {
        if (!paths.empty()) (*deliverPaths)(paths);
    } else {
        (*deliverClasses)(classes);
    }
    return status;
}

// Instances as a batch of objects.
ObjectManager::InstanceBatch asObjects(const ObjectManager::ObjectBatch &deliver) {
    return [&deliver](std::vector<cimobj::InstancePtr> &instances) {
        ClassesOrInstances batch;
        batch.instances = std::move(instances);
        return deliver(batch);
    };
}

// The whole-list form of an operation that hands objects over in batches.
Status collectObjects(ClassesOrInstances &results,
                      const std::function<Status(const ObjectManager::ObjectBatch &)> &run) {
    return run([&](ClassesOrInstances &batch) {
        results.areClasses = results.areClasses || batch.areClasses;
        for (cimobj::ClassPtr &one : batch.classes) results.classes.push_back(std::move(one));
        for (cimobj::InstancePtr &one : batch.instances) results.instances.push_back(std::move(one));
        return true;
    });
}

}  // namespace

Status ObjectManager::associators(const std::wstring &nameSpace, const CIMObjectPath &object,
                                  const AssociationFilter &filter, const InstanceOptions &options,
                                  ClassesOrInstances &results) {
    return collectObjects(results, [&](const ObjectBatch &deliver) {
        return associators(nameSpace, object, filter, options, 0, deliver);
    });
}

Status ObjectManager::associators(const std::wstring &nameSpace, const CIMObjectPath &object,
                                  const AssociationFilter &filter, const InstanceOptions &options,
                                  std::size_t batchSize, const ObjectBatch &deliver) {
    if (isClassPath(object)) return classLevel(*state_, nameSpace, object, filter, true, &options, &deliver, nullptr);
    InstanceTraversal traversal(*this, *state_, nameSpace, filter, true);
    Status status = traversal.begin(object);
    if (!status.ok()) return status;
    InstanceOptions shaped = options;
    shaped.localOnly = false;
    shaped.deepInheritance = true;
    BatchGatherer<cimobj::InstancePtr> batches(batchSize, asObjects(deliver));
    status = traversal.forEach([&](Association &association) {
        for (const End *far : traversal.newFarEnds(association)) {
            std::wstring_view farNamespace = textOf(far->path->nameSpace);
            std::wstring where = farNamespace.empty() ? traversal.spaceName() : std::wstring(farNamespace);
            cimobj::InstancePtr instance;
            // An end that no longer exists is no association.
            if (readInstance(*this, *state_, where, *far->path, shaped, instance).ok() &&
                !batches.add(std::move(instance)))
                return false;
        }
        return true;
    });
    if (status.ok()) batches.flush();
    return status;
}

Status ObjectManager::associatorNames(const std::wstring &nameSpace, const CIMObjectPath &object,
                                      const AssociationFilter &filter, std::vector<cimobj::PathPtr> &paths) {
    return collectAll<cimobj::PathPtr>(
        paths, [&](const PathBatch &deliver) { return associatorNames(nameSpace, object, filter, 0, deliver); });
}

Status ObjectManager::associatorNames(const std::wstring &nameSpace, const CIMObjectPath &object,
                                      const AssociationFilter &filter, std::size_t batchSize,
                                      const PathBatch &deliver) {
    if (isClassPath(object)) return classLevel(*state_, nameSpace, object, filter, true, nullptr, nullptr, &deliver);
    InstanceTraversal traversal(*this, *state_, nameSpace, filter, true);
    Status status = traversal.begin(object);
    if (!status.ok()) return status;
    std::wstring host = state_->host();
    BatchGatherer<cimobj::PathPtr> batches(batchSize, deliver);
    status = traversal.forEach([&](Association &association) {
        for (const End *far : traversal.newFarEnds(association)) {
            std::wstring_view farNamespace = textOf(far->path->nameSpace);
            std::wstring_view farHost = textOf(far->path->host);
            if (!batches.add(pathForClient(*far->path, farNamespace.empty() ? traversal.spaceName() : farNamespace,
                                           farHost.empty() ? host : farHost)))
                return false;
        }
        return true;
    });
    if (status.ok()) batches.flush();
    return status;
}

Status ObjectManager::references(const std::wstring &nameSpace, const CIMObjectPath &object,
                                 const AssociationFilter &filter, const InstanceOptions &options,
                                 ClassesOrInstances &results) {
    return collectObjects(results, [&](const ObjectBatch &deliver) {
        return references(nameSpace, object, filter, options, 0, deliver);
    });
}

Status ObjectManager::references(const std::wstring &nameSpace, const CIMObjectPath &object,
                                 const AssociationFilter &filter, const InstanceOptions &options,
                                 std::size_t batchSize, const ObjectBatch &deliver) {
    if (isClassPath(object)) return classLevel(*state_, nameSpace, object, filter, false, &options, &deliver, nullptr);
    InstanceTraversal traversal(*this, *state_, nameSpace, filter, false);
    Status status = traversal.begin(object);
    if (!status.ok()) return status;
    InstanceOptions shaped = options;
    shaped.localOnly = false;
    shaped.deepInheritance = true;
    InstanceShape shape = makeInstanceShape(nullptr, shaped, traversal.spaceName(), state_->host());
    BatchGatherer<cimobj::InstancePtr> batches(batchSize, asObjects(deliver));
    status = traversal.forEach([&](Association &association) {
        return batches.add(shapeProvidedInstance(*association.instance, *association.record, shape));
    });
    if (status.ok()) batches.flush();
    return status;
}

Status ObjectManager::referenceNames(const std::wstring &nameSpace, const CIMObjectPath &object,
                                     const AssociationFilter &filter, std::vector<cimobj::PathPtr> &paths) {
    return collectAll<cimobj::PathPtr>(
        paths, [&](const PathBatch &deliver) { return referenceNames(nameSpace, object, filter, 0, deliver); });
}

Status ObjectManager::referenceNames(const std::wstring &nameSpace, const CIMObjectPath &object,
                                     const AssociationFilter &filter, std::size_t batchSize,
                                     const PathBatch &deliver) {
    if (isClassPath(object)) return classLevel(*state_, nameSpace, object, filter, false, nullptr, nullptr, &deliver);
    InstanceTraversal traversal(*this, *state_, nameSpace, filter, false);
    Status status = traversal.begin(object);
    if (!status.ok()) return status;
    std::wstring host = state_->host();
    BatchGatherer<cimobj::PathPtr> batches(batchSize, deliver);
    status = traversal.forEach([&](Association &association) {
        const CIMObjectPath *own = getInstancePath(association.instance.get());
        cimobj::PathPtr path = own && getLength(own->mkeys) > 0
                                   ? copyPath(own)
                                   : pathFromKeyProperties(*association.record, *association.instance, {});
        return batches.add(pathForClient(*path, traversal.spaceName(), host));
    });
    if (status.ok()) batches.flush();
    return status;
}

}  // namespace cimom
