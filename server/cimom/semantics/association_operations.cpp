// association_operations.cpp - Associators, AssociatorNames, References and
// ReferenceNames, for instances (the association instances that refer to
// them, stored or provided) and for classes (the association classes whose
// references can point at them).
#include <unordered_set>

#include "repository/instance_keys.h"
#include "semantics/association_traversal.h"
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
        if (!association->association || !passesClassFilter(*association, assocFilter)) continue;
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
                if (result && passesClassFilter(*result, resultFilter)) add(result);
            }
        }
    }
    return found;
}

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

// The instance level reads every property the class has, inherited or not.
InstanceOptions instanceLevelOptions(InstanceOptions options) {
    options.localOnly = false;
    options.deepInheritance = true;
    return options;
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
    AssociationTraversal traversal(*this, *state_, nameSpace, filter, true);
    Status status = traversal.begin(object);
    if (!status.ok()) return status;
    InstanceOptions shaped = instanceLevelOptions(options);
    BatchGatherer<cimobj::InstancePtr> batches(batchSize, asObjects(deliver));
    status = traversal.forEach([&](Association &association) {
        std::vector<cimobj::InstancePtr> made;
        traversal.associatorInstances(association, shaped, made);
        for (cimobj::InstancePtr &one : made)
            if (!batches.add(std::move(one))) return false;
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
    AssociationTraversal traversal(*this, *state_, nameSpace, filter, true);
    Status status = traversal.begin(object);
    if (!status.ok()) return status;
    BatchGatherer<cimobj::PathPtr> batches(batchSize, deliver);
    status = traversal.forEach([&](Association &association) {
        std::vector<cimobj::PathPtr> made;
        traversal.associatorPaths(association, made);
        for (cimobj::PathPtr &one : made)
            if (!batches.add(std::move(one))) return false;
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
    AssociationTraversal traversal(*this, *state_, nameSpace, filter, false);
    Status status = traversal.begin(object);
    if (!status.ok()) return status;
    InstanceShape shape = traversal.referenceShape(instanceLevelOptions(options));
    BatchGatherer<cimobj::InstancePtr> batches(batchSize, asObjects(deliver));
    status = traversal.forEach(
        [&](Association &association) { return batches.add(traversal.referenceInstance(association, shape)); });
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
    AssociationTraversal traversal(*this, *state_, nameSpace, filter, false);
    Status status = traversal.begin(object);
    if (!status.ok()) return status;
    BatchGatherer<cimobj::PathPtr> batches(batchSize, deliver);
    status = traversal.forEach(
        [&](Association &association) { return batches.add(traversal.referencePath(association)); });
    if (status.ok()) batches.flush();
    return status;
}

}  // namespace cimom
