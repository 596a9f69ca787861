// instance_operations.cpp - getting, enumerating, creating, modifying and
// deleting instances, from the repository or the class's provider.
#include "repository/instance_keys.h"
#include "repository/value_conversion.h"
#include "semantics/instance_access.h"
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

// Gathers results into batches of a size (0: one batch of everything) and
// hands each full one to deliver; remembers when deliver asked to stop.
template <class Ptr>
class Batcher {
public:
    Batcher(std::size_t size, const std::function<bool(std::vector<Ptr> &)> &deliver) : size_(size), deliver_(deliver) {}
    // How many more the current batch takes (SIZE_MAX without a size).
    std::size_t room() const { return size_ == 0 ? SIZE_MAX : size_ - batch_.size(); }
    void add(Ptr one) { batch_.push_back(std::move(one)); }
    // Hands the batch over when it is full (or, with all, when it has any);
    // false once deliver has asked to stop.
    bool flush(bool all = false) {
        if (stopped_) return false;
        if (batch_.empty() || (!all && room() > 0)) return true;
        stopped_ = !deliver_(batch_);
        batch_.clear();
        return !stopped_;
    }

private:
    std::size_t size_;
    const std::function<bool(std::vector<Ptr> &)> &deliver_;
    std::vector<Ptr> batch_;
    bool stopped_ = false;
};

// Reads the instances of each source in the plan's order into batcher: the
// repository's a batch at a time under the read lock, a provider's after
// it is released. fromStored makes a result of a stored instance (under the
// lock, with the record of its class), provide asks a provider for its
// results.
template <class Ptr, class FromStored, class Provide>
Status readSources(ObjectManager::State &state, const std::wstring &nameSpace, const Enumeration &plan,
                   Batcher<Ptr> &batcher, FromStored fromStored, Provide provide) {
    for (const InstanceSource &source : plan.sources) {
        if (source.provider) {
            std::vector<Ptr> provided;
            Status status = provide(source, provided);
            if (!status.ok()) return status;
            for (Ptr &one : provided) {
                if (!one) continue;
                batcher.add(std::move(one));
                if (!batcher.flush()) return Status::success();
            }
            continue;
        }
        InstanceTable::Position position = 0;
        for (bool more = true; more;) {
            {
                auto lock = state.repository.readLock();
                const NamespaceData *space = state.repository.find(nameSpace);
                const InstanceTable *table = space ? space->instancesOf(source.record->lineage.front()) : nullptr;
                if (!table) break;
                auto at = table->after(position);
                for (std::size_t room = batcher.room(); at != table->end() && room > 0; ++at, --room) {
                    batcher.add(fromStored(at->second, *space, *source.record));
                    position = at.position();
                }
                more = at != table->end();
            }
            if (!batcher.flush()) return Status::success();
        }
    }
    batcher.flush(true);
    return Status::success();
}

template <class Ptr>
Status collectAll(std::vector<Ptr> &results, const std::function<Status(const std::function<bool(std::vector<Ptr> &)> &)> &run) {
    return run([&](std::vector<Ptr> &batch) {
        for (Ptr &one : batch) results.push_back(std::move(one));
        return true;
    });
}

}  // namespace

Status ObjectManager::enumerateInstances(const std::wstring &nameSpace, const std::wstring &className,
                                         const InstanceOptions &options, std::vector<cimobj::InstancePtr> &instances) {
    return collectAll<cimobj::InstancePtr>(instances, [&](const InstanceBatch &deliver) {
        return enumerateInstances(nameSpace, className, options, 0, deliver);
    });
}

Status ObjectManager::enumerateInstances(const std::wstring &nameSpace, const std::wstring &className,
                                         const InstanceOptions &options, std::size_t batchSize,
                                         const InstanceBatch &deliver) {
    Enumeration plan;
    std::wstring host = state_->host();
    InstanceShape shape;
    {
        auto lock = state_->repository.readLock();
        Status status = planEnumeration(*state_, nameSpace, className, plan);
        if (!status.ok()) return status;
        shape = makeInstanceShape(plan.requested.get(), options, state_->repository.find(nameSpace)->name, host);
    }
    Batcher<cimobj::InstancePtr> batcher(batchSize, deliver);
    return readSources(
        *state_, nameSpace, plan, batcher,
        [&](const StoredInstance &stored, const NamespaceData &space, const ClassRecord &record) {
            return shapeInstance(stored.instance(space.name), record, shape);
        },
        [&](const InstanceSource &source, std::vector<cimobj::InstancePtr> &provided) {
            Status status =
                source.provider->enumerateInstances(providerContext(*this, source, host, options.properties), provided);
            for (cimobj::InstancePtr &one : provided)
                if (one) one = shapeProvidedInstance(*one, *source.record, shape);
            return status;
        });
}

