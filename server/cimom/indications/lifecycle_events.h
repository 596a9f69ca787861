// lifecycle_events.h - the indications a write of a stored instance makes:
// CIM_InstCreation, CIM_InstModification (with PreviousInstance) and
// CIM_InstDeletion, one per subscription whose filter selects it.
#pragma once

#include <cimobj/cimobj.hpp>
#include <string>

#include "indications/subscription_index.h"
#include "semantics/object_manager_state.h"

namespace cimom {

// True when some subscription may select indications of kind: the writer
// then keeps copies of the instances for reportInstanceEvent.
inline bool watchesLifecycle(const ObjectManager::State &state, LifecycleKind kind) {
    return state.subscriptions.watches(kind);
}

// Makes the indication of a write in nameSpace (source: the instance as
// written, or as it was for a deletion; previous: before a modification,
// else nullptr) and hands a copy to the sink for every subscription whose
// filter selects it. Call after the write, with no lock held. Never throws
// but std::bad_alloc.
void reportInstanceEvent(ObjectManager::State &state, LifecycleKind kind, const std::wstring &nameSpace,
                         const CIMInstance &source, const CIMInstance *previous);

// Reads the subscriptions again after a write of a filter, destination or
// subscription. Call with no lock held.
void subscriptionsChanged(ObjectManager::State &state);

}  // namespace cimom
