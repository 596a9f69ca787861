// instance_access.cpp - reading instances from the repository or a provider.
#include "semantics/instance_access.h"

#include "repository/instance_keys.h"
#include "repository/value_conversion.h"
#include "support/objects.h"

namespace cimom {

Status findInstanceSource(const ObjectManager::State &state, std::wstring_view nameSpace, std::wstring_view className,
                          InstanceSource &source) {
    Status status;
    const NamespaceData *space = findNamespace(state.repository, nameSpace, status);
    if (!space) return status;
    source.record = space->classRecord(className);
    if (!source.record) return classMissing(className, nameSpace);
    source.provider = state.providers.instanceProvider(space->name, source.record->name);
    source.nameSpace = space->name;
    return status;
}

const StoredInstance *findStoredInstance(const NamespaceData &space, const ClassRecord &record, const CIMObjectPath &name,
                                      Status &status) {
    std::wstring key;
    status = instanceKeyText(space, record, name, key);
    if (!status.ok()) return nullptr;
    const InstanceTable *table = space.instancesOf(record.lineage.front());
    const StoredInstance *found = table ? table->find(key) : nullptr;
    if (!found) {
        status = Status::error(6, "no instance " + displayText(*normalisedReference(space, name)) + " in namespace " +
                                      cimobj::toUtf8(space.name));
        return nullptr;
    }
    return found;
}

ProviderContext providerContext(ObjectManager &objectManager, const InstanceSource &source, std::wstring host,
                                const PropertyNames &properties) {
    return ProviderContext{objectManager, source.nameSpace, std::move(host), source.record->resolved.get(), properties};
}

cimobj::InstancePtr shapeProvidedInstance(const CIMInstance &instance, const ClassRecord &record,
                                          const InstanceShape &shape) {
    const CIMObjectPath *own = getInstancePath(&instance);
    cimobj::PathPtr path =
        own && getLength(own->mkeys) > 0 ? copyPath(own) : pathFromKeyProperties(record, instance, shape.nameSpace);
    return shapeInstance(instance, record, *path, shape);
}

cimobj::InstancePtr shapeProvidedInstance(cimobj::InstancePtr instance, const ClassRecord &record,
                                          const InstanceShape &shape) {
    const CIMObjectPath *own = getInstancePath(instance.get());
    if (!own || getLength(own->mkeys) == 0)
        setInstancePath(instance.get(), pathFromKeyProperties(record, *instance, shape.nameSpace).release());
    return shapeInstance(std::move(instance), record, shape);
}

Status readInstance(ObjectManager &objectManager, ObjectManager::State &state, const std::wstring &nameSpace,
                    const CIMObjectPath &name, const InstanceOptions &options, cimobj::InstancePtr &instance) {
    InstanceSource source;
    std::wstring host = state.host();
    {
        auto lock = state.repository.readLock();
        Status status = findInstanceSource(state, nameSpace, textOf(name.className), source);
        if (!status.ok()) return status;
        if (!source.provider) {
            const NamespaceData &space = *state.repository.find(nameSpace);
            const StoredInstance *stored = findStoredInstance(space, *source.record, name, status);
            if (!stored) return status;
            InstanceShape shape = makeInstanceShape(source.record.get(), options, space.name, host);
            instance = shapeInstance(stored->instance(space.name), *source.record, shape);
            return status;
        }
    }
    ProviderContext context = providerContext(objectManager, source, host, options.properties);
    cimobj::InstancePtr provided;
    Status status = source.provider->getInstance(context, name, provided);
    if (!status.ok()) return status;
    if (!provided) return Status::error(6, "the provider found no such instance");
    InstanceShape shape = makeInstanceShape(source.record.get(), options, source.nameSpace, host);
    instance = shapeProvidedInstance(std::move(provided), *source.record, shape);
    return status;
}

}  // namespace cimom
