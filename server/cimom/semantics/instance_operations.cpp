// instance_operations.cpp - getting, enumerating, creating, modifying and
// deleting instances, from the repository or the class's provider.
#include "indications/lifecycle_events.h"
#include "indications/subscription_rules.h"
#include "repository/instance_keys.h"
#include "repository/value_conversion.h"
#include "semantics/enumeration_cursors.h"
#include "semantics/instance_access.h"
#include "semantics/result_batches.h"
#include "support/embedded_types.h"
#include "support/names.h"
#include "support/objects.h"

namespace cimom {

namespace {

using cimobj::toUtf8;

// The classes an enumeration covers, each with its source; providers are
// called once the repository lock is released.
struct Enumeration {
    ClassRecordPtr requested;
    std::vector<InstanceSource> sources;  // the class and its subclasses, superclasses first
};

Status planEnumeration(const ObjectManager::State &state, const std::wstring &nameSpace, const std::wstring &className,
                       Enumeration &plan) {
    InstanceSource top;
    Status status = findInstanceSource(state, nameSpace, className, top);
    if (!status.ok()) return status;
    plan.requested = top.record;
    const NamespaceData &space = *state.repository.find(nameSpace);
    for (const std::wstring &classKey : classTree(space, top.record->lineage.front())) {
        InstanceSource source;
        findInstanceSource(state, nameSpace, classKey, source);
        plan.sources.push_back(std::move(source));
    }
    return status;
}

Status abstractClass(const ClassRecord &record) {
    return Status::error(4, "class " + toUtf8(record.name) + " is abstract and has no instances of its own");
}

// The value a property gets when a modification names it without a value.
// Replaces the value of the property at index of a stored instance; the
// property keeps the type it is held with.
void replaceValue(CIMInstance &instance, std::size_t index, cimobj::ValuePtr value) {
    auto *p = static_cast<CIMProperty *>(getElementAt(instance.properties, static_cast<int>(index)));
    int type = p->type;
    if (!isSuccessfulFree(propertyAddValue(p, value.release()))) throw std::bad_alloc();
    p->type = type;
}

// A namespace's own CIM_Namespace instance, named in a request sent to that
// namespace, which has no such class: the namespace provider serves it with
// root/interop's class, as it does for a namespace being made.
bool namespaceItself(const ObjectManager::State &state, const std::wstring &nameSpace, const CIMObjectPath &name,
                     InstanceSource &source) {
    const NamespaceData *space = state.repository.find(nameSpace);
    const NamespaceData *interop = state.repository.find(L"root/interop");
    if (!space || !interop || !sameName(textOf(name.className), namespaceClassName) ||
        space->classRecord(namespaceClassName))
        return false;
    const CIMProperty *key = findCIMProperty(name.mkeys, L"Name");
    if (!key || isCIMValueNull(key->value) || key->value->type != CIM_STRING ||
        !sameName(textOf(key->value->data.string), space->name))
        return false;
    source.provider = state.providers.instanceProvider(L"", namespaceClassName);
    source.record = interop->classRecord(namespaceClassName);
    source.nameSpace = space->name;
    return source.provider && source.record;
}

}  // namespace

Status ObjectManager::getInstance(const std::wstring &nameSpace, const CIMObjectPath &instanceName,
                                  const InstanceOptions &options, cimobj::InstancePtr &instance) {
    return readInstance(*this, *state_, nameSpace, instanceName, options, instance);
}

namespace {

// The instance a provider receives: the client's values in the types the
// class declares; 12 for a property the class lacks, 13 or 4 naming the
// property whose value does not convert.
Status typedForProvider(const ClassRecord &record, const CIMInstance &given, cimobj::InstancePtr &typed) {
    typed = copyInstance(&given);
    for (CIMProperty *p : items<CIMProperty>(typed->properties)) {
        const CIMProperty *declared = record.property(textOf(p->name));
        if (!declared)
            return Status::error(12, "class " + cimobj::toUtf8(record.name) + " has no property " + cimobj::toUtf8(p->name));
        Conversion conversion = convertValue(p->value, heldType(*declared));
        if (!conversion.ok())
            return Status::error(conversion.typeMismatch ? 13 : 4,
                                 "property " + cimobj::toUtf8(textOf(declared->name)) + ": " + conversion.problem);
        freeReturnCode(propertyAddValue(p, conversion.value.release()));
        p->type = heldType(*declared);
    }
    return Status::success();
}

}  // namespace

Status instanceCursor(ObjectManager &objectManager, ObjectManager::State &state, const std::wstring &nameSpace,
                      const std::wstring &className, const InstanceOptions &options, InstanceFilter filter,
                      std::unique_ptr<InstanceCursor> &cursor) {
    Enumeration plan;
    std::wstring host = state.host();
    auto shape = std::make_shared<InstanceShape>();
    {
        auto lock = state.repository.readLock();
        Status status = planEnumeration(state, nameSpace, className, plan);
        if (!status.ok()) return status;
        *shape = makeInstanceShape(plan.requested.get(), options, state.repository.find(nameSpace)->name, host);
    }
    auto fromStored = [shape, filter](const StoredInstance &stored, const NamespaceData &space,
                                      const ClassRecord &record) -> cimobj::InstancePtr {
        cimobj::InstancePtr whole = stored.instance(space.name);
        if (filter && !filter(*whole)) return nullptr;
        return shapeInstance(std::move(whole), record, *shape);
    };
    auto provide = [&objectManager, shape, filter, host, properties = options.properties](
                       const InstanceSource &source, const InstanceCursor::Sink &sink) {
        // A filter reads properties a property list may leave out.
        return source.provider->streamInstances(
            providerContext(objectManager, source, host, filter ? PropertyNames() : properties),
            [&](cimobj::InstancePtr one) {
                if (!one || (filter && !filter(*one))) return true;
                return sink(shapeProvidedInstance(std::move(one), *source.record, *shape));
            });
    };
    cursor = std::make_unique<InstanceCursor>(nameSpace, std::move(plan.sources), fromStored, provide);
    return Status::success();
}

Status pathCursor(ObjectManager &objectManager, ObjectManager::State &state, const std::wstring &nameSpace,
                  const std::wstring &className, InstanceFilter filter, std::unique_ptr<PathCursor> &cursor) {
    Enumeration plan;
    std::wstring host = state.host();
    std::wstring spaceName;
    {
        auto lock = state.repository.readLock();
        Status status = planEnumeration(state, nameSpace, className, plan);
        if (!status.ok()) return status;
        spaceName = state.repository.find(nameSpace)->name;
    }
    auto fromStored = [host, filter](const StoredInstance &stored, const NamespaceData &space,
                                     const ClassRecord &) -> cimobj::PathPtr {
        if (filter && !filter(*stored.instance(space.name))) return nullptr;
        return pathForClient(*stored.path(space.name), space.name, host);
    };
    auto provide = [&objectManager, host, spaceName, filter](const InstanceSource &source,
                                                             const PathCursor::Sink &sink) {
        const PropertyNames all;
        ProviderContext context = providerContext(objectManager, source, host, all);
        if (!filter) {
            std::vector<cimobj::PathPtr> provided;
            Status status = source.provider->enumerateInstanceNames(context, provided);
            for (cimobj::PathPtr &path : provided)
                if (path && !sink(pathForClient(*path, spaceName, host))) break;
            return status;
        }
        InstanceShape shape = makeInstanceShape(nullptr, InstanceOptions{}, spaceName, host);
        return source.provider->streamInstances(context, [&](cimobj::InstancePtr one) {
            if (!one || !filter(*one)) return true;
            cimobj::InstancePtr shaped = shapeProvidedInstance(std::move(one), *source.record, shape);
            return !shaped || !shaped->path || sink(pathForClient(*shaped->path, spaceName, host));
        });
    };
    cursor = std::make_unique<PathCursor>(nameSpace, std::move(plan.sources), fromStored, provide);
    return Status::success();
}

Status ObjectManager::enumerateInstances(const std::wstring &nameSpace, const std::wstring &className,
                                         const InstanceOptions &options, std::vector<cimobj::InstancePtr> &instances) {
    return collectAll<cimobj::InstancePtr>(instances, [&](const InstanceBatch &deliver) {
        return enumerateInstances(nameSpace, className, options, 0, deliver);
    });
}

Status ObjectManager::enumerateInstances(const std::wstring &nameSpace, const std::wstring &className,
                                         const InstanceOptions &options, std::size_t batchSize,
                                         const InstanceBatch &deliver) {
    std::unique_ptr<InstanceCursor> cursor;
    Status status = instanceCursor(*this, *state_, nameSpace, className, options, nullptr, cursor);
    if (!status.ok()) return status;
    return cursor->drain(*state_, batchSize, deliver);
}

Status ObjectManager::enumerateInstanceNames(const std::wstring &nameSpace, const std::wstring &className,
                                             std::vector<cimobj::PathPtr> &instancePaths) {
    return collectAll<cimobj::PathPtr>(instancePaths, [&](const PathBatch &deliver) {
        return enumerateInstanceNames(nameSpace, className, 0, deliver);
    });
}

Status ObjectManager::enumerateInstanceNames(const std::wstring &nameSpace, const std::wstring &className,
                                             std::size_t batchSize, const PathBatch &deliver) {
    std::unique_ptr<PathCursor> cursor;
    Status status = pathCursor(*this, *state_, nameSpace, className, nullptr, cursor);
    if (!status.ok()) return status;
    return cursor->drain(*state_, batchSize, deliver);
}

Status ObjectManager::createInstance(const std::wstring &nameSpace, const CIMInstance &instance,
                                     cimobj::PathPtr &newPath, Journaling journaling) {
    std::wstring className(textOf(getInstanceName(&instance)));
    InstanceSource source;
    {
        auto lock = state_->repository.readLock();
        bool newNamespace = !state_->repository.find(nameSpace) && sameName(className, namespaceClassName);
        if (newNamespace) source.provider = state_->providers.instanceProvider(L"", namespaceClassName);
        Status status = newNamespace ? Status::success() : findInstanceSource(*state_, nameSpace, className, source);
        if (!status.ok()) return status;
        if (source.record && source.record->abstract) return abstractClass(*source.record);
    }
    std::wstring host = state_->host();
    if (source.provider) {
        // A namespace that does not exist yet is made by the namespace
        // provider; the class there is root/interop's when it has one.
        if (!source.record) {
            auto lock = state_->repository.readLock();
            if (const NamespaceData *interop = state_->repository.find(L"root/interop"))
                source.record = interop->classRecord(namespaceClassName);
        }
        if (!source.record) return Status::error(5, "class CIM_Namespace is not defined in root/interop");
        source.nameSpace = nameSpace;
        const PropertyNames all;
        cimobj::PathPtr path;
        cimobj::InstancePtr typed;
        Status status = typedForProvider(*source.record, instance, typed);
        if (!status.ok()) return status;
        status = source.provider->createInstance(providerContext(*this, source, host, all), *typed, path);
        if (!status.ok()) return status;
        if (!path) path = pathFromKeyProperties(*source.record, *typed, nameSpace);
        newPath = pathForClient(*path, source.nameSpace, host);
        return status;
    }
    cimobj::InstancePtr created;
    std::wstring spaceName;
    SubscriptionRole role = SubscriptionRole::None;
    cimobj::PathPtr storedPath;
    Status written = state_->repository.write(journaling, [&](ChangeSet &changes) {
        Status status = findInstanceSource(*state_, nameSpace, className, source);
        if (!status.ok()) return status;
        const NamespaceData &space = *state_->repository.find(nameSpace);
        cimobj::InstancePtr stored;
        std::wstring key;
        cimobj::InstancePtr filled = withSubscriptionDefaults(*source.record, instance);
        status = buildStoredInstance(space, *source.record, filled ? *filled : instance, stored, key);
        if (!status.ok()) return status;
        const InstanceTable *table = space.instancesOf(source.record->lineage.front());
        if (table && table->find(key))
            return Status::error(
                11, "instance " + displayText(*stored->path) + " already exists in namespace " + toUtf8(space.name));
        role = subscriptionRole(*source.record);
        if (role != SubscriptionRole::None) storedPath = copyPath(stored->path);
        // What the store reads back (not journaled) was checked when it was
        // written, under the host policy of that time.
        if (role != SubscriptionRole::None && journaling == Journaling::On) {
            status = checkSubscriptionInstance(state_->repository, space, *source.record, *stored,
                                               state_->destinationPolicy());
            if (!status.ok()) return status;
        }
        cimobj::PathPtr path = pathForClient(*stored->path, space.name, host);
        if (watchesLifecycle(*state_, IndicationKind::Creation)) created = copyInstance(stored.get());
        spaceName = space.name;
        changes.putInstance(space.name, source.record->name, key, std::move(stored));
        newPath = std::move(path);
        return status;
    });
    if (!written.ok()) return written;
    if (storedPath)
        subscriptionsChanged(*state_, role,
                             journaling == Journaling::On ? SubscriptionWrite::Created : SubscriptionWrite::Loaded,
                             spaceName, *storedPath);
    if (created) reportInstanceEvent(*state_, IndicationKind::Creation, spaceName, *created, nullptr);
    return written;
}

Status ObjectManager::modifyInstance(const std::wstring &nameSpace, const CIMObjectPath &instanceName,
                                     const CIMInstance &modified, bool, const PropertyNames &properties) {
    InstanceSource source;
    {
        auto lock = state_->repository.readLock();
        Status status = findInstanceSource(*state_, nameSpace, textOf(instanceName.className), source);
        if (!status.ok()) return status;
    }
    if (source.provider) {
        cimobj::InstancePtr typed;
        Status status = typedForProvider(*source.record, modified, typed);
        if (!status.ok()) return status;
        return source.provider->modifyInstance(providerContext(*this, source, state_->host(), properties), instanceName,
                                               *typed, properties);
    }
    cimobj::InstancePtr previous, current;
    std::wstring spaceName;
    SubscriptionRole role = SubscriptionRole::None;
    Status written = state_->repository.write(Journaling::On, [&](ChangeSet &changes) {
        Status status = findInstanceSource(*state_, nameSpace, textOf(instanceName.className), source);
        if (!status.ok()) return status;
        const NamespaceData &space = *state_->repository.find(nameSpace);
        const ClassRecord &record = *source.record;
        const StoredInstance *found = findStoredInstance(space, record, instanceName, status);
        if (!found) return status;
        // A new instance made from the stored one: it is changed in place.
        cimobj::InstancePtr changed = found->instance(space.name);
        std::vector<cimobj::ValuePtr> values(record.properties.size());
        std::vector<bool> chosen(record.properties.size(), !properties.has_value());
        // A name the class does not have is left out of the list.
        if (properties) {
            for (const std::wstring &name : *properties) {
                long at = record.indexOf(name);
                if (at >= 0) chosen[static_cast<std::size_t>(at)] = true;
            }
        }
        std::vector<bool> given(record.properties.size(), false);
        for (CIMProperty *p : items<CIMProperty>(modified.properties)) {
            long at = record.indexOf(textOf(p->name));
            if (at < 0)
                return Status::error(4, "class " + toUtf8(record.name) + " has no property " + toUtf8(textOf(p->name)));
            auto index = static_cast<std::size_t>(at);
            given[index] = true;
            status = convertForProperty(space, *record.properties[index], p->value, values[index]);
            if (!status.ok()) return status;
        }
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (!chosen[i] || (!given[i] && !properties)) continue;
            const CIMProperty &declared = *record.properties[i];
            cimobj::ValuePtr value = given[i] ? std::move(values[i]) : defaultOf(declared);
            if (declared.isKey) {
                const CIMValue *old =
                    static_cast<CIMProperty *>(getElementAt(changed->properties, static_cast<int>(i)))->value;
                if (!isEqualCIMValue(old, value.get()))
                    return Status::error(4, "key property " + toUtf8(textOf(declared.name)) + " cannot change");
            }
            replaceValue(*changed, i, std::move(value));
        }
        role = subscriptionRole(record);
        if (role != SubscriptionRole::None) {
            status = checkSubscriptionInstance(state_->repository, space, record, *changed, state_->destinationPolicy());
            if (!status.ok()) return status;
        }
        if (watchesLifecycle(*state_, IndicationKind::Modification)) {
            previous = found->instance(space.name);
            current = copyInstance(changed.get());
        }
        spaceName = space.name;
        std::wstring key;
        instanceKeyText(space, record, *changed->path, key);
        changes.putInstance(space.name, record.name, key, std::move(changed));
        return status;
    });
    if (!written.ok()) return written;
    subscriptionsChanged(*state_, role, SubscriptionWrite::Modified, spaceName, instanceName);
    if (current) reportInstanceEvent(*state_, IndicationKind::Modification, spaceName, *current, previous.get());
    return written;
}

