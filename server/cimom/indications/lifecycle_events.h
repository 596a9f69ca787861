// lifecycle_events.h - the indications the object manager makes: for each
// write of a stored instance a CIM_InstCreation, CIM_InstModification (with
// PreviousInstance) or CIM_InstDeletion, and any other indication made of a
// class's declared properties, one copy per subscription whose filter
// selects it.
#pragma once

#include <cimobj/cimobj.hpp>
#include <functional>
#include <string>

#include "indications/subscription_index.h"
#include "indications/subscription_rules.h"
#include "semantics/object_manager_state.h"

namespace cimom {

// True when some subscription may select indications of kind: the writer
// then keeps copies of the instances for reportInstanceEvent.
inline bool watchesLifecycle(const ObjectManager::State &state, IndicationKind kind) {
    return state.subscriptions.watches(kind);
}

// The class of kind's indications the subscriptions name, or null when no
// subscription watches kind.
ClassRecordPtr indicationClassFor(const ObjectManager::State &state, IndicationKind kind);

// Now as CIM datetime text, to the microsecond: an IndicationTime.
std::wstring currentDateTime();

// A new indication of record's class with every declared property:
// IndicationTime now, the others as valueOf gives them (null: the class's
// default). Throws std::bad_alloc.
cimobj::InstancePtr makeIndication(const ClassRecord &record,
                                   const std::function<cimobj::ValuePtr(std::wstring_view name)> &valueOf);

// Hands indication (of kind, about nameSpace; taken) to the sink, shared,
// for every subscription whose filter selects it, each with that filter's
// name, in one call. Call with no lock held. Never throws but
// std::bad_alloc.
void reportIndication(ObjectManager::State &state, IndicationKind kind, const std::wstring &nameSpace,
                      cimobj::InstancePtr indication);

// Makes the indication of a write in nameSpace (source: the instance as
// written, or as it was for a deletion; previous: before a modification,
// else nullptr) and reports it. Call after the write, with no lock held.
void reportInstanceEvent(ObjectManager::State &state, IndicationKind kind, const std::wstring &nameSpace,
                         const CIMInstance &source, const CIMInstance *previous);

// How a filter, destination or subscription was written.
enum class SubscriptionWrite { Created, Loaded /* read back unchecked */, Modified, Deleted };

// Files the subscriptions again after a write of an instance playing role
// at path in nameSpace: a subscription alone is read again; a filter or
// destination that was modified or loaded unchecked reads them all (one
// created checked, or deleted, changes none). Call with no lock held.
void subscriptionsChanged(ObjectManager::State &state, SubscriptionRole role, SubscriptionWrite write,
                          const std::wstring &nameSpace, const CIMObjectPath &path);

}  // namespace cimom
