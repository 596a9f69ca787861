// live_events.cpp - the rounds of watching processes and file systems for
// the subscriptions that want their indications.
#include "indications/live_events.h"

#include "cimom/object_path_text.h"
#include "indications/lifecycle_events.h"
#include "indications/subscription_rules.h"
#include "providers/live_names.h"
#include "providers/live_values.h"
#include "support/names.h"
#include "support/objects.h"

namespace cimom {

namespace {

std::uint64_t numberOf(const CIMInstance &instance, std::wstring_view name) {
    const CIMValue *value = propertyValue(instance, name);
    return value && value->type == CIM_UINT64 ? value->data.u64 : 0;
}

// The instances of className in nameSpace, as a client would see them;
// empty when the class is not served there.
std::vector<cimobj::InstancePtr> liveInstances(ObjectManager &objectManager, const std::wstring &nameSpace,
                                               std::wstring_view className) {
    std::vector<cimobj::InstancePtr> instances;
    if (!objectManager.enumerateInstances(nameSpace, std::wstring(className), {}, instances).ok()) instances.clear();
    return instances;
}

// True when a subscription may select indications of kind about nameSpace.
bool watchedIn(const ObjectManager::State &state, IndicationKind kind, const std::wstring &nameSpace) {
    if (!state.subscriptions.watches(kind)) return false;
    for (const auto &subscription : state.subscriptions.snapshot()->byKind[static_cast<std::size_t>(kind)])
        if (subscription->watchesNamespace(nameSpace)) return true;
    return false;
}

void watchProcesses(ObjectManager &objectManager, ObjectManager::State &state, LiveEventMemory &memory,
                    const LiveIndicationSettings &settings) {
    if (!watchedIn(state, IndicationKind::Creation, settings.nameSpace) &&
        !watchedIn(state, IndicationKind::Deletion, settings.nameSpace)) {
        memory.watchingProcesses = false;
        memory.processes.clear();
        return;
    }
    std::map<std::wstring, cimobj::InstancePtr> now;
    for (cimobj::InstancePtr &process : liveInstances(objectManager, settings.nameSpace, live::processClass)) {
        std::wstring identity = textProperty(*process, L"Handle") + L"@" + textProperty(*process, L"CreationDate");
        now.emplace(std::move(identity), std::move(process));
    }
    if (memory.watchingProcesses) {
        for (const auto &[identity, process] : now)
            if (!memory.processes.count(identity))
                reportInstanceEvent(state, IndicationKind::Creation, settings.nameSpace, *process, nullptr);
        for (const auto &[identity, process] : memory.processes)
            if (!now.count(identity))
                reportInstanceEvent(state, IndicationKind::Deletion, settings.nameSpace, *process, nullptr);
    }
    memory.processes = std::move(now);
    memory.watchingProcesses = true;
}

// The share of a file system's space in use, in whole percent rounded up,
// as df counts it (space reserved for the superuser is neither used nor
// available); -1 when it was not measured.
int percentInUse(const CIMInstance &fileSystem) {
    std::uint64_t size = numberOf(fileSystem, L"FileSystemSize");
    std::uint64_t available = numberOf(fileSystem, L"AvailableSpace");
    std::uint64_t reserved = numberOf(fileSystem, L"FSReservedCapacity");
    if (size == 0 || available + reserved > size) return -1;
    std::uint64_t used = size - available - reserved;
    std::uint64_t usable = used + available;
    return usable == 0 ? -1 : static_cast<int>((used * 100 + usable - 1) / usable);
}

void alertFull(ObjectManager::State &state, const LiveIndicationSettings &settings, const CIMInstance &fileSystem,
               int percent) {
    ClassRecordPtr alertClass = indicationClassFor(state, IndicationKind::Alert);
    if (!alertClass) return;
    const std::wstring root = textProperty(fileSystem, L"Root");
    const std::wstring message = L"file system " + (root.empty() ? textProperty(fileSystem, L"Name") : root) +
                                 L" is " + std::to_wstring(percent) + L"% full (threshold " +
                                 std::to_wstring(settings.fileSystemAlertPercent) + L"%)";
    const std::wstring host = state.host();
    cimobj::InstancePtr alert = makeIndication(*alertClass, [&](std::wstring_view name) -> cimobj::ValuePtr {
        if (sameName(name, L"AlertType")) return live::uint16Value(3);         // Quality of Service Alert
        if (sameName(name, L"PerceivedSeverity")) return live::uint16Value(percent >= 100 ? 6 : 3);  // Critical, Degraded/Warning
        if (sameName(name, L"ProbableCause")) return live::uint16Value(50);    // Storage Capacity Problem
        if (sameName(name, L"Trending")) return live::uint16Value(2);          // Trending Up
        if (sameName(name, L"AlertingElementFormat")) return live::uint16Value(2);  // CIMObjectPath
        if (sameName(name, L"AlertingManagedElement") && fileSystem.path)
            return live::textValue(writeObjectPathText(fileSystem.path));
        if (sameName(name, L"Description") || sameName(name, L"Message")) return live::textValue(message);
        if (sameName(name, L"MessageArguments"))
            return live::kernelTextArray({cimobj::toUtf8(root), std::to_string(percent),
                                          std::to_string(settings.fileSystemAlertPercent)});
        if (sameName(name, L"EventID")) return live::textValue(L"FileSystemFull");
        if (sameName(name, L"SystemCreationClassName")) return live::textValue(live::computerSystemClass);
        if (sameName(name, L"SystemName")) return live::textValue(host);
        if (sameName(name, L"ProviderName")) return live::textValue(live::fileSystemClass);
        return nullptr;
    });
    reportIndication(state, IndicationKind::Alert, settings.nameSpace, std::move(alert));
}

void watchFileSystems(ObjectManager &objectManager, ObjectManager::State &state, LiveEventMemory &memory,
                      const LiveIndicationSettings &settings) {
    if (settings.fileSystemAlertPercent == 0 || !watchedIn(state, IndicationKind::Alert, settings.nameSpace)) {
        memory.fullFileSystems.clear();
        return;
    }
    std::set<std::wstring> full;
    for (const cimobj::InstancePtr &fileSystem : liveInstances(objectManager, settings.nameSpace, live::fileSystemClass)) {
        int percent = percentInUse(*fileSystem);
        if (percent < static_cast<int>(settings.fileSystemAlertPercent)) continue;
        std::wstring name = textProperty(*fileSystem, L"Name");
        if (!memory.fullFileSystems.count(name)) alertFull(state, settings, *fileSystem, percent);
        full.insert(std::move(name));
    }
    memory.fullFileSystems = std::move(full);
}

}  // namespace

void ObjectManager::pollLiveIndications(const LiveIndicationSettings &settings) {
    LiveEventMemory &memory = state_->liveEvents;
    std::lock_guard lock(memory.mutex);
    watchProcesses(*this, *state_, memory, settings);
    watchFileSystems(*this, *state_, memory, settings);
}

}  // namespace cimom