Status ObjectManager::deleteInstance(const std::wstring &nameSpace, const CIMObjectPath &instanceName) {
    InstanceSource source;
    {
        auto lock = state_->repository.readLock();
        if (!namespaceItself(*state_, nameSpace, instanceName, source)) {
            Status status = findInstanceSource(*state_, nameSpace, textOf(instanceName.className), source);
            if (!status.ok()) return status;
        }
    }
    if (source.provider) {
        const PropertyNames all;
        return source.provider->deleteInstance(providerContext(*this, source, state_->host(), all), instanceName);
    }
    cimobj::InstancePtr removed;
    std::wstring spaceName;
    SubscriptionRole role = SubscriptionRole::None;
    Status written = state_->repository.write(Journaling::On, [&](ChangeSet &changes) {
        Status status = findInstanceSource(*state_, nameSpace, textOf(instanceName.className), source);
        if (!status.ok()) return status;
        const NamespaceData &space = *state_->repository.find(nameSpace);
        const StoredInstance *stored = findStoredInstance(space, *source.record, instanceName, status);
        if (!stored) return status;
        cimobj::PathPtr storedPath = stored->path(space.name);
        role = subscriptionRole(*source.record);
        if (role != SubscriptionRole::None) {
            status = checkSubscriptionRemoval(space, *source.record, *storedPath);
            if (!status.ok()) return status;
        }
        if (watchesLifecycle(*state_, IndicationKind::Deletion)) removed = stored->instance(space.name);
        spaceName = space.name;
        std::wstring key;
        instanceKeyText(space, *source.record, *storedPath, key);
        changes.removeInstance(space.name, source.record->name, key);
        return status;
    });
    if (!written.ok()) return written;
    subscriptionsChanged(*state_, role, SubscriptionWrite::Deleted, spaceName, instanceName);
    if (removed) reportInstanceEvent(*state_, IndicationKind::Deletion, spaceName, *removed, nullptr);
    return written;
}

}  // namespace cimom