Status ObjectManager::enumerateInstanceNames(const std::wstring &nameSpace, const std::wstring &className,
                                             std::vector<cimobj::PathPtr> &instancePaths) {
    return collectAll<cimobj::PathPtr>(instancePaths, [&](const PathBatch &deliver) {
        return enumerateInstanceNames(nameSpace, className, 0, deliver);
    });
}

Status ObjectManager::enumerateInstanceNames(const std::wstring &nameSpace, const std::wstring &className,
                                             std::size_t batchSize, const PathBatch &deliver) {
    Enumeration plan;
    std::wstring host = state_->host();
    std::wstring spaceName;
    {
        auto lock = state_->repository.readLock();
        Status status = planEnumeration(*state_, nameSpace, className, plan);
        if (!status.ok()) return status;
        spaceName = state_->repository.find(nameSpace)->name;
    }
    const PropertyNames all;
    Batcher<cimobj::PathPtr> batcher(batchSize, deliver);
    return readSources(
        *state_, nameSpace, plan, batcher,
        [&](const StoredInstance &stored, const NamespaceData &space, const ClassRecord &) {
            return pathForClient(*stored.path(space.name), space.name, host);
        },
        [&](const InstanceSource &source, std::vector<cimobj::PathPtr> &provided) {
            Status status = source.provider->enumerateInstanceNames(providerContext(*this, source, host, all), provided);
            for (cimobj::PathPtr &path : provided)
                if (path) path = pathForClient(*path, spaceName, host);
            return status;
        });
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
        Status status = source.provider->createInstance(providerContext(*this, source, host, all), instance, path);
        if (!status.ok()) return status;
        if (!path) path = pathFromKeyProperties(*source.record, instance, nameSpace);
        newPath = pathForClient(*path, source.nameSpace, host);
        return status;
    }
    return state_->repository.write(journaling, [&](ChangeSet &changes) {
        Status status = findInstanceSource(*state_, nameSpace, className, source);
        if (!status.ok()) return status;
        const NamespaceData &space = *state_->repository.find(nameSpace);
        cimobj::InstancePtr stored;
        std::wstring key;
        status = buildStoredInstance(space, *source.record, instance, stored, key);
        if (!status.ok()) return status;
        const InstanceTable *table = space.instancesOf(source.record->lineage.front());
        if (table && table->find(key))
            return Status::error(
                11, "instance " + displayText(*stored->path) + " already exists in namespace " + toUtf8(space.name));
        cimobj::PathPtr path = pathForClient(*stored->path, space.name, host);
        changes.putInstance(space.name, source.record->name, key, std::move(stored));
        newPath = std::move(path);
        return status;
    });
}

Status ObjectManager::modifyInstance(const std::wstring &nameSpace, const CIMObjectPath &instanceName,
                                     const CIMInstance &modified, bool, const PropertyNames &properties) {
    InstanceSource source;
    {
        auto lock = state_->repository.readLock();
        Status status = findInstanceSource(*state_, nameSpace, textOf(instanceName.className), source);
        if (!status.ok()) return status;
    }
    if (source.provider)
        return source.provider->modifyInstance(providerContext(*this, source, state_->host(), properties), instanceName,
                                               modified, properties);
    return state_->repository.write(Journaling::On, [&](ChangeSet &changes) {
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
        std::wstring key;
        instanceKeyText(space, record, *changed->path, key);
        changes.putInstance(space.name, record.name, key, std::move(changed));
        return status;
    });
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
    return state_->repository.write(Journaling::On, [&](ChangeSet &changes) {
        Status status = findInstanceSource(*state_, nameSpace, textOf(instanceName.className), source);
        if (!status.ok()) return status;
        const NamespaceData &space = *state_->repository.find(nameSpace);
        const StoredInstance *stored = findStoredInstance(space, *source.record, instanceName, status);
        if (!stored) return status;
        std::wstring key;
        instanceKeyText(space, *source.record, *stored->path(space.name), key);
        changes.removeInstance(space.name, source.record->name, key);
        return status;
    });
}

}  // namespace cimom
