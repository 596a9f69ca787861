// instance_access.h - finding where a class's instances come from (the
// repository or a provider) and reading them either way, for the instance,
// property and association operations.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "semantics/object_manager_state.h"
#include "semantics/result_shaping.h"

namespace cimom {

// A class and who serves its instances, found under the repository lock and
// usable after it is released.
struct InstanceSource {
    ClassRecordPtr record;
    std::shared_ptr<InstanceProvider> provider;  // nullptr: the repository
    std::wstring nameSpace;                      // as created
};

// The source of className's instances in nameSpace; status 3 or 5 when
// there is none. Call under the repository's read lock.
Status findInstanceSource(const ObjectManager::State &state, std::wstring_view nameSpace, std::wstring_view className,
                          InstanceSource &source);

// The stored instance that name names; nullptr with status 4 (a bad name)
// or 6 (none). Call under the repository's read lock.
const StoredInstance *findStoredInstance(const NamespaceData &space, const ClassRecord &record, const CIMObjectPath &name,
                                      Status &status);

// The context of a provider call about record's class.
ProviderContext providerContext(ObjectManager &objectManager, const InstanceSource &source, std::wstring host,
                                const PropertyNames &properties);

// An instance a provider made, shaped for the client; its path is the one
// the provider gave when that has keys, else made from its key properties.
cimobj::InstancePtr shapeProvidedInstance(const CIMInstance &instance, const ClassRecord &record,
                                          const InstanceShape &shape);
// The same for an instance the caller gives up: its properties move into
// the result instead of being copied.
cimobj::InstancePtr shapeProvidedInstance(cimobj::InstancePtr instance, const ClassRecord &record,
                                          const InstanceShape &shape);

// Reads one instance from its source (takes the read lock itself when the
// repository serves it). Status 6 when there is none.
Status readInstance(ObjectManager &objectManager, ObjectManager::State &state, const std::wstring &nameSpace,
                    const CIMObjectPath &name, const InstanceOptions &options, cimobj::InstancePtr &instance);

}  // namespace cimom
